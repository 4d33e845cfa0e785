#pragma once
// Where the inn's records live: the record files of the data folder (the
// default, one desk) or a PostgreSQL database shared by several desks.
//
// The functions the windows call (loadAppData, writeBillFiles, saveBaseData,
// saveKamokuLists) ask AppData::Store; with none they use the record files as
// they always have. A store other than the files is chosen in
// norvelreceipt.ini:
//
//   [Store]
//   Kind=postgresql
//   Connection=host=office dbname=norvel user=desk1     (a libpq connection string)
//   Service=norvel                                      (or a name of pg_service.conf)
//   Desk=フロント1                                        (how other desks name this one)
//
// or by the environment variable NORVEL_DATABASE (a connection string), which
// wins. Passwords never stand in the settings file: libpq takes them from
// its own password file or service file.

#include "file_commit.h"
#include "receipt_record.h"
#include "records.h"
#include "record_list.h"

#include <QDateTime>
#include <QProcessEnvironment>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

struct AppData;

// The store the settings and the environment choose.
struct StoreChoice {
    enum class Kind { Files, PostgreSQL };
    Kind kind = Kind::Files;
    QString connection; // libpq connection string (a service as "service=NAME")
    QString desk;       // this desk's name for the other desks
    QString origin;     // where the choice came from, for --check-store
    QString error;      // the settings do not read (the store must not be opened)
};

inline constexpr char DatabaseEnvironment[] = "NORVEL_DATABASE";

// Reads [Store] of the settings file at iniPath; NORVEL_DATABASE in env wins.
StoreChoice chooseStore(const QString &iniPath, const QProcessEnvironment &env);
// The connection string as it is opened: a remote host is reached only with
// TLS and the server's certificate checked, unless the string says otherwise.
// Empty with *error when it does not read or holds a password.
QString connectionForStore(const QString &connection, QString *error);

// Who holds a bill at another desk.
struct BillHold {
    bool held = true;  // this desk holds it (or no one else does)
    QString desk;      // the desk that holds it when !held
};

// Whether a store's tables are those this program reads and writes.
struct StoreSchema {
    enum class State { Current, Missing, Older, Newer, Unknown };
    State state = State::Current;
    int version = 0; // the version found (0: none)
    QString error;   // Unknown: why the store could not say
};

class RecordStore;
// Why store takes no write once the library refuses them: its own reason
// (a server that takes none) or a start that could not read the data.
QString storeRefusalText(const RecordStore &store);

class RecordStore {
public:
    virtual ~RecordStore() = default;
    // e.g. "record files in /srv/inn" or "PostgreSQL host=office dbname=norvel".
    virtual QString describe() const = 0;

    // Fills the records of data (ExePath and BackupPath are set). An empty
    // text when all went well, otherwise the message to show; *refuse is then
    // set when nothing may be written for the rest of the run.
    virtual QString load(AppData &data, const QDateTime &now, bool *refuse) = 0;

    // The tables found, and making them current: created in an empty
    // store, upgraded from an older version; all or nothing. The start asks
    // the clerk before either.
    virtual StoreSchema schema() { return {}; }
    virtual bool makeSchemaCurrent(QString *error) { (void)error; return true; }

    // Stores the bill lists. bills names the bills this save changes (their
    // lines as they stand in reserve, their receivables in urikake); null
    // means any bill may have changed. issued are receipts issued with this
    // save, recorded in the same transaction. Unless Done, *error says what
    // is stored.
    virtual CommitResult saveBills(const AppData &data, const RecordList<TReserveData> &reserve,
                                   const RecordList<TUrikakeData> &urikake, const std::vector<uint32_t> *bills,
                                   const std::vector<TReceiptIssueData> &issued, QString *error) = 0;
    // The record of receipts issued, in the order issued.
    virtual bool loadReceiptIssues(std::vector<TReceiptIssueData> *issues, QString *error) = 0;
    // The facility settings and the dated money settings of data.
    virtual bool saveSettings(const AppData &data, QString *error) = 0;
    // The item master, each category up to its last entry in use.
    virtual bool saveItems(const AppData &data, QString *error) = 0;

    // After load: why nothing may be written although everything was read
    // (a standby server), or empty.
    virtual QString readOnlyReason() const { return {}; }

    // A bill opened for changing is held for this desk until released or
    // until the desk's session ends; held elsewhere, the answer names the desk.
    virtual BillHold holdBill(uint32_t billNo) = 0;
    virtual void releaseBill(uint32_t billNo) = 0;

    // Another desk's changes: a socket to watch (-1: none) and, when it is
    // readable, the bills they changed, brought into data. Returns whether
    // any changed.
    virtual int noticeSocket() const { return -1; }
    virtual bool takeNotices(AppData &data) { (void)data; return false; }
};
