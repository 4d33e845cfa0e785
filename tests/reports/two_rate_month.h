#pragma once
// December 2026 at the desk: three bills, two of them with juice sold to take
// away at the reduced rate, one with a discount, so that the month holds the
// standard 10 % and the reduced 8 %.

#include "report_fixtures.h"
#include "storage/app_data.h"

// Tax added (1) or included (0); service charge and bathing tax separate.
inline AppData twoRateMonth(uint8_t taxKubun)
{
    AppData d;
    seedDefaultKamoku(d.KamokuList);
    for (THojoKamoku &e : d.KamokuList[1])
        if (itemKey(e) == 1601105) // juice
            e.Keigen = 1;
    d.BaseData = reportSettings(1, 1, taxKubun);
    d.ReserveList = lineList({
        // Bill 1, the 3rd: 16000 standard, 1050 reduced, a discount of 1000.
        billLine(1, "2026/12/03", "2026/12/02", 1601001, 8000, 2),
        billLine(1, "2026/12/03", "2026/12/02", 1601105, 350, 3),
        billLine(1, "2026/12/03", "2026/12/02", 1602005, -1000, 1),
        // Bill 2, the 3rd as well: 2500 standard, 600 reduced.
        billLine(2, "2026/12/03", "2026/12/03", 1601101, 2500, 1),
        billLine(2, "2026/12/03", "2026/12/03", 1601105, 300, 2),
        // Bill 3, the 20th: standard only.
        billLine(3, "2026/12/20", "2026/12/19", 1601001, 12000, 1),
    });
    return d;
}

// The month's figures per rate worked by hand.
//
// The discount follows the items: the reduced rate's part of bill 1 is
// -1000 x 1050 / 17050 = -61.6, cut to -61; the standard rate takes -939.
// Taxable sales: 10 %: 15061 + 2500 + 12000 = 29561; 8 %: 989 + 600 = 1589.
// Tax added, rounded up from a tenth of a yen by bill and rate:
//   10 %: 1506.1 -> 1507, 250, 1200 = 2957;  8 %: 79.12 -> 80, 48 = 128.
// Tax included, the tax held in each price, cut:
//   10 %: 1369.2 -> 1369, 227.3 -> 227, 1090.9 -> 1090 = 2686;
//   8 %: 73.2 -> 73, 44.4 -> 44 = 117.
struct RateFigures {
    int64_t standardBase, standardTax, reducedBase, reducedTax;
};
inline RateFigures twoRateFigures(uint8_t taxKubun)
{
    return taxKubun != 0 ? RateFigures{29561, 2957, 1589, 128} : RateFigures{29561, 2686, 1589, 117};
}
