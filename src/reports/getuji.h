#pragma once
// The month's daily sales: every bill settled in the month added into the row
// of its settlement day, in fourteen money columns, with the consumption tax
// worked out per bill on the bill's charges.

#include "reports/month_dates.h"
#include "reports/month_grid.h"
#include "billing/bill_state.h"
#include "storage/app_data.h"

#include <vector>

// The fifteen columns of the sales grid that are read; the window's grid has
// two more narrow working columns after them.
enum GetujiColumn : int {
    GDay,
    GStayAdult,   // 宿泊料金(大人)
    GStayOther,   // 宿泊料金(子供他)
    GDayUse,      // 日帰り料金
    GOption,      // オプション料金
    GService,     // (内)サービス料
    GDiscount,    // 値引き
    GCharges,     // 料金計
    GTax,         // (内)消費税, with the month's rate
    GBathingTax,  // (内)入湯税
    GAdvance,     // 立替金
    GTotal,       // ご利用額合計
    GDeposit,     // 前受金
    GCash,        // 現金入金
    GReceivable,  // 売掛金
    GetujiColumns
};

// The headings of the fifteen columns; those of the service charge, the
// consumption tax and the bathing tax follow the settings, and the tax names
// its rate when the month's bills hold only one.
QStringList getujiHeadings(const TBaseData &base, const std::vector<int> &rates);

// The label of a row of the breakdown by rate: "10%対象".
QString getujiRateLabel(int rate);

// Rows 0..30 are days 1..31 (blank for days the month does not have), row 31
// the running totals; a month whose bills hold two rates or more has one row
// per rate below them, highest first: its label, and the taxable sales and
// the tax of that rate in the charges and tax columns. Lines and receivables are taken in list order; a bill
// stops counting at its first line without a date. When carried is given it
// receives, per row, the working column of the window: the day's charges
// total as it stood after the previous bill end of that day.
// byRate receives the month's taxable sales and tax per rate, standard rate first.
MonthGrid getujiMonth(const AppData &data, const ReportMonth &month, QStringList *carried = nullptr,
                      std::vector<TTaxShare> *byRate = nullptr);
