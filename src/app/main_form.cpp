#include "main_form.h"

#include "billing/kamoku_form.h"
#include "billing/meisai_form.h"
#include "reports/debug_form.h"
#include "reports/getuji_form.h"
#include "reports/getujiopt_form.h"
#include "reports/month_bar_form.h"
#include "reports/nyutouzei_form.h"
#include "reports/shukuhakuzei_form.h"
#include "reports/urikake_form.h"
#include "register/register_arrivals_form.h"
#include "register/register_form.h"
#include "register/register_unlock_form.h"
#include "reservations/rsvlist_form.h"
#include "search/search_form.h"
#include "settings/basic_setting_form.h"
#include "settings/restore_form.h"
#include "shell/about_box.h"
#include "shell/app_setup.h"
#include "shell/help_form.h"
#include "shell/message_box.h"
#include "shell/placement.h"
#include "shell/register_session.h"
#include "storage/clock.h"
#include "storage/data_folder.h"
#include "storage/file_folders.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPointer>
#include <QTimer>

#include <cmath>

namespace {
const QString kNavigator = QStringLiteral("ナビゲーター");
}

TMainForm::TMainForm(const QString &exePath, QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Norvel"));
    resize(1024, 612);
    Mdi = new QMdiArea(this);
    Mdi->setObjectName(QStringLiteral("MdiArea"));
    setCentralWidget(Mdi);
    Desk = std::make_unique<FrontDesk>(Mdi);
    Desk->setBillWindowMaker([](FrontDesk &desk, uint32_t billNo) { return new TMeisaiForm(desk, billNo); });
    // The preview menu follows the bill window.
    connect(Desk.get(), &FrontDesk::billWindowChanged, this, [this](QWidget *window) {
        if (QAction *print1 = menuItem(QStringLiteral("Print1")))
            print1->setEnabled(window != nullptr);
    });
    createMenu();
    move(0, 0);

    const QString message = Desk->loadData(exePath);
    const bool loaded = Desk->dataLoaded();
    filefolders::setSettingsFile(Desk->data().iniPath());
    if (!message.isEmpty())
        ShowMessage(this, loaded ? QStringLiteral("注意") : QStringLiteral("エラー"), message);
    if (!loaded)
        return;
    LoadFormPlacement(library(), this, data().iniPath());
}

TMainForm::~TMainForm()
{
    // The child windows close in QWidget's destructor, after this part of the
    // object is gone; the working area must not call back into it then.
    if (Mdi)
        disconnect(Mdi, nullptr, this, nullptr);
}

QAction *TMainForm::addItem(QWidget *menu, const QString &name, const QString &caption,
                            void (TMainForm::*slot)())
{
    auto *a = new QAction(caption, this);
    a->setObjectName(name);
    menu->addAction(a);
    if (slot)
        connect(a, &QAction::triggered, this, slot);
    return a;
}

void TMainForm::createMenu()
{
    QMenuBar *bar = menuBar();
    addItem(bar, QStringLiteral("BasicSet"), QStringLiteral("基本設定"), &TMainForm::BasicSetClick);

    auto *n1 = new QMenu(QStringLiteral("予約データ一覧"), this);
    n1->menuAction()->setObjectName(QStringLiteral("N1"));
    addItem(n1, QStringLiteral("RsvList"), QStringLiteral("本日分を開く　（事前にデータを入力）"),
            &TMainForm::RsvListClick);
    addItem(n1, QStringLiteral("Seikyu"), QStringLiteral("前日分を開く　（領収書発行時）"),
            &TMainForm::SeikyuClick);
    bar->addMenu(n1);

    // Finding a bill by name, from anywhere in the program.
    QAction *find = addItem(bar, QStringLiteral("FindMenu"), QStringLiteral("検索"), &TMainForm::FindClick);
    find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    find->setShortcutContext(Qt::ApplicationShortcut);
    find->setToolTip(QStringLiteral("請求をお名前・番号・日付などで探します (Ctrl+F)"));

    auto *print1 = new QMenu(QStringLiteral("印刷プレビュー"), this);
    print1->menuAction()->setObjectName(QStringLiteral("Print1"));
    static const struct {
        const char *name, *caption;
        BillPaper paper;
        int kind;
    } previews[] = {
        {"PrintSeikyu", "請求書(A5)", BillPaper::A5, 1},      {"PrintRyousyu", "領収書(A5)", BillPaper::A5, 2},
        {"A41", "請求書＆領収書(A4)", BillPaper::Combined, 0}, {"PrintSeikyuA4", "請求書(A4)", BillPaper::A4, 1},
        {"PrintRyousyuA4", "領収書(A4)", BillPaper::A4, 2},   {"PrintSeikyuB5", "請求書(B5)", BillPaper::B5, 1},
        {"PrintRyousyuB5", "領収書(B5)", BillPaper::B5, 2},   {"PrintMitumori", "見積書(A5)", BillPaper::A5, 3},
    };
    for (const auto &p : previews) {
        QAction *a = addItem(print1, QLatin1String(p.name), QString::fromUtf8(p.caption));
        const int paper = int(p.paper), kind = p.kind;
        connect(a, &QAction::triggered, this, [this, paper, kind] { previewBill(paper, kind); });
    }
    menuItem(QStringLiteral("PrintMitumori"))->setVisible(false);
    bar->addMenu(print1);
    print1->menuAction()->setEnabled(false);

    auto *n2 = new QMenu(QStringLiteral("帳票出力"), this);
    n2->menuAction()->setObjectName(QStringLiteral("N2"));
    addItem(n2, QStringLiteral("N3"), QStringLiteral("入湯税納入明細"), &TMainForm::N3Click);
    addItem(n2, QStringLiteral("N4"), QStringLiteral("月次売上日計表"), &TMainForm::N4Click);
    addItem(n2, QStringLiteral("UrikakePrn"), QStringLiteral("売掛金月次明細"), &TMainForm::UrikakePrnClick);
    addItem(n2, QStringLiteral("OptPrn"), QStringLiteral("オプション明細出力"), &TMainForm::OptPrnClick);
    // The accommodation-tax statement is listed only while the inn charges the tax.
    QAction *lodging = addItem(n2, QStringLiteral("Shukuhakuzei"), QStringLiteral("宿泊税納入明細"),
                               &TMainForm::ShukuhakuzeiClick);
    lodging->setVisible(false);
    connect(n2, &QMenu::aboutToShow, this,
            [this, lodging] { lodging->setVisible(Desk->dataLoaded() && Desk->data().Money.Lodging.Enabled); });
    bar->addMenu(n2);

    // The guest register: locked at start, opened by the clerk, locked again by hand or when idle.
    auto *reg = new QMenu(QStringLiteral("宿泊者名簿"), this);
    reg->menuAction()->setObjectName(QStringLiteral("RegisterMenu"));
    addItem(reg, QStringLiteral("RegisterArrivals"), QStringLiteral("到着予定と名簿の記入..."),
            &TMainForm::RegisterArrivalsClick);
    addItem(reg, QStringLiteral("RegisterPassphrase"), QStringLiteral("合言葉の変更..."),
            &TMainForm::RegisterPassphraseClick);
    QAction *lock = addItem(reg, QStringLiteral("RegisterLock"), QStringLiteral("名簿に鍵をかける"),
                            &TMainForm::RegisterLockClick);
    lock->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L));
    lock->setShortcutContext(Qt::ApplicationShortcut);
    connect(reg, &QMenu::aboutToShow, this,
            [this, lock] { lock->setEnabled(dataLoaded() && Desk->registerSession().isUnlocked()); });
    bar->addMenu(reg);

    addItem(bar, QStringLiteral("KamokuMenu"), QStringLiteral("摘要マスター"), &TMainForm::KamokuMenuClick);
    addItem(bar, QStringLiteral("Login"), QStringLiteral("Norvelログイン"))->setEnabled(false);

    createWindowMenu();

    auto *help = new QMenu(QStringLiteral("ヘルプ(&H)"), this);
    help->menuAction()->setObjectName(QStringLiteral("Help2"));
    addItem(help, QStringLiteral("Contents1"), QStringLiteral("目次(&C)"), &TMainForm::Contents1Click)
        ->setShortcut(QKeySequence(Qt::Key_F1));
    addItem(help, QStringLiteral("SearchforHelpOn1"), QStringLiteral("トピックの検索(&S)..."))->setEnabled(false);
    addItem(help, QStringLiteral("Restore1"), QStringLiteral("バックアップから復元(&R)..."), &TMainForm::RestoreClick);
    addItem(help, QStringLiteral("About2"), QStringLiteral("バージョン情報(&A)..."), &TMainForm::About2Click);
    addItem(help, QStringLiteral("debug1"), QStringLiteral("debug"), &TMainForm::debug1Click)->setVisible(false);
    addItem(help, QStringLiteral("debuguri1"), QStringLiteral("debuguri"), &TMainForm::debuguri1Click)
        ->setVisible(false);
    bar->addMenu(help);
}

namespace {

// Side by side in a grid of equal tiles over the area, the active window
// first. A window whose least size is larger than its tile keeps that size
// and is moved back inside the area as far as it fits, overlapping its
// neighbour: the area's own tiling would grow the main window past the
// screen instead.
void tileInside(QMdiArea *mdi)
{
    QList<QMdiSubWindow *> windows;
    for (QMdiSubWindow *w : mdi->subWindowList(QMdiArea::ActivationHistoryOrder))
        if (w->isVisible() && !w->isMinimized())
            windows.prepend(w);
    if (windows.isEmpty())
        return;
    const QRect area = mdi->viewport()->rect();
    const int n = int(windows.size());
    const int columns = int(std::ceil(std::sqrt(double(n))));
    const int rows = (n + columns - 1) / columns;
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow *w = windows[i];
        if (w->isMaximized())
            w->showNormal();
        const int row = i / columns, column = i % columns;
        // The last row's windows share its width.
        const int inRow = row == rows - 1 ? n - row * columns : columns;
        const int left = area.width() * column / inRow, right = area.width() * (column + 1) / inRow;
        const int top = area.height() * row / rows, bottom = area.height() * (row + 1) / rows;
        const QSize size = QSize(right - left, bottom - top).expandedTo(w->minimumSizeHint()).expandedTo(w->minimumSize());
        const int x = std::max(0, std::min(left, area.width() - size.width()));
        const int y = std::max(0, std::min(top, area.height() - size.height()));
        w->setGeometry(QRect(QPoint(x, y), size));
    }
}

} // namespace

void TMainForm::createWindowMenu()
{
    auto *menu = new QMenu(QStringLiteral("ウィンドウ(&W)"), this);
    menu->menuAction()->setObjectName(QStringLiteral("WindowMenu"));
    connect(addItem(menu, QStringLiteral("Cascade"), QStringLiteral("重ねて表示(&C)")), &QAction::triggered, Mdi,
            &QMdiArea::cascadeSubWindows);
    connect(addItem(menu, QStringLiteral("Tile"), QStringLiteral("並べて表示(&T)")), &QAction::triggered, this,
            [this] { tileInside(Mdi); });
    // Closes the active child as its own close button does (the bill window checks and saves).
    QAction *close = addItem(menu, QStringLiteral("CloseWindow"), QStringLiteral("閉じる(&L)"));
    close->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    close->setShortcutContext(Qt::WindowShortcut);
    connect(close, &QAction::triggered, this, [this] {
        if (QMdiSubWindow *sub = Mdi->activeSubWindow())
            sub->close();
    });
    menu->addSeparator();
    connect(menu, &QMenu::aboutToShow, this, &TMainForm::updateWindowMenu);
    // Kept current as windows come and go, so that Ctrl+W is on whenever a child is open.
    connect(Mdi, &QMdiArea::subWindowActivated, this, &TMainForm::updateWindowMenu);
    // The navigator's next hint comes as soon as the step before it is done,
    // its window closed, not only when the main window is activated again.
    connect(Mdi, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow *active) {
        if (!active && dataLoaded())
            QTimer::singleShot(0, this, [this] {
                if (!inNavigator && !Mdi->activeSubWindow() && isVisible())
                    showNavigator();
            });
    });
    menuBar()->addMenu(menu);
    updateWindowMenu();
}

void TMainForm::updateWindowMenu()
{
    QMenu *menu = menuItem(QStringLiteral("WindowMenu"))->menu();
    for (QAction *a : menu->actions())
        if (a->objectName() == QLatin1String("OpenWindow"))
            delete a;
    const QList<QMdiSubWindow *> subs = Mdi->subWindowList();
    const bool any = !subs.isEmpty();
    for (const char *name : {"Cascade", "Tile", "CloseWindow"})
        menuItem(QLatin1String(name))->setEnabled(any);
    // The open windows, the active one checked; choosing one brings it to the front.
    int n = 0;
    for (QMdiSubWindow *sub : subs) {
        if (!sub->widget())
            continue;
        ++n;
        const QString title = sub->widget()->windowTitle();
        auto *a = new QAction(n < 10 ? QStringLiteral("&%1 %2").arg(n).arg(title) : title, menu);
        a->setObjectName(QStringLiteral("OpenWindow"));
        a->setCheckable(true);
        a->setChecked(sub == Mdi->activeSubWindow());
        QPointer<QWidget> window(sub->widget());
        connect(a, &QAction::triggered, this, [this, window] {
            if (window)
                Desk->bringToFront(window);
        });
        menu->addAction(a);
    }
}

QAction *TMainForm::menuItem(const QString &componentName) const
{
    return findChild<QAction *>(componentName);
}

TMeisaiForm *TMainForm::billWindow() const { return qobject_cast<TMeisaiForm *>(Desk->billWindow()); }

TMeisaiForm *TMainForm::openBillWindow(uint32_t billNo)
{
    return static_cast<TMeisaiForm *>(Desk->openBillWindow(billNo));
}

void TMainForm::previewBill(int paper, int kind)
{
    if (TMeisaiForm *bill = billWindow())
        bill->runDocument(BillPaper(paper), kind, DocumentMode::Preview);
}

void TMainForm::showNavigator()
{
    static const struct {
        int bit;
        const char *text;
    } hints[] = {
        {MissingBaseData, "最初に基本設定を行ってください"},
        {MissingKamoku, "「摘要マスター」をクリックして科目を設定してください"},
        {MissingReserve, "「予約データ一覧」→「本日分を開く」で予約データを作成してください"},
    };
    // The first step not yet taken, and its hint only once per start: a hint
    // on every return to the window would only be clicked away.
    for (const auto &h : hints) {
        if (data().StartFlags & h.bit) {
            if (shownHints & h.bit)
                return;
            shownHints |= h.bit;
            inNavigator = true;
            ShowMessage(this, kNavigator, QString::fromUtf8(h.text));
            inNavigator = false;
            return;
        }
    }
}

bool TMainForm::event(QEvent *e)
{
    switch (e->type()) {
    case QEvent::WindowDeactivate:
        // The hint's own box takes the activation away; its return is not a new activation.
        if (inNavigator)
            swallowActivation = true;
        break;
    case QEvent::WindowActivate:
        if (swallowActivation)
            swallowActivation = false;
        else if (!inNavigator && dataLoaded()) {
            const bool r = QMainWindow::event(e);
            showNavigator();
            return r;
        }
        break;
    case QEvent::Show:
        // A window manager's title bar comes once shown: a placement that
        // fitted the screen without it may reach past the bottom now.
        QTimer::singleShot(300, this, [this] { KeepOnScreen(this); });
        break;
    default:
        break;
    }
    return QMainWindow::event(e);
}

void TMainForm::resizeEvent(QResizeEvent *e)
{
    QMainWindow::resizeEvent(e);
    for (const char *name : {"debug1", "debuguri1", "PrintMitumori"})
        if (QAction *a = menuItem(QLatin1String(name)))
            a->setVisible(data().ShowHidden);
}

void TMainForm::closeEvent(QCloseEvent *e)
{
    // The bill window first: a bill its save refused (and said why) is not
    // thrown away with the program unless the clerk says so.
    if (!closeBillWindow()
        && ShowMessage(this, QStringLiteral("確認"),
                       QStringLiteral("明細画面の請求明細を保存できませんでした。\n"
                                      "このまま終了すると、この請求明細の変更は失われます。\n"
                                      "保存せずに終了しますか？（「いいえ」で明細画面に戻ります）"),
                       QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
            != QMessageBox::Yes) {
        e->ignore();
        Desk->bringBillWindowToFront();
        return;
    }
    // Each other child runs its own closing. One that refuses (settings that
    // cannot be stored as they stand, and said why) is not thrown away with
    // the program unless the clerk says so.
    for (QMdiSubWindow *sub : Mdi->subWindowList()) {
        if (sub->close())
            continue;
        const QString title = sub->widget() ? sub->widget()->windowTitle() : sub->windowTitle();
        if (ShowMessage(this, QStringLiteral("確認"),
                        QStringLiteral("「%1」の変更を保存できませんでした。\n"
                                       "このまま終了すると、この画面の変更は失われます。\n"
                                       "保存せずに終了しますか？（「いいえ」でこの画面に戻ります）")
                            .arg(title),
                        QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
            != QMessageBox::Yes) {
            e->ignore();
            Mdi->setActiveSubWindow(sub);
            return;
        }
    }
    SaveFormPlacement(library(), this, data().iniPath());
    e->accept();
}

void TMainForm::BasicSetClick()
{
    data().StartFlags &= ~MissingBaseData;
    openChildWindow(QStringLiteral("BasicSettingForm"), [this] { return new TBasicSettingForm(*Desk); });
}

// One list window at a time: an open list comes to the front and shows the day asked for.
static void openReservationList(TMainForm &main, const QDateTime &date)
{
    auto *list = qobject_cast<TRsvlistForm *>(main.findChildWindow(QStringLiteral("RsvlistForm")));
    if (list)
        main.desk().bringToFront(list);
    else
        list = qobject_cast<TRsvlistForm *>(main.openChildWindow(
            QStringLiteral("RsvlistForm"), [&main] { return new TRsvlistForm(main.desk()); }));
    if (list)
        list->SetListDate(date);
}

void TMainForm::RsvListClick()
{
    data().StartFlags &= ~MissingReserve;
    openReservationList(*this, Clock::now());
}

void TMainForm::SeikyuClick()
{
    data().StartFlags &= ~MissingReserve;
    openReservationList(*this, Clock::now().addDays(-1));
}

void TMainForm::FindClick()
{
    if (QWidget *open = findChildWindow(QStringLiteral("SearchForm"))) {
        Desk->bringToFront(open);
        if (auto *name = open->findChild<QWidget *>(QStringLiteral("FindEdit")))
            name->setFocus();
        return;
    }
    openChildWindow(QStringLiteral("SearchForm"), [this] { return new TSearchForm(*Desk); });
}

void TMainForm::RegisterArrivalsClick()
{
    if (!dataLoaded() || !openRegister(this, *Desk))
        return;
    if (auto *open = qobject_cast<TRegisterArrivalsForm *>(findChildWindow(QStringLiteral("RegisterArrivalsForm")))) {
        Desk->bringToFront(open);
        open->setDay(Clock::now().date());
        return;
    }
    placeRegisterWindow(openChildWindow(QStringLiteral("RegisterArrivalsForm"),
                                        [this] { return new TRegisterArrivalsForm(*Desk, Clock::now().date()); }));
}

void TMainForm::RegisterPassphraseClick()
{
    if (dataLoaded())
        changeRegisterPassphrase(this, *Desk);
}

void TMainForm::RegisterLockClick() { Desk->registerSession().lock(); }

void TMainForm::KamokuMenuClick()
{
    if (openChildWindow(QStringLiteral("KamokuForm"), [this] { return new TKamokuForm(*Desk); }))
        data().StartFlags &= ~MissingKamoku;
}

// A month report opens only once an open bill window has saved its bill.
void TMainForm::N3Click()
{
    if (closeBillWindowFor(*Desk))
        openChildWindow(QStringLiteral("NyutouzeiForm"), [this] { return new TNyutouzeiForm(*Desk); });
}

void TMainForm::ShukuhakuzeiClick()
{
    if (closeBillWindowFor(*Desk))
        openChildWindow(QStringLiteral("ShukuhakuzeiForm"), [this] { return new TShukuhakuzeiForm(*Desk); });
}

void TMainForm::N4Click()
{
    if (closeBillWindowFor(*Desk))
        openChildWindow(QStringLiteral("GetujiForm"), [this] { return new TGetujiForm(*Desk); });
}

void TMainForm::UrikakePrnClick()
{
    if (closeBillWindow())
        openChildWindow(QStringLiteral("UrikakeForm"), [this] { return new TUrikakeForm(*Desk); });
}

void TMainForm::OptPrnClick()
{
    if (closeBillWindow())
        openChildWindow(QStringLiteral("GetujioptForm"), [this] { return new TGetujioptForm(*Desk); });
}

void TMainForm::debug1Click()
{
    if (closeBillWindow())
        openChildWindow(QStringLiteral("debugForm"), [this] { return new TdebugForm(*Desk); });
}

void TMainForm::debuguri1Click()
{
    if (closeBillWindow())
        openChildWindow(QStringLiteral("debuguriForm"), [this] { return new TdebuguriForm(*Desk); });
}

void TMainForm::Contents1Click()
{
    // The manual lies with the program, not with the data.
    const QString exeDir = QCoreApplication::applicationDirPath();
    const QString manual = findManual(exeDir);
    if (manual.isEmpty()) {
        ShowMessage(this, QStringLiteral("注意"),
                    QStringLiteral("マニュアルが見つかりません。次の場所を探しました:\n%1")
                        .arg(manualPlaces(exeDir).join(QLatin1Char('\n'))));
        return;
    }
    // Read inside the program: a fresh desk need not have a web browser.
    if (auto *help = qobject_cast<THelpForm *>(findChildWindow(QStringLiteral("HelpForm")))) {
        help->ShowPage(QStringLiteral("index.html"));
        Desk->bringToFront(help);
        return;
    }
    openChildWindow(QStringLiteral("HelpForm"), [manual] { return new THelpForm(manual); });
}

void TMainForm::RestoreClick()
{
    // The generations are those of the record files; a database is restored on its server.
    if (data().Store) {
        ShowMessage(this, QStringLiteral("バックアップから復元"), restoreOnServerText());
        return;
    }
    TRestoreForm form(data().ExePath, data().BackupPath, this);
    // The windows work on the data about to be replaced: they close once the
    // restore is confirmed (a bill window saves its bill as on any close).
    form.BeforeRestore = [this, &form] {
        if (closeBillWindow()) {
            Mdi->closeAllSubWindows();
            if (Mdi->subWindowList().isEmpty())
                return true;
        }
        ShowMessage(&form, QStringLiteral("バックアップから復元"),
                    QStringLiteral("開いているウィンドウを閉じてから、もう一度選んでください。"));
        return false;
    };
    form.exec();
    if (!form.Restored())
        return;
    // A fresh library: a refusal of the last load does not carry over.
    Desk->library() = TLibrary();
    const QString message = Desk->loadData(data().ExePath);
    if (!message.isEmpty())
        ShowMessage(this, dataLoaded() ? QStringLiteral("注意") : QStringLiteral("エラー"), message);
}

QString TMainForm::restoreOnServerText()
{
    return QStringLiteral("データはデータベースサーバーにあるため、この画面からは復元できません。\n"
                          "サーバーの道具で復元してください（pg_dump で取ったバックアップを pg_restore で戻す、"
                          "またはスタンバイサーバーに切り替える）。手順はマニュアルの「データベースサーバーへの移行」にあります。");
}

void TMainForm::About2Click()
{
    openChildWindow(QStringLiteral("AboutBox"), [this] { return new TAboutBox(data().Version); });
}

std::unique_ptr<QLockFile> TMainForm::lockProgramDirectory(const QString &exePath)
{
    auto lock = std::make_unique<QLockFile>(QDir(exePath).filePath(QStringLiteral("norvel.lock")));
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return nullptr;
    return lock;
}

int TMainForm::runProgram(QApplication &app)
{
    setUpApplication(app);
    QString folderError;
    const QString exePath = openDataFolder(QCoreApplication::applicationDirPath(), &folderError);
    if (exePath.isEmpty()) {
        ShowMessage(nullptr, QStringLiteral("エラー"), folderError);
        return 1;
    }
    const auto lock = lockProgramDirectory(exePath);
    if (!lock) {
        ShowMessage(nullptr, QStringLiteral("エラー"),
                    QStringLiteral("Norvel は既に起動しています。\n"
                                   "同じデータを二つのNorvelで同時に使うことはできません。"));
        return 1;
    }
    TMainForm form(exePath);
    form.show();
    form.activateWindow();
    return app.exec();
}
