// A change of pass phrase re-seals every file of the register in one commit.
// Every file operation of it fails in turn (once, and as a disk that stays
// full), and the process is killed before each one: after the next start the
// register opens whole with the old pass phrase or whole with the new one,
// no temporary file is left and no file ever held a guest's name in plain.

#include "register/guest_register.h"
#include "register/register_store.h"
#include "storage/app_data.h"
#include "storage/library.h"
#include "billing/fault_ops.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sys/wait.h>

namespace {

const QDateTime kNow(QDate(2026, 12, 11), QTime(10, 0));
const QByteArray kOld("古い合言葉"), kNew("新しい合言葉");
const QString kName = QStringLiteral("Zoë Ångström");

using Files = std::map<QString, QByteArray>;

Files readFiles(const QString &dir)
{
    Files files;
    for (const QString &name : registerFileNames()) {
        QFile f(dir + QLatin1Char('/') + name);
        if (f.open(QIODevice::ReadOnly))
            files[name] = f.readAll();
    }
    return files;
}

void writeFiles(const QString &dir, const Files &files)
{
    for (const auto &[name, bytes] : files) {
        QFile f(dir + QLatin1Char('/') + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
}

bool anyFileHolds(const QString &dir, const QByteArray &needle)
{
    QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        if (f.open(QIODevice::ReadOnly) && f.readAll().contains(needle))
            return true;
    }
    return false;
}

struct Figures {
    int runs = 0, broken = 0, leftBehind = 0, plain = 0, untrue = 0, olds = 0, news = 0;
};

class RegisterSaveFaults : public ::testing::Test {
protected:
    void SetUp() override
    {
        QTemporaryDir dir(sweepRoot());
        RegisterFileStore store(dir.path());
        GuestRegister reg(store);
        QString recovery, error;
        ASSERT_TRUE(reg.create(kOld, &recovery, &error));
        RegisterEntry e;
        e.name = kName;
        e.firstNight = kNow.date();
        reg.put(e, kNow);
        ASSERT_TRUE(reg.setPassportImage(1, "picture of " + kName.toUtf8(), &error));
        ASSERT_TRUE(reg.save(&error));
        oldFiles = readFiles(dir.path());
        ASSERT_EQ(oldFiles.size(), 3u);
        FaultOps counter;
        {
            ScopedOps scoped(&counter);
            ASSERT_TRUE(change(store, &error)) << error.toStdString();
        }
        operations = counter.calls;
        ASSERT_GT(operations, 10);
    }

    static bool change(RegisterStore &store, QString *error)
    {
        GuestRegister reg(store);
        QString recovery;
        return reg.unlock(kOld, error) && reg.changePassphrase(kNew, &recovery, error);
    }

    // After the next start: "old", "new" or "broken".
    QString state(const QString &dir, Figures &fig) const
    {
        AppData data;
        TLibrary lib;
        EXPECT_TRUE(loadAppData(data, lib, dir, kNow).isEmpty());
        for (const QString &f : QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System))
            if (!registerFileNames().contains(f))
                ++fig.leftBehind;
        RegisterFileStore store(dir);
        GuestRegister reg(store);
        QString error;
        const bool old = readFiles(dir).at(QStringLiteral("register.key")) == oldFiles.at(QStringLiteral("register.key"));
        QByteArray image;
        if (!reg.unlock(old ? kOld : kNew, &error) || reg.entries().size() != 1 || reg.entries()[0].name != kName
            || !reg.passportImage(1, &image, &error) || image != "picture of " + kName.toUtf8())
            return QStringLiteral("broken");
        if (old && readFiles(dir) != oldFiles)
            return QStringLiteral("broken");
        return old ? QStringLiteral("old") : QStringLiteral("new");
    }

    Figures sweep(FaultOps::Mode mode)
    {
        Figures fig;
        for (int at = 1; at <= operations; ++at) {
            SCOPED_TRACE(at);
            QTemporaryDir dir(sweepRoot());
            writeFiles(dir.path(), oldFiles);
            RegisterFileStore store(dir.path());
            bool saved = false;
            if (mode == FaultOps::KillBefore) {
                std::fflush(nullptr);
                const pid_t child = ::fork();
                if (child == 0) {
                    FaultOps faults;
                    faults.mode = mode;
                    faults.at = at;
                    setFileOps(&faults);
                    QString error;
                    change(store, &error);
                    ::_exit(0);
                }
                int status = 0;
                ::waitpid(child, &status, 0);
            } else {
                FaultOps faults;
                faults.mode = mode;
                faults.at = at;
                ScopedOps scoped(&faults);
                QString error;
                saved = change(store, &error);
            }
            ++fig.runs;
            if (anyFileHolds(dir.path(), kName.toUtf8()))
                ++fig.plain;
            const QString s = state(dir.path(), fig);
            if (s == QLatin1String("broken"))
                ++fig.broken;
            (s == QLatin1String("old") ? fig.olds : fig.news) += 1;
            // A save that said it was made holds the new register.
            if (saved && s != QLatin1String("new"))
                ++fig.untrue;
        }
        std::printf("%d runs: %d old, %d new, %d broken, %d left behind, %d with plain text, %d untrue\n", fig.runs,
                    fig.olds, fig.news, fig.broken, fig.leftBehind, fig.plain, fig.untrue);
        return fig;
    }

    Files oldFiles;
    int operations = 0;
};

TEST_F(RegisterSaveFaults, AChangeOfPassPhraseIsOldOrNewUnderEveryFault)
{
    for (auto mode : {FaultOps::FailOnce, FaultOps::DiskFull, FaultOps::KillBefore}) {
        SCOPED_TRACE(int(mode));
        const Figures f = sweep(mode);
        EXPECT_EQ(f.runs, operations);
        EXPECT_EQ(f.broken, 0);
        EXPECT_EQ(f.leftBehind, 0);
        EXPECT_EQ(f.plain, 0);
        EXPECT_EQ(f.untrue, 0);
        EXPECT_GT(f.olds, 0);
    }
}

} // namespace
