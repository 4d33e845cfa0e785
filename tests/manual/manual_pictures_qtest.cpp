// The manual's pictures of the windows, made from a small inn's data of a few
// December days (small_inn.h): the settings, the item master, the day's list,
// a bill and the month's sales. Kept in manual_pictures/ of the test folder;
// tools/manual_pictures writes them into doc/manual/img/ instead
// (NORVEL_MANUAL_IMG).

#include "manual/small_inn.h"
#include "shell/app_setup.h"
#include "app/main_form.h"
#include "shell/message_box.h"

#include <QAction>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using small_inn::Now;
using small_inn::writeInn;

} // namespace

class ManualPicturesTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString out;

    void save(TMainForm &main, const QString &name)
    {
        QTest::qWait(100); // let the windows lay themselves out
        const QString path = QDir(out).filePath(name + QStringLiteral(".png"));
        QVERIFY2(main.grab().save(path), qPrintable(path));
    }

private slots:
    void initTestCase()
    {
        setUpApplication(*qApp);
        out = qEnvironmentVariable("NORVEL_MANUAL_IMG", QStringLiteral("manual_pictures"));
        QVERIFY(QDir().mkpath(out));
        QVERIFY(dir.isValid());
        Clock::setFixed(Now);
        writeInn(dir.path());
        QVERIFY(!QTest::currentTestFailed());
        SetMessageResponder([](const ShownMessage &) { return QMessageBox::Ok; });
    }
    void cleanupTestCase()
    {
        SetMessageResponder({});
        Clock::setFixed({});
    }

    void windowsOfADayAtTheDesk()
    {
        TMainForm main(dir.path());
        main.resize(1024, 640);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        const auto open = [&](const char *item) {
            main.mdiArea()->closeAllSubWindows();
            main.menuItem(QLatin1String(item))->trigger();
            return !main.mdiArea()->subWindowList().isEmpty();
        };
        QVERIFY(open("BasicSet"));
        save(main, QStringLiteral("settings"));
        QVERIFY(open("KamokuMenu")); // seeds the default items
        save(main, QStringLiteral("items"));
        QVERIFY(open("RsvList"));
        save(main, QStringLiteral("list"));

        uint32_t bill = 0;
        for (const TReserveData &r : main.data().ReserveList)
            if (fieldText(r.Name) == QStringLiteral("山田　太郎")) {
                bill = r.MeiNo;
                break;
            }
        QVERIFY(bill);
        main.mdiArea()->closeAllSubWindows();
        QVERIFY(main.openBillWindow(bill));
        save(main, QStringLiteral("bill"));
        QVERIFY(main.closeBillWindow());

        QVERIFY(open("N4"));
        save(main, QStringLiteral("month"));
        main.mdiArea()->closeAllSubWindows();
    }
};

QTEST_MAIN(ManualPicturesTest)
#include "manual_pictures_qtest.moc"
