#pragma once
// Every bill line (reserve.dat) in memory, with an index of the lines by the
// month of their line date and of their settlement date.
//
// Ten years of a busy inn are a million lines, hundreds of megabytes; the
// reservation list of a day and the month reports each want a few thousand
// of them. Looking through all of them for every refresh costs a read of the
// whole list; the index hands out the lines of one month instead.
//
// The index is kept right by the list itself: reading is open to everyone,
// and every way of changing the lines goes through the list. A line added at
// the end (a new bill, a fetched reservation) is added to the index as well;
// every other change (swap, clear, assignment, edit()) marks the index out
// of date, and the next question rebuilds it in one pass over the list. Hold
// no reference obtained from edit() across a question to the index.
//
// The same holds for the second index, of the bills (storage/bill_index.h):
// every bill once, with its name as searching compares it.

#include "storage/record_date.h"
#include "storage/record_list.h"
#include "storage/records.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <span>
#include <vector>

// The lines whose date field lies in one month, in list order.
class RecordDateIndex {
public:
    struct Line {
        uint32_t index; // into the list
        uint32_t day;   // 1..31
    };
    std::span<const Line> month(int year, int month) const;

private:
    friend class ReserveRecords;
    // Adds the line at index, the last of the list, with its packed date
    // (month key << 5 | day; 0 for none).
    void append(uint32_t index, uint32_t packed);
    // From every line's packed date and the count of lines per month key,
    // keys low to high.
    void rebuild(const uint32_t *packed, std::size_t n, const uint32_t *counts, uint32_t low, uint32_t high);
    int firstKey = 0;             // month key (year * 12 + month - 1) of starts[0]
    std::vector<uint32_t> starts; // lines of key firstKey + k: lines[starts[k] .. starts[k + 1])
    std::vector<Line> lines;
};

class BillIndex;

class ReserveRecords {
public:
    using List = RecordList<TReserveData>;
    using value_type = TReserveData;
    using size_type = std::size_t;
    using const_iterator = List::const_iterator;
    using iterator = List::const_iterator; // lines change through edit()

    ReserveRecords() = default;
    explicit ReserveRecords(List records) : list(std::move(records)) {}
    ReserveRecords(std::initializer_list<TReserveData> records) : list(records) {}
    ReserveRecords(const ReserveRecords &other) : list(other.list) {}
    ReserveRecords(ReserveRecords &&other) noexcept : list(std::move(other.list)) { other.changed(); }
    ReserveRecords &operator=(const ReserveRecords &other)
    {
        if (this != &other) {
            list = other.list;
            changed();
        }
        return *this;
    }
    ReserveRecords &operator=(ReserveRecords &&other) noexcept
    {
        if (this != &other) {
            list = std::move(other.list);
            changed();
            other.changed();
        }
        return *this;
    }
    ReserveRecords &operator=(std::initializer_list<TReserveData> records)
    {
        list = records;
        changed();
        return *this;
    }
    ReserveRecords &operator=(List records)
    {
        list = std::move(records);
        changed();
        return *this;
    }

    // Reading.
    const List &records() const { return list; }
    operator const List &() const { return list; }
    std::size_t size() const { return list.size(); }
    bool empty() const { return list.empty(); }
    const TReserveData *data() const { return list.data(); }
    const TReserveData &operator[](std::size_t i) const { return list[i]; }
    const TReserveData &at(std::size_t i) const { return list.at(i); }
    const TReserveData &front() const { return list.front(); }
    const TReserveData &back() const { return list.back(); }
    const_iterator begin() const { return list.begin(); }
    const_iterator end() const { return list.end(); }

    // Changing.
    void push_back(const TReserveData &record);
    void swap(List &other)
    {
        list.swap(other);
        changed();
    }
    void clear()
    {
        list.clear();
        changed();
    }
    void reserve(std::size_t n) { list.reserve(n); }
    // The list itself, for changes in place.
    List &edit()
    {
        changed();
        return list;
    }

    // The lines by the month of their line date (Rsvday) and of their
    // settlement date (Seisan).
    const RecordDateIndex &lineDates() const { return indexes().line; }
    const RecordDateIndex &settlementDates() const { return indexes().settlement; }
    // Every bill of the list once, for finding bills by name and figures.
    const BillIndex &bills() const;

private:
    struct Indexes {
        RecordDateIndex line, settlement;
        // Kept for the next rebuild: the dates read, lines per month key.
        std::vector<uint32_t> linePacked, settlementPacked, lineCounts, settlementCounts;
    };
    void changed()
    {
        current = false;
        billsCurrent = false;
    }
    const Indexes &indexes() const;
    // The last line, just added, joins the bill index when that is current.
    void billAdded() const;
    struct BillIndexDelete {
        void operator()(BillIndex *p) const;
    };

    List list;
    mutable std::unique_ptr<Indexes> index;
    mutable bool current = false;
    mutable std::unique_ptr<BillIndex, BillIndexDelete> billIndex;
    mutable bool billsCurrent = false;
};
