#include "generations.h"

#include "checksum.h"
#include "commit_keeper.h"
#include "clock.h"
#include "file_commit.h"
#include "file_ops.h"
#include "ini_file.h"
#include "records.h"
#include "safe_file.h"

#include <QDir>
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

bool isRegularFile(const QString &path)
{
    struct stat st {};
    return statPath(path, &st) && S_ISREG(st.st_mode);
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

bool readFactsOf(const QString &path, const QString &name, FileFacts *facts, QString *error)
{
    const int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *error = QStringLiteral("%1 を開けません: %2").arg(name, safe_file::reason(errno));
        return false;
    }
    const bool ok = readFacts(fd, name, facts, error);
    ::close(fd);
    return ok;
}

QByteArray manifestText(const QDateTime &when, const std::vector<FileFacts> &facts)
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
    t += "bills\t" + QByteArray::number(bills) + '\n';
    t += "settled\t" + (settled.isEmpty() ? QByteArray("-") : settled.toLatin1()) + '\n';
    for (const FileFacts &f : facts)
        t += "file\t" + f.file.name.toUtf8() + '\t' + QByteArray::number(f.file.size) + '\t' + f.file.checksum + '\n';
    t += "end\t" + QByteArray::number(qsizetype(facts.size())) + '\n';
    return t;
}

// False when the text is no whole manifest.
bool parseManifest(const QByteArray &text, Generation *g)
{
    QList<QByteArray> lines = text.split('\n');
    if (lines.size() < 6 || lines.takeFirst() != ManifestHeader || !lines.takeLast().isEmpty())
        return false;
    const QList<QByteArray> end = lines.takeLast().split('\t');
    g->files.clear();
    for (const QByteArray &line : lines) {
        const QList<QByteArray> f = line.split('\t');
        if (f[0] == "file" && f.size() == 4) {
            bool ok = false;
            GenerationFile file{QString::fromUtf8(f[1]), f[2].toLongLong(&ok), f[3]};
            if (!ok || file.size < 0 || file.checksum.size() != 16 || file.name.contains(QLatin1Char('/'))
                || file.name.startsWith(QLatin1Char('.')))
                return false;
            g->files.push_back(file);
        } else if (f[0] == "bills" && f.size() == 2) {
            g->bills = f[1].toInt();
        } else if (f[0] == "settled" && f.size() == 2) {
            g->newestSettlement = f[1] == "-" ? QString() : QString::fromLatin1(f[1]);
        } else if (f[0] != "saved" || f.size() != 2) {
            return false;
        }
    }
    return end.size() == 2 && end[0] == "end" && end[1] == QByteArray::number(qsizetype(g->files.size()));
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
        *error = QStringLiteral("バックアップの目録を書き込めません: %1").arg(safe_file::reason(err));
        return false;
    }
    if (fileOps().rename(temporary.constData(), native(joinPath(folder, QLatin1String(ManifestName))).constData()) != 0
        || !safe_file::syncDirectory(dir)) {
        const int err = errno;
        fileOps().unlink(temporary.constData());
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
        if (fileOps().mkdir(native(path).constData(), 0777) == 0) {
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
// file and a rename; for where a hard link cannot be made.
bool copyInto(const QString &from, const QString &folder, const QString &name, QString *error)
{
    QFile f(from);
    QByteArray bytes;
    if (f.open(QIODevice::ReadOnly))
        bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        *error = QStringLiteral("%1 を読めません: %2").arg(name, f.errorString());
        return false;
    }
    QByteArray temporary;
    const QString target = joinPath(folder, name);
    if (!safe_file::writeTemporary(target, bytes.constData(), std::size_t(bytes.size()), &temporary)
        || fileOps().rename(temporary.constData(), native(target).constData()) != 0) {
        const int err = errno;
        if (!temporary.isEmpty())
            fileOps().unlink(temporary.constData());
        *error = QStringLiteral("%1 をバックアップに写せません: %2").arg(name, safe_file::reason(err));
        return false;
    }
    return true;
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
        for (const QString &n : protectedFileNames())
            if (isRegularFile(joinPath(dataDir, n)))
                names << n;
        if (names.isEmpty())
            return true; // nothing yet to keep
        if (!QDir().mkpath(backupDir)) {
            *error = QStringLiteral("フォルダー %1 を作れません。").arg(QDir::toNativeSeparators(backupDir));
            return false;
        }
        // The newest generation may already hold some files as they are (the
        // same file through a link): their checksums need no second reading.
        const std::vector<Generation> previous = listGenerations(backupDir, false, false);
        const Generation newest = previous.empty() ? Generation() : readGeneration(previous.front().path);

        if (!makeGenerationFolder(backupDir, when, &folder, error))
            return false;
        for (const QString &n : names) {
            const QString from = joinPath(dataDir, n);
            const QString to = joinPath(folder, n);
            if (fileOps().link(native(from).constData(), native(to).constData()) != 0) {
                if (errno != EXDEV && errno != EPERM && errno != EMLINK && errno != EOPNOTSUPP) {
                    *error = QStringLiteral("%1 をバックアップに残せません: %2").arg(n, safe_file::reason(errno));
                    return false;
                }
                if (!copyInto(from, folder, n, error))
                    return false;
            }
            FileFacts f;
            f.file.name = n;
            if (newest.ok())
                reuse(newest, n, &f);
            facts.push_back(f);
        }
        // The reading runs beside the writing of the new files.
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
        return writeManifest(folder, manifestText(when, facts), error);
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

private:
    void join()
    {
        if (worker.joinable())
            worker.join();
    }
    // Takes the facts of a file that the newest generation holds as the same file.
    void reuse(const Generation &newest, const QString &name, FileFacts *f) const
    {
        struct stat now {}, kept {};
        if (!statPath(joinPath(dataDir, name), &now) || !statPath(joinPath(newest.path, name), &kept)
            || now.st_dev != kept.st_dev || now.st_ino != kept.st_ino)
            return;
        for (const GenerationFile &g : newest.files)
            if (g.name == name && g.size == qint64(now.st_size)) {
                f->file = g;
                if (name == QLatin1String("reserve.dat")) {
                    f->summarised = true;
                    f->bills = newest.bills;
                    f->newestSettlement = newest.newestSettlement;
                }
            }
    }

    QString dataDir, backupDir, iniPath;
    QDateTime when;
    QString folder; // the generation being made; empty when none
    std::vector<FileFacts> facts;
    std::thread worker;
    QString workerError;
};

bool newerFirst(const Generation &a, const Generation &b)
{
    return a.when != b.when ? a.when > b.when : a.sequence > b.sequence;
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

QStringList protectedFileNames()
{
    // The item master's nine files as start-up names them (a test keeps the two lists in step).
    QStringList n{QStringLiteral("base.dat"),    QStringLiteral("kmk_syu.dat"), QStringLiteral("kmk_opt.dat"),
                  QStringLiteral("kmk_day.dat"), QStringLiteral("kmk_nbk.dat"), QStringLiteral("kmk_ttk.dat"),
                  QStringLiteral("kmk_oth.dat"), QStringLiteral("kmk_urk.dat"), QStringLiteral("kmk_cpn.dat"),
                  QStringLiteral("kmk_mae.dat")};
    n << QStringLiteral("reserve.dat") << QStringLiteral("urikake.dat") << QStringLiteral("norvelreceipt.ini")
      << QStringLiteral("logo.bmp") << QStringLiteral("receipts.dat");
    return n;
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
    QFile f(joinPath(g.path, QLatin1String(ManifestName)));
    if (!f.exists())
        return g;
    g.complete = true;
    QByteArray text;
    if (f.open(QIODevice::ReadOnly))
        text = f.read(1 << 20);
    if (f.error() != QFileDevice::NoError)
        g.problem = QStringLiteral("目録を読めません: %1").arg(f.errorString());
    else if (!parseManifest(text, &g))
        g.problem = QStringLiteral("目録が壊れています");
    return g;
}

std::vector<Generation> listGenerations(const QString &dir, bool withIncomplete, bool readManifests)
{
    std::vector<Generation> list;
    const QDir d(dir);
    for (const QString &name : d.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden)) {
        Generation g;
        if (!parseGenerationName(name, &g.when, &g.sequence))
            continue;
        if (readManifests) {
            g = readGeneration(d.filePath(name));
        } else {
            g.name = name;
            g.path = QDir(d.filePath(name)).absolutePath();
            g.complete = QFileInfo::exists(joinPath(g.path, QLatin1String(ManifestName)));
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
    QStringList problems;
    for (const GenerationFile &f : g.files) {
        const QString path = joinPath(g.path, f.name);
        struct stat st {};
        if (!statPath(path, &st) || !S_ISREG(st.st_mode)) {
            problems << QStringLiteral("%1 がありません").arg(f.name);
            continue;
        }
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
        if (checksums) {
            FileFacts facts;
            QString error;
            if (!readFactsOf(path, f.name, &facts, &error))
                problems << error;
            else if (facts.file.checksum != f.checksum)
                problems << QStringLiteral("%1 の中身が目録と違います (チェックサム不一致)").arg(f.name);
        }
    }
    g.problem = problems.join(QStringLiteral("、"));
    return g.problem.isEmpty();
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
    // The manifest first: a stop halfway leaves a folder that is plainly no
    // whole generation.
    const QByteArray manifest = native(joinPath(path, QLatin1String(ManifestName)));
    if (fileOps().unlink(manifest.constData()) != 0 && errno != ENOENT)
        return false;
    bool ok = true;
    for (const QString &name : QDir(path).entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (fileOps().unlink(native(joinPath(path, name)).constData()) != 0)
            ok = false;
    return fileOps().rmdir(native(path).constData()) == 0 && ok;
}

void pruneGenerations(const QString &dir, const GenerationPolicy &policy, const QDateTime &now)
{
    const std::vector<Generation> complete = listGenerations(dir, false, false);
    const QSet<QString> keep = generationsToKeep(complete, policy, now);
    for (const Generation &g : complete)
        if (!keep.contains(g.name))
            removeGeneration(g.path);
}

void removeIncompleteGenerations(const QString &dir)
{
    for (const Generation &g : listGenerations(dir, true, false))
        if (!g.complete)
            removeGeneration(g.path);
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
        for (const QString &n : protectedFileNames()) {
            const QString path = joinPath(dataDir, n);
            const int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC);
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
    if (!QDir().mkpath(dest)) {
        closeAll();
        *error = QStringLiteral("フォルダー %1 を作れません。").arg(QDir::toNativeSeparators(dest));
        return false;
    }
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
        ok = writeManifest(folder, manifestText(now, facts), error) && safe_file::syncDirectory(native(dest));
    if (!ok) {
        removeGeneration(folder);
        return false;
    }
    *made = folder;
    return true;
}

bool restoreGeneration(const Generation &given, const QString &dataDir, QString *error)
{
    Generation g = given;
    g.problem.clear();
    if (!checkGeneration(g, true)) {
        *error = QStringLiteral("バックアップ %1 は壊れているため、復元できません。\n%2").arg(g.name, g.problem);
        return false;
    }
    std::vector<QByteArray> bytes;
    QStringList names;
    for (const GenerationFile &f : g.files) {
        QFile file(joinPath(g.path, f.name));
        QByteArray b;
        if (file.open(QIODevice::ReadOnly))
            b = file.readAll();
        if (file.error() != QFileDevice::NoError || b.size() != f.size) {
            *error = QStringLiteral("バックアップの %1 を読めません: %2").arg(f.name, file.errorString());
            return false;
        }
        bytes.push_back(b);
        names << f.name;
    }
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
