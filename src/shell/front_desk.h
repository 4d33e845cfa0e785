#pragma once
// FrontDesk: what the windows share, below every window. It holds the data
// and the library for the whole run, shows the child windows in the main
// window's working area (one of each kind) and keeps the one-bill-window
// rule. The main window creates it and hands it to every child window, so
// that no window needs the main window or another window's class.

#include "storage/app_data.h"
#include "storage/library.h"

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <memory>

class QMdiArea;
class RegisterSession;
class QWidget;

class FrontDesk : public QObject {
    Q_OBJECT
public:
    // Child windows are shown in area (the main window's working area).
    explicit FrontDesk(QMdiArea *area, QObject *parent = nullptr);
    ~FrontDesk() override;

    // Loads every data file of the program directory exePath (see
    // loadAppData), from the store its settings choose (record_store.h).
    // Returns the message to show, or an empty text.
    QString loadData(const QString &exePath);
    // False when the data could not all be loaded; nothing is then written.
    bool dataLoaded() const { return Loaded; }

    AppData &data() { return Data; }
    const AppData &data() const { return Data; }
    TLibrary &library() { return Library; }
    // The program directory, ending in "/".
    const QString &programDir() const { return Data.ExePath; }
    QMdiArea *mdiArea() const { return Mdi; }
    // The guest register of this run (locked until the clerk opens it),
    // made for the data folder loaded last.
    RegisterSession &registerSession();

    // The open child window with this component name, or null.
    QWidget *findChildWindow(const QString &componentName) const;
    // Opens the child window unless one of its kind is open already, which is
    // then brought to the front instead. Returns the new window, or null when
    // one was open (or create gave none).
    QWidget *openChildWindow(const QString &componentName, const std::function<QWidget *()> &create);

    // The bill window is made by whoever knows its class (the main window).
    using BillWindowMaker = std::function<QWidget *(FrontDesk &desk, uint32_t billNo)>;
    void setBillWindowMaker(BillWindowMaker make) { MakeBillWindow = std::move(make); }

    // The open bill window, or null. One bill window at a time.
    QWidget *billWindow() const { return BillWindow; }
    // Whether bill billNo is the one open in the bill window.
    bool isBillOpen(uint32_t billNo) const { return BillWindow && OpenBillNo == billNo; }
    // Whether the open bill is held at another desk: shown, never saved.
    bool isBillReadOnly() const { return BillWindow && ReadOnlyBill; }
    // Opens bill billNo in a new bill window; null when a bill window is open already.
    QWidget *openBillWindow(uint32_t billNo);
    // Shows bill billNo as a list asks for it: in a new bill window, or the
    // open one brought to the front when it holds that bill. While another
    // bill is open the user is told (over asking) and nothing opens. Returns
    // the new window, or null.
    QWidget *showBill(QWidget *asking, uint32_t billNo);
    // What the user is told while another bill is open.
    static QString closeBillFirstText();
    // Closes an open bill window as the user would (which saves its bill).
    // True when no bill window remains open.
    bool closeBillWindow();
    // Activates the open bill window's frame and raises it.
    void bringBillWindowToFront();
    // Activates a child window's frame (restored when minimised) and raises it.
    void bringToFront(QWidget *window);
    // The bill window registers itself (with its bill) while it is open.
    void setBillWindow(QWidget *window, uint32_t billNo = 0);

signals:
    // The bill window opened (window) or went (null).
    void billWindowChanged(QWidget *window);
    // Another desk changed bills, and Data holds them as now stored.
    void recordsChanged();

private:
    void askToMakeSchemaCurrent();

    AppData Data;
    TLibrary Library;
    QMdiArea *Mdi = nullptr;
    bool Loaded = false;
    BillWindowMaker MakeBillWindow;
    QPointer<QWidget> BillWindow;
    uint32_t OpenBillNo = 0;
    bool ReadOnlyBill = false;
    QMetaObject::Connection BillWindowWatch;
    std::unique_ptr<RegisterSession> Register;
};
