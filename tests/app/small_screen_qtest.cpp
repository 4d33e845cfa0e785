// On a 1024 x 612 screen, with the small inn's data: the preview shows its
// whole tool bar (print and PDF among the last buttons), a message too long
// for the screen scrolls with its buttons in view, and the bill window shows
// the English bathing-tax wording whole. The offscreen screen is given that
// size (data/screen_1024x612.json); NORVEL_SHOTS=DIR keeps the pictures.

#include "app/main_form.h"
#include "billing/meisai_form.h"
#include "manual/small_inn.h"
#include "printing/print_dialogs.h"
#include "shell/app_setup.h"
#include "shell/message_box.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

namespace {

void keepShot(QWidget *w, const QString &name)
{
    const QString dir = qEnvironmentVariable("NORVEL_SHOTS");
    if (!dir.isEmpty())
        w->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

QRect screenArea()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

uint32_t billOf(const TMainForm &main, const QString &name)
{
    for (const TReserveData &r : main.data().ReserveList)
        if (fieldText(r.Name) == name)
            return r.MeiNo;
    return 0;
}

} // namespace

class SmallScreenTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void initTestCase()
    {
        setUpApplication(*qApp);
        QCOMPARE(screenArea().size(), QSize(1024, 612));
        Clock::setFixed(small_inn::Now);
        small_inn::writeInn(dir.path());
        QVERIFY(!QTest::currentTestFailed());
        // SMITH JOHN, receipted in English, also had a telephone call put on his bill.
        AppData data;
        TLibrary lib;
        QVERIFY(loadAppData(data, lib, dir.path(), small_inn::Now).isEmpty());
        RecordList<TReserveData> lines;
        for (const TReserveData &r : data.ReserveList) {
            lines.push_back(r);
            if (fieldText(r.Name) == QStringLiteral("SMITH JOHN")) {
                TReserveData call = r;
                call.Kubun = 1106001;
                setFieldText(call.Kamoku, QStringLiteral("電話代"));
                call.Tanka = 540;
                call.Suryou = 1;
                lines.push_back(call);
            }
        }
        data.ReserveList = ReserveRecords(std::move(lines));
        QString error;
        QVERIFY2(saveBillLists(data, lib, &error), qPrintable(error));
    }
    void cleanup()
    {
        SetMessageResponder({});
        printing::setPreviewHook({});
    }
    void cleanupTestCase() { Clock::setFixed({}); }

    // Every window of the menus, with the inn's data, lies inside the working
    // area (a month window taller than it is fitted and scrolls its grid), and
    // no caption of a label or button is cut.
    void everyWindowOfTheMenusFitsTheWorkingArea()
    {
        SetMessageResponder([](const ShownMessage &) { return QMessageBox::Yes; });
        TMainForm main(dir.path());
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QCOMPARE(main.size(), QSize(1024, 612));
        const QRect area(QPoint(0, 0), main.mdiArea()->viewport()->size());
        const auto check = [&](const QString &what, QWidget *w) {
            QCoreApplication::processEvents();
            keepShot(&main, what);
            auto *sub = qobject_cast<QMdiSubWindow *>(w->parentWidget());
            QVERIFY2(sub && area.contains(sub->geometry()), qPrintable(what));
            for (QWidget *c : w->findChildren<QWidget *>()) {
                if (!c->isVisibleTo(w))
                    continue;
                const QString name = what + QLatin1Char(' ') + c->objectName();
                if (auto *l = qobject_cast<QLabel *>(c)) {
                    if (l->wordWrap())
                        QVERIFY2(l->height() >= l->heightForWidth(l->width()), qPrintable(name + l->text()));
                    else
                        QVERIFY2(l->width() >= l->sizeHint().width(), qPrintable(name + l->text()));
                }
                if (auto *b = qobject_cast<QAbstractButton *>(c); b && !b->text().isEmpty())
                    QVERIFY2(b->width() >= b->sizeHint().width() || qobject_cast<QCheckBox *>(b), qPrintable(name + b->text()));
            }
        };
        for (const char *item : {"BasicSet", "RsvList", "Seikyu", "KamokuMenu", "N3", "N4", "UrikakePrn", "OptPrn", "About2"}) {
            main.mdiArea()->closeAllSubWindows();
            main.menuItem(QLatin1String(item))->trigger();
            QVERIFY2(!main.mdiArea()->subWindowList().isEmpty(), item);
            check(QLatin1String(item), main.mdiArea()->subWindowList().last()->widget());
        }
        main.mdiArea()->closeAllSubWindows();
        TMeisaiForm *bill = main.openBillWindow(billOf(main, QStringLiteral("山田　太郎")));
        QVERIFY(bill);
        check(QStringLiteral("bill"), bill);
        bill->findChild<QPushButton *>(QStringLiteral("LangButton"))->click(); // the question is answered yes
        check(QStringLiteral("bill in English"), bill);
        QVERIFY(main.closeBillWindow());

        // The restore window, a dialog of its own, with the inn's backup generations.
        QStringList faults;
        bool looked = false;
        QTimer::singleShot(0, &main, [&] {
            QWidget *restore = QApplication::activeModalWidget();
            if (!restore)
                return;
            looked = true;
            QTest::qWait(50);
            keepShot(restore, QStringLiteral("Restore1"));
            if (!screenArea().contains(restore->frameGeometry()))
                faults << QStringLiteral("off the screen");
            for (QLabel *l : restore->findChildren<QLabel *>())
                if (l->isVisible() && (l->wordWrap() ? l->height() < l->heightForWidth(l->width()) : l->width() < l->sizeHint().width()))
                    faults << l->text();
            for (QAbstractButton *b : restore->findChildren<QAbstractButton *>())
                if (b->isVisible() && !b->text().isEmpty() && b->width() < b->sizeHint().width())
                    faults << b->text();
            restore->close();
        });
        main.menuItem(QStringLiteral("Restore1"))->trigger();
        QVERIFY(looked);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral(", "))));
    }

    void thePreviewShowsItsWholeToolBarOnTheScreen()
    {
        SetMessageResponder([](const ShownMessage &) { return QMessageBox::Yes; });
        TMainForm main(dir.path());
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QVERIFY(main.openBillWindow(billOf(main, QStringLiteral("山田　太郎"))));
        QStringList faults; // gathered in the dialog, which closes whatever it finds
        bool looked = false;
        printing::setPreviewHook([&](QWidget *dialog) {
            QTimer::singleShot(0, dialog, [&, dialog] {
                looked = true;
                keepShot(dialog, QStringLiteral("preview"));
                if (!screenArea().contains(dialog->frameGeometry()))
                    faults << QStringLiteral("off the screen");
                if (auto *bar = dialog->findChild<QToolBar *>()) {
                    for (QAction *a : bar->actions())
                        if (!a->isSeparator() && !(bar->widgetForAction(a) && bar->widgetForAction(a)->isVisible()))
                            faults << QStringLiteral("hidden: ") + a->text();
                    auto *more = bar->findChild<QToolButton *>(QStringLiteral("qt_toolbar_ext_button"));
                    if (more && more->isVisible())
                        faults << QStringLiteral("extension button");
                } else {
                    faults << QStringLiteral("no tool bar");
                }
                dialog->close();
            });
        });
        main.menuItem(QStringLiteral("PrintRyousyu"))->trigger();
        QVERIFY(looked);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral(", "))));
        QVERIFY(main.closeBillWindow());
    }

    void aMessageTooLongForTheScreenScrollsWithItsButtonsInView()
    {
        QStringList reservations;
        for (int i = 1; i <= 40; ++i)
            reservations << QStringLiteral("R%1 予約者%2 様").arg(i, 4, 10, QLatin1Char('0')).arg(i);
        const QString text = QStringLiteral("次の予約は予約番号がなかったため、それぞれ別の請求明細とし、"
                                            "予約番号を付けました。\n%1")
                                 .arg(reservations.join(QLatin1Char('\n')));
        QWidget parent;
        parent.resize(1024, 612);
        parent.show();
        QStringList faults;
        bool looked = false;
        QTimer::singleShot(0, &parent, [&] {
            QWidget *box = QApplication::activeModalWidget();
            if (!box)
                return;
            looked = true;
            QTest::qWait(50);
            keepShot(box, QStringLiteral("long_message"));
            if (!screenArea().contains(box->frameGeometry()))
                faults << QStringLiteral("off the screen");
            auto *scroll = box->findChild<QScrollArea *>();
            if (!scroll || scroll->verticalScrollBar()->maximum() <= 0) // the list's end is reached by scrolling
                faults << QStringLiteral("no scrolling");
            auto *buttons = box->findChild<QDialogButtonBox *>();
            QPushButton *yes = buttons ? buttons->button(QDialogButtonBox::Yes) : nullptr;
            if (!yes || !yes->isVisible() || !yes->isDefault()
                || !box->rect().contains(QRect(yes->mapTo(box, QPoint(0, 0)), yes->size()))) {
                faults << QStringLiteral("はい out of view");
                box->close();
                return;
            }
            yes->click();
        });
        const QMessageBox::StandardButton answer =
            ShowMessage(&parent, QStringLiteral("確認"), text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
        QVERIFY(looked);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral(", "))));
        QCOMPARE(answer, QMessageBox::Yes);

        // A message of a few lines stays the toolkit's own box; Escape answers No.
        bool toolkitBox = false;
        QTimer::singleShot(0, &parent, [&] {
            QWidget *box = QApplication::activeModalWidget();
            toolkitBox = qobject_cast<QMessageBox *>(box);
            if (box)
                QTest::keyClick(box, Qt::Key_Escape);
        });
        QCOMPARE(ShowMessage(&parent, QStringLiteral("確認"), reservations.mid(0, 3).join(QLatin1Char('\n')),
                             QMessageBox::Yes | QMessageBox::No),
                 QMessageBox::No);
        QVERIFY(toolkitBox);
    }

    // An English bill with an advance and the bathing tax: the summary line
    // naming the bathing tax is shown whole, the window fits.
    void theEnglishBathingLineIsWholeInTheBillWindow()
    {
        SetMessageResponder([](const ShownMessage &) { return QMessageBox::Yes; });
        TMainForm main(dir.path());
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        TMeisaiForm *w = main.openBillWindow(billOf(main, QStringLiteral("SMITH JOHN")));
        QVERIFY(w);
        QCoreApplication::processEvents();
        keepShot(&main, QStringLiteral("bill_english"));
        auto *sub = qobject_cast<QMdiSubWindow *>(w->parentWidget());
        QVERIFY(QRect(QPoint(0, 0), main.mdiArea()->viewport()->size()).contains(sub->geometry()));
        bool seen = false;
        for (QLineEdit *e : w->findChildren<QLineEdit *>()) {
            if (!e->objectName().startsWith(QLatin1String("GEdit")) || !e->isVisible())
                continue;
            seen = seen || e->text().contains(QRegularExpression(QStringLiteral("Bathing ?Tax")));
            const int room = e->contentsRect().width() - 12;
            QVERIFY2(QFontMetrics(e->font()).horizontalAdvance(e->text()) <= room, qPrintable(e->text()));
        }
        QVERIFY(seen);
        QVERIFY(main.closeBillWindow());
    }
};

int main(int argc, char **argv)
{
    // A screen of 1024 x 612 for the offscreen platform the tests run on.
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen")
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" NORVEL_TEST_DATA "/screen_1024x612.json");
    QApplication app(argc, argv);
    SmallScreenTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "small_screen_qtest.moc"
