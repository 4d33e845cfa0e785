#include "front_desk.h"

#include "message_box.h"
#include "placement.h"
#include "register_session.h"
#include "storage/clock.h"
#include "storage/pg_store.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QAction>
#include <QKeySequence>
#include <QProcessEnvironment>
#include <QTimer>

FrontDesk::FrontDesk(QMdiArea *area, QObject *parent) : QObject(parent), Mdi(area) {}

FrontDesk::~FrontDesk()
{
    // A bill window still alive goes with the main window: nothing to follow any more.
    disconnect(BillWindowWatch);
}

QString FrontDesk::loadData(const QString &exePath)
{
    const QString dir = exePath.endsWith(QLatin1Char('/')) ? exePath : exePath + QLatin1Char('/');
    // Data read again (a restore) may hold another register: the open one locks and goes.
    if (Register) {
        Register->lock();
        Register.reset();
    }
    const StoreChoice choice = chooseStore(dir + QStringLiteral("norvelreceipt.ini"), QProcessEnvironment::systemEnvironment());
    QString storeError;
    Data.Store = openStore(choice, &storeError);
    if (!storeError.isEmpty()) {
        // Nothing read, so nothing may be written over what is stored.
        Data.ExePath = dir;
        Data.BackupPath = dir + QStringLiteral("backup/");
        Library.RefuseWrites(QStringLiteral("起動時にデータを読み込めなかったため、保存は行いません。"));
        Loaded = false;
        return storeError;
    }
    if (Data.Store)
        askToMakeSchemaCurrent();
    if (Data.Store && !findChild<QTimer *>(QStringLiteral("storeNotices"))) {
        // Other desks' saves reach this desk's lists within a second.
        auto *poll = new QTimer(this);
        poll->setObjectName(QStringLiteral("storeNotices"));
        poll->setInterval(250);
        connect(poll, &QTimer::timeout, this, [this] {
            if (Data.Store && Data.Store->takeNotices(Data))
                emit recordsChanged();
        });
        poll->start();
    }
    const QString message = loadAppData(Data, Library, exePath, Clock::now());
    // A start that could not read its data goes on with what it could read,
    // but the library now refuses every data write.
    Loaded = !Library.WritesRefused();
    return message;
}

RegisterSession &FrontDesk::registerSession()
{
    if (!Register)
        Register = std::make_unique<RegisterSession>(Data.ExePath, Data.iniPath());
    return *Register;
}

void FrontDesk::askToMakeSchemaCurrent()
{
    // The store's tables are made or changed only when the clerk says so;
    // otherwise the load below refuses and says why.
    const StoreSchema schema = Data.Store->schema();
    QString question;
    if (schema.state == StoreSchema::State::Missing)
        question = QStringLiteral("データベース %1 にはこのプログラムの表がありません。\n"
                                  "表を作って、空のデータで始めますか？\n\n"
                                  "今のデータフォルダーを移すときは「いいえ」を選び、"
                                  "norvel --import-files で読み込んでください。")
                       .arg(Data.Store->describe());
    else if (schema.state == StoreSchema::State::Older)
        question = QStringLiteral("データベース %1 の形式は版 %2 です。このプログラムの版 %3 に更新しますか？\n\n"
                                  "更新すると、古い版のプログラムからは使えなくなります。"
                                  "更新の前に pg_dump でバックアップを取ってください。")
                       .arg(Data.Store->describe())
                       .arg(schema.version)
                       .arg(PgSchemaVersion);
    if (question.isEmpty()
        || ShowMessage(Mdi, QStringLiteral("確認"), question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
            != QMessageBox::Yes)
        return;
    if (QString error; !Data.Store->makeSchemaCurrent(&error))
        ShowMessage(Mdi, QStringLiteral("エラー"), error);
}

QWidget *FrontDesk::findChildWindow(const QString &componentName) const
{
    for (QMdiSubWindow *sub : Mdi->subWindowList())
        if (sub->widget() && sub->widget()->objectName() == componentName)
            return sub->widget();
    return nullptr;
}

QWidget *FrontDesk::openChildWindow(const QString &componentName, const std::function<QWidget *()> &create)
{
    // A second copy of a window would only hide the first: show the one there is.
    if (QWidget *open = findChildWindow(componentName)) {
        bringToFront(open);
        return nullptr;
    }
    QWidget *w = create ? create() : nullptr;
    if (!w)
        return nullptr;
    w->setObjectName(componentName);
    w->setAttribute(Qt::WA_DeleteOnClose);
    QMdiSubWindow *sub = Mdi->addSubWindow(w);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    // Ctrl+W is the main window's (ウィンドウ → 閉じる, for whichever child is
    // active); the frame's own menu holding it too would make it ambiguous.
    if (QMenu *menu = sub->systemMenu())
        for (QAction *a : menu->actions())
            if (a->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_W)))
                a->setShortcuts({});
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

QWidget *FrontDesk::openBillWindow(uint32_t billNo)
{
    if (BillWindow || !MakeBillWindow)
        return nullptr;
    // A bill open at another desk opens here to be read only; so does every
    // bill of a server that takes no writes (a standby).
    const bool readOnlyServer = Data.Store && !Data.Store->readOnlyReason().isEmpty();
    BillHold hold;
    if (Data.Store && !readOnlyServer)
        hold = Data.Store->holdBill(billNo);
    if (!hold.held)
        ShowMessage(Mdi, QStringLiteral("確認"),
                    QStringLiteral("請求番号 %1 は端末「%2」で開かれています。\n"
                                   "読み取りのみで開きます。請求書の印刷はできますが、変更は保存されません。")
                        .arg(billNo)
                        .arg(hold.desk));
    // The window reads this as it opens.
    ReadOnlyBill = !hold.held || readOnlyServer;
    QWidget *w = openChildWindow(QStringLiteral("MeisaiForm"), [this, billNo] { return MakeBillWindow(*this, billNo); });
    // At the top left of the client area in its own size, unless the settings file places it.
    if (auto *sub = w ? qobject_cast<QMdiSubWindow *>(w->parentWidget()) : nullptr) {
        sub->move(0, 0);
        sub->resize(sub->sizeHint());
        LoadFormPlacement(Library, w, Data.iniPath());
    }
    if (w && !hold.held)
        w->setWindowTitle(w->windowTitle() + QStringLiteral("（読み取りのみ：端末「%1」が開いています）").arg(hold.desk));
    else if (w && readOnlyServer)
        w->setWindowTitle(w->windowTitle() + QStringLiteral("（読み取りのみ：読み取り専用のサーバー）"));
    if (!w) {
        if (Data.Store && !ReadOnlyBill)
            Data.Store->releaseBill(billNo);
        ReadOnlyBill = false;
    }
    return w;
}

QString FrontDesk::closeBillFirstText()
{
    return QStringLiteral("別の請求明細が開いています。\n開いている明細を閉じてから操作してください。");
}

QWidget *FrontDesk::showBill(QWidget *asking, uint32_t billNo)
{
    if (BillWindow) {
        if (OpenBillNo == billNo)
            bringBillWindowToFront();
        else
            ShowMessage(asking, QStringLiteral("注意"), closeBillFirstText());
        return nullptr;
    }
    return openBillWindow(billNo);
}

bool FrontDesk::closeBillWindow()
{
    if (!BillWindow)
        return true;
    if (auto *sub = qobject_cast<QMdiSubWindow *>(BillWindow->parentWidget()))
        sub->close();
    else
        BillWindow->close();
    return !BillWindow;
}

void FrontDesk::bringBillWindowToFront()
{
    if (BillWindow)
        bringToFront(BillWindow);
}

void FrontDesk::bringToFront(QWidget *window)
{
    if (auto *frame = qobject_cast<QMdiSubWindow *>(window->parentWidget())) {
        if (frame->isMinimized())
            frame->showNormal();
        Mdi->setActiveSubWindow(frame);
        frame->raise();
    }
    window->raise();
}

void FrontDesk::setBillWindow(QWidget *window, uint32_t billNo)
{
    // The bill this desk held is free for the other desks once its window goes.
    if (!window && BillWindow && Data.Store && !ReadOnlyBill)
        Data.Store->releaseBill(OpenBillNo);
    if (!window)
        ReadOnlyBill = false;
    BillWindow = window;
    OpenBillNo = window ? billNo : 0;
    disconnect(BillWindowWatch);
    if (window)
        BillWindowWatch = connect(window, &QObject::destroyed, this, [this] { setBillWindow(nullptr); });
    emit billWindowChanged(window);
}
