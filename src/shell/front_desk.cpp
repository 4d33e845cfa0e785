#include "front_desk.h"

#include "message_box.h"
#include "placement.h"
#include "storage/clock.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QAction>
#include <QKeySequence>

FrontDesk::FrontDesk(QMdiArea *area, QObject *parent) : QObject(parent), Mdi(area) {}

FrontDesk::~FrontDesk()
{
    // A bill window still alive goes with the main window: nothing to follow any more.
    disconnect(BillWindowWatch);
}

QString FrontDesk::loadData(const QString &exePath)
{
    const QString message = loadAppData(Data, Library, exePath, Clock::now());
    // A start that could not read its data goes on with what it could read,
    // but the library now refuses every data write.
    Loaded = !Library.WritesRefused();
    return message;
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
    QWidget *w = openChildWindow(QStringLiteral("MeisaiForm"), [this, billNo] { return MakeBillWindow(*this, billNo); });
    // At the top left of the client area in its own size, unless the settings file places it.
    if (auto *sub = w ? qobject_cast<QMdiSubWindow *>(w->parentWidget()) : nullptr) {
        sub->move(0, 0);
        sub->resize(sub->sizeHint());
        LoadFormPlacement(Library, w, Data.iniPath());
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
    BillWindow = window;
    OpenBillNo = window ? billNo : 0;
    disconnect(BillWindowWatch);
    if (window)
        BillWindowWatch = connect(window, &QObject::destroyed, this, [this] { setBillWindow(nullptr); });
    emit billWindowChanged(window);
}
