#pragma once
// The records in a PostgreSQL database shared by several desks (libpq).
//
// Every record keeps its bytes as in the record files, so that a folder
// imported and exported again is the same folder; the tables say what the
// files only imply: bill numbers unique, lines in their order, item keys in
// their category's range, receivables tied to their bill. A bill's save is
// one transaction over that bill's rows only; other desks hear of it by
// NOTIFY. A bill open at a desk is held by a session advisory lock, which
// ends with that desk's session.

#include "record_store.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

inline constexpr int PgSchemaVersion = 2;

// A folder's files as the files store keeps them, to move into a database
// or out of one.
struct FolderContents {
    QByteArray base;                                // base.dat as it is (absent: null)
    bool hasBase = false;
    std::array<QByteArray, 9> items;                // kmk_*.dat
    std::array<bool, 9> hasItems{};
    QByteArray reserve, urikake;                    // reserve.dat, urikake.dat
    bool hasReserve = false, hasUrikake = false;
    QByteArray receipts;                            // receipts.dat
    bool hasReceipts = false;
    QByteArray ini, logo;                           // norvelreceipt.ini, logo.bmp
    bool hasIni = false, hasLogo = false;
};

// Reads a data folder for import; false with *error when it cannot be
// taken as it is (a save left unfinished, a record file of a broken size).
bool readFolderContents(const QString &dir, FolderContents *contents, QString *error);
// Writes the files of contents into dir (created when missing), all or nothing.
bool writeFolderContents(const QString &dir, const FolderContents &contents, QString *error);

struct StoreCheck {
    bool answers = false;
    int schemaVersion = 0; // 0: no schema
    QString message;
};

// Opens the chosen store; null with *error when it cannot be opened. The
// record files give null without an error: AppData::Store stays empty.
std::shared_ptr<RecordStore> openStore(const StoreChoice &choice, QString *error);

class PgStore : public RecordStore {
public:
    // Connects at once; on failure connected() is false and error() says why.
    PgStore(const QString &connection, const QString &desk);
    ~PgStore() override;

    bool connected() const;
    QString error() const { return lastError; }

    QString describe() const override;
    QString load(AppData &data, const QDateTime &now, bool *refuse) override;
    StoreSchema schema() override;
    bool makeSchemaCurrent(QString *error) override;
    CommitResult saveBills(const AppData &data, const RecordList<TReserveData> &reserve,
                           const RecordList<TUrikakeData> &urikake, const std::vector<uint32_t> *bills,
                           const std::vector<TReceiptIssueData> &issued, QString *error) override;
    bool loadReceiptIssues(std::vector<TReceiptIssueData> *issues, QString *error) override;
    QString readOnlyReason() const override { return readOnly; }
    bool saveSettings(const AppData &data, QString *error) override;
    bool saveItems(const AppData &data, QString *error) override;
    BillHold holdBill(uint32_t billNo) override;
    void releaseBill(uint32_t billNo) override;
    int noticeSocket() const override;
    bool takeNotices(AppData &data) override;

    // The schema version stored (0: none), or -1 when the server does not answer.
    StoreCheck check();
    // Loads contents into an empty database in one transaction; *report says
    // what was loaded.
    bool importFolder(const FolderContents &contents, QString *report, QString *error);
    bool exportFolder(FolderContents *contents, QString *error);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
    QString lastError;
    QString readOnly; // the server takes no writes (a standby)
};
