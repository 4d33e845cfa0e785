#include "generations.h"

#include "checksum.h"
#include "commit_keeper.h"
#include "clock.h"
#include "file_commit.h"
#include "file_ops.h"
#include "ini_file.h"
#include "inn_files.h"
#include "records.h"
#include "safe_file.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

const QByteArray ManifestHeader = "norvel generation 1";

QString joinPath(const QString &dir, const QString &name) { return dir + QLatin1Char('/') + name; }
QByteArray native(const QString &path) { return QFile::encodeName(path); }

bool statPath(const QString &path, struct stat *st) { return ::stat(native(path).constData(), st) == 0; }
// The entry itself: a symbolic link is never followed in a backup folder.
bool lstatPath(const QString &path, struct stat *st) { return ::lstat(native(path).constData(), st) == 0; }

bool isPlainFile(const QString &path)
{
    struct stat st {};
    return lstatPath(path, &st) && S_ISREG(st.st_mode);
}

bool isRealFolder(const QString &path)
{
    struct stat st {};
    return lstatPath(path, &st) && S_ISDIR(st.st_mode);
}

// What is wrong with the entry at path as a file of a generation; empty when
// it is a plain file.
QString notPlainFile(const QString &path, const QString &name)
{
    struct stat st {};
    if (!lstatPath(path, &st))
        return QStringLiteral("%1 がありません").arg(name);
    if (S_ISLNK(st.st_mode))
        return QStringLiteral("%1 はシンボリックリンクです").arg(name);
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("%1 は通常のファイルではありません").arg(name);
    return {};
}

// Opens a plain file of a generation for reading, never through a symbolic
// link and never waiting on a pipe or a device. -1 with *error set.
int openPlainFile(const QString &path, const QString &name, QString *error)
{
    const int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) {
        *error = errno == ELOOP ? QStringLiteral("%1 はシンボリックリンクです").arg(name)
                                : QStringLiteral("%1 を開けません: %2").arg(name, safe_file::reason(errno));
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        *error = QStringLiteral("%1 は通常のファイルではありません").arg(name);
        return -1;
    }
    return fd;
}

// A folder made by the program: readable by its user alone.
bool makeOwnFolder(const QString &path)
{
    const QString clean = QDir::cleanPath(QDir(path).absolutePath());
    if (isRealFolder(clean) || QFileInfo(clean).isDir())
        return true;
    const QString parent = QFileInfo(clean).absolutePath();
    if (parent != clean && !makeOwnFolder(parent))
        return false;
    return ::mkdir(native(clean).constData(), 0700) == 0 || errno == EEXIST;
}

// Record size of a file: a size that is no whole number of them is damage.
// exact: the file holds exactly one record.
int recordSizeOf(const QString &name, bool *exact)
{
    *exact = false;
    if (name == QLatin1String("base.dat")) {
        *exact = true;
        return int(sizeof(TBaseData));
    }
    if (name == QLatin1String("reserve.dat"))
        return int(sizeof(TReserveData));
    if (name == QLatin1String("urikake.dat"))
        return int(sizeof(TUrikakeData));
    if (name.startsWith(QLatin1String("kmk_")))
        return int(sizeof(THojoKamoku));
    return 0;
}

// The checksum of a file, and for reserve.dat the bills it holds and the
// newest settlement date, read in one pass.
struct FileFacts {
    GenerationFile file;
    bool summarised = false;
    int bills = 0;
    QString newestSettlement;
};

struct Summary {
    std::vector<uint32_t> meiNos;
    char newest[11] = {};

    static bool isDate(const char *f)
    {
        auto d = [](char c) { return c >= '0' && c <= '9'; };
        return d(f[0]) && d(f[1]) && d(f[2]) && d(f[3]) && f[4] == '/' && d(f[5]) && d(f[6]) && f[7] == '/'
            && d(f[8]) && d(f[9]) && f[10] == '\0';
    }
    void add(const char *p, std::size_t size)
    {
        for (; size >= sizeof(TReserveData); p += sizeof(TReserveData), size -= sizeof(TReserveData)) {
            uint32_t no;
            std::memcpy(&no, p + offsetof(TReserveData, MeiNo), sizeof no);
            // A bill's lines mostly follow one another: one number per run of them.
            if (meiNos.empty() || no != meiNos.back())
                meiNos.push_back(no);
            const char *seisan = p + offsetof(TReserveData, Seisan);
            if (isDate(seisan) && std::memcmp(seisan, newest, 10) > 0)
                std::memcpy(newest, seisan, 11);
        }
    }
    void finish(FileFacts *facts)
    {
        std::sort(meiNos.begin(), meiNos.end());
        facts->bills = int(std::unique(meiNos.begin(), meiNos.end()) - meiNos.begin());
        facts->newestSettlement = QString::fromLatin1(newest);
        facts->summarised = true;
    }
};

// Feeds the file's bytes to the checksum (and the summary for reserve.dat)
// and, when copy is given, hands every piece to it too. Reads through the
// plain system calls: this may run beside a save on another thread.
bool readFacts(int fd, const QString &name, FileFacts *facts, QString *error,
               const std::function<bool(const char *, std::size_t)> &copy = {})
{
    constexpr std::size_t chunk = sizeof(TReserveData) * 4096; // whole records in each piece
    std::vector<char> buffer(chunk);
    Checksum64 sum;
    const bool summarise = name == QLatin1String("reserve.dat");
    Summary summary;
    qint64 total = 0;
    for (;;) {
        std::size_t filled = 0;
        while (filled < chunk) {
            const ssize_t n = ::read(fd, buffer.data() + filled, chunk - filled);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                *error = QStringLiteral("%1 を読めません: %2").arg(name, safe_file::reason(errno));
                return false;
            }
            if (n == 0)
                break;
            filled += std::size_t(n);
        }
        if (filled == 0)
            break;
        sum.add(buffer.data(), filled);
        if (summarise)
            summary.add(buffer.data(), filled);
        if (copy && !copy(buffer.data(), filled)) {
            *error = QStringLiteral("%1 を写せません: %2").arg(name, safe_file::reason(errno));
            return false;
        }
        total += qint64(filled);
        if (filled < chunk)
            break;
    }
    facts->file.name = name;
    facts->file.size = total;
    facts->file.checksum = sum.hex();
    if (summarise)
        summary.finish(facts);
    return true;
}

// The facts of a plain file; with bytes, the very bytes they were taken from.
bool readFactsOf(const QString &path, const QString &name, FileFacts *facts, QString *error,
                 QByteArray *bytes = nullptr)
{
    const int fd = openPlainFile(path, name, error);
    if (fd < 0)
        return false;
    if (bytes)
        bytes->clear();
    const bool ok = bytes ? readFacts(fd, name, facts, error,
                                      [bytes](const char *p, std::size_t n) {
                                          bytes->append(p, qsizetype(n));
                                          return true;
                                      })
                          : readFacts(fd, name, facts, error);
    ::close(fd);
    return ok;
}

QByteArray manifestText(const QDateTime &when, int order, const std::vector<FileFacts> &facts)
{
    int bills = 0;
    QString settled;
    for (const FileFacts &f : facts)
        if (f.summarised) {
            bills = f.bills;
            settled = f.newestSettlement;
        }
    QByteArray t = ManifestHeader + '\n';
    t += "saved\t" + when.toString(Qt::ISODate).toLatin1() + '\n';
    t += "order\t" + QByteArray::number(order) + '\n';
    t += "bills\t" + QByteArray::number(bills) + '\n';
    t += "settled\t" + (settled.isEmpty() ? QByteArray("-") : settled.toLatin1()) + '\n';
    for (const FileFacts &f : facts)
        t += "file\t" + f.file.name.toUtf8() + '\t' + QByteArray::number(f.file.size) + '\t' + f.file.checksum + '\n';
    t += "end\t" + QByteArray::number(qsizetype(facts.size())) + '\n';
    return t;
}

// What is wrong with the text as a manifest; empty when it is a whole one
// naming only the inn's own files, each once.
QString parseManifest(const QByteArray &text, Generation *g)
{
    const QString broken = QStringLiteral("目録が壊れています");
    QList<QByteArray> lines = text.split('\n');
    if (lines.size() < 6 || lines.takeFirst() != ManifestHeader || !lines.takeLast().isEmpty())
        return broken;
    const QList<QByteArray> end = lines.takeLast().split('\t');
    g->files.clear();
    for (const QByteArray &line : lines) {
        const QList<QByteArray> f = line.split('\t');
        if (f[0] == "file" && f.size() == 4) {
            bool ok = false;
            GenerationFile file{QString::fromUtf8(f[1]), f[2].toLongLong(&ok), f[3]};
            if (!ok || file.size < 0 || file.checksum.size() != 16)
                return broken;
            // A restore writes these names into the data folder: the inn's
            // files only, never the program, its lock or a path elsewhere.
            if (!isInnFile(file.name))
                return QStringLiteral("目録にデータファイルでない名前 \"%1\" があります").arg(file.name.left(80));
            for (const GenerationFile &other : g->files)
                if (other.name == file.name)
                    return QStringLiteral("目録に %1 が二度あります").arg(file.name);
            g->files.push_back(file);
        } else if (f[0] == "bills" && f.size() == 2) {
            g->bills = f[1].toInt();
        } else if (f[0] == "settled" && f.size() == 2) {
            g->newestSettlement = f[1] == "-" ? QString() : QString::fromLatin1(f[1]);
        } else if (f[0] == "order" && f.size() == 2) {
            g->order = f[1].toInt();
        } else if (f[0] != "saved" || f.size() != 2) {
            return broken;
        }
    }
    if (end.size() != 2 || end[0] != "end" || end[1] != QByteArray::number(qsizetype(g->files.size())))
        return broken;
    if (g->files.empty())
        return QStringLiteral("目録にファイルがありません");
    return {};
}

// Writes the manifest last: through a temporary file, the folder flushed
// before and after the rename, so the files are on disk before the
// generation counts as complete.
bool writeManifest(const QString &folder, const QByteArray &text, QString *error)
{
    QByteArray temporary;
    const QByteArray dir = native(folder);
    if (!safe_file::writeTemporary(joinPath(folder, QLatin1String(ManifestName)), text.constData(),
                                   std::size_t(text.size()), &temporary)
        || !safe_file::syncDirectory(dir)) {
        const int err = errno;
        if (!temporary.isEmpty())
            fileOps().unlink(temporary.constData());
        errno = err;
        *error = QStringLiteral("バックアップの目録を書き込めません: %1").arg(safe_file::reason(err));
        return false;
    }
    if (fileOps().rename(temporary.constData(), native(joinPath(folder, QLatin1String(ManifestName))).constData()) != 0
        || !safe_file::syncDirectory(dir)) {
        const int err = errno;
        fileOps().unlink(temporary.constData());
        errno = err;
        *error = QStringLiteral("バックアップの目録を書き込めません: %1").arg(safe_file::reason(err));
        return false;
    }
    return true;
}

QString stampOf(const QDateTime &when) { return when.toString(QStringLiteral("yyyy_MM_dd_HHmmss")); }

// Makes a fresh generation folder in dir for a save at when; its path in *folder.
bool makeGenerationFolder(const QString &dir, const QDateTime &when, QString *folder, QString *error)
{
    const QString stamp = stampOf(when);
    for (int sequence = 1; sequence < 1000; ++sequence) {
        const QString name = sequence == 1 ? stamp : stamp + QStringLiteral("_%1").arg(sequence);
        const QString path = joinPath(dir, name);
        if (fileOps().mkdir(native(path).constData(), 0700) == 0) {
            *folder = path;
            return true;
        }
        if (errno != EEXIST) {
            *error = QStringLiteral("フォルダー %1 を作れません: %2")
                         .arg(QDir::toNativeSeparators(path), safe_file::reason(errno));
            return false;
        }
    }
    *error = QStringLiteral("同じ時刻のバックアップが多すぎます。");
    return false;
}

// A copy of the file into folder under its own name, through a temporary
// file and a rename; its facts are of the very bytes written.
bool copyInto(const QString &from, const QString &folder, const QString &name, FileFacts *facts, QString *error)
{
    const int fd = ::open(native(from).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        *error = QStringLiteral("%1 を読めません: %2").arg(name, safe_file::reason(errno));
        return false;
    }
    QByteArray bytes;
    const bool read = readFacts(fd, name, facts, error, [&bytes](const char *p, std::size_t n) {
        bytes.append(p, qsizetype(n));
        return true;
    });
    ::close(fd);
    if (!read)
        return false;
    QByteArray temporary;
    const QString target = joinPath(folder, name);
    if (!safe_file::writeTemporary(target, bytes.constData(), std::size_t(bytes.size()), &temporary)
        || fileOps().rename(temporary.constData(), native(target).constData()) != 0) {
        const int err = errno;
        if (!temporary.isEmpty())
            fileOps().unlink(temporary.constData());
        errno = err;
        *error = QStringLiteral("%1 をバックアップに写せません: %2").arg(name, safe_file::reason(err));
        return false;
    }
    return true;
}

// The next save order number in dir: above every generation's there.
int nextOrder(const std::vector<Generation> &list)
{
    int order = 0;
    for (const Generation &g : list)
        order = std::max(order, g.order);
    return order + 1;
}

// Keeps the data files as they are before a save (see file_commit.h).
class GenerationKeeper : public CommitKeeper {
public:
    GenerationKeeper(QString dataDir, QString backupDir, QString iniPath)
        : dataDir(std::move(dataDir)), backupDir(std::move(backupDir)), iniPath(std::move(iniPath))
    {
    }
    ~GenerationKeeper() override { join(); }

    bool begin(QString *error) override
    {
        when = Clock::now();
        QStringList names;
        for (const QString &n : innFileNames())
            if (struct stat st {}; statPath(joinPath(dataDir, n), &st) && S_ISREG(st.st_mode))
                names << n;
        if (names.isEmpty())
            return true; // nothing yet to keep
        if (!makeOwnFolder(backupDir)) {
            failure = errno;
            *error = QStringLiteral("フォルダー %1 を作れません: %2")
                         .arg(QDir::toNativeSeparators(backupDir), safe_file::reason(errno));
            return false;
        }
        order = nextOrder(listGenerations(backupDir));
        if (!makeGenerationFolder(backupDir, when, &folder, error)) {
            failure = errno;
            return false;
        }
        for (const QString &n : names) {
            const QString from = joinPath(dataDir, n);
            const QString to = joinPath(folder, n);
            FileFacts f;
            f.file.name = n;
            // A file a person may change in place (or one reached through a
            // link) is copied: a shared file would change in every
            // generation holding it. The program's own files change only by
            // renames, so sharing keeps them for good.
            struct stat st {};
            const bool share = !isEditedByHand(n) && lstatPath(from, &st) && S_ISREG(st.st_mode);
            if (!share || fileOps().link(native(from).constData(), native(to).constData()) != 0) {
                if (share && errno != EXDEV && errno != EPERM && errno != EMLINK && errno != EOPNOTSUPP) {
                    failure = errno;
                    *error = QStringLiteral("%1 をバックアップに残せません: %2").arg(n, safe_file::reason(errno));
                    return false;
                }
                if (!copyInto(from, folder, n, &f, error)) {
                    failure = errno;
                    return false;
                }
            }
            facts.push_back(f);
        }
        // The shared files are read beside the writing of the new files:
        // every checksum is of the bytes in the generation, never carried over.
        worker = std::thread([this] {
            for (FileFacts &f : facts)
                if (f.file.checksum.isEmpty() && !readFactsOf(joinPath(folder, f.file.name), f.file.name, &f, &workerError))
                    return;
        });
        return true;
    }

    bool ready(QString *error) override
    {
        if (folder.isEmpty())
            return true;
        join();
        if (!workerError.isEmpty()) {
            *error = workerError;
            return false;
        }
        if (!writeManifest(folder, manifestText(when, order, facts), error)) {
            failure = errno;
            return false;
        }
        return true;
    }

    void kept() override
    {
        join();
        if (!folder.isEmpty())
            pruneGenerations(backupDir, readGenerationPolicy(iniPath), when);
    }

    void dropped() override
    {
        join();
        if (!folder.isEmpty())
            removeGeneration(folder);
    }

    bool freeSpace() override
    {
        return pruneGenerations(backupDir, readGenerationPolicy(iniPath), Clock::now()) > 0;
    }

    QString spaceAdvice() const override { return backupSpaceAdvice(backupDir); }

private:
    void join()
    {
        if (worker.joinable())
            worker.join();
    }

    QString dataDir, backupDir, iniPath;
    QDateTime when;
    int order = 1;
    QString folder; // the generation being made; empty when none
    std::vector<FileFacts> facts;
    std::thread worker;
    QString workerError;
};

// By save order first (a clock set back does not make older saves look
// newer), then by time for generations made before the order was kept.
bool newerFirst(const Generation &a, const Generation &b)
{
    if (a.order != b.order)
        return a.order > b.order;
    return a.when != b.when ? a.when > b.when : a.sequence > b.sequence;
}

// The bytes of every file of a generation whose manifest is whole, checked
// against it; the problems found are set in g.problem. With bytes, the very
// bytes checked are kept there, in the manifest's order.
bool checkFiles(Generation &g, bool checksums, std::vector<QByteArray> *bytes)
{
    QStringList problems;
    int bills = 0;
    QString newest;
    for (const GenerationFile &f : g.files) {
        const QString path = joinPath(g.path, f.name);
        if (const QString wrong = notPlainFile(path, f.name); !wrong.isEmpty()) {
            problems << wrong;
            continue;
        }
        struct stat st {};
        lstatPath(path, &st);
        if (qint64(st.st_size) != f.size) {
            problems << QStringLiteral("%1 の大きさが目録と違います (%2 バイト、目録では %3 バイト)")
                            .arg(f.name)
                            .arg(qint64(st.st_size))
                            .arg(f.size);
            continue;
        }
        bool exact = false;
        if (const int record = recordSizeOf(f.name, &exact);
            record > 0 && (exact ? f.size != record : f.size % record != 0)) {
            problems << QStringLiteral("%1 の大きさ (%2 バイト) が %3 バイトのレコードに合いません")
                            .arg(f.name)
                            .arg(f.size)
                            .arg(record);
            continue;
        }
        if (!checksums)
            continue;
        FileFacts facts;
        QString error;
        QByteArray read;
        if (!readFactsOf(path, f.name, &facts, &error, bytes ? &read : nullptr)) {
            problems << error;
            continue;
        }
        if (facts.file.size != f.size || facts.file.checksum != f.checksum) {
            problems << QStringLiteral("%1 の中身が目録と違います (チェックサム不一致)").arg(f.name);
            continue;
        }
        if (facts.summarised) {
            bills = facts.bills;
            newest = facts.newestSettlement;
        }
        if (bytes)
            bytes->push_back(read);
    }
    // What is shown of a generation is what its files hold.
    if (checksums && problems.isEmpty() && (bills != g.bills || newest != g.newestSettlement))
        problems << QStringLiteral("目録の請求書の件数と最新の精算日 (%1 件、%2) が reserve.dat (%3 件、%4) と違います")
                        .arg(g.bills)
                        .arg(g.newestSettlement.isEmpty() ? QStringLiteral("なし") : g.newestSettlement)
                        .arg(bills)
                        .arg(newest.isEmpty() ? QStringLiteral("なし") : newest);
    g.problem = problems.join(QStringLiteral("、"));
    return g.problem.isEmpty();
}

} // namespace

GenerationPolicy readGenerationPolicy(const QString &iniPath)
{
    const IniFile ini(iniPath);
    GenerationPolicy p;
    const QString section = QStringLiteral("Backup");
    p.keepSaves = ini.intValue(section, QStringLiteral("KeepSaves"), p.keepSaves, 1, 1000);
    p.keepDays = ini.intValue(section, QStringLiteral("KeepDays"), p.keepDays, 0, 3660);
    p.keepMonths = ini.intValue(section, QStringLiteral("KeepMonths"), p.keepMonths, 0, 1200);
    return p;
}

bool parseGenerationName(const QString &name, QDateTime *when, int *sequence)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{4}_\\d\\d_\\d\\d_\\d{6})(?:_(\\d{1,3}))?$"));
    const QRegularExpressionMatch m = pattern.match(name);
    if (!m.hasMatch())
        return false;
    const QDateTime t = QDateTime::fromString(m.captured(1), QStringLiteral("yyyy_MM_dd_HHmmss"));
    if (!t.isValid())
        return false;
    const int seq = m.captured(2).isEmpty() ? 1 : m.captured(2).toInt();
    if (seq < 2 && !m.captured(2).isEmpty())
        return false;
    if (when)
        *when = t;
    if (sequence)
        *sequence = seq;
    return true;
}

Generation readGeneration(const QString &path)
{
    Generation g;
    g.path = QDir(path).absolutePath();
    g.name = QFileInfo(g.path).fileName();
    parseGenerationName(g.name, &g.when, &g.sequence);
    const QString manifest = joinPath(g.path, QLatin1String(ManifestName));
    struct stat st {};
    if (!lstatPath(manifest, &st))
        return g;
    g.complete = true;
    if (const QString wrong = notPlainFile(manifest, QStringLiteral("目録")); !wrong.isEmpty()) {
        g.problem = wrong;
        return g;
    }
    // A manifest is a few hundred bytes; one far larger is none of ours.
    constexpr qint64 largest = 64 * 1024;
    if (st.st_size > largest) {
        g.problem = QStringLiteral("目録が大きすぎます (%1 バイト)").arg(qint64(st.st_size));
        return g;
    }
    QString error;
    const int fd = openPlainFile(manifest, QStringLiteral("目録"), &error);
    if (fd < 0) {
        g.problem = error;
        return g;
    }
    QByteArray text(largest + 1, Qt::Uninitialized);
    qint64 filled = 0;
    while (filled < text.size()) {
        const ssize_t n = ::read(fd, text.data() + filled, std::size_t(text.size() - filled));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n < 0)
                error = QStringLiteral("目録を読めません: %1").arg(safe_file::reason(errno));
            break;
        }
        filled += n;
    }
    ::close(fd);
    text.truncate(filled);
    if (!error.isEmpty())
        g.problem = error;
    else if (filled > largest)
        g.problem = QStringLiteral("目録が大きすぎます");
    else
        g.problem = parseManifest(text, &g);
    return g;
}

std::vector<Generation> listGenerations(const QString &dir, bool withIncomplete, bool readManifests)
{
    std::vector<Generation> list;
    const QDir d(dir);
    // A symbolic link is no generation: it is neither offered nor removed through.
    for (const QString &name : d.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::NoSymLinks)) {
        Generation g;
        if (!parseGenerationName(name, &g.when, &g.sequence) || !isRealFolder(d.filePath(name)))
            continue;
        if (readManifests) {
            g = readGeneration(d.filePath(name));
        } else {
            struct stat st {};
            g.name = name;
            g.path = QDir(d.filePath(name)).absolutePath();
            g.complete = lstatPath(joinPath(g.path, QLatin1String(ManifestName)), &st);
        }
        if (g.complete || withIncomplete)
            list.push_back(std::move(g));
    }
    std::sort(list.begin(), list.end(), newerFirst);
    return list;
}

bool checkGeneration(Generation &g, bool checksums)
{
    if (!g.complete) {
        if (g.problem.isEmpty())
            g.problem = QStringLiteral("作成途中で止まったバックアップです (目録がありません)");
        return false;
    }
    if (!g.problem.isEmpty())
        return false;
    return checkFiles(g, checksums, nullptr);
}

QSet<QString> generationsToKeep(const std::vector<Generation> &complete, const GenerationPolicy &policy,
                                const QDateTime &now)
{
    std::vector<Generation> sorted = complete;
    std::sort(sorted.begin(), sorted.end(), newerFirst);
    QSet<QString> keep;
    QSet<QDate> days;
    QSet<int> months;
    const QDate today = now.date();
    const int thisMonth = today.year() * 12 + today.month() - 1;
    for (size_t i = 0; i < sorted.size(); ++i) {
        const Generation &g = sorted[i];
        const QDate day = g.when.date();
        const int month = day.year() * 12 + day.month() - 1;
        // The first of a day or a month met here is its newest, the one kept.
        const bool newestOfDay = !days.contains(day);
        const bool newestOfMonth = !months.contains(month);
        days.insert(day);
        months.insert(month);
        if (i == 0 || int(i) < policy.keepSaves || g.when > now
            || (newestOfDay && day.daysTo(today) < policy.keepDays)
            || (newestOfMonth && thisMonth - month < policy.keepMonths))
            keep.insert(g.name);
    }
    return keep;
}

bool removeGeneration(const QString &path)
{
    // Only a folder of its own: never through a symbolic link to another.
    if (!isRealFolder(path))
        return false;
    // The manifest first: a stop halfway leaves a folder that is plainly no
    // whole generation.
    const QByteArray manifest = native(joinPath(path, QLatin1String(ManifestName)));
    if (fileOps().unlink(manifest.constData()) != 0 && errno != ENOENT)
        return false;
    bool ok = true;
    // Every entry but folders, links themselves included (unlink never follows one).
    for (const QString &name : QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        const QString entry = joinPath(path, name);
        if (isRealFolder(entry) || fileOps().unlink(native(entry).constData()) != 0)
            ok = false;
    }
    return fileOps().rmdir(native(path).constData()) == 0 && ok;
}

int pruneGenerations(const QString &dir, const GenerationPolicy &policy, const QDateTime &now)
{
    int removed = 0;
    const std::vector<Generation> complete = listGenerations(dir);
    const QSet<QString> keep = generationsToKeep(complete, policy, now);
    for (const Generation &g : complete)
        if (!keep.contains(g.name) && removeGeneration(g.path))
            ++removed;
    // The dated copies of the bill lines and receivables taken when month
    // reports are printed (reserve.dat2026_03_10), each kind on its own.
    static const QRegularExpression dated(QStringLiteral("^(reserve|urikake)\\.dat(\\d{4}_\\d\\d_\\d\\d)$"));
    for (const QString &kind : {QStringLiteral("reserve"), QStringLiteral("urikake")}) {
        std::vector<Generation> copies;
        for (const QString &name : QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks)) {
            const QRegularExpressionMatch m = dated.match(name);
            if (!m.hasMatch() || m.captured(1) != kind || !isPlainFile(joinPath(dir, name)))
                continue;
            Generation c;
            c.name = name;
            c.when = QDateTime(QDate::fromString(m.captured(2), QStringLiteral("yyyy_MM_dd")), QTime(0, 0));
            c.complete = true;
            if (c.when.isValid())
                copies.push_back(c);
        }
        const QSet<QString> keepCopies = generationsToKeep(copies, policy, now);
        for (const Generation &c : copies)
            if (!keepCopies.contains(c.name) && fileOps().unlink(native(joinPath(dir, c.name)).constData()) == 0)
                ++removed;
    }
    return removed;
}

qint64 backupFolderBytes(const QString &dir)
{
    // Each file once however many generations share it.
    QSet<QPair<quint64, quint64>> seen;
    qint64 total = 0;
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories); // does not descend through links
    while (it.hasNext()) {
        struct stat st {};
        if (!lstatPath(it.next(), &st) || !S_ISREG(st.st_mode))
            continue;
        if (!seen.contains({quint64(st.st_dev), quint64(st.st_ino)})) {
            seen.insert({quint64(st.st_dev), quint64(st.st_ino)});
            total += qint64(st.st_blocks) * 512;
        }
    }
    return total;
}

QString backupSpaceAdvice(const QString &dir)
{
    const double mb = double(backupFolderBytes(dir)) / (1024.0 * 1024.0);
    return QStringLiteral("バックアップのフォルダー %1 が %2 MB を使っています。空きを作るには、設定ファイル "
                          "norvelreceipt.ini の [Backup] の KeepSaves・KeepDays・KeepMonths を小さくしてから保存し直すか"
                          "(古いバックアップは保存の前に消されます)、古いバックアップのフォルダーを USB メモリなどへ移してください。")
        .arg(QDir::toNativeSeparators(dir), QString::number(mb, 'f', 1));
}

QString clockWarning(const QString &dir, const QDateTime &now)
{
    const std::vector<Generation> list = listGenerations(dir);
    if (list.empty() || list.front().when <= now.addSecs(60))
        return {};
    return QStringLiteral("パソコンの時計 (%1) が、最後のバックアップの日時 (%2) より前になっています。"
                          "時計が戻されたようです。時計を確かめてください。バックアップは保存の順に並べます。")
        .arg(now.toString(QStringLiteral("yyyy/MM/dd HH:mm")), list.front().when.toString(QStringLiteral("yyyy/MM/dd HH:mm")));
}

void removeIncompleteGenerations(const QString &dir, QStringList *removed)
{
    for (const Generation &g : listGenerations(dir, true, false))
        if (!g.complete && removeGeneration(g.path) && removed)
            *removed << g.name;
}

int unshareHandEditedFiles(const QString &dataDir, const QString &backupDir)
{
    int copied = 0;
    for (const Generation &g : listGenerations(backupDir)) {
        for (const GenerationFile &f : g.files) {
            struct stat kept {}, current {};
            if (!isEditedByHand(f.name) || !lstatPath(joinPath(g.path, f.name), &kept)
                || !lstatPath(joinPath(dataDir, f.name), &current) || kept.st_dev != current.st_dev
                || kept.st_ino != current.st_ino)
                continue;
            // A copy of its own in place of the shared file, through a rename.
            FileFacts facts;
            QString error;
            if (copyInto(joinPath(g.path, f.name), g.path, f.name, &facts, &error))
                ++copied;
        }
    }
    return copied;
}

void keepGenerations(const QString &dataDir, const QString &backupDir, const QString &iniPath)
{
    const QString data = QDir(dataDir).absolutePath();
    const QString backup = QDir(backupDir).absolutePath();
    setCommitKeeper(data, [data, backup, iniPath] { return std::make_unique<GenerationKeeper>(data, backup, iniPath); });
}

bool backupDataFolder(const QString &dataDirPath, const QString &destDir, const QDateTime &now, QString *made,
                      QString *error)
{
    const QString dataDir = QDir(dataDirPath).absolutePath();
    const QString record = joinPath(dataDir, QLatin1String(CommitRecordName));
    struct Open {
        QString name;
        int fd;
        struct stat st;
    };
    std::vector<Open> open;
    auto closeAll = [&] {
        for (const Open &o : open)
            ::close(o.fd);
        open.clear();
    };
    // The set of files is one save's when, after every file is open, no save
    // is under way and every name still leads to the file opened: a save
    // replaces files only by renames, with its record in place throughout.
    bool consistent = false;
    for (int attempt = 0; attempt < 300 && !consistent; ++attempt) {
        closeAll();
        if (attempt > 0)
            QThread::msleep(100);
        if (QFileInfo::exists(record))
            continue;
        QStringList absent;
        bool failed = false;
        for (const QString &n : innFileNames()) {
            const QString path = joinPath(dataDir, n);
            const int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
            if (fd < 0) {
                if (errno != ENOENT) {
                    *error = QStringLiteral("%1 を開けません: %2").arg(QDir::toNativeSeparators(path), safe_file::reason(errno));
                    closeAll();
                    return false;
                }
                absent << n;
                continue;
            }
            Open o{n, fd, {}};
            ::fstat(fd, &o.st);
            open.push_back(o);
            if (!S_ISREG(o.st.st_mode))
                failed = true;
        }
        if (failed) {
            *error = QStringLiteral("データフォルダーに通常のファイルでないものがあります。");
            closeAll();
            return false;
        }
        if (QFileInfo::exists(record))
            continue;
        consistent = true;
        for (const Open &o : open) {
            struct stat st {};
            if (!statPath(joinPath(dataDir, o.name), &st) || st.st_ino != o.st.st_ino || st.st_dev != o.st.st_dev)
                consistent = false;
        }
        for (const QString &n : absent)
            if (QFileInfo::exists(joinPath(dataDir, n)))
                consistent = false;
    }
    if (!consistent) {
        closeAll();
        *error = QStringLiteral("保存が続いているため、一貫した写しを取れませんでした。しばらくしてからやり直してください。");
        return false;
    }
    if (open.empty()) {
        *error = QStringLiteral("%1 に保存するデータファイルがありません。").arg(QDir::toNativeSeparators(dataDir));
        return false;
    }

    const QString dest = QDir(destDir).absolutePath();
    QString folder;
    if (!makeOwnFolder(dest)) {
        closeAll();
        *error = QStringLiteral("フォルダー %1 を作れません: %2").arg(QDir::toNativeSeparators(dest), safe_file::reason(errno));
        return false;
    }
    const int order = nextOrder(listGenerations(dest));
    if (!makeGenerationFolder(dest, now, &folder, error)) {
        closeAll();
        return false;
    }
    std::vector<FileFacts> facts;
    bool ok = true;
    for (const Open &o : open) {
        // Copied as read: the checksum is of the very bytes written.
        QByteArray bytes;
        bytes.reserve(qsizetype(o.st.st_size));
        FileFacts f;
        if (!readFacts(o.fd, o.name, &f, error, [&](const char *p, std::size_t n) {
                bytes.append(p, qsizetype(n));
                return true;
            })) {
            ok = false;
            break;
        }
        QByteArray temporary;
        const QString target = joinPath(folder, o.name);
        if (!safe_file::writeTemporary(target, bytes.constData(), std::size_t(bytes.size()), &temporary)
            || fileOps().rename(temporary.constData(), native(target).constData()) != 0) {
            const int err = errno;
            if (!temporary.isEmpty())
                fileOps().unlink(temporary.constData());
            *error = QStringLiteral("%1 を %2 に書き込めません: %3")
                         .arg(o.name, QDir::toNativeSeparators(folder), safe_file::reason(err));
            ok = false;
            break;
        }
        facts.push_back(f);
    }
    closeAll();
    if (ok)
        ok = writeManifest(folder, manifestText(now, order, facts), error) && safe_file::syncDirectory(native(dest));
    if (!ok) {
        removeGeneration(folder);
        return false;
    }
    *made = folder;
    return true;
}

bool restoreGeneration(const Generation &given, const QString &dataDir, QString *error)
{
    // Read afresh from the folder, whoever asks and whatever they were told:
    // only a generation whose manifest is whole and whose every file checks.
    Generation g = readGeneration(given.path);
    std::vector<QByteArray> bytes;
    if (!g.complete && g.problem.isEmpty())
        g.problem = QStringLiteral("作成途中で止まったバックアップです (目録がありません)");
    // The bytes restored are the very bytes checked, read once.
    if (!g.problem.isEmpty() || !checkFiles(g, true, &bytes)) {
        *error = QStringLiteral("バックアップ %1 は壊れているため、復元できません。\n%2").arg(g.name, g.problem);
        return false;
    }
    QStringList names;
    for (const GenerationFile &f : g.files)
        names << f.name;
    // Bill lines and receivables that did not exist then are none now.
    for (const QString &n : {QStringLiteral("reserve.dat"), QStringLiteral("urikake.dat")})
        if (!names.contains(n) && QFileInfo::exists(joinPath(dataDir, n))) {
            bytes.emplace_back();
            names << n;
        }
    std::vector<FileContent> contents;
    for (size_t i = 0; i < bytes.size(); ++i)
        contents.push_back({names[qsizetype(i)], bytes[i].constData(), std::size_t(bytes[i].size())});
    QString commitError;
    const CommitResult r = commitFiles(dataDir, contents, &commitError);
    *error = commitError;
    return r == CommitResult::Done || r == CommitResult::DoneUnconfirmed;
}
