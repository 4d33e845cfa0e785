#pragma once
// Finding bills: by the guest's name however it was typed, and by number,
// room, dates, amount, card company and settlement, over every bill the
// lines hold (through the list's bill index, so a keystroke looks at the
// bills, not at the lines). The rows found, as the search window and
//
//   norvel --find TEXT [--from DATE --to DATE] [--out FILE]
//
// show and write them, and the earlier stays of a guest for the bill window.

#include "reports/month_grid.h"
#include "storage/app_data.h"
#include "storage/bill_index.h"
#include "storage/receipt_issues.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

enum class SettledFilter { Any, Open, Settled };
enum class ReceiptFilter { Any, Issued, NotIssued };

// How many receipts each bill has had, from the record of receipts: read once
// when the record may have changed, asked for every bill of every keystroke.
class ReceiptCounts {
public:
    ReceiptCounts() = default;
    explicit ReceiptCounts(const ReceiptIssues &issues);
    int of(uint32_t meiNo) const;

private:
    std::vector<std::pair<uint32_t, int>> counts; // by bill number
};

struct BillQuery {
    QString text;                 // part of the guest's name, in any spelling
    uint32_t meiNo = 0;           // this bill only; 0 for any
    QString room;                 // part of a room of the bill, in any spelling
    QDate stayFrom, stayTo;       // a night of the bill in the range (an end left out is open)
    QDate settledFrom, settledTo; // settled in the range
    std::optional<int64_t> minTotal, maxTotal;
    uint32_t card = 0;            // a receivable of the bill on this card (101000 + item); 0 for any
    SettledFilter settled = SettledFilter::Any;
    ReceiptFilter receipts = ReceiptFilter::Any;
    // Bills whose guest register entries match the text (registerMatches):
    // found by it as their own name is, sorted. Empty while the register is locked.
    std::vector<uint32_t> registerBills;
};

class GuestRegister;
// The bills of the register entries a text finds: a guest's name or its
// reading however it was typed (as the bills' names are matched), or a
// passport number, whole or in part (four characters at least, spaces and
// case ignored). Sorted, each once; entries taken from paper have no bill.
std::vector<uint32_t> registerMatches(const GuestRegister &reg, const QString &text);

// The bills of the query in list order: by first night, then by number.
std::vector<BillEntry> findBills(const AppData &data, const BillQuery &query, const ReceiptCounts &receipts = {});

// Columns of the rows found.
enum BillSearchColumn : int {
    FindColMeiNo = 0,     // 請求番号
    FindColFirstNight,    // 初日
    FindColNights,        // 泊数
    FindColName,          // 名前
    FindColPlan,          // プラン名
    FindColRoom,          // 部屋
    FindColTotal,         // 合計
    FindColSettled,       // 清算日
    FindColReceipts,      // 領収書: receipts issued
    FindColumns
};
QStringList billSearchHeadings();
// The cells of one bill found; dates as the records write them, amounts as plain numbers.
QStringList billSearchCells(const BillIndex &index, const BillEntry &bill, const ReceiptCounts &receipts);
// The rows as a grid of cells under the headings.
MonthGrid billSearchGrid(const BillIndex &index, const std::vector<BillEntry> &bills, const ReceiptCounts &receipts);
// The rows as a CSV file, as the other exports write them.
QByteArray billSearchCsv(const BillIndex &index, const std::vector<BillEntry> &bills, const ReceiptCounts &receipts);

// A packed date of the index as the records write it (2026/08/10); empty for none.
QString packedDateText(uint32_t packed);
// A day as the index packs it; 0 for an invalid date.
uint32_t packedDate(const QDate &date);

// The card companies of the item master: (the receivable's card key, name).
std::vector<std::pair<uint32_t, QString>> cardCompanies(const AppData &data);

// The other bills of a guest: every bill but exceptMeiNo whose name is the
// same name in any spelling, in list order (the latest last); with before
// (a packed date) only those whose first night came before it.
std::vector<BillEntry> guestBills(const AppData &data, const QString &name, uint32_t exceptMeiNo,
                                  uint32_t before = 0);
// 「過去のご利用 3回 最終 2026/08/10 松の間」 for them; empty for none.
QString guestHistoryText(const BillIndex &index, const std::vector<BillEntry> &bills);

// Exit statuses of --find are those of the month export (ExportStatus).
bool isFindCommand(const QStringList &args);
// Runs --find; the CSV goes to --out's file, or to *output without one.
// The message of a failure (one line) goes to *message.
int runFind(const QStringList &args, const QString &exePath, QByteArray *output, QString *message);
