// The month bar and the CSV save every report window shares, clicked as a
// person would.

#include "reports/month_bar_form.h"
#include "shell/message_box.h"
#include "storage/clock.h"
#include "storage/file_folders.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>
#include <QToolButton>

class MonthBarTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        Clock::setFixed(QDateTime(QDate(2008, 3, 31), QTime(10, 30)));
        SetMessageResponder([this](const ShownMessage &m) {
            shown << m.title + QLatin1Char('|') + m.text;
            return QMessageBox::Ok;
        });
        shown.clear();
    }
    void cleanup()
    {
        Clock::setFixed(QDateTime());
        SetMessageResponder({});
        setCsvPathChooser({});
    }

    void stepsClampTheDayKeepTheTimeAndStopAtTheCurrentMonth()
    {
        TMonthBar bar(Clock::now());
        QSignalSpy changed(&bar, &TMonthBar::monthChanged);
        QCOMPARE(bar.DateLabel->text(), QStringLiteral("2008年03月分"));
        QVERIFY(bar.SpeedButton2->isEnabled()); // enabled on opening
        QCOMPARE(bar.SpeedButton1->toolTip(), QStringLiteral("前日へ"));
        QCOMPARE(bar.SpeedButton2->toolTip(), QStringLiteral("翌日へ"));

        QTest::mouseClick(bar.SpeedButton1, Qt::LeftButton);
        QCOMPARE(bar.ShownDate(), QDateTime(QDate(2008, 2, 29), QTime(10, 30)));
        QCOMPARE(bar.DateLabel->text(), QStringLiteral("2008年02月分"));
        QVERIFY(bar.SpeedButton2->isEnabled());
        QTest::mouseClick(bar.SpeedButton1, Qt::LeftButton);
        QCOMPARE(bar.ShownDate(), QDateTime(QDate(2008, 1, 29), QTime(10, 30)));

        QTest::mouseClick(bar.SpeedButton2, Qt::LeftButton);
        QCOMPARE(bar.month(), 2);
        QVERIFY(bar.SpeedButton2->isEnabled());
        // Into the current month: → is disabled, although the clamped day
        // (the 29th) lies before now less a day.
        QTest::mouseClick(bar.SpeedButton2, Qt::LeftButton);
        QCOMPARE(bar.ShownDate(), QDateTime(QDate(2008, 3, 29), QTime(10, 30)));
        QVERIFY(!bar.SpeedButton2->isEnabled());
        QTest::mouseClick(bar.SpeedButton2, Qt::LeftButton); // disabled: nothing happens
        QCOMPARE(bar.month(), 3);
        QTest::mouseClick(bar.SpeedButton1, Qt::LeftButton);
        QVERIFY(bar.SpeedButton2->isEnabled());
        QCOMPARE(changed.count(), 5);
    }

    void forwardFromTheCurrentMonthGoesOnceIntoTheNext()
    {
        TMonthBar bar(Clock::now());
        QTest::mouseClick(bar.SpeedButton2, Qt::LeftButton);
        QCOMPARE(bar.ShownDate(), QDateTime(QDate(2008, 4, 30), QTime(10, 30)));
        QVERIFY(!bar.SpeedButton2->isEnabled());
    }

    void csvSaveWritesTheGrid()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("out.csv"));
        QString suggested;
        setCsvPathChooser([&](QWidget *, const QString &s) {
            suggested = s;
            return path;
        });
        MonthGrid g;
        g.headings = {QStringLiteral("日"), QStringLiteral("宿泊 人数")};
        g.rows = {{QStringLiteral("1(土)"), "2"}};
        QVERIFY(saveMonthGridCsvFile(nullptr, g, QStringLiteral("/x/bathing-2008-03.csv")));
        // The name suggested, in the clerk's Documents (not the data folder).
        QCOMPARE(suggested, QDir(filefolders::documentsFolder()).filePath(QStringLiteral("bathing-2008-03.csv")));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), monthGridCsv(g));
        // The user is told where the file went.
        QCOMPARE(shown, QStringList{QStringLiteral("メッセージ|CSVファイルを保存しました。\n") + path});
    }

    void csvSaveRefusesAndReports_data()
    {
        QTest::addColumn<QString>("gridError");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        QTest::newRow("month not computable") << QStringLiteral("範囲を超えました") << QStringLiteral("out.csv")
                                              << QStringLiteral("エラー|範囲を超えました");
        QTest::newRow("folder missing") << QString() << QStringLiteral("missing/out.csv")
                                        << QStringLiteral("エラー|");
        QTest::newRow("cancelled") << QString() << QString() << QString();
    }
    void csvSaveRefusesAndReports()
    {
        QFETCH(QString, gridError);
        QFETCH(QString, file);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = file.isEmpty() ? QString() : dir.filePath(file);
        setCsvPathChooser([&](QWidget *, const QString &) { return path; });
        MonthGrid g;
        g.headings = {QStringLiteral("日")};
        g.error = gridError;
        QVERIFY(!saveMonthGridCsvFile(nullptr, g, QStringLiteral("x.csv")));
        if (message.isEmpty()) {
            QVERIFY(shown.isEmpty());
        } else {
            QCOMPARE(shown.size(), 1);
            QVERIFY2(shown[0].startsWith(message), qPrintable(shown[0]));
        }
        if (!path.isEmpty())
            QVERIFY(!QFile::exists(path));
    }

private:
    QStringList shown;
};

QTEST_MAIN(MonthBarTest)
#include "month_bar_qtest.moc"
