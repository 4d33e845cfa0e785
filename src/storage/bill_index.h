#pragma once
// Every bill of the bill lines once, as finding a bill wants it: its number,
// its dates, its amount and its texts, the name also in the one spelling
// searching compares (nameKey). ReserveRecords keeps it beside the lines and
// keeps it right the way it keeps its date index: a line added at the end
// joins its bill here at once, any other change has it rebuilt in one pass
// when next asked for.
//
// Texts (names, plans, rooms) are kept once each in tables that only grow,
// so a bill found holds its texts by number and stays readable after the
// lines have changed; a rebuild reuses them instead of decoding again.

#include "storage/records.h"
#include "storage/record_list.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// One bill. Dates are packed as the date index packs them (month key << 5 |
// day, 0 for none), so that they compare in date order.
struct BillEntry {
    uint32_t MeiNo = 0;
    uint32_t name = 0;       // text numbers in the index's tables, of the bill's first line
    uint32_t plan = 0;
    uint32_t room = 0;
    uint32_t firstLine = 0;  // index of the bill's first line in the list
    uint32_t firstNight = 0; // earliest line date
    uint32_t lastNight = 0;  // latest line date
    uint32_t settled = 0;    // settlement date of the first line; 0 while open
    int64_t total = 0;       // line amounts but deposits and coupons (see billLineCounts)
    uint8_t nights = 0;      // Stay of the first line
};

// Whether a line's amount counts in a bill's total: every charge and advance,
// not what was paid (a deposit, a coupon).
bool billLineCounts(uint32_t kubun);

class BillIndex {
public:
    // A table of distinct texts as the records hold them (CP932 bytes), each
    // decoded once, with its search key.
    class Texts {
    public:
        uint32_t id(std::string_view bytes);
        const QString &text(uint32_t id) const { return texts[id]; }
        const QString &key(uint32_t id) const { return keys[id]; }
        std::size_t size() const { return texts.size(); }
        // Marks in wanted (sized to size()) every text whose key contains part.
        void containing(const QString &part, std::vector<bool> &wanted) const;
        // The text whose key is key; -1 when there is none.
        int64_t withKey(const QString &key) const;
        std::size_t memory() const;

    private:
        uint32_t add(std::string_view bytes);
        struct Hash {
            using is_transparent = void;
            std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
        };
        std::unordered_map<std::string, uint32_t, Hash, std::equal_to<>> ids;
        // The text asked for last: lines in a row mostly repeat it.
        std::string lastBytes;
        uint32_t lastId = 0;
        bool haveLast = false;
        std::vector<QString> texts, keys;
        // Every key, each followed by a NUL, for one search through all of them.
        QString joined;
        std::vector<uint32_t> starts; // of each key in joined
    };

    const std::vector<BillEntry> &entries() const { return bills; }
    // Entry numbers in the order bills are listed: by first night, then number.
    const std::vector<uint32_t> &order() const;
    // The entry of a bill number; -1 when the list has none.
    int64_t find(uint32_t meiNo) const;
    // Further names and rooms of bills whose lines differ (entry, text).
    const std::vector<std::pair<uint32_t, uint32_t>> &otherNames() const { return moreNames; }
    const std::vector<std::pair<uint32_t, uint32_t>> &otherRooms() const { return moreRooms; }

    const Texts &names() const { return nameTexts; }
    const Texts &plans() const { return planTexts; }
    const Texts &rooms() const { return roomTexts; }

    // Bytes held, the tables' texts included (an estimate of what the heap holds).
    std::size_t memory() const;

private:
    friend class ReserveRecords;
    void rebuild(const RecordList<TReserveData> &list);
    // The line at index i, the last of the list, joins its bill.
    void append(const RecordList<TReserveData> &list, std::size_t i);
    void addLine(uint32_t entry, const TReserveData &line, uint32_t i, bool first);
    uint32_t newEntry(uint32_t meiNo);

    std::vector<BillEntry> bills;
    std::vector<std::pair<uint32_t, uint32_t>> byNumber; // (MeiNo, entry), by number
    mutable std::vector<uint32_t> listed;
    mutable bool ordered = true;
    std::vector<std::pair<uint32_t, uint32_t>> moreNames, moreRooms;
    Texts nameTexts, planTexts, roomTexts;
};
