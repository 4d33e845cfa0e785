#include "register/register_stays.h"

#include "storage/bill_index.h"
#include "storage/cp932.h"
#include "storage/record_date.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>

namespace {

QDate dateOfPacked(uint32_t packed)
{
    if (packed == 0)
        return QDate();
    const uint32_t key = packed >> 5;
    return QDate(int(key / 12), int(key % 12) + 1, int(packed & 31));
}

uint32_t packedOf(const QDate &d) { return uint32_t(d.year() * 12 + d.month() - 1) << 5 | uint32_t(d.day()); }

// The most guests on one night of the bill's stay lines (the lines of the
// first night's month and the next, which a stay of a few nights reaches).
int guestsOfBill(const ReserveRecords &lines, const TLodgingTax &marks, quint32 meiNo, const QDate &firstNight,
                 int nights)
{
    std::map<uint32_t, int64_t> perNight;
    const QDate last = firstNight.addDays(std::max(1, nights) - 1);
    for (QDate month(firstNight.year(), firstNight.month(), 1); month <= last; month = month.addMonths(1)) {
        for (const RecordDateIndex::Line &line : lines.lineDates().month(month.year(), month.month())) {
            const TReserveData &r = lines[line.index];
            if (r.MeiNo == meiNo && isGuestStayItem(r.Kubun, marks) && r.Suryou > 0)
                perNight[line.day | uint32_t(month.month()) << 5] += r.Suryou;
        }
    }
    int64_t most = 1;
    for (const auto &[night, guests] : perNight)
        most = std::max(most, guests);
    return int(std::min<int64_t>(most, 99));
}

RegisterStay stayOf(const ReserveRecords &lines, const TLodgingTax &marks, const BillEntry &b)
{
    const BillIndex &index = lines.bills();
    RegisterStay s;
    s.meiNo = b.MeiNo;
    s.name = index.names().text(b.name);
    s.room = index.rooms().text(b.room);
    s.firstNight = dateOfPacked(b.firstNight);
    s.nights = std::max(1, int(b.nights));
    s.guests = s.firstNight.isValid() ? guestsOfBill(lines, marks, b.MeiNo, s.firstNight, s.nights) : 1;
    return s;
}

} // namespace

bool isGuestStayItem(uint32_t kubun, const TLodgingTax &marks)
{
    return marks.bearsTax(kubun) || kubun == 1601993 || kubun == 1601994;
}

bool stayOfBill(const ReserveRecords &lines, const TLodgingTax &marks, quint32 meiNo, RegisterStay *stay)
{
    const BillIndex &index = lines.bills();
    const int64_t i = index.find(meiNo);
    if (i < 0)
        return false;
    *stay = stayOf(lines, marks, index.entries()[size_t(i)]);
    return true;
}

void countGuestsOfLines(const RecordList<TReserveData> &lines, const TLodgingTax &marks, RegisterStay *stay)
{
    std::map<std::string, int64_t> perDate;
    for (const TReserveData &r : lines)
        if (r.MeiNo == stay->meiNo && isGuestStayItem(r.Kubun, marks) && r.Suryou > 0)
            perDate[std::string(r.Rsvday, strnlen(r.Rsvday, sizeof r.Rsvday))] += r.Suryou;
    int64_t most = 1;
    for (const auto &[date, guests] : perDate)
        most = std::max(most, guests);
    stay->guests = int(std::min<int64_t>(most, 99));
}

RegisterStay registerStayOf(const ReserveRecords &lines, const TLodgingTax &marks, quint32 meiNo, const QDate &today)
{
    RegisterStay stay;
    if (!stayOfBill(lines, marks, meiNo, &stay)) {
        stay.meiNo = meiNo;
        stay.firstNight = today;
    }
    return stay;
}

std::vector<RegisterStay> staysArrivingOn(const ReserveRecords &lines, const TLodgingTax &marks, const QDate &day)
{
    std::vector<RegisterStay> stays;
    const uint32_t packed = packedOf(day);
    for (const BillEntry &b : lines.bills().entries())
        if (b.firstNight == packed && b.nights > 0) // a day-use bill is no stay
            stays.push_back(stayOf(lines, marks, b));
    std::sort(stays.begin(), stays.end(), [](const RegisterStay &a, const RegisterStay &b) { return a.meiNo < b.meiNo; });
    return stays;
}

std::vector<RegisterEntry> entriesForStay(const RegisterStay &stay, const std::vector<RegisterEntry> &made)
{
    std::vector<RegisterEntry> rows = made;
    while (int(rows.size()) < stay.guests) {
        RegisterEntry e;
        if (rows.empty())
            e.name = stay.name;
        rows.push_back(e);
    }
    for (RegisterEntry &e : rows) {
        e.meiNo = stay.meiNo;
        e.room = stay.room;
        e.firstNight = stay.firstNight;
        e.nights = stay.nights;
    }
    return rows;
}

QString StayCompleteness::summary() const
{
    if (complete())
        return QStringLiteral("済");
    QStringList parts;
    if (entered < guests)
        parts << QStringLiteral("未記入 %1名").arg(guests - entered);
    if (incomplete > 0)
        parts << QStringLiteral("不足 %1名").arg(incomplete);
    return parts.join(QStringLiteral("・"));
}

StayCompleteness stayCompleteness(const RegisterStay &stay, const std::vector<RegisterEntry> &made,
                                  const RegisterFields &fields)
{
    StayCompleteness c;
    c.entered = int(made.size());
    c.guests = std::max(stay.guests, c.entered);
    for (int i = 0; i < c.entered; ++i) {
        const QStringList problems = entryProblems(made[size_t(i)], fields);
        if (problems.isEmpty())
            continue;
        ++c.incomplete;
        c.lines << QStringLiteral("%1人目 %2: %3")
                       .arg(i + 1)
                       .arg(made[size_t(i)].name.trimmed().isEmpty() ? QStringLiteral("（氏名なし）") : made[size_t(i)].name)
                       .arg(problems.join(QStringLiteral("、")));
    }
    for (int i = c.entered; i < c.guests; ++i)
        c.lines << QStringLiteral("%1人目: 記入なし").arg(i + 1);
    return c;
}

QString checkoutWarningText(const StayCompleteness &c)
{
    return QStringLiteral("宿泊者名簿の記入が済んでいません。\n\n%1\n\n"
                          "このまま精算しますか？（「いいえ」で宿泊者名簿を開きます）")
        .arg(c.lines.join(QLatin1Char('\n')));
}
