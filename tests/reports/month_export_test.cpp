// The command-line export run as the accountant runs it: the real program,
// copied into a program directory of its own, without any display. The
// reports themselves run against the record files and against a database
// the folder was imported into, with the same expectations.

#include "reports/item_sales.h"
#include "reports/month_export.h"
#include "reports/receivables.h"
#include "report_fixtures.h"
#include "storage/library.h"
#include "storage/store_kinds.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

struct Outcome {
    int status = -1;
    QString err;
    QString out;
};

class MonthExport : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        program = dir.filePath(QStringLiteral("norvel"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(NORVEL_BINARY_DIR "/bin/norvel"), program));
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        data.BaseData = reportSettings();
        data.ReserveList = lineList({
            billLine(1, "2008/03/02", "2008/03/01", 1601001, 10000, 2),
            billLine(1, "2008/03/02", "2008/03/01", 1601101, 1500, 1),
            billLine(2, "2008/04/01", "2008/03/31", 1601001, 8000, 1),
        });
        data.UrikakeList = receivableList({receivable(1, "2008/03/02", 101001, 10000)});
        save(data);
    }

    void save(const AppData &d)
    {
        TLibrary lib;
        ASSERT_TRUE(lib.WriteRecords(&d.BaseData, sizeof(TBaseData), dir.filePath("base.dat"), 1));
        ASSERT_TRUE(lib.WriteRecords(d.ReserveList.data(), sizeof(TReserveData), dir.filePath("reserve.dat"),
                                     int(d.ReserveList.size())));
        ASSERT_TRUE(lib.WriteRecords(d.UrikakeList.data(), sizeof(TUrikakeData), dir.filePath("urikake.dat"),
                                     int(d.UrikakeList.size())));
    }

    // Whether the program reads a database the data folder was imported into.
    virtual bool inDatabase() const { return false; }

    Outcome run(const QStringList &args)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", DatabaseEnvironment})
            env.remove(QLatin1String(name));
        if (inDatabase()) {
            QString error;
            const QString database = newTestDatabase(&error);
            FolderContents contents;
            EXPECT_TRUE(!database.isEmpty() && readFolderContents(dir.path(), &contents, &error)
                        && PgStore(database, QStringLiteral("desk")).importFolder(contents, nullptr, &error))
                << error.toStdString();
            env.insert(QLatin1String(DatabaseEnvironment), database);
        }
        p.setProcessEnvironment(env);
        p.start(program, args);
        EXPECT_TRUE(p.waitForFinished(60000));
        Outcome r;
        r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.err = QString::fromLocal8Bit(p.readAllStandardError());
        r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
        return r;
    }

    QByteArray fileBytes(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QStringList entries() { return QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden); }

    QTemporaryDir dir;
    QTemporaryDir outDir;
    QString program;
    AppData data;
};

class MonthExportFromEitherStore : public MonthExport, public ::testing::WithParamInterface<StoreKind> {
protected:
    void SetUp() override
    {
        QString why;
        if (inDatabase() && !PgServer::shared(&why))
            GTEST_SKIP() << why.toStdString();
        MonthExport::SetUp();
    }
    bool inDatabase() const override { return GetParam() == StoreKind::Database; }
};

TEST_P(MonthExportFromEitherStore, WritesTheWindowsGridAsCsvAndNothingElse)
{
    struct Case { const char *report; MonthGrid expected; };
    const Case cases[] = {
        {"bathing", nyutouzeiMonth(data, ReportMonth(2008, 3))},
        {"sales", getujiMonth(data, ReportMonth(2008, 3))},
        {"receivables", receivablesMonth(data, ReportMonth(2008, 3))},
        {"items", itemSalesMonth(data, ReportMonth(2008, 3), 0)},
    };
    const QStringList before = entries();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.report);
        const QString out = outDir.filePath(QLatin1String(c.report) + QStringLiteral(".csv"));
        const Outcome r = run({"--export", c.report, "--month", "2008-03", "--out", out});
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_TRUE(r.err.isEmpty());
        EXPECT_TRUE(r.out.isEmpty());
        ASSERT_TRUE(c.expected.error.isEmpty());
        EXPECT_EQ(fileBytes(out), monthGridCsv(c.expected));
    }
    // The program directory is as it was: no backup folder, no lock, no settings file.
    EXPECT_EQ(entries(), before);
    // The sales file holds what the grid shows on the 2nd.
    const QByteArray sales = fileBytes(outDir.filePath("sales.csv"));
    EXPECT_TRUE(sales.startsWith("\xEF\xBB\xBF"));
    EXPECT_TRUE(sales.contains(QStringLiteral("\r\n2(日),20000,,,1500,,,21500,1720,300,,23520,,13520,10000\r\n").toUtf8()));
}

TEST_P(MonthExportFromEitherStore, OptionsWithEqualsSignsAndACategoryAreAccepted)
{
    const QString out = outDir.filePath("b.csv");
    const Outcome r = run({"--export=bathing", "--month=2008-03", "--category=2", "--out=" + out});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(fileBytes(out), monthGridCsv(nyutouzeiMonth(data, ReportMonth(2008, 3))));
}

TEST_P(MonthExportFromEitherStore, ReceivablesAndItemsOfACategoryNameTheirItems)
{
    // The item master on disk: the card companies give the card kind's name,
    // the chosen category the listed items.
    seedDefaultKamoku(data.KamokuList);
    TLibrary lib;
    for (int i = 0; i < KamokuCategories; ++i)
        ASSERT_TRUE(lib.WriteRecords(data.KamokuList[i].data(), sizeof(THojoKamoku), dir.filePath(KamokuFileNames[i]),
                                     int(data.KamokuList[i].size())));
    const QString receivables = outDir.filePath("r.csv"), options = outDir.filePath("o.csv");
    Outcome r = run({"--export", "receivables", "--month", "2008-03", "--out", receivables});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(fileBytes(receivables), monthGridCsv(receivablesMonth(data, ReportMonth(2008, 3))));
    EXPECT_TRUE(fileBytes(receivables).contains(QStringLiteral("\r\n02(日),1,,JCB,10000\r\n合計,,,,10000\r\n").toUtf8()));
    r = run({"--export", "items", "--month", "2008-03", "--category", "1", "--out", options});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(fileBytes(options), monthGridCsv(itemSalesMonth(data, ReportMonth(2008, 3), 1)));
    EXPECT_TRUE(fileBytes(options).contains(QStringLiteral("\r\n1601101,追加料理等オプション,1,1500\r\n").toUtf8()));
}

// A message of the command line is in one language, Japanese like the rest
// of the program: once the names the user typed or must type (options,
// report names, paths) are taken out, no English word is left.
void expectJapanese(QString message, const QStringList &args)
{
    static const QRegularExpression typed(QStringLiteral("norvel|--[a-z]+|YYYY-MM|bathing|sales|receivables|items|lodging|/\\S*"));
    for (const QString &a : args)
        message.remove(a);
    message.remove(typed);
    EXPECT_FALSE(message.contains(QRegularExpression(QStringLiteral("[A-Za-z]{3,}")))) << message.toStdString();
    EXPECT_TRUE(message.contains(QRegularExpression(QStringLiteral("[\\x{3040}-\\x{30ff}\\x{4e00}-\\x{9fff}]"))))
        << message.toStdString();
}

TEST_F(MonthExport, EachFailureHasItsStatusAndOneLineMessage)
{
    const QString out = outDir.filePath("x.csv");
    struct Case {
        const char *name;
        QStringList args;
        int status;
        const char *says;
    };
    const Case cases[] = {
        {"unknown report", {"--export", "profit", "--month", "2008-03", "--out", out}, ExportUsage, "知らない帳票「profit」"},
        {"month without dash", {"--export", "sales", "--month", "200803", "--out", out}, ExportUsage, "の書き方が正しくありません"},
        {"month 13", {"--export", "sales", "--month", "2008-13", "--out", out}, ExportUsage, "の書き方が正しくありません"},
        {"one-digit month", {"--export", "sales", "--month", "2008-3", "--out", out}, ExportUsage, "の書き方が正しくありません"},
        {"month missing", {"--export", "sales", "--out", out}, ExportUsage, "--month YYYY-MM がありません"},
        {"out missing", {"--export", "sales", "--month", "2008-03"}, ExportUsage, "--out ファイル がありません"},
        {"value missing", {"--export", "sales", "--out", out, "--month"}, ExportUsage, "--month の値がありません"},
        {"category 3", {"--export", "items", "--month", "2008-03", "--category", "3", "--out", out}, ExportUsage, ""},
        {"unknown option", {"--export", "sales", "--month", "2008-03", "--out", out, "--pdf"}, ExportUsage,
         "知らない引数「--pdf」"},
        {"folder of the output missing",
         {"--export", "sales", "--month", "2008-03", "--out", outDir.filePath("none/x.csv")}, ExportWriteError, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome r = run(c.args);
        EXPECT_EQ(r.status, c.status) << r.err.toStdString();
        EXPECT_TRUE(r.err.startsWith(QStringLiteral("norvel: "))) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.says))) << r.err.toStdString();
        EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
        expectJapanese(r.err, c.args);
        EXPECT_FALSE(QFile::exists(out));
    }
}

TEST_F(MonthExport, UnreadableDataFilesAreReported)
{
    const QString out = outDir.filePath("x.csv");
    const QStringList args = {"--export", "sales", "--month", "2008-03", "--out", out};
    // A reserve.dat cut in the middle of a record.
    QByteArray bytes = fileBytes(dir.filePath("reserve.dat"));
    bytes.chop(100);
    {
        QFile f(dir.filePath("reserve.dat"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    Outcome r = run(args);
    EXPECT_EQ(r.status, ExportDataError);
    EXPECT_TRUE(r.err.contains(QStringLiteral("reserve.dat"))) << r.err.toStdString();
    expectJapanese(r.err, args);
    EXPECT_FALSE(QFile::exists(out));
    // An urikake.dat that is a folder.
    save(data);
    ASSERT_TRUE(QFile::remove(dir.filePath("urikake.dat")));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("urikake.dat")));
    r = run(args);
    EXPECT_EQ(r.status, ExportDataError);
    EXPECT_TRUE(r.err.contains(QStringLiteral("urikake.dat"))) << r.err.toStdString();
    EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1);
    expectJapanese(r.err, args);
}

// The dated settings are part of the data: settings that cannot be read
// would give other figures than the window, so nothing is written.
TEST_F(MonthExport, UnreadableMoneySettingsAreReported)
{
    QFile ini(dir.filePath("norvelreceipt.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[MoneySettings]\r\nTaxRates=2019/10/01:ten\r\n");
    ini.close();
    const QString out = outDir.filePath("x.csv");
    const QStringList args = {"--export", "sales", "--month", "2008-03", "--out", out};
    const Outcome r = run(args);
    EXPECT_EQ(r.status, ExportDataError);
    EXPECT_TRUE(r.err.contains(QStringLiteral("norvelreceipt.ini"))) << r.err.toStdString();
    EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(out));
}

TEST_P(MonthExportFromEitherStore, MissingDataFilesGiveAnEmptyMonth)
{
    for (const char *name : {"base.dat", "reserve.dat", "urikake.dat"})
        ASSERT_TRUE(QFile::remove(dir.filePath(QLatin1String(name))));
    const QString out = outDir.filePath("e.csv");
    const Outcome r = run({"--export", "sales", "--month", "2008-02", "--out", out});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    AppData empty;
    setDefaultBaseData(empty.BaseData);
    EXPECT_EQ(fileBytes(out), monthGridCsv(getujiMonth(empty, ReportMonth(2008, 2))));
}

TEST_P(MonthExportFromEitherStore, AMonthBeyondRangeIsReported)
{
    data.ReserveList = lineList({billLine(1, "2008/03/02", "2008/03/01", 1601101, INT32_MAX, INT32_MAX)});
    save(data);
    const QString out = outDir.filePath("x.csv");
    const Outcome r = run({"--export", "sales", "--month", "2008-03", "--out", out});
    EXPECT_EQ(r.status, ExportNoResult);
    EXPECT_TRUE(r.err.contains(QStringLiteral("2008年03月分"))) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(out));
}

INSTANTIATE_TEST_SUITE_P(Stores, MonthExportFromEitherStore, ::testing::Values(StoreKind::Files, StoreKind::Database),
                         storeKindName);

} // namespace
