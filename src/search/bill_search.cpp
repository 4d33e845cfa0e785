#include "search/bill_search.h"

#include "reports/month_export.h"
#include "register/guest_register.h"
#include "reports/receivables.h"
#include "storage/cp932.h"
#include "storage/name_key.h"
#include "storage/safe_file.h"

#include <QRegularExpression>
#include <algorithm>

namespace {

// Entries any of whose further texts (names, rooms) are wanted.
std::vector<bool> othersWanted(const std::vector<std::pair<uint32_t, uint32_t>> &others,
                               const std::vector<bool> &wanted, std::size_t entries)
{
    std::vector<bool> out;
    for (const auto &[entry, id] : others)
        if (wanted[id]) {
            out.resize(entries);
            out[entry] = true;
        }
    return out;
}

bool marked(const std::vector<bool> &v, uint32_t i) { return i < v.size() && v[i]; }

} // namespace

ReceiptCounts::ReceiptCounts(const ReceiptIssues &issues)
{
    std::vector<uint32_t> bills;
    bills.reserve(issues.all().size());
    for (const TReceiptIssueData &d : issues.all())
        bills.push_back(d.MeiNo);
    std::sort(bills.begin(), bills.end());
    for (const uint32_t no : bills) {
        if (counts.empty() || counts.back().first != no)
            counts.emplace_back(no, 0);
        ++counts.back().second;
    }
}

int ReceiptCounts::of(uint32_t meiNo) const
{
    const auto it = std::lower_bound(counts.begin(), counts.end(), std::pair<uint32_t, int>{meiNo, 0});
    return it != counts.end() && it->first == meiNo ? it->second : 0;
}

std::vector<uint32_t> registerMatches(const GuestRegister &reg, const QString &text)
{
    std::vector<uint32_t> bills;
    const QString key = nameKey(text);
    QString passport = normalizedPassportNumber(text);
    // A passport number has a digit: a name is not taken for one.
    if (passport.size() < 4 || !std::any_of(passport.begin(), passport.end(), [](QChar c) { return c.isDigit(); }))
        passport.clear();
    if (key.isEmpty() && passport.isEmpty())
        return bills;
    for (const RegisterEntry &e : reg.entries()) {
        if (e.meiNo == 0)
            continue;
        const bool byName = !key.isEmpty() && (nameKey(e.name).contains(key) || nameKey(e.reading).contains(key));
        if (byName || (!passport.isEmpty() && e.passportNo.contains(passport)))
            bills.push_back(e.meiNo);
    }
    std::sort(bills.begin(), bills.end());
    bills.erase(std::unique(bills.begin(), bills.end()), bills.end());
    return bills;
}

uint32_t packedDate(const QDate &date)
{
    if (!date.isValid() || date.year() < 1 || date.year() > 9999)
        return 0;
    return uint32_t(date.year() * 12 + date.month() - 1) << 5 | uint32_t(date.day());
}

QString packedDateText(uint32_t packed)
{
    if (packed == 0)
        return {};
    const int key = int(packed >> 5);
    return QStringLiteral("%1/%2/%3")
        .arg(key / 12, 4, 10, QLatin1Char('0'))
        .arg(key % 12 + 1, 2, 10, QLatin1Char('0'))
        .arg(int(packed & 31), 2, 10, QLatin1Char('0'));
}

std::vector<BillEntry> findBills(const AppData &data, const BillQuery &q, const ReceiptCounts &receipts)
{
    const BillIndex &index = data.ReserveList.bills();
    const std::vector<BillEntry> &bills = index.entries();

    const QString nameText = nameKey(q.text);
    std::vector<bool> names, moreNames;
    if (!nameText.isEmpty()) {
        names.resize(index.names().size());
        index.names().containing(nameText, names);
        moreNames = othersWanted(index.otherNames(), names, bills.size());
    }
    const QString roomText = nameKey(q.room);
    std::vector<bool> rooms, moreRooms;
    if (!roomText.isEmpty()) {
        rooms.resize(index.rooms().size());
        index.rooms().containing(roomText, rooms);
        moreRooms = othersWanted(index.otherRooms(), rooms, bills.size());
    }
    std::vector<uint32_t> carded;
    if (q.card != 0) {
        for (const TUrikakeData &u : data.UrikakeList)
            if (u.Card == q.card)
                carded.push_back(u.MeiNo);
        std::sort(carded.begin(), carded.end());
    }
    const uint32_t stayFrom = packedDate(q.stayFrom), stayTo = packedDate(q.stayTo);
    const uint32_t settledFrom = packedDate(q.settledFrom), settledTo = packedDate(q.settledTo);
    const bool stayRange = stayFrom || stayTo, settledRange = settledFrom || settledTo;

    std::vector<BillEntry> found;
    for (const uint32_t e : index.order()) {
        const BillEntry &b = bills[e];
        if (q.meiNo && b.MeiNo != q.meiNo)
            continue;
        if (!names.empty() && !names[b.name] && !marked(moreNames, e)
            && !std::binary_search(q.registerBills.begin(), q.registerBills.end(), b.MeiNo))
            continue;
        if (!rooms.empty() && !rooms[b.room] && !marked(moreRooms, e))
            continue;
        if (stayRange && (b.firstNight == 0 || (stayTo && b.firstNight > stayTo) || (stayFrom && b.lastNight < stayFrom)))
            continue;
        if (settledRange && (b.settled == 0 || (settledTo && b.settled > settledTo) || (settledFrom && b.settled < settledFrom)))
            continue;
        if ((q.settled == SettledFilter::Open && b.settled != 0) || (q.settled == SettledFilter::Settled && b.settled == 0))
            continue;
        if ((q.minTotal && b.total < *q.minTotal) || (q.maxTotal && b.total > *q.maxTotal))
            continue;
        if (q.card && !std::binary_search(carded.begin(), carded.end(), b.MeiNo))
            continue;
        if (q.receipts != ReceiptFilter::Any && (receipts.of(b.MeiNo) > 0) != (q.receipts == ReceiptFilter::Issued))
            continue;
        found.push_back(b);
    }
    return found;
}

QStringList billSearchHeadings()
{
    return {QStringLiteral("請求番号"), QStringLiteral("初日"), QStringLiteral("泊数"), QStringLiteral("名前"),
            QStringLiteral("プラン名"), QStringLiteral("部屋"), QStringLiteral("合計"), QStringLiteral("清算日"), QStringLiteral("領収書")};
}

QStringList billSearchCells(const BillIndex &index, const BillEntry &b, const ReceiptCounts &receipts)
{
    return {QString::number(b.MeiNo),
            packedDateText(b.firstNight),
            QString::number(b.nights),
            index.names().text(b.name),
            index.plans().text(b.plan),
            index.rooms().text(b.room),
            QString::number(b.total),
            packedDateText(b.settled),
            QString::number(receipts.of(b.MeiNo))};
}

MonthGrid billSearchGrid(const BillIndex &index, const std::vector<BillEntry> &bills, const ReceiptCounts &receipts)
{
    MonthGrid grid;
    grid.headings = billSearchHeadings();
    grid.rows.reserve(bills.size());
    for (const BillEntry &b : bills)
        grid.rows.push_back(billSearchCells(index, b, receipts));
    return grid;
}

QByteArray billSearchCsv(const BillIndex &index, const std::vector<BillEntry> &bills, const ReceiptCounts &receipts)
{
    return monthGridCsv(billSearchGrid(index, bills, receipts));
}

std::vector<std::pair<uint32_t, QString>> cardCompanies(const AppData &data)
{
    std::vector<std::pair<uint32_t, QString>> out;
    for (const THojoKamoku &k : data.KamokuList[CardCompanyCategory]) {
        const QString name = fieldText(k.Tekiyo);
        if (!name.isEmpty())
            out.emplace_back(101000 + k.HojoCode, name);
    }
    return out;
}

std::vector<BillEntry> guestBills(const AppData &data, const QString &name, uint32_t exceptMeiNo, uint32_t before)
{
    std::vector<BillEntry> out;
    const QString key = nameKey(name);
    if (key.isEmpty())
        return out;
    const BillIndex &index = data.ReserveList.bills();
    const BillIndex::Texts &names = index.names();
    std::vector<bool> same(names.size());
    bool any = false;
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names.key(uint32_t(i)) == key)
            any = same[i] = true;
    if (!any)
        return out;
    const std::vector<bool> more = othersWanted(index.otherNames(), same, index.entries().size());
    for (const uint32_t e : index.order()) {
        const BillEntry &b = index.entries()[e];
        if (before && (b.firstNight == 0 || b.firstNight >= before))
            continue;
        if (b.MeiNo != exceptMeiNo && (same[b.name] || marked(more, e)))
            out.push_back(b);
    }
    return out;
}

QString guestHistoryText(const BillIndex &index, const std::vector<BillEntry> &bills)
{
    if (bills.empty())
        return {};
    const BillEntry &last = bills.back();
    QString text = QStringLiteral("過去のご利用 %1回").arg(bills.size());
    if (last.firstNight)
        text += QStringLiteral(" 最終 ") + packedDateText(last.firstNight);
    if (const QString room = index.rooms().text(last.room); !room.isEmpty())
        text += QLatin1Char(' ') + room;
    return text;
}

bool isFindCommand(const QStringList &args)
{
    return !args.isEmpty() && (args[0] == QLatin1String("--find") || args[0].startsWith(QLatin1String("--find=")));
}

namespace {

// 2026-08-10 or 2026/08/10.
QDate commandDate(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{4})[-/](\\d{2})[-/](\\d{2})$"));
    const QRegularExpressionMatch m = pattern.match(text);
    return m.hasMatch() ? QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt()) : QDate();
}

} // namespace

int runFind(const QStringList &args, const QString &exePath, QByteArray *output, QString *message)
{
    const QString usage = QStringLiteral("使い方: norvel --find 文字 [--from YYYY-MM-DD --to YYYY-MM-DD] [--out ファイル]");
    BillQuery query;
    QString out;
    bool haveOut = false, haveText = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        const auto is = [&](const char *name) {
            return arg == QLatin1String(name) || arg.startsWith(QLatin1String(name) + QLatin1Char('='));
        };
        QString value;
        const auto take = [&](const char *name) {
            const QString n = QLatin1String(name);
            if (arg.startsWith(n + QLatin1Char('='))) {
                value = arg.mid(n.size() + 1);
                return true;
            }
            if (i + 1 >= args.size())
                return false;
            value = args[++i];
            return true;
        };
        QString *target = nullptr;
        if (is("--find")) {
            target = &query.text;
            haveText = true;
        } else if (is("--out")) {
            target = &out;
            haveOut = true;
        } else if (!is("--from") && !is("--to")) {
            *message = QStringLiteral("知らない引数「%1」です。%2").arg(arg, usage);
            return ExportUsage;
        }
        const QString option = arg.section(QLatin1Char('='), 0, 0);
        if (!take(option.toLatin1().constData())) {
            *message = QStringLiteral("%1 の値がありません。%2").arg(arg, usage);
            return ExportUsage;
        }
        if (target) {
            *target = value;
            continue;
        }
        const QDate d = commandDate(value);
        if (!d.isValid()) {
            *message = QStringLiteral("日付「%1」の書き方が正しくありません。2026-08-10 のように YYYY-MM-DD で指定してください").arg(value);
            return ExportUsage;
        }
        (option == QLatin1String("--from") ? query.stayFrom : query.stayTo) = d;
    }
    if (!haveText) {
        *message = usage;
        return ExportUsage;
    }
    if (haveOut && out.isEmpty()) {
        *message = QStringLiteral("--out のファイル名が空です。%1").arg(usage);
        return ExportUsage;
    }
    if (query.stayFrom.isValid() && query.stayTo.isValid() && query.stayFrom > query.stayTo) {
        *message = QStringLiteral("--from の日付が --to の日付より後です");
        return ExportUsage;
    }

    auto data = std::make_unique<AppData>();
    QString error;
    ReceiptIssues issues;
    if (!readReportData(*data, exePath, &error) || !issues.load(*data, &error)) {
        *message = error.simplified();
        return ExportDataError;
    }
    const ReceiptCounts receipts(issues);
    const QByteArray csv = billSearchCsv(data->ReserveList.bills(), findBills(*data, query, receipts), receipts);
    if (!haveOut) {
        *output = csv;
        return ExportOk;
    }
    if (!writeFileAtomically(out, csv.constData(), std::size_t(csv.size()), &error)) {
        *message = error.simplified();
        return ExportWriteError;
    }
    return ExportOk;
}
