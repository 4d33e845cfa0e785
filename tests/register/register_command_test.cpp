// The register from the command line, run as a user would: an import makes
// the register (printing the recovery key once), an export of a range writes
// the columns, importing that export elsewhere gives the same export, a row
// it cannot take stores nothing, a wrong pass phrase is refused, and every
// export and import is in the register's log.

#include "register/guest_register.h"
#include "register/register_store.h"
#include "shell/program_run.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The program copied into dataDir, which it keeps its data beside.
ProgramRun runNorvel(const QString &dataDir, const QStringList &args)
{
    const QString program = dataDir + QStringLiteral("/norvel");
    if (!QFile::exists(program)) {
        EXPECT_TRUE(QFile::copy(QStringLiteral(NORVEL_BINARY_DIR "/bin/norvel"), program));
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    // No terminal: the pass phrase can only come from the file.
    return runProgram(program, args);
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

const QByteArray kCsv = "\xEF\xBB\xBF"
                        "到着日,出発日,請求番号,部屋,氏名,フリガナ,住所,連絡先,国籍,旅券番号,年齢,性別,前泊地,行先地\r\n"
                        "2026/04/01,2026/04/03,120,松,山田 太郎,ヤマダ タロウ,長野県松本市,0263-00-0000,JP,,45,男,,\r\n"
                        "2026/04/01,2026/04/03,120,松,山田 ひなた,ヤマダ ヒナタ,長野県松本市,0263-00-0000,JP,,7,女,,\r\n"
                        "2026/04/02,2026/04/03,121,竹,Jürgen Müller,ミュラー,\"Hauptstr. 5, Berlin\",+49 30 0000,DE,C01X00T47,,,京都市,金沢市\r\n"
                        "2026/05/10,2026/05/11,,梅,Siobhán O'Brien,,Dublin,siobhan@example.ie,IE,PA1234567,,,,\r\n";

TEST(RegisterCommand, ImportThenExportOfARangeAndBackGivesTheSameExport)
{
    QTemporaryDir data, other, work;
    const QString pass = work.filePath(QStringLiteral("pass.txt"));
    writeAll(pass, "松竹梅の合言葉\n");
    const QString in = work.filePath(QStringLiteral("paper.csv"));
    writeAll(in, kCsv);

    const ProgramRun imported = runNorvel(data.path(), {"--import-register", in, "--passphrase-file", pass});
    ASSERT_EQ(imported.status, 0) << imported.err.toStdString();
    EXPECT_TRUE(imported.out.contains(QStringLiteral("4 件"))) << imported.out.toStdString();
    EXPECT_TRUE(imported.out.contains(QStringLiteral("回復キー")));

    const QString out = work.filePath(QStringLiteral("april.csv"));
    const ProgramRun exported = runNorvel(
        data.path(), {"--export", "register", "--from", "2026-04-01", "--to", "2026-04-30", "--out", out, "--passphrase-file", pass});
    ASSERT_EQ(exported.status, 0) << exported.err.toStdString();
    const QByteArray april = readAll(out);
    EXPECT_EQ(april, kCsv.left(kCsv.indexOf("2026/05/10")));

    // The export taken in by another inn's program gives the same export.
    ASSERT_EQ(runNorvel(other.path(), {"--import-register", out, "--passphrase-file", pass}).status, 0);
    const QString again = work.filePath(QStringLiteral("again.csv"));
    ASSERT_EQ(runNorvel(other.path(), {"--export=register", "--from=2026-04-01", "--to=2026-04-30", "--out", again,
                                       "--passphrase-file", pass})
                  .status,
              0);
    EXPECT_EQ(readAll(again), april);

    // Both are in the log, and the data folder holds no name in plain.
    RegisterFileStore store(data.path());
    GuestRegister reg(store);
    QString error;
    ASSERT_TRUE(reg.unlock("松竹梅の合言葉", &error)) << error.toStdString();
    ASSERT_EQ(reg.log().size(), 2u);
    EXPECT_EQ(reg.log()[0].what, QStringLiteral("取り込み"));
    EXPECT_EQ(reg.log()[1].what, QStringLiteral("書き出し"));
    EXPECT_TRUE(reg.log()[1].detail.contains(QStringLiteral("3 件")));
    for (const QString &f : QDir(data.path()).entryList(QDir::Files | QDir::Hidden))
        EXPECT_FALSE(readAll(data.filePath(f)).contains(QStringLiteral("Jürgen").toUtf8())) << f.toStdString();
}

TEST(RegisterCommand, RefusalsStoreNothingAndSayWhy)
{
    QTemporaryDir data, work;
    const QString pass = work.filePath(QStringLiteral("pass.txt"));
    writeAll(pass, "right\r\n");
    const QString wrong = work.filePath(QStringLiteral("wrong.txt"));
    writeAll(wrong, "wrong\n");
    const QString bad = work.filePath(QStringLiteral("bad.csv"));
    QByteArray badCsv = kCsv;
    badCsv.replace("C01X00T47", "C01-X");
    writeAll(bad, badCsv);

    const ProgramRun refused = runNorvel(data.path(), {"--import-register", bad, "--passphrase-file", pass});
    EXPECT_EQ(refused.status, 3);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("4 行目: 旅券番号"))) << refused.err.toStdString();
    EXPECT_EQ(QDir(data.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("norvel")});

    const QString good = work.filePath(QStringLiteral("good.csv"));
    writeAll(good, kCsv);
    ASSERT_EQ(runNorvel(data.path(), {"--import-register", good, "--passphrase-file", pass}).status, 0);
    const QByteArray before = readAll(data.filePath(QStringLiteral("register.dat")));

    struct Case {
        const char *name;
        QStringList args;
        int status;
        const char *err;
    };
    const QString out = work.filePath(QStringLiteral("out.csv"));
    for (const Case &c : {Case{"wrong pass phrase", {"--export", "register", "--from", "2026-04-01", "--to", "2026-04-30", "--out", out, "--passphrase-file", wrong}, 6, "合言葉が違います"},
                          Case{"no terminal, no file", {"--export", "register", "--from", "2026-04-01", "--to", "2026-04-30", "--out", out}, 6, "--passphrase-file"},
                          Case{"import without a file", {"--import-register", good}, 2, "--passphrase-file"},
                          Case{"range backwards", {"--export", "register", "--from", "2026-04-30", "--to", "2026-04-01", "--out", out, "--passphrase-file", pass}, 2, "--from"},
                          Case{"unknown option", {"--export", "register", "--month", "2026-04", "--passphrase-file", pass}, 2, "--month"},
                          Case{"wrong pass phrase on import", {"--import-register", good, "--passphrase-file", wrong}, 6, "合言葉が違います"}}) {
        SCOPED_TRACE(c.name);
        const ProgramRun r = runNorvel(data.path(), c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.err))) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(out));
        EXPECT_EQ(readAll(data.filePath(QStringLiteral("register.dat"))), before);
    }
}

} // namespace
