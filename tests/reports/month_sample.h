#pragma once
// A month of a small inn's bills, March 2008, made the same way every time:
// about a dozen bills a day of stays, day visits, options, advances,
// discounts, deposits, coupons and card payments; a few bills with the
// bathing tax switched off; one bill whose last line has no date; bills
// settled on 1 April for the night of 31 March; bills still open.

#include "report_fixtures.h"

#include <cstdint>

struct MonthSample {
    RecordList<TReserveData> lines;
    RecordList<TUrikakeData> cards;
    TBaseData base;
};

inline MonthSample marchSample()
{
    MonthSample s;
    s.base = reportSettings(1, 1, 1);
    uint64_t seed = 20080301;
    const auto next = [&seed](int n) {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        return int((seed >> 33) % uint64_t(n));
    };
    uint32_t meiNo = 1204300000;
    char seisan[11], rsvday[11];
    for (int day = 1; day <= 31; ++day) {
        const int bills = 8 + next(8);
        for (int b = 0; b < bills; ++b) {
            ++meiNo;
            const bool dayVisit = next(10) == 0;
            const int nights = dayVisit ? 0 : 1 + next(3) / 2;
            const int outDay = day + nights;
            std::snprintf(rsvday, sizeof rsvday, "2008/03/%02d", day);
            if (outDay <= 31)
                std::snprintf(seisan, sizeof seisan, "2008/03/%02d", outDay);
            else
                std::snprintf(seisan, sizeof seisan, "2008/04/%02d", outDay - 31);
            const char *settled = next(20) == 0 ? "" : seisan; // now and then still open
            const int adults = 1 + next(4);
            const bool noBathingTax = next(25) == 0;
            int64_t total = 0;
            const auto add = [&](uint32_t kubun, int32_t tanka, int32_t suryou, const char *date) {
                s.lines.push_back(billLine(meiNo, settled, date, kubun, tanka, suryou));
                total += int64_t(tanka) * suryou;
            };
            if (dayVisit) {
                add(noBathingTax ? 1601993 : 1601801, 3000 + 500 * next(4), adults, rsvday);
                if (next(3) == 0)
                    add(1601803, 1500, 1 + next(2), rsvday);
            } else {
                for (int n = 0; n < nights; ++n) {
                    char night[11];
                    const int d = day + n;
                    if (d <= 31)
                        std::snprintf(night, sizeof night, "2008/03/%02d", d);
                    else
                        std::snprintf(night, sizeof night, "2008/04/%02d", d - 31);
                    add(noBathingTax ? 1601991 : 1601001, 9000 + 500 * next(30), adults, night);
                    if (next(4) == 0)
                        add(1601003 + uint32_t(next(6)), 5000 + 500 * next(8), 1, night);
                }
            }
            for (int o = next(4); o > 0; --o)
                add(1601101 + uint32_t(next(6)), 250 + 250 * next(12), 1 + next(3), rsvday);
            if (next(6) == 0)
                add(1106001, 10 * (1 + next(30)), 1, rsvday);
            if (next(8) == 0 && !dayVisit)
                add(1601990, int32_t(total / 10), 1, rsvday);
            if (next(6) == 0)
                add(1602001, -500 * (1 + next(6)), 1, rsvday);
            if (next(7) == 0)
                add(1105001, -1000 * (5 + next(20)), 1, rsvday);
            else if (next(7) == 0)
                add(102001, 1000 * (5 + next(10)), 1, rsvday);
            if (*settled && next(3) == 0)
                s.cards.push_back(receivable(meiNo, settled, 101001 + uint32_t(next(3)), int32_t(total * 108 / 100)));
        }
        if (day == 12) {
            // A bill whose last line lost its date: it stops counting there.
            ++meiNo;
            s.lines.push_back(billLine(meiNo, "2008/03/13", "2008/03/12", 1601001, 12000, 2));
            s.lines.push_back(billLine(meiNo, "2008/03/13", "", 1601101, 3000, 1));
            s.cards.push_back(receivable(meiNo, "2008/03/13", 101001, 25920));
        }
    }
    // Every bill carries its reservation number and guest name, as fetched bills do.
    static const char *const names[] = {"佐藤 太郎", "鈴木 花子", "高橋 一郎", "田中 美咲", "株式会社山田商事"};
    for (TReserveData &r : s.lines) {
        setFieldText(r.Regday, QStringLiteral("a%1").arg(r.MeiNo % 1000000000u, 9, 10, QLatin1Char('0')));
        setFieldText(r.Name, QString::fromUtf8(names[r.MeiNo % 5]));
    }
    return s;
}
