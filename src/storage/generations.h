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
// The program replaces its record files only by a rename, never writing in
// place, so a link made before a save keeps the old contents for good. The
// files a person may edit in place (the settings file, the logo) are copied
// instead. Every checksum is of the bytes read from the generation itself.
//
// A generation holds only the inn's own files (inn_files.h), each once; a
// symbolic link or anything but a plain file in it, or in the backup folder
// in place of a generation, is never followed. Generations are ordered by the
// save order number in their manifest, then by time.

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
    int order = 0;          // save order in its folder; 0 in generations made before it was kept
    bool complete = false;  // a whole manifest is in place
    std::vector<GenerationFile> files;
    // What the manifest says its reserve.dat holds; a check with checksums
    // finds any generation whose reserve.dat holds otherwise damaged.
    int bills = 0;            // bill numbers in its reserve.dat
    QString newestSettlement; // yyyy/mm/dd; empty when none is settled
    QString problem;          // what a check found wrong; empty when none
    bool ok() const { return complete && problem.isEmpty(); }
};

// Whether a folder name is a generation's; its time and sequence number.
bool parseGenerationName(const QString &name, QDateTime *when = nullptr, int *sequence = nullptr);

// The generations in dir, newest first; those never completed only when
// asked. Without readManifests only names, times and whether a manifest is
// there are filled in.
std::vector<Generation> listGenerations(const QString &dir, bool withIncomplete = false, bool readManifests = true);
// Reads the generation in the folder path (complete or not).
Generation readGeneration(const QString &path);
// Checks the files against the manifest: plain files, present, of the size it
// says, of whole records, and (when checksums) of the same checksum, the
// reserve.dat holding the bills and settlement date it says. Sets problem;
// true when all checks.
bool checkGeneration(Generation &g, bool checksums);

// The generations (complete ones) the policy keeps at now: the newest
// keepSaves, the newest of each of the last keepDays days and of each of the
// last keepMonths months, the newest always, and any dated after now.
QSet<QString> generationsToKeep(const std::vector<Generation> &complete, const GenerationPolicy &policy,
                                const QDateTime &now);
// Removes the complete generations of dir that the policy does not keep, and
// likewise the dated copies of reserve.dat and urikake.dat there (each kind
// kept as if it were a generation of its date). How many were removed.
int pruneGenerations(const QString &dir, const GenerationPolicy &policy, const QDateTime &now);
// Removes the folders of generations never completed (start-up, --backup);
// their names in *removed.
void removeIncompleteGenerations(const QString &dir, QStringList *removed = nullptr);
// Removes one generation: its manifest first, then its files and folder.
// Refuses a symbolic link.
bool removeGeneration(const QString &path);
// The bytes the files in dir take on disk, each file once.
qint64 backupFolderBytes(const QString &dir);
// For a save refused for want of space: how much dir holds, how to free it.
QString backupSpaceAdvice(const QString &dir);
// A warning when the newest generation in dir is dated after now (the clock
// was set back); empty otherwise.
QString clockWarning(const QString &dir, const QDateTime &now);

// Generations made by an earlier version share the settings file and the
// logo with the data folder: each gets a copy of its own (start-up), so an
// edit in place changes none of them. How many files were copied.
int unshareHandEditedFiles(const QString &dataDir, const QString &backupDir);

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
// generations are kept there). The generation is read again from its folder
// (whatever g says) and refused unless it checks; the bytes written are the
// very bytes checked.
// True when the files were replaced; *error may then still hold a warning.
bool restoreGeneration(const Generation &g, const QString &dataDir, QString *error);
