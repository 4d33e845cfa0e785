// The revenue stamp of a receipt: the value by the amount counted, and the
// amount counted from the bill (the stated consumption tax and the part paid
// by card left out).

#include "billing/revenue_stamp.h"

#include <gtest/gtest.h>

namespace {

TEST(RevenueStamp, ValueByAmount)
{
    const struct {
        int64_t counted, value;
    } cases[] = {
        {0, 0},           {49'999, 0},           {50'000, 200},         {1'000'000, 200},
        {1'000'001, 400}, {2'000'000, 400},      {2'000'001, 600},      {3'000'001, 1'000},
        {5'000'001, 2'000}, {10'000'001, 4'000}, {20'000'001, 6'000},   {30'000'001, 10'000},
        {50'000'001, 20'000}, {100'000'001, 40'000}, {200'000'001, 60'000}, {300'000'001, 100'000},
        {500'000'001, 150'000}, {1'000'000'000, 150'000}, {1'000'000'001, 200'000},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.counted);
        EXPECT_EQ(revenueStampValue(c.counted), c.value);
    }
}

TEST(RevenueStamp, AmountCountedFromTheBill)
{
    const struct {
        const char *name;
        const char *received, *tax, *card, *cardAmount;
        bool taxStated;
        int64_t counted, value;
        bool taxLeftOut, cardLeftOut;
    } cases[] = {
        {"cash, tax stated and taken out", "55000", "5000", "", "", true, 50'000, 200, true, false},
        {"cash, under the line once the tax is out", "54999", "5000", "", "", true, 49'999, 0, true, false},
        {"cash, tax not stated: the whole amount", "54999", "5000", "", "", false, 54'999, 200, false, false},
        {"cash, no tax on the bill", "50000", "", "", "", true, 50'000, 200, false, false},
        {"wholly by card", "80000", "7272", "VISA", "80000", true, 0, 0, false, true},
        {"part by card: the rest, tax and all", "80000", "7272", "VISA", "20000", true, 60'000, 200, false, true},
        {"card named, nothing paid by it", "55000", "5000", "VISA", "", true, 50'000, 200, true, false},
        {"amount paid back", "-60000", "", "", "", true, 0, 0, false, false},
        {"nothing billed", "", "", "", "", true, 0, 0, false, false},
        {"large stay", "1210000", "110000", "", "", true, 1'100'000, 400, true, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TBillState bill;
        bill.SaNumEdit[RowBalance] = QString::fromLatin1(c.received);
        bill.SaNumEdit[RowTax] = QString::fromLatin1(c.tax);
        bill.SiharaiCombo.EditText = QString::fromLatin1(c.card);
        bill.SaNumEdit[8] = QString::fromLatin1(c.cardAmount);
        const TRevenueStamp s = receiptRevenueStamp(bill, c.taxStated);
        EXPECT_EQ(s.counted, c.counted);
        EXPECT_EQ(s.value, c.value);
        EXPECT_EQ(s.needed(), c.value > 0);
        EXPECT_EQ(s.taxLeftOut, c.taxLeftOut);
        EXPECT_EQ(s.cardLeftOut, c.cardLeftOut);
    }
}

TEST(RevenueStamp, ReminderNamesTheValueAndWhatWasCounted)
{
    TRevenueStamp tax;
    tax.counted = 1'100'000;
    tax.value = 400;
    tax.taxLeftOut = true;
    const QString t = revenueStampReminder(tax);
    EXPECT_TRUE(t.contains(QStringLiteral("収入印紙 400円"))) << t.toStdString();
    EXPECT_TRUE(t.contains(QStringLiteral("1,100,000円（消費税を除く）"))) << t.toStdString();
    EXPECT_TRUE(t.contains(QStringLiteral("「収入印紙」の枠"))) << t.toStdString();
    TRevenueStamp card;
    card.counted = 60'000;
    card.value = 200;
    card.cardLeftOut = true;
    EXPECT_TRUE(revenueStampReminder(card).contains(QStringLiteral("60,000円（カード払いの分を除く）")));
}

} // namespace
