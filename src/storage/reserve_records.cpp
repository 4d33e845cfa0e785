#include "storage/reserve_records.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace {

// Month keys of the years 1 to 9999.
constexpr std::size_t MonthKeys = std::size_t(10000) * 12;

// One date field of every line, as the rebuild reads it: packed dates, lines
// per month key, and the lowest and highest key seen.
struct Tally {
    uint32_t *packed;
    uint32_t *counts; // MonthKeys of them, zero before the pass
    uint32_t low = std::numeric_limits<uint32_t>::max(), high = 0;
    record_date::Reader cache;

    void read(std::size_t i, const char (&field)[11])
    {
        const uint32_t p = cache.packed(field);
        packed[i] = p;
        if (p == 0)
            return;
        const uint32_t key = p >> 5;
        ++counts[key];
        low = std::min(low, key);
        high = std::max(high, key);
    }
};

} // namespace

std::span<const RecordDateIndex::Line> RecordDateIndex::month(int year, int month) const
{
    if (month < 1 || month > 12 || starts.empty())
        return {};
    const int64_t k = int64_t(year) * 12 + (month - 1) - firstKey;
    if (k < 0 || k + 1 >= int64_t(starts.size()))
        return {};
    return {lines.data() + starts[size_t(k)], lines.data() + starts[size_t(k) + 1]};
}

void RecordDateIndex::append(uint32_t index, uint32_t packed)
{
    if (packed == 0)
        return;
    const int key = int(packed >> 5);
    if (starts.empty()) {
        firstKey = key;
        starts.assign(2, 0);
    } else if (key < firstKey) {
        starts.insert(starts.begin(), std::size_t(firstKey - key), 0);
        firstKey = key;
    } else if (std::size_t(key - firstKey) + 1 >= starts.size()) {
        starts.resize(std::size_t(key - firstKey) + 2, starts.back());
    }
    // The last line of the list is the last of its month.
    const std::size_t k = std::size_t(key - firstKey);
    lines.insert(lines.begin() + starts[k + 1], Line{index, packed & 31});
    for (std::size_t j = k + 1; j < starts.size(); ++j)
        ++starts[j];
}

void ReserveRecords::push_back(const TReserveData &record)
{
    list.push_back(record);
    try {
        billAdded();
    } catch (...) {
        changed(); // the line is in the list; both indexes are rebuilt when next asked
        throw;
    }
    if (!current)
        return;
    if (list.size() > std::numeric_limits<uint32_t>::max()) {
        changed();
        return;
    }
    const uint32_t i = uint32_t(list.size() - 1);
    try {
        record_date::Reader line, settlement;
        index->line.append(i, line.packed(record.Rsvday));
        index->settlement.append(i, settlement.packed(record.Seisan));
    } catch (...) {
        changed(); // the line is in the list; the index is rebuilt when next asked
        throw;
    }
}

// Counting sort of the lines by month, list order kept within a month.
void RecordDateIndex::rebuild(const uint32_t *packed, std::size_t n, const uint32_t *counts, uint32_t low,
                              uint32_t high)
{
    firstKey = 0;
    starts.clear();
    lines.clear();
    if (low > high)
        return;
    firstKey = int(low);
    starts.resize(std::size_t(high - low) + 2);
    starts[0] = 0;
    for (uint32_t k = low; k <= high; ++k)
        starts[k - low + 1] = starts[k - low] + counts[k];
    lines.resize(starts.back());
    // Lines of one month mostly follow each other: the place to write is
    // kept for the run and put back when the month changes.
    std::vector<uint32_t> next(starts.begin(), starts.end() - 1);
    constexpr uint32_t none = std::numeric_limits<uint32_t>::max();
    uint32_t month = none, at = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const uint32_t p = packed[i];
        if (p == 0)
            continue;
        const uint32_t k = (p >> 5) - low;
        if (k != month) {
            if (month != none)
                next[month] = at;
            month = k;
            at = next[k];
        }
        lines[at++] = {uint32_t(i), p & 31};
    }
}

const ReserveRecords::Indexes &ReserveRecords::indexes() const
{
    if (!index)
        index = std::make_unique<Indexes>();
    if (current)
        return *index;

    const std::size_t n = list.size();
    if (n > std::numeric_limits<uint32_t>::max())
        throw std::length_error("reserve list too long to index");
    // The dates read and the counts are kept between rebuilds: once the list
    // has been indexed, a rebuild allocates nothing new. The counts start
    // from zero every time, even after a rebuild cut short.
    Indexes &x = *index;
    if (x.linePacked.size() < n) {
        x.linePacked.resize(n);
        x.settlementPacked.resize(n);
    }
    x.lineCounts.assign(MonthKeys, 0);
    x.settlementCounts.assign(MonthKeys, 0);

    // One pass over the lines reads both dates; the rest works on 4 bytes a line.
    Tally line{x.linePacked.data(), x.lineCounts.data()};
    Tally settlement{x.settlementPacked.data(), x.settlementCounts.data()};
    const TReserveData *records = list.data();
    constexpr std::size_t ahead = 16;
    for (std::size_t i = 0; i < n; ++i) {
#if defined(__GNUC__)
        // Two fields of a 372-byte line: the processor's own prefetch stops
        // at page borders, so the lines a little ahead are asked for here.
        if (i + ahead < n) {
            __builtin_prefetch(records[i + ahead].Seisan);
            __builtin_prefetch(records[i + ahead].Rsvday + sizeof records->Rsvday - 1);
        }
#endif
        line.read(i, records[i].Rsvday);
        settlement.read(i, records[i].Seisan);
    }
    x.line.rebuild(line.packed, n, line.counts, line.low, line.high);
    x.settlement.rebuild(settlement.packed, n, settlement.counts, settlement.low, settlement.high);
    current = true;
    return x;
}
