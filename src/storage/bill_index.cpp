#include "storage/bill_index.h"

#include "storage/cp932.h"
#include "storage/name_key.h"
#include "storage/record_date.h"
#include "storage/reserve_records.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace {

template <std::size_t N> std::string_view fieldView(const char (&field)[N])
{
    const void *nul = std::memchr(field, 0, N);
    return {field, nul ? std::size_t(static_cast<const char *>(nul) - field) : N};
}

bool lessListed(const BillEntry &a, const BillEntry &b)
{
    return a.firstNight != b.firstNight ? a.firstNight < b.firstNight : a.MeiNo < b.MeiNo;
}

void addOther(std::vector<std::pair<uint32_t, uint32_t>> &others, uint32_t entry, uint32_t id)
{
    const std::pair<uint32_t, uint32_t> p{entry, id};
    if (std::find(others.rbegin(), others.rend(), p) == others.rend())
        others.push_back(p);
}

} // namespace

bool billLineCounts(uint32_t kubun)
{
    const uint32_t account = kubun / 1000;
    return account != 1105 && account != 102;
}

uint32_t BillIndex::Texts::id(std::string_view bytes)
{
    if (haveLast && bytes == lastBytes)
        return lastId;
    uint32_t id;
    if (const auto it = ids.find(bytes); it != ids.end())
        id = it->second;
    else
        id = add(bytes);
    lastBytes.assign(bytes);
    lastId = id;
    haveLast = true;
    return id;
}

uint32_t BillIndex::Texts::add(std::string_view bytes)
{
    const auto id = uint32_t(texts.size());
    const QString text = cp932::decode(bytes.data(), qsizetype(bytes.size()));
    const QString k = nameKey(text);
    starts.push_back(uint32_t(joined.size()));
    joined += k;
    joined += QChar(0);
    texts.push_back(text);
    keys.push_back(k);
    ids.emplace(std::string(bytes), id);
    return id;
}

void BillIndex::Texts::containing(const QString &part, std::vector<bool> &wanted) const
{
    if (part.isEmpty()) {
        std::fill(wanted.begin(), wanted.end(), true);
        return;
    }
    // The first character by QString's vectorised character search, the
    // rest compared in place: no set-up per match, and most keys hold the
    // first character of a name at most once.
    const QStringView all(joined);
    const QStringView rest = QStringView(part).mid(1);
    const QChar first = part.front();
    qsizetype at = 0;
    while ((at = all.indexOf(first, at)) >= 0) {
        if (all.mid(at + 1, rest.size()) != rest) {
            ++at;
            continue;
        }
        // The key the match starts in; a key holds no NUL, so the match ends in it too.
        const auto k = std::size_t(std::upper_bound(starts.begin(), starts.end(), uint32_t(at)) - starts.begin() - 1);
        wanted[k] = true;
        at = k + 1 < starts.size() ? qsizetype(starts[k + 1]) : joined.size();
    }
}

int64_t BillIndex::Texts::withKey(const QString &key) const
{
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (keys[i] == key)
            return int64_t(i);
    return -1;
}

std::size_t BillIndex::Texts::memory() const
{
    std::size_t bytes = ids.bucket_count() * sizeof(void *) + starts.capacity() * sizeof(uint32_t)
        + std::size_t(joined.capacity()) * 2;
    for (std::size_t i = 0; i < texts.size(); ++i)
        bytes += 64 + 2 * std::size_t(texts[i].capacity() + keys[i].capacity()) + 32;
    return bytes;
}

const std::vector<uint32_t> &BillIndex::order() const
{
    if (!ordered) {
        std::sort(listed.begin(), listed.end(), [&](uint32_t a, uint32_t b) { return lessListed(bills[a], bills[b]); });
        ordered = true;
    }
    return listed;
}

int64_t BillIndex::find(uint32_t meiNo) const
{
    const auto it = std::lower_bound(byNumber.begin(), byNumber.end(), std::pair<uint32_t, uint32_t>{meiNo, 0});
    return it != byNumber.end() && it->first == meiNo ? int64_t(it->second) : -1;
}

std::size_t BillIndex::memory() const
{
    return bills.capacity() * sizeof(BillEntry) + byNumber.capacity() * sizeof(byNumber[0])
        + listed.capacity() * sizeof(uint32_t) + (moreNames.capacity() + moreRooms.capacity()) * sizeof(moreNames[0])
        + nameTexts.memory() + planTexts.memory() + roomTexts.memory();
}

uint32_t BillIndex::newEntry(uint32_t meiNo)
{
    const auto e = uint32_t(bills.size());
    BillEntry b;
    b.MeiNo = meiNo;
    bills.push_back(b);
    listed.push_back(e);
    return e;
}

void BillIndex::addLine(uint32_t e, const TReserveData &line, uint32_t i, bool first)
{
    BillEntry &b = bills[e];
    record_date::Reader reader;
    const uint32_t night = reader.packed(line.Rsvday);
    const uint32_t name = nameTexts.id(fieldView(line.Name));
    const uint32_t room = roomTexts.id(fieldView(line.Room));
    if (first) {
        b.name = name;
        b.room = room;
        b.plan = planTexts.id(fieldView(line.Plan));
        b.firstLine = i;
        b.settled = record_date::Reader().packed(line.Seisan);
        b.nights = line.Stay;
    } else {
        if (name != b.name)
            addOther(moreNames, e, name);
        if (room != b.room)
            addOther(moreRooms, e, room);
    }
    if (night != 0) {
        if (b.firstNight == 0 || night < b.firstNight)
            b.firstNight = night;
        b.lastNight = std::max(b.lastNight, night);
    }
    if (billLineCounts(line.Kubun)) {
        const int64_t amount = int64_t(line.Tanka) * int64_t(line.Suryou);
        if (__builtin_add_overflow(b.total, amount, &b.total))
            b.total = amount < 0 ? std::numeric_limits<int64_t>::min() : std::numeric_limits<int64_t>::max();
    }
}

void BillIndex::rebuild(const RecordList<TReserveData> &list)
{
    bills.clear();
    byNumber.clear();
    listed.clear();
    moreNames.clear();
    moreRooms.clear();
    std::unordered_map<uint32_t, uint32_t> entryOf;
    entryOf.reserve(list.size() / 4 + 16);
    // A bill's lines mostly follow each other: its entry is kept for the run.
    uint32_t lastNo = 0, lastEntry = 0;
    bool haveLast = false;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const TReserveData &line = list[i];
        bool first = false;
        if (!haveLast || line.MeiNo != lastNo) {
            auto [it, added] = entryOf.try_emplace(line.MeiNo, 0);
            if (added)
                it->second = newEntry(line.MeiNo);
            first = added;
            lastNo = line.MeiNo;
            lastEntry = it->second;
            haveLast = true;
        }
        addLine(lastEntry, line, uint32_t(i), first);
    }
    byNumber.assign(entryOf.begin(), entryOf.end());
    std::sort(byNumber.begin(), byNumber.end());
    // Sorted now, not by the first search: the rebuild is the slow step anyway.
    ordered = false;
    order();
}

void BillIndex::append(const RecordList<TReserveData> &list, std::size_t i)
{
    const TReserveData &line = list[i];
    const auto it = std::lower_bound(byNumber.begin(), byNumber.end(), std::pair<uint32_t, uint32_t>{line.MeiNo, 0});
    if (it != byNumber.end() && it->first == line.MeiNo) {
        const BillEntry before = bills[it->second];
        addLine(it->second, line, uint32_t(i), false);
        if (bills[it->second].firstNight != before.firstNight)
            ordered = false;
        return;
    }
    const uint32_t e = newEntry(line.MeiNo);
    byNumber.insert(it, {line.MeiNo, e});
    addLine(e, line, uint32_t(i), true);
    if (ordered && listed.size() > 1 && lessListed(bills[e], bills[listed[listed.size() - 2]]))
        ordered = false;
}

void ReserveRecords::BillIndexDelete::operator()(BillIndex *p) const { delete p; }

const BillIndex &ReserveRecords::bills() const
{
    if (!billIndex)
        billIndex.reset(new BillIndex);
    if (!billsCurrent) {
        if (list.size() > std::numeric_limits<uint32_t>::max())
            throw std::length_error("reserve list too long to index");
        billIndex->rebuild(list);
        billsCurrent = true;
    }
    return *billIndex;
}

void ReserveRecords::billAdded() const
{
    if (!billsCurrent)
        return;
    if (list.size() > std::numeric_limits<uint32_t>::max()) {
        billsCurrent = false;
        return;
    }
    try {
        billIndex->append(list, list.size() - 1);
    } catch (...) {
        billsCurrent = false;
        throw;
    }
}
