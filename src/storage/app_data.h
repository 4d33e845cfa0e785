#pragma once
// Everything the program keeps for the whole run: the program directory, the
// facility settings, the item master, every bill line and every receivable.
// The front desk holds one instance; windows read and change it directly and
// write the affected file whole when they commit.

#include "library.h"
#include "money_settings.h"
#include "record_list.h"
#include "records.h"
#include "reserve_records.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class RecordStore;

// Bits of StartFlags: data files found missing at start.
enum StartFlag : int {
    MissingBaseData = 1,
    MissingKamoku = 2,
    MissingReserve = 4,
};

inline constexpr int KamokuCategories = 9;
inline constexpr int BlankKamokuEntries = 50;
// How many entries a category has room for before its keys run into the next
// range: accommodation 1-100, options 101-800, day use 801-989 (990 on are
// the service charge and the exempt twins), every other category 1-999.
int kamokuCapacity(int category);
// An entry nothing has been typed into: no name in either language, no price.
bool isBlankKamoku(const THojoKamoku &k);
// The entries up to the last one that is not blank: what a category file holds.
std::size_t kamokuStoredCount(const RecordList<THojoKamoku> &list);
// Category file names in the order of KamokuList.
extern const std::array<const char *, KamokuCategories> KamokuFileNames;

struct AppData {
    QString ExePath;    // program directory, ending in "/"
    QString BackupPath; // ExePath + "backup/"
    QString Version;
    TBaseData BaseData{};
    TMoneySettings Money; // dated money settings and the registration number (settings file)
    std::array<RecordList<THojoKamoku>, KamokuCategories> KamokuList;
    ReserveRecords ReserveList;
    RecordList<TUrikakeData> UrikakeList;
    uint32_t NextMeiNo = 0;
    int RsvCount = 0;
    int StartFlags = 0;
    bool ShowHidden = false;
    QString DragText;
    // Where the records are kept when not in the record files of ExePath
    // (record_store.h); empty: the record files.
    std::shared_ptr<RecordStore> Store;

    QString iniPath() const { return ExePath + QStringLiteral("norvelreceipt.ini"); }
    QString filePath(const char *name) const { return ExePath + QLatin1String(name); }
};

// The keys of the named item entries sold at the reduced tax rate, ascending.
std::vector<uint32_t> reducedRateKeys(const std::array<RecordList<THojoKamoku>, KamokuCategories> &lists);

// The facility settings used when base.dat is missing.
void setDefaultBaseData(TBaseData &base);

// Bill number from the clock: seconds since 1970-01-01 00:00 UTC, the local
// clock being taken as UTC+9.
uint32_t meiNoFromClock(const QDateTime &local);
// The first bill number of a run: from the clock, but always above every bill
// number already stored, so that no two bills share a number.
uint32_t firstMeiNo(const QDateTime &local, const RecordList<TReserveData> &reserve);

// Loads every data file of exePath into data, as at start-up, after finishing
// or clearing a save a crash cut short. Returns an empty text when all went
// well, otherwise the message to show. Only a file that does not exist counts
// as missing: one that exists but cannot be read is named with its reason,
// and lib then refuses every later write (as after a start that loaded
// nothing: no backup folder, an interrupted save that could not be
// finished). A record file whose size is not a whole number of records is
// reported and a copy of it as found kept in the backup folder (when that
// fails, writes are refused too).
//
// With a store in data.Store the records come from it instead; the files of
// the data folder are then left alone.
QString loadAppData(AppData &data, TLibrary &lib, const QString &exePath, const QDateTime &now);
// The record files of data.ExePath as the start reads them (loadAppData
// without a store).
QString loadRecordFiles(AppData &data, TLibrary &lib, const QDateTime &now);

// Each writes its file whole; false with a message for the user on failure.
bool saveBaseData(const AppData &data, const TLibrary &lib, QString *error);
// The nine item files, each up to its last entry in use, all or nothing
// (one commit).
bool saveKamokuLists(const AppData &data, const TLibrary &lib, QString *error);
bool saveReserveList(const AppData &data, const TLibrary &lib, QString *error);
bool saveUrikakeList(const AppData &data, const TLibrary &lib, QString *error);
// reserve.dat and urikake.dat from these lists, and the files of alongside
// (the receipt record, when a receipt is issued), all or nothing (one
// commit); unless Done, *error says what the files hold. bills names the
// bills the save changes when the caller knows them (a database store then
// writes only those); null: any may have changed.
CommitResult writeBillFiles(const AppData &data, const RecordList<TReserveData> &reserve,
                            const RecordList<TUrikakeData> &urikake, const TLibrary &lib, QString *error,
                            const std::vector<RecordFile> &alongside = {},
                            const std::vector<uint32_t> *bills = nullptr);
// The same from the lists of data.
bool saveBillLists(const AppData &data, const TLibrary &lib, QString *error);
// Whether the program writes a file of this name in its program directory
// (its temporary files are removed at start).
bool isProgramFile(const QString &name);
// Dated copy in the backup folder, e.g. reserve.dat2014_03_21.
bool backupReserveList(const AppData &data, const TLibrary &lib, const QDate &today, QString *error);
bool backupUrikakeList(const AppData &data, const TLibrary &lib, const QDate &today, QString *error);

// The item master's default entries, one comma-separated text each:
// code, number, name, English name, price.
extern const QStringList DefaultKamokuLines;
// One default text as an entry, and the category it belongs to.
THojoKamoku parseDefaultKamoku(const QString &line, int *category);
// Clears the nine lists and fills them with the defaults (no blank entries).
void seedDefaultKamoku(std::array<RecordList<THojoKamoku>, KamokuCategories> &lists);
