#pragma once
// A small bill and facility for the document tests and the print demo.

#include "billing/bill_computation.h"
#include "billing/bill_state.h"
#include "storage/app_data.h"
#include "storage/cp932.h"
#include "storage/records.h"

#include <QString>
#include <cstring>
#include <vector>

namespace sample {

inline TReserveData line(const char *date, uint32_t key, const QString &text, int32_t tanka, int32_t suryou)
{
    TReserveData r;
    std::memset(&r, 0, sizeof r);
    r.MeiNo = 1186628400;
    setFieldText(r.Rsvday, QString::fromLatin1(date));
    r.Kubun = key;
    setFieldText(r.Kamoku, text);
    r.Tanka = tanka;
    r.Suryou = suryou;
    return r;
}

inline TReserveData emptyLine()
{
    return line("", 0, QString(), 0, 0);
}

// Pads the lines with empty lines up to a whole number of pages (at least pages).
inline void padTo(TBillState &bill, int pages)
{
    while (bill.Lines.size() < std::size_t(pages) * BillPageLines || bill.Lines.size() % BillPageLines)
        bill.Lines.push_back(emptyLine());
}

inline TBaseData facility()
{
    TBaseData base;
    std::memset(&base, 0, sizeof base);
    setDefaultBaseData(base);
    setFieldText(base.SisetuName, QStringLiteral("湯けむりの宿\r\n山水館\r\n"));
    setFieldText(base.ZipCode, QStringLiteral("419-0101"));
    setFieldText(base.Jusyo, QStringLiteral("静岡県田方郡函南町桑原1234-5"));
    setFieldText(base.TelNo, QStringLiteral("055-978-0000"));
    setFieldText(base.FaxNo, QStringLiteral("055-978-0001"));
    setFieldText(base.URL, QStringLiteral("https://sansuikan.example.jp/"));
    setFieldText(base.EMail, QStringLiteral("info@sansuikan.example.jp"));
    base.Service = 10;
    base.ServiceKubun = 0;
    return base;
}

// Five described lines on page 1 of a two-night stay, page 2 empty; totals
// computed as the bill window computes them.
inline TBillState bill(uint8_t lang = 0)
{
    TBillState b;
    const bool en = lang != 0;
    b.MeiNoEdit = QStringLiteral("1186628400");
    b.NameEdit = en ? QStringLiteral("John Smith") : QStringLiteral("山田 太郎");
    b.KeisyouCombo.Items = {QStringList{QStringLiteral("様"), QStringLiteral("御中"), QStringLiteral("殿")},
                            QStringList{QStringLiteral("Mr."), QStringLiteral("Mrs."), QStringLiteral("Miss."),
                                        QStringLiteral("Messrs.")}};
    b.KeisyouCombo.ItemIndex = 0;
    b.PlanEdit = en ? QStringLiteral("Autumn Kaiseki Plan") : QStringLiteral("秋の会席プラン");
    b.RoomEdit = en ? QStringLiteral("Matsu") : QStringLiteral("松の間");
    b.StayEdit = QStringLiteral("2");
    b.StayLabel = QStringLiteral("2007年08月09日(木)から");
    b.SeisanDay = QStringLiteral("2007/08/10");
    b.DecideEdit = QStringLiteral("0");
    b.LangFlag = lang;
    b.Lines = {
        line("2007/08/09", 1601001, en ? QStringLiteral("Adult") : QStringLiteral("大人"), 12000, 2),
        line("2007/08/09", 1601102, en ? QStringLiteral("Beer") : QStringLiteral("ビール"), 600, 3),
        line("2007/08/10", 1601001, en ? QStringLiteral("Adult") : QStringLiteral("大人"), 12000, 2),
        line("2007/08/10", 1601103, en ? QStringLiteral("Sake") : QStringLiteral("日本酒"), 800, 1),
        line("2007/08/10", 1106001, en ? QStringLiteral("Taxi fare") : QStringLiteral("タクシー代(立替金)"), 2000, 1),
    };
    padTo(b, 2);
    b.NebikiCombo.Items = {QStringList{BillPlaceholder}, QStringList{BillPlaceholder}};
    b.NebikiCombo.ItemIndex = 0;
    b.CouponCombo.Items = {QStringList{BillPlaceholder}, QStringList{BillPlaceholder}};
    b.CouponCombo.ItemIndex = 0;
    b.SiharaiCombo.EditText = QStringLiteral("VISA");
    b.SaNumEdit[8] = QStringLiteral("5000");
    b.CheckBox1 = true;
    b.CheckBox2 = true;
    const TBaseData base = facility();
    CalcTotals(b, base);
    return b;
}

// Everything at its longest: a 63-byte name, a three-line receipt message, a
// 15-character telephone number, long plan and room, descriptions that wrap
// and the bathing tax in the totals.
inline TBaseData edgeFacility()
{
    TBaseData base = facility();
    setFieldText(base.TelNo, QStringLiteral("0120-123-456-78"));
    setFieldText(base.FaxNo, QStringLiteral("0120-123-456-79"));
    setFieldText(base.CommentR, QStringLiteral("下記金額を領収いたしました\r\nまたのお越しを心よりお待ち申し上げます\r\n"
                                               "お忘れ物のないようお気をつけてお帰りください\r\n"));
    setFieldText(base.CommentS, QStringLiteral("下記金額をご請求申し上げます\r\nお支払いはフロントにてお願いいたします\r\n"
                                               "ご不明な点は係までお申し付けください\r\n"));
    setFieldText(base.Tadashi, QStringLiteral("ご宿泊代金及びご飲食代として"));
    setFieldText(base.URL, QStringLiteral("https://www.yukemuri-sansuikan-ryokan.example.co.jp/index.html"));
    return base;
}

inline TBillState edgeBill(uint8_t lang = 0)
{
    TBillState b = bill(lang);
    const bool en = lang != 0;
    b.NameEdit = en ? QStringLiteral("Maximilian Alexander Fitzgerald-Montgomery the Third of Wessex")
                    : QStringLiteral("寿限無寿限無五劫の擦り切れ海砂利水魚の水行末雲来末風来末食う寝");
    b.PlanEdit = en ? QStringLiteral("Autumn Kaiseki Dinner and Breakfast Plan with Private Bath")
                    : QStringLiteral("秋の味覚満喫会席料理と貸切露天風呂付き特別宿泊プラン朝夕食付");
    b.RoomEdit = en ? QStringLiteral("Annex Matsu-no-ma Suite") : QStringLiteral("離れ特別室松の間");
    b.Lines[1] = line("2007/08/09", 1601101,
                      en ? QStringLiteral("Special kaiseki course with local seasonal dishes and the chef's selection of grilled fish")
                         : QStringLiteral("特別会席料理（地元産の旬の食材を使った季節の料理と、料理長おすすめの焼き魚の盛り合わせ）"),
                      5000, 2);
    b.Lines[3] = line("2007/08/10", 1601102,
                      en ? QStringLiteral("Premium local sake tasting set of five brewers with seasonal appetisers")
                         : QStringLiteral("地酒飲み比べセット（県内五蔵の純米吟醸酒と季節の酒肴の盛り合わせ）"),
                      1800, 3);
    b.SiharaiCombo.EditText = QStringLiteral("VISA");
    b.SaNumEdit[8] = QStringLiteral("30000");
    b.TadashiCheck = true;
    CalcTotals(b, edgeFacility());
    return b;
}

// A registration number whose check digit holds.
inline const QString kRegistrationNo = QStringLiteral("T4801234567890");

// A town's accommodation tax: 200 a guest-night under 6,000, 400 to
// 19,999, 1,000 to 49,999, 4,000 to 99,999, 10,000 from 100,000.
inline TMoneySettings townTax(const QString &registrationNo = QString())
{
    TMoneySettings money;
    money.RegistrationNo = registrationNo;
    money.Lodging.Enabled = true;
    readLodgingPeriods(QStringLiteral("2026/03/01:0=200,6000=400,20000=1000,50000=4000,100000=10000"),
                       &money.Lodging.Periods);
    return money;
}

// A stay settled at today's rates by a registered inn: rooms and drinks at
// 10 %, with twoRates sweets to take away at the reduced 8 % too, and the
// bathing tax and an advance, which are outside the tax. An empty
// registration number: an inn that is not registered.
inline TBillState invoiceBill(uint8_t lang = 0, bool twoRates = true, const TBaseData &base = facility(),
                              const QString &registrationNo = kRegistrationNo)
{
    TBillState b = bill(lang);
    const bool en = lang != 0;
    b.StayLabel = QStringLiteral("2026年12月08日(火)から");
    b.SeisanDay = QStringLiteral("2026/12/10");
    b.Lines = {
        line("2026/12/08", 1601001, en ? QStringLiteral("Adult") : QStringLiteral("大人"), 15000, 2),
        line("2026/12/08", 1601102, en ? QStringLiteral("Beer") : QStringLiteral("ビール"), 600, 3),
        line("2026/12/09", 1601001, en ? QStringLiteral("Adult") : QStringLiteral("大人"), 15000, 2),
        line("2026/12/09", 1601105, en ? QStringLiteral("Onsen manju to take away") : QStringLiteral("温泉まんじゅう(お持ち帰り)"),
             1200, 2),
        line("2026/12/09", 1106001, en ? QStringLiteral("Taxi fare") : QStringLiteral("タクシー代(立替金)"), 2000, 1),
    };
    padTo(b, 2);
    if (twoRates)
        b.ReducedKeys = {1601105};
    TMoneySettings money;
    money.RegistrationNo = registrationNo;
    CalcTotals(b, base, money);
    return b;
}

// The registered inn's bill with the longest name and plan and the proviso,
// for the longest facility texts.
inline TBillState invoiceEdgeBill(uint8_t lang = 0, bool twoRates = true)
{
    TBillState b = invoiceBill(lang, twoRates, edgeFacility());
    const TBillState longest = edgeBill(lang);
    b.NameEdit = longest.NameEdit;
    b.PlanEdit = longest.PlanEdit;
    b.RoomEdit = longest.RoomEdit;
    b.TadashiCheck = true;
    return b;
}

// The registered inn's bill in a town with an accommodation tax: two guests
// at 15,000 for two nights, 400 a guest-night, beside the bathing tax and the
// advance in row 4; the longest texts with longest.
inline TBillState lodgingBill(uint8_t lang = 0, bool longest = false)
{
    TBillState b = longest ? invoiceEdgeBill(lang, false) : invoiceBill(lang, false);
    CalcTotals(b, longest ? edgeFacility() : facility(), townTax(kRegistrationNo));
    return b;
}

// Every sample bill with the settings it is printed under: the plain and the
// longest bill, the registered inn's with two rates, and the town's
// accommodation tax, each in both languages through make.
struct Case {
    const char *name;
    TBillState (*make)(uint8_t lang);
    TBaseData (*base)();
    TMoneySettings money;
};

inline const std::vector<Case> &cases()
{
    static const std::vector<Case> all = [] {
        TMoneySettings registered;
        registered.RegistrationNo = kRegistrationNo;
        return std::vector<Case>{
            {"sample", [](uint8_t l) { return bill(l); }, facility, {}},
            {"edge", [](uint8_t l) { return edgeBill(l); }, edgeFacility, {}},
            {"invoice", [](uint8_t l) { return invoiceBill(l); }, facility, registered},
            {"invoice edge", [](uint8_t l) { return invoiceEdgeBill(l); }, edgeFacility, registered},
            {"accommodation tax", [](uint8_t l) { return lodgingBill(l); }, facility, townTax(kRegistrationNo)},
            {"accommodation tax edge", [](uint8_t l) { return lodgingBill(l, true); }, edgeFacility,
             townTax(kRegistrationNo)},
        };
    }();
    return all;
}

} // namespace sample
