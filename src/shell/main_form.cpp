#include "main_form.h"

#include "about_box.h"
#include "billing/kamoku_form.h"
#include "billing/meisai_form.h"
#include "settings/basic_setting_form.h"
#include "message_box.h"
#include "placement.h"
#include "reports/debug_form.h"
#include "reports/getuji_form.h"
#include "reports/getujiopt_form.h"
#include "reports/month_bar_form.h"
#include "reports/nyutouzei_form.h"
#include "reports/urikake_form.h"
#include "reservations/rsvlist_form.h"
#include "storage/clock.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLockFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QTranslator>
#include <QUrl>

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
    createMenu();
    move(0, 0);

    const QString message = loadAppData(Data, Library, exePath, Clock::now());
    // A start that could not read its data goes on with what it could read,
    // but the library now refuses every data write.
    Loaded = !Library.WritesRefused();
    if (!message.isEmpty())
        ShowMessage(this, Loaded ? QStringLiteral("注意") : QStringLiteral("エラー"), message);
    if (!Loaded)
        return;
    LoadFormPlacement(Library, this, Data.iniPath());
}

TMainForm::~TMainForm()
{
    // A bill window still alive goes with the main window: nothing to follow any more.
    disconnect(BillWindowWatch);
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
    bar->addMenu(n2);

    addItem(bar, QStringLiteral("KamokuMenu"), QStringLiteral("摘要マスター"), &TMainForm::KamokuMenuClick);
    addItem(bar, QStringLiteral("Login"), QStringLiteral("Norvelログイン"))->setEnabled(false);

    auto *help = new QMenu(QStringLiteral("ヘルプ(&H)"), this);
    help->menuAction()->setObjectName(QStringLiteral("Help2"));
    addItem(help, QStringLiteral("Contents1"), QStringLiteral("目次(&C)"), &TMainForm::Contents1Click);
    addItem(help, QStringLiteral("SearchforHelpOn1"), QStringLiteral("トピックの検索(&S)..."))->setEnabled(false);
    addItem(help, QStringLiteral("About2"), QStringLiteral("バージョン情報(&A)..."), &TMainForm::About2Click);
    addItem(help, QStringLiteral("debug1"), QStringLiteral("debug"), &TMainForm::debug1Click)->setVisible(false);
    addItem(help, QStringLiteral("debuguri1"), QStringLiteral("debuguri"), &TMainForm::debuguri1Click)
        ->setVisible(false);
    bar->addMenu(help);
}

QAction *TMainForm::menuItem(const QString &componentName) const
{
    return findChild<QAction *>(componentName);
}

QWidget *TMainForm::findChildWindow(const QString &componentName) const
{
    for (QMdiSubWindow *sub : Mdi->subWindowList())
        if (sub->widget() && sub->widget()->objectName() == componentName)
            return sub->widget();
    return nullptr;
}

QWidget *TMainForm::openChildWindow(const QString &componentName, const std::function<QWidget *()> &create)
{
    if (findChildWindow(componentName))
        return nullptr;
    QWidget *w = create ? create() : nullptr;
    if (!w)
        return nullptr;
    w->setObjectName(componentName);
    w->setAttribute(Qt::WA_DeleteOnClose);
    QMdiSubWindow *sub = Mdi->addSubWindow(w);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    // A child that closes itself frees itself; its empty frame goes with it.
    // Held as a QObject: the frame may already be part-way through its own
    // destruction when the child goes, and is then no QMdiSubWindow any more.
    QPointer<QObject> frame(sub);
    connect(w, &QObject::destroyed, this, [frame] {
        if (frame)
            frame->deleteLater();
    });
    LoadFormPlacement(Library, w, Data.iniPath());
    w->show();
    return w;
}

TMeisaiForm *TMainForm::billWindow() const { return BillWindow; }

TMeisaiForm *TMainForm::openBillWindow(uint32_t billNo)
{
    if (BillWindow)
        return nullptr;
    auto *w = static_cast<TMeisaiForm *>(
        openChildWindow(QStringLiteral("MeisaiForm"), [this, billNo] { return new TMeisaiForm(*this, billNo); }));
    // At the top left of the client area in its own size, unless the settings file places it.
    if (auto *sub = w ? qobject_cast<QMdiSubWindow *>(w->parentWidget()) : nullptr) {
        sub->move(0, 0);
        sub->resize(sub->sizeHint());
        LoadFormPlacement(Library, w, Data.iniPath());
    }
    return w;
}

bool TMainForm::closeBillWindow()
{
    if (!BillWindow)
        return true;
    if (auto *sub = qobject_cast<QMdiSubWindow *>(BillWindow->parentWidget()))
        sub->close();
    else
        BillWindow->close();
    return !BillWindow;
}

void TMainForm::setBillWindow(TMeisaiForm *window)
{
    BillWindow = window;
    if (QAction *print1 = menuItem(QStringLiteral("Print1")))
        print1->setEnabled(window != nullptr);
    disconnect(BillWindowWatch);
    if (window)
        BillWindowWatch = connect(window, &QObject::destroyed, this, [this] { setBillWindow(nullptr); });
}

void TMainForm::previewBill(int paper, int kind)
{
    if (BillWindow)
        BillWindow->runDocument(BillPaper(paper), kind, DocumentMode::Preview);
}

void TMainForm::showNavigator()
{
    static const struct {
        int bit;
        const char *text;
    } hints[] = {
        {MissingBaseData, "最初に基本設定を行ってください"},
        {MissingKamoku, "マスターをクリックして科目を設定してください"},
        {MissingReserve, "データ管理をクリックして予約データを作成してください"},
    };
    for (const auto &h : hints) {
        if (Data.StartFlags & h.bit) {
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
        else if (!inNavigator && Loaded) {
            const bool r = QMainWindow::event(e);
            showNavigator();
            return r;
        }
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
            a->setVisible(Data.ShowHidden);
}

void TMainForm::closeEvent(QCloseEvent *e)
{
    // Each child runs its own closing (the bill window stores its bill); one
    // that refuses is discarded with the main window.
    for (QMdiSubWindow *sub : Mdi->subWindowList())
        sub->close();
    SaveFormPlacement(Library, this, Data.iniPath());
    e->accept();
}

void TMainForm::BasicSetClick()
{
    Data.StartFlags &= ~MissingBaseData;
    openChildWindow(QStringLiteral("BasicSettingForm"), [this] { return new TBasicSettingForm(*this); });
}

// One list window at a time: N1 stays disabled until the list closes.
static void openReservationList(TMainForm &main, const QDateTime &date)
{
    auto *list = qobject_cast<TRsvlistForm *>(main.openChildWindow(
        QStringLiteral("RsvlistForm"), [&main] { return new TRsvlistForm(main); }));
    if (!list)
        return;
    list->SetListDate(date);
    main.menuItem(QStringLiteral("N1"))->setEnabled(false);
}

void TMainForm::RsvListClick()
{
    openReservationList(*this, Clock::now());
}

void TMainForm::SeikyuClick()
{
    openReservationList(*this, Clock::now().addDays(-1));
}

void TMainForm::KamokuMenuClick()
{
    if (openChildWindow(QStringLiteral("KamokuForm"), [this] { return new TKamokuForm(*this); }))
        Data.StartFlags &= ~MissingKamoku;
}

// A month report opens only once an open bill window has saved its bill.
void TMainForm::N3Click()
{
    if (closeBillWindowFor(*this))
        openChildWindow(QStringLiteral("NyutouzeiForm"), [this] { return new TNyutouzeiForm(*this); });
}

void TMainForm::N4Click()
{
    if (closeBillWindowFor(*this))
        openChildWindow(QStringLiteral("GetujiForm"), [this] { return new TGetujiForm(*this); });
}

void TMainForm::UrikakePrnClick()
{
    if (closeBillWindow())
        openChildWindow(QStringLiteral("UrikakeForm"), [this] { return new TUrikakeForm(*this); });
}

void TMainForm::OptPrnClick()
{
    if (closeBillWindow())
        openChildWindow(QStringLiteral("GetujioptForm"), [this] { return new TGetujioptForm(*this); });
}

void TMainForm::debug1Click()
{
    if (closeBillWindow())
        openChildWindow(QStringLiteral("debugForm"), [this] { return new TdebugForm(*this); });
}

void TMainForm::debuguri1Click()
{
    if (closeBillWindow())
        openChildWindow(QStringLiteral("debuguriForm"), [this] { return new TdebuguriForm(*this); });
}

void TMainForm::Contents1Click()
{
    const QString help = Data.ExePath + QStringLiteral("norvel.chm");
    if (QFileInfo::exists(help))
        QDesktopServices::openUrl(QUrl::fromLocalFile(help));
}

void TMainForm::About2Click()
{
    openChildWindow(QStringLiteral("AboutBox"), [this] { return new TAboutBox(Data.Version); });
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
    app.setApplicationName(QStringLiteral("Norvel 領収書発行"));
    QTranslator qtJapanese;
    if (qtJapanese.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                        QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtJapanese);

    const QString exePath = QCoreApplication::applicationDirPath();
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
