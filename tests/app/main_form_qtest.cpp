// The main window on a temporary program directory: start-up, the navigator,
// the menu, one window of each kind, placements and shutdown.

#include "app/main_form.h"
#include "shell/help_form.h"
#include "shell/message_box.h"
#include "storage/clock.h"
#include "storage/ini_file.h"

#include <QAction>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QLabel>
#include <QLockFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QToolButton>
#include <QtTest>

namespace {

const QDateTime kNow(QDate(2007, 8, 9), QTime(12, 34, 56));
const uint32_t kNowMeiNo = 1186630496;

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A child that will not close, as the bill window does with a bad date.
class StubbornChild : public QWidget {
public:
    QStringList *log = nullptr;
    void closeEvent(QCloseEvent *e) override
    {
        log->append(QStringLiteral("child refused"));
        e->ignore();
    }
};

// Stands in for the desktop's browser.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

} // namespace

class MainFormTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QList<ShownMessage> shown;

    // Makes the window active again, as the user switching back to it.
    void activate(QWidget *w)
    {
        QApplication::setActiveWindow(nullptr);
        QApplication::setActiveWindow(w);
    }
    QStringList texts() const
    {
        QStringList t;
        for (const auto &m : shown)
            t << m.text;
        return t;
    }

private slots:
    void init()
    {
        QVERIFY(dir.isValid());
        QDir(dir.path()).removeRecursively();
        QDir().mkpath(dir.path());
        shown.clear();
        Clock::setFixed(kNow);
        SetMessageResponder([this](const ShownMessage &m) {
            shown.append(m);
            return QMessageBox::Ok;
        });
    }
    void cleanup()
    {
        SetMessageResponder({});
        Clock::setFixed({});
    }

    void firstStartGuidesThroughTheThreeHints()
    {
        TMainForm form(dir.path());
        form.show();
        QVERIFY(QFileInfo(dir.filePath("backup")).isDir());
        QCOMPARE(form.windowTitle(), QStringLiteral("Norvel"));
        QCOMPARE(form.data().StartFlags, 7);
        QCOMPARE(form.data().NextMeiNo, kNowMeiNo);

        activate(&form);
        QCOMPARE(texts(), QStringList{"最初に基本設定を行ってください"});
        QCOMPARE(shown.last().title, QStringLiteral("ナビゲーター"));
        activate(&form);
        QCOMPARE(shown.size(), 1); // once per start, not on every return

        // Each next step's hint once, naming a menu that exists.
        const auto caption = [&](const char *name) { return form.menuItem(QLatin1String(name))->text(); };
        form.menuItem("BasicSet")->trigger();
        activate(&form);
        QCOMPARE(shown.last().text, QStringLiteral("「%1」をクリックして科目を設定してください").arg(caption("KamokuMenu")));
        activate(&form);
        QCOMPARE(shown.size(), 2);

        form.menuItem("KamokuMenu")->trigger();
        activate(&form);
        QCOMPARE(shown.last().text, QStringLiteral("「%1」→「%2」で予約データを作成してください")
                                        .arg(caption("N1"), caption("RsvList").section(QChar(0x3000), 0, 0)));
        activate(&form);
        QCOMPARE(shown.size(), 3);
        // The step taken, its hint is gone for good.
        form.menuItem("RsvList")->trigger();
        QCOMPARE(form.data().StartFlags, 0);
        activate(&form);
        QCOMPARE(shown.size(), 3);
    }

    // Each hint comes when the window of the step before it closes, without
    // the main window being activated again.
    void theNextHintComesWhenTheStepBeforeIsClosed()
    {
        TMainForm form(dir.path());
        form.show();
        activate(&form);
        QCOMPARE(texts(), QStringList{"最初に基本設定を行ってください"});
        form.menuItem("BasicSet")->trigger();
        QWidget *settings = form.findChildWindow("BasicSettingForm");
        QVERIFY(settings);
        QCoreApplication::processEvents();
        QCOMPARE(shown.size(), 1); // not while the settings are open
        settings->parentWidget()->close();
        QTRY_COMPARE(shown.size(), 2);
        QVERIFY(shown.last().text.contains(QStringLiteral("摘要マスター")));
        form.menuItem("KamokuMenu")->trigger();
        QWidget *items = form.findChildWindow("KamokuForm");
        QVERIFY(items);
        items->parentWidget()->close();
        QTRY_COMPARE(shown.size(), 3);
        QVERIFY(shown.last().text.contains(QStringLiteral("予約データを作成")));
    }

    void directoryWithEveryFileShowsNoHint()
    {
        writeFile(dir.filePath("base.dat"), QByteArray(1532, 0));
        QByteArray items(88 * 10, 0);
        for (int i = 0; i < 10; ++i)
            items[i * 88 + 8] = 'x';
        writeFile(dir.filePath("kmk_syu.dat"), items);
        QByteArray reserve(372, 0);
        const uint32_t stored = kNowMeiNo + 1000;
        memcpy(reserve.data(), &stored, 4);
        writeFile(dir.filePath("reserve.dat"), reserve);
        TMainForm form(dir.path());
        form.show();
        activate(&form);
        QVERIFY(shown.isEmpty());
        QCOMPARE(form.data().KamokuList[0].size(), size_t(60));
        QCOMPARE(form.data().KamokuList[1].size(), size_t(50));
        QCOMPARE(form.data().NextMeiNo, stored + 1);
    }

    void menuHasItsCaptionsAndStates_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("visible");
        QTest::newRow("BasicSet") << "BasicSet" << "基本設定" << true << true;
        QTest::newRow("N1") << "N1" << "予約データ一覧" << true << true;
        QTest::newRow("RsvList") << "RsvList" << "本日分を開く　（事前にデータを入力）" << true << true;
        QTest::newRow("Seikyu") << "Seikyu" << "前日分を開く　（領収書発行時）" << true << true;
        QTest::newRow("Print1") << "Print1" << "印刷プレビュー" << false << true;
        QTest::newRow("A41") << "A41" << "請求書＆領収書(A4)" << true << true;
        QTest::newRow("PrintMitumori") << "PrintMitumori" << "見積書(A5)" << false << false; // a hidden action is also disabled
        QTest::newRow("N2") << "N2" << "帳票出力" << true << true;
        QTest::newRow("OptPrn") << "OptPrn" << "オプション明細出力" << true << true;
        QTest::newRow("KamokuMenu") << "KamokuMenu" << "摘要マスター" << true << true;
        QTest::newRow("Login") << "Login" << "Norvelログイン" << false << true;
        QTest::newRow("SearchforHelpOn1") << "SearchforHelpOn1" << "トピックの検索(&S)..." << false << true;
        QTest::newRow("Restore1") << "Restore1" << "バックアップから復元(&R)..." << true << true;
        QTest::newRow("About2") << "About2" << "バージョン情報(&A)..." << true << true;
        QTest::newRow("debug1") << "debug1" << "debug" << false << false;
        QTest::newRow("debuguri1") << "debuguri1" << "debuguri" << false << false;
    }
    void menuHasItsCaptionsAndStates()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(bool, enabled);
        QFETCH(bool, visible);
        TMainForm form(dir.path());
        QAction *a = form.menuItem(name);
        QVERIFY(a);
        QCOMPARE(a->text(), caption);
        QCOMPARE(a->isEnabled(), enabled);
        QCOMPARE(a->isVisible(), visible);
    }

    void hiddenItemsFollowShowHiddenOnResize()
    {
        TMainForm form(dir.path());
        form.show();
        form.data().ShowHidden = true;
        QVERIFY(!form.menuItem("debug1")->isVisible());
        form.resize(900, 500);
        QTRY_VERIFY(form.menuItem("debug1")->isVisible());
        QVERIFY(form.menuItem("debuguri1")->isVisible());
        QVERIFY(form.menuItem("PrintMitumori")->isVisible());
        form.data().ShowHidden = false;
        form.resize(1000, 600);
        QTRY_VERIFY(!form.menuItem("debug1")->isVisible());
    }

    void oneWindowOfEachKind()
    {
        TMainForm form(dir.path());
        form.show();
        form.menuItem("About2")->trigger();
        form.menuItem("About2")->trigger();
        QCOMPARE(form.mdiArea()->subWindowList().size(), 1);
        QWidget *about = form.findChildWindow("AboutBox");
        QVERIFY(about);
        QCOMPARE(about->windowTitle(), QStringLiteral("バージョン情報"));
        QVERIFY(about->findChild<QLabel *>("Version")->text().startsWith("Version 1."));
        QPointer<QWidget> guard(about);
        about->close();
        QTRY_VERIFY(guard.isNull());
        QTRY_COMPARE(form.mdiArea()->subWindowList().size(), 0);
        form.menuItem("About2")->trigger();
        QCOMPARE(form.mdiArea()->subWindowList().size(), 1);
    }

    // A menu command whose window is open brings that window forward; the
    // ウィンドウ menu lists the open windows, cascades, tiles and closes
    // the active one with Ctrl+W.
    void openWindowsComeForwardAndTheWindowMenuHandlesThem()
    {
        SetMessageResponder([](const ShownMessage &) { return QMessageBox::Ok; });
        TMainForm form(dir.path());
        form.show();
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QMdiArea *mdi = form.mdiArea();
        QCOMPARE(form.menuItem("WindowMenu")->text(), QStringLiteral("ウィンドウ(&W)"));
        QVERIFY(!form.menuItem("Tile")->isEnabled()); // nothing open yet
        form.menuItem("About2")->trigger();
        form.menuItem("BasicSet")->trigger();
        QWidget *about = form.findChildWindow("AboutBox");
        QWidget *settings = form.findChildWindow("BasicSettingForm");
        QCOMPARE(mdi->activeSubWindow()->widget(), settings);
        form.menuItem("About2")->trigger();
        QCOMPARE(mdi->subWindowList().size(), 2);
        QCOMPARE(mdi->activeSubWindow()->widget(), about);

        QMenu *menu = form.menuItem("WindowMenu")->menu();
        emit menu->aboutToShow();
        QStringList items;
        QString checked;
        for (QAction *a : menu->actions())
            if (a->objectName() == QLatin1String("OpenWindow")) {
                items << a->text();
                if (a->isChecked())
                    checked = a->text();
            }
        QCOMPARE(items, QStringList({QStringLiteral("&1 バージョン情報"), QStringLiteral("&2 ") + settings->windowTitle()}));
        QCOMPARE(checked, items[0]);
        for (QAction *a : menu->actions())
            if (a->text() == items[1])
                a->trigger();
        QCOMPARE(mdi->activeSubWindow()->widget(), settings);

        form.menuItem("Cascade")->trigger();
        QVERIFY(mdi->subWindowList()[0]->pos() != mdi->subWindowList()[1]->pos());
        const QSize before = form.size();
        form.menuItem("Tile")->trigger();
        QVERIFY(!mdi->subWindowList()[0]->geometry().intersects(mdi->subWindowList()[1]->geometry()));
        QCoreApplication::processEvents();
        QCOMPARE(form.size(), before); // tiling never grows the main window
        // Nor with windows wider than their tiles (the item master and the
        // reservation list at 1024 x 612): each stays inside the area.
        form.menuItem("KamokuMenu")->trigger();
        form.menuItem("RsvList")->trigger();
        form.menuItem("Tile")->trigger();
        QCoreApplication::processEvents();
        QCOMPARE(form.size(), before);
        for (QMdiSubWindow *sub : mdi->subWindowList()) {
            const QRect g = sub->geometry();
            QVERIFY2(g.left() >= 0 && g.top() >= 0, qPrintable(sub->windowTitle()));
            if (g.width() <= mdi->viewport()->width())
                QVERIFY2(g.right() < mdi->viewport()->width(), qPrintable(sub->windowTitle()));
        }
        for (const char *name : {"KamokuForm", "RsvlistForm"})
            if (QWidget *w = form.findChildWindow(name))
                w->parentWidget()->close();
        QTRY_COMPARE(mdi->subWindowList().size(), 2);
        mdi->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(settings->parentWidget()));

        // Ctrl+W closes the active window only.
        QPointer<QWidget> guard(settings);
        QTest::keyClick(settings, Qt::Key_W, Qt::ControlModifier);
        QTRY_VERIFY(guard.isNull());
        QTRY_COMPARE(mdi->subWindowList().size(), 1);
        QVERIFY(form.findChildWindow("AboutBox"));
    }

    void placementRoundTripsThroughTheSettingsFile()
    {
        {
            TMainForm form(dir.path());
            QCOMPARE(form.size(), QSize(1024, 612));
            form.show();
            form.move(40, 30);
            form.resize(700, 500);
            form.close();
        }
        const IniFile ini(dir.filePath("norvelreceipt.ini"));
        QCOMPARE(ini.intValue("MainForm", "w", 0), 700);
        QCOMPARE(ini.intValue("MainForm", "h", 0), 500);
        TMainForm again(dir.path());
        QCOMPARE(again.size(), QSize(700, 500));
        QCOMPARE(again.pos(), QPoint(ini.intValue("MainForm", "l", -1), ini.intValue("MainForm", "t", -1)));
    }

    // A child that refuses to close (what it holds cannot be stored) is not
    // thrown away unasked: いいえ, the default, goes back to it; はい closes.
    void shutdownClosesChildrenFirstAndARefusalAsks()
    {
        QStringList log;
        TMainForm form(dir.path());
        form.show();
        auto *child = new StubbornChild;
        child->log = &log;
        child->setWindowTitle(QStringLiteral("頑固な画面"));
        QVERIFY(form.openChildWindow("MeisaiForm", [&] { return child; }));
        QVERIFY(!form.openChildWindow("MeisaiForm", [&] { return new QWidget; }));
        QMessageBox::StandardButton answer = QMessageBox::No;
        QList<QMessageBox::StandardButton> defaults;
        SetMessageResponder([&](const ShownMessage &m) {
            log.append(m.text);
            defaults.append(m.defaultButton);
            return answer;
        });
        QVERIFY(!form.close());
        QCOMPARE(log.size(), 2);
        QCOMPARE(log[0], QStringLiteral("child refused"));
        QVERIFY(log[1].contains(QStringLiteral("「頑固な画面」の変更を保存できませんでした")));
        QCOMPARE(defaults.last(), QMessageBox::No);
        QVERIFY(form.findChildWindow("MeisaiForm"));
        log.clear();
        answer = QMessageBox::Yes;
        QVERIFY(form.close());
        QCOMPARE(log.size(), 2);
        // The placement was stored after the children had their say.
        QVERIFY(IniFile(dir.filePath("norvelreceipt.ini")).contains("MainForm", "t"));
    }

    // ヘルプ → 目次 on a desk without a web browser: the manual opens in a
    // window of the program, with its pictures, and its links go back and forth.
    void helpContentsOpensTheManualInsideTheProgram()
    {
        UrlCatcher browser;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &browser, "open");
        TMainForm main(dir.path());
        main.resize(1024, 740);
        main.show();
        main.menuItem(QStringLiteral("Contents1"))->trigger();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(browser.urls, QList<QUrl>());
        auto *help = qobject_cast<THelpForm *>(main.findChildWindow(QStringLiteral("HelpForm")));
        QVERIFY(help);
        QTextBrowser *page = help->Browser();
        // Built in the checkout, the program finds the checkout's manual.
        QCOMPARE(page->source(), QUrl::fromLocalFile(QStringLiteral(NORVEL_SOURCE_DIR "/doc/manual/index.html")));
        QVERIFY(page->toPlainText().contains(QStringLiteral("目次")));
        QVERIFY(!page->loadResource(QTextDocument::ImageResource, QUrl(QStringLiteral("img/main.png"))).value<QImage>().isNull());
        auto *back = help->findChild<QToolButton *>(QStringLiteral("BackButton"));
        auto *forward = help->findChild<QToolButton *>(QStringLiteral("ForwardButton"));
        QVERIFY(!back->isEnabled());
        help->ShowPage(QStringLiteral("bills.html"));
        QVERIFY(page->source().toString().endsWith(QStringLiteral("/bills.html")));
        QVERIFY(back->isEnabled());
        back->click();
        QVERIFY(page->source().toString().endsWith(QStringLiteral("/index.html")));
        QVERIFY(forward->isEnabled());
        forward->click();
        QVERIFY(page->source().toString().endsWith(QStringLiteral("/bills.html")));
        help->findChild<QToolButton *>(QStringLiteral("ContentsButton"))->click();
        QVERIFY(page->source().toString().endsWith(QStringLiteral("/index.html")));
        // F1 brings the one help window forward again.
        main.menuItem(QStringLiteral("Contents1"))->trigger();
        QCOMPARE(main.findChildren<THelpForm *>().size(), 1);
        QCOMPARE(main.menuItem(QStringLiteral("Contents1"))->shortcut(), QKeySequence(Qt::Key_F1));
        QCOMPARE(texts(), QStringList());
    }

    void secondCopyOnTheSameDirectoryIsRefused()
    {
        auto first = TMainForm::lockProgramDirectory(dir.path());
        QVERIFY(first);
        QVERIFY(!TMainForm::lockProgramDirectory(dir.path()));
        first.reset();
        QVERIFY(TMainForm::lockProgramDirectory(dir.path()));
    }

    void aStartThatCannotMakeItsBackupFolderReadsButWritesNothing()
    {
        writeFile(dir.filePath("backup"), "not a folder");
        writeFile(dir.filePath("reserve.dat"), QByteArray(372, 1));
        TMainForm form(dir.path());
        QCOMPARE(texts().size(), 1);
        QVERIFY2(texts().first().contains("保存はできません"), qPrintable(texts().first()));
        QCOMPARE(shown.last().title, QStringLiteral("エラー"));
        QVERIFY(!form.dataLoaded());
        QCOMPARE(form.data().ReserveList.size(), size_t(1));
        QVERIFY(form.library().WritesRefused());
        QFile stored(dir.filePath("reserve.dat"));
        QVERIFY(stored.open(QIODevice::ReadOnly));
        QCOMPARE(stored.readAll(), QByteArray(372, 1));
    }
};

QTEST_MAIN(MainFormTest)
#include "main_form_qtest.moc"
