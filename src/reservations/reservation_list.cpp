#include "reservation_list.h"

#include "storage/cp932.h"

#include <algorithm>
#include <charconv>
#include <cstring>

RecordDate recordDate(const QDate &date)
{
    RecordDate d{};
    const QByteArray text = date.toString(QStringLiteral("yyyy/MM/dd")).toLatin1();
    std::memcpy(d.data(), text.constData(), std::min<size_t>(d.size(), size_t(text.size())));
    return d;
}

QString listDateLabel(const QDate &date)
{
    static const QString weekdays = QStringLiteral("月火水木金土日");
    if (!date.isValid())
        return {};
    return date.toString(QStringLiteral("yyyy年MM月dd日")) + QLatin1Char('(') + weekdays.at(date.dayOfWeek() - 1)
        + QLatin1Char(')');
}

namespace {

// Bill number as the grid shows it, NUL-padded, so that comparing keys
// compares the texts byte by byte (a shorter text before a longer one with it
// as prefix).
using MeiNoKey = std::array<char, 11>;
inline MeiNoKey meiNoKey(uint32_t n)
{
    MeiNoKey k{};
    std::to_chars(k.data(), k.data() + k.size(), n);
    return k;
}

} // namespace

void collectDayRows(const ReserveRecords &list, const QDate &day, std::vector<size_t> &rows)
{
    rows.clear();
    const TReserveData *records = list.data();
    const uint32_t dayOfMonth = uint32_t(day.day());
    for (const RecordDateIndex::Line &line : list.lineDates().month(day.year(), day.month())) {
        if (line.day != dayOfMonth)
            continue;
        const size_t i = line.index;
        // A further line of a bill and room already listed for the day,
        // wherever its lines stand (a discount or total saved after a later
        // night's line is still the same bill).
        const TReserveData &r = records[i];
        bool listed = false;
        for (size_t k = rows.size(); k-- > 0 && !listed;) {
            const TReserveData &other = records[rows[k]];
            listed = other.MeiNo == r.MeiNo && std::strncmp(other.Room, r.Room, sizeof r.Room) == 0;
        }
        if (!listed)
            rows.push_back(i);
    }
    auto before = [records](size_t a, size_t b) {
        return records[a].MeiNo != records[b].MeiNo && meiNoKey(records[a].MeiNo) < meiNoKey(records[b].MeiNo);
    };
    // Bills are appended under rising numbers, so the rows are usually in order already.
    if (!std::is_sorted(rows.begin(), rows.end(), before))
        std::stable_sort(rows.begin(), rows.end(), before);
}

int nightOfStay(const ReserveRecords &list, size_t row, const QDate &day)
{
    const TReserveData &r = list[row];
    // The bill's earliest line in the room within the stay's nights before
    // the day: its night number, counted on by the days since.
    QDate earliest = day;
    int night = r.Stayx;
    const QDate from = day.addDays(-std::max(0, int(r.Stay) - 1));
    for (QDate month(from.year(), from.month(), 1); month <= day; month = month.addMonths(1)) {
        for (const RecordDateIndex::Line &line : list.lineDates().month(month.year(), month.month())) {
            const TReserveData &other = list[line.index];
            if (other.MeiNo != r.MeiNo || std::strncmp(other.Room, r.Room, sizeof r.Room) != 0)
                continue;
            const QDate d(month.year(), month.month(), int(line.day));
            if (d < earliest && d >= from) {
                earliest = d;
                night = other.Stayx;
            }
        }
    }
    return night + int(earliest.daysTo(day));
}

QStringList rsvListCells(const TReserveData &r, int night)
{
    QStringList cells;
    cells.reserve(RsvListColumns);
    cells << fieldText(r.Seisan) << QString::number(r.MeiNo) << fieldText(r.Regday) << fieldText(r.Name)
          << fieldText(r.Plan) << fieldText(r.Room) << QString::number(r.Stay) << QString::number(night < 0 ? int(r.Stayx) : night)
          << QString::number(int64_t(r.Tanka) * int64_t(r.Suryou));
    return cells;
}

QByteArray nextHandMadeNumber(const ReserveRecords &list)
{
    // Above the list's length and above every hand-made number in it: after a
    // deletion the length falls back, but no number is handed out twice.
    unsigned long long next = list.size();
    for (const TReserveData &r : list) {
        if (r.Regday[0] != 'a')
            continue;
        unsigned long long n = 0;
        int digits = 0;
        for (std::size_t i = 1; i < sizeof r.Regday && r.Regday[i] >= '0' && r.Regday[i] <= '9'; ++i, ++digits)
            n = n * 10 + unsigned(r.Regday[i] - '0');
        if (digits == 9 && r.Regday[10] == 0)
            next = std::max(next, n + 1);
    }
    char regday[sizeof(TReserveData::Regday) + 8];
    std::snprintf(regday, sizeof regday, "%c%09llu", 'a', next % 1000000000ull);
    return QByteArray(regday);
}

uint32_t createBill(AppData &data, const QDate &day)
{
    TReserveData r{};
    r.MeiNo = data.NextMeiNo;
    setFieldBytes(r.Regday, nextHandMadeNumber(data.ReserveList));
    const RecordDate d = recordDate(day);
    std::memcpy(r.Rsvday, d.data(), d.size());
    r.Stay = 1;
    r.Stayx = 1;
    r.Kubun = 1601001;
    data.ReserveList.push_back(r);
    return data.NextMeiNo++;
}

QString storeBillLists(const AppData &data, const TLibrary &lib)
{
    QString error;
    switch (writeBillFiles(data, data.ReserveList, data.UrikakeList, lib, &error)) {
    case CommitResult::Unchanged:
        return error + QStringLiteral("\n新しい請求明細は一覧に残っています。次に明細を保存するときに書き込みます。");
    case CommitResult::Done:
    case CommitResult::DoneUnconfirmed:
    case CommitResult::Pending:
        break;
    }
    return error;
}

uint32_t splitRoom(AppData &data, uint32_t billNo, const QByteArray &room)
{
    const uint32_t newNo = data.NextMeiNo;
    bool any = false;
    for (TReserveData &r : data.ReserveList.edit()) {
        if (r.MeiNo == billNo && fieldBytes(r.Room) == room) {
            r.MeiNo = newNo;
            any = true;
        }
    }
    if (!any)
        return 0;
    ++data.NextMeiNo;
    return newNo;
}

DeleteResult deleteBill(AppData &data, const TLibrary &lib, uint32_t billNo)
{
    RecordList<TReserveData> reserve;
    reserve.reserve(data.ReserveList.size());
    for (const TReserveData &r : data.ReserveList)
        if (r.MeiNo != billNo)
            reserve.push_back(r);
    RecordList<TUrikakeData> urikake = data.UrikakeList;
    const auto receivable = std::find_if(urikake.begin(), urikake.end(),
                                         [billNo](const TUrikakeData &u) { return u.MeiNo == billNo; });
    if (receivable != urikake.end())
        urikake.erase(receivable);

    QString error;
    const std::vector<uint32_t> deleted{billNo};
    switch (writeBillFiles(data, reserve, urikake, lib, &error, {}, &deleted)) {
    case CommitResult::Unchanged:
        return {false, error};
    case CommitResult::Done:
    case CommitResult::DoneUnconfirmed:
    case CommitResult::Pending:
        break;
    }
    data.ReserveList.swap(reserve);
    data.UrikakeList.swap(urikake);
    return {true, error};
}

QString deleteBillQuestion(uint32_t billNo, const QString &name, const QString &room)
{
    const QString number = QString::number(billNo);
    if (!name.trimmed().isEmpty())
        return QStringLiteral("%1 %2様の伝票データを削除します").arg(number, name.trimmed());
    if (!room.trimmed().isEmpty())
        return QStringLiteral("請求番号%1（部屋 %2）の伝票データを削除します").arg(number, room.trimmed());
    return QStringLiteral("請求番号%1の伝票データを削除します").arg(number);
}
