#include "revenue_stamp.h"

#include "billing/bill_computation.h"

#include <QLocale>
#include <algorithm>

int64_t revenueStampValue(int64_t counted)
{
    static const struct {
        int64_t upTo, value;
    } steps[] = {
        {49'999, 0},
        {1'000'000, 200},
        {2'000'000, 400},
        {3'000'000, 600},
        {5'000'000, 1'000},
        {10'000'000, 2'000},
        {20'000'000, 4'000},
        {30'000'000, 6'000},
        {50'000'000, 10'000},
        {100'000'000, 20'000},
        {200'000'000, 40'000},
        {300'000'000, 60'000},
        {500'000'000, 100'000},
        {1'000'000'000, 150'000},
    };
    for (const auto &s : steps)
        if (counted <= s.upTo)
            return s.value;
    return 200'000;
}

TRevenueStamp receiptRevenueStamp(const TBillState &bill, bool taxStated)
{
    TRevenueStamp s;
    int64_t received = 0;
    if (!readAmount(bill.SaNumEdit[RowBalance].trimmed(), &received) || received <= 0)
        return s;
    int64_t card = 0;
    if (!bill.cardKind().trimmed().isEmpty() && readAmount(bill.SaNumEdit[8].trimmed(), &card) && card > 0) {
        s.cardLeftOut = true;
        s.counted = std::max<int64_t>(0, received - card);
    } else {
        int64_t tax = 0;
        if (taxStated && readAmount(bill.SaNumEdit[RowTax].trimmed(), &tax) && tax > 0) {
            s.taxLeftOut = true;
            received -= tax;
        }
        s.counted = std::max<int64_t>(0, received);
    }
    s.value = revenueStampValue(s.counted);
    return s;
}

QString revenueStampReminder(const TRevenueStamp &stamp)
{
    const QLocale c(QLocale::English); // 54,000: grouped by thousands
    QString basis = QStringLiteral("印紙税の対象の金額: %1円").arg(c.toString(qlonglong(stamp.counted)));
    if (stamp.taxLeftOut)
        basis += QStringLiteral("（消費税を除く）");
    else if (stamp.cardLeftOut)
        basis += QStringLiteral("（カード払いの分を除く）");
    return QStringLiteral("この領収書には収入印紙 %1円 が必要です。\n%2\n"
                          "印刷した領収書の「収入印紙」の枠に印紙を貼り、消印をしてください。")
        .arg(c.toString(qlonglong(stamp.value)), basis);
}
