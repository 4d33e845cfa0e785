#pragma once
// Backup generations: before every save of the data files, the files as they
// are are kept in the backup folder as one generation, a folder named by the
// date and time of the save (2026_12_10_160837, then _2, _3... for further
// saves in the same second) holding hard links to them (copies where links
// cannot be made) and a small manifest with each file's size and checksum.
//
//   backup/2026_12_10_160837/base.dat, kmk_*.dat, reserve.dat, ...
//                            norvel.manifest   <- written last
//
// A generation is complete only once its manifest is in place (written
// through a temporary file and a rename): a folder without one is a
// generation cut short, never offered, and removed at the next start.
// Removing one takes its manifest away first for the same reason.
//
// The data files are only ever replaced by a rename, never written in place,
// so a link made before a save keeps the old contents for good.

#include <QDateTime>
#include <QSet>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

inline constexpr char ManifestName[] = "norvel.manifest";

// How many generations are kept (settings file, section "Backup").
struct GenerationPolicy {
    int keepSaves = 20;  // the newest saves
    int keepDays = 14;   // the last of each day, today and the days before
    int keepMonths = 24; // the last of each month, this month and the months before
};
GenerationPolicy readGenerationPolicy(const QString &iniPath);

struct GenerationFile {
    QString name;
    qint64 size = 0;
    QByteArray checksum; // 16 hexadecimal digits
};

struct Generation {
    QString name; // the folder's name
    QString path; // the folder
    QDateTime when;
    int sequence = 1;       // 2, 3... for further saves in the same second
    bool complete = false;  // a whole manifest is in place
    std::vector<GenerationFile> files;
    int bills = 0;            // bill numbers in its reserve.dat
    QString newestSettlement; // yyyy/mm/dd; empty when none is settled
    QString problem;          // what a check found wrong; empty when none
    bool ok() const { return complete && problem.isEmpty(); }
};

// The files a generation keeps: every file the program writes in its folder.
QStringList protectedFileNames();

// Whether a folder name is a generation's; its time and sequence number.
bool parseGenerationName(const QString &name, QDateTime *when = nullptr, int *sequence = nullptr);

// The generations in dir, newest first; those never completed only when
// asked. Without readManifests only names, times and whether a manifest is
// there are filled in.
std::vector<Generation> listGenerations(const QString &dir, bool withIncomplete = false, bool readManifests = true);
// Reads the generation in the folder path (complete or not).
Generation readGeneration(const QString &path);
// Checks the files against the manifest: present, of the size it says, of
// whole records, and (when checksums) of the same checksum. Sets problem; true
// when all checks.
bool checkGeneration(Generation &g, bool checksums);

// The generations (complete ones) the policy keeps at now: the newest
// keepSaves, the newest of each of the last keepDays days and of each of the
// last keepMonths months, the newest always, and any dated after now.
QSet<QString> generationsToKeep(const std::vector<Generation> &complete, const GenerationPolicy &policy,
                                const QDateTime &now);
// Removes the complete generations of dir that the policy does not keep.
void pruneGenerations(const QString &dir, const GenerationPolicy &policy, const QDateTime &now);
// Removes the folders of generations never completed (start-up).
void removeIncompleteGenerations(const QString &dir);
// Removes one generation: its manifest first, then its files and folder.
bool removeGeneration(const QString &path);

// From now on every save into dataDir (file_commit.h) first keeps the files
// as they are as a generation in backupDir, and prunes after it; the policy
// is read from iniPath at each save.
void keepGenerations(const QString &dataDir, const QString &backupDir, const QString &iniPath);

// A consistent copy of the protected files of dataDir as a new generation in
// destDir (created when missing), taken while the program may be saving: a
// save under way is waited for, and files that changed while they were being
// opened are opened again. The generation's folder in *made. False with a
// message in *error.
bool backupDataFolder(const QString &dataDir, const QString &destDir, const QDateTime &now, QString *made,
                      QString *error);

// Puts the generation's files back into dataDir through one all-or-nothing
// commit (which keeps the current files as a generation first, when
// generations are kept there). Refuses a generation that does not check.
// True when the files were replaced; *error may then still hold a warning.
bool restoreGeneration(const Generation &g, const QString &dataDir, QString *error);
