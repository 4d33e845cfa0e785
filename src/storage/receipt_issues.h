#pragma once
// The record of receipts issued: every receipt put on paper or into a PDF
// file (the receipt on A5, A4 or B5, and the combined sheet, whose right half
// is one), with the bill, the date and time, the paper and the language. The
// first issue of a bill is its first entry; every later entry is a reissue,
// and its print says so.
//
// The honorific and whether the proviso was printed are kept with each issue:
// the bill's records have no room for them, and a bill opened again prints
// as its last receipt did.
//
// The record lives in receipts.dat beside the record files, 32-byte records
// in the order issued, and is written only together with the bill it belongs
// to, in the same commit (writeBillFiles), so the bill and the record of its
// receipt never disagree. Another store (a database) keeps the same entries
// behind the same two operations: load everything, record one issue within
// the bill's save.

#include "storage/library.h"
#include "storage/receipt_record.h"
#include "storage/record_list.h"
#include "storage/records.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <vector>

struct TReceiptIssue {
    uint32_t MeiNo = 0;
    QDateTime IssuedAt;
    int Paper = 0;
    int Lang = 0;
    int Keisyou = 0;
    bool Tadashi = false;
};

struct AppData;

class ReceiptIssues {
public:
    // Reads the record of the program folder exePath (ending in "/"). A
    // missing file is an empty record. False with the message for the user
    // when the file cannot be read or is not whole records.
    bool load(const QString &exePath, QString *error);
    // The record where data's records are: its store, or the record files.
    bool load(const AppData &data, QString *error);

    const std::vector<TReceiptIssueData> &all() const { return Issues; }
    // The issues of one bill, first issue first.
    QList<TReceiptIssue> of(uint32_t billNo) const;
    int count(uint32_t billNo) const;

    // Adds an issue at the end. Nothing is written: the issues added since
    // the record was read go into the bill's save (writeBillFiles).
    void add(const TReceiptIssue &issue);
    std::vector<TReceiptIssueData> added() const;
    // The whole record as one file of a commit in exePath.
    RecordFile file(const QString &exePath) const;

private:
    std::vector<TReceiptIssueData> Issues;
    std::size_t Read = 0; // how many were read
};

// writeBillFiles (app_data.h) with the issues added to receipts since it was
// read: in the same commit as the record files, or in a database store's
// transaction of the bill's save.
CommitResult writeBillFilesWithReceipts(const AppData &data, const RecordList<TReserveData> &reserve,
                                        const RecordList<TUrikakeData> &urikake, const TLibrary &lib, QString *error,
                                        const ReceiptIssues &receipts, const std::vector<uint32_t> *bills = nullptr);

// What the bill window shows of a bill's issues: 「領収書発行済み(2回)」, or
// empty before the first.
QString receiptIssuedText(int count);
// The issues one to a line: first issue, then each reissue, with date and time.
QString receiptIssuesDetail(const QList<TReceiptIssue> &issues);
