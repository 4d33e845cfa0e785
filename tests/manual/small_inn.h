#pragma once
// A small inn of a few December 2026 days: its settings, the default items
// and five bills around 2026/12/10, written to a folder as the program writes
// them. The manual's pictures and the small-screen checks are made from it.

#include "storage/app_data.h"
#include "storage/clock.h"
#include "storage/cp932.h"
#include "storage/library.h"

#include <QDateTime>
#include <QString>
#include <QtTest>
#include <vector>

namespace small_inn {

inline const QDateTime Now(QDate(2026, 12, 10), QTime(18, 0));

// One bill as a clerk would have it: the guest, the plan, the room and its
// lines, each (date, night, item key, text, price, quantity).
struct Line {
    const char *date;
    uint8_t night;
    uint32_t key;
    const char *text;
    int32_t price, quantity;
};
struct Bill {
    QDateTime made;
    const char *reservation, *name, *plan, *room, *settled;
    uint8_t nights, receipt;
    std::vector<Line> lines;
};

// A small inn of the manual's pictures: its settings, the default items and
// five bills around 2026/12/10, written to folder as the program writes them.
inline void writeInn(const QString &folder)
{
    AppData data;
    TLibrary lib;
    QVERIFY(loadAppData(data, lib, folder, Now).isEmpty());
    TBaseData &b = data.BaseData;
    setFieldText(b.SisetuName, QStringLiteral("旅館 さくら"));
    setFieldText(b.ZipCode, QStringLiteral("999-0001"));
    setFieldText(b.Jusyo, QStringLiteral("桜ヶ丘町温泉1-2-3"));
    setFieldText(b.TelNo, QStringLiteral("0999-12-3456"));
    setFieldText(b.Daihyou, QStringLiteral("桜井 一郎"));
    setFieldText(b.Tadashi, QStringLiteral("ご宿泊代として"));
    b.Service = 10;
    seedDefaultKamoku(data.KamokuList);

    const Bill bills[] = {
        {QDateTime(QDate(2026, 12, 1), QTime(10, 12)), "a000000011", "田中　誠", "1泊2食付 スタンダードプラン",
         "203号室", "2026/12/09", 1, 1,
         {{"2026/12/08", 1, 1601001, "大人宿泊料金", 15000, 3}, {"2026/12/08", 1, 1601102, "ビール", 800, 4}}},
        {QDateTime(QDate(2026, 12, 3), QTime(9, 40)), "a000000012", "鈴木　一郎", "ビジネスプラン（朝食付）",
         "105号室", "2026/12/10", 1, 1,
         {{"2026/12/09", 1, 1601001, "大人宿泊料金", 9800, 1}, {"2026/12/09", 1, 1601103, "日本酒(1合)", 800, 2}}},
        {QDateTime(QDate(2026, 12, 4), QTime(14, 5)), "a000000013", "山田　太郎", "1泊2食付 スタンダードプラン",
         "201号室", "", 2, 1,
         {{"2026/12/10", 1, 1601001, "大人宿泊料金", 16500, 2},
          {"2026/12/10", 1, 1601102, "ビール", 800, 3},
          {"2026/12/11", 2, 1601001, "大人宿泊料金", 16500, 2}}},
        {QDateTime(QDate(2026, 12, 6), QTime(11, 30)), "a000000014", "SMITH JOHN", "1泊朝食付プラン", "302号室",
         "", 1, 2, {{"2026/12/10", 1, 1601001, "大人宿泊料金", 12000, 2}}},
        {QDateTime(QDate(2026, 12, 8), QTime(16, 20)), "a000000015", "佐藤　花子", "日帰り 昼食付プラン",
         "離れ 月見", "2026/12/10", 0, 1,
         {{"2026/12/10", 0, 1601801, "大人日帰り利用料金", 5500, 2},
          {"2026/12/10", 0, 1601803, "子供日帰り利用料金", 2750, 1}}},
    };
    RecordList<TReserveData> lines;
    for (const Bill &bill : bills)
        for (const Line &l : bill.lines) {
            TReserveData r{};
            r.MeiNo = meiNoFromClock(bill.made);
            setFieldText(r.Seisan, QString::fromUtf8(bill.settled));
            setFieldText(r.Regday, QString::fromUtf8(bill.reservation));
            setFieldText(r.Rsvday, QString::fromUtf8(l.date));
            setFieldText(r.Name, QString::fromUtf8(bill.name));
            setFieldText(r.Plan, QString::fromUtf8(bill.plan));
            setFieldText(r.Room, QString::fromUtf8(bill.room));
            r.Stay = bill.nights;
            r.Stayx = l.night;
            r.Decide = bill.receipt;
            r.Kubun = l.key;
            setFieldText(r.Kamoku, QString::fromUtf8(l.text));
            r.Tanka = l.price;
            r.Suryou = l.quantity;
            lines.push_back(r);
        }
    data.ReserveList = ReserveRecords(std::move(lines));
    QString error;
    QVERIFY2(saveBaseData(data, lib, &error), qPrintable(error));
    QVERIFY2(saveKamokuLists(data, lib, &error), qPrintable(error));
    QVERIFY2(saveBillLists(data, lib, &error), qPrintable(error));
}

} // namespace small_inn
