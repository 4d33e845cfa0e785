#pragma once
// A front desk over its own working area, with the bill window as its bill
// window: what a test of the bill window needs, without the main window.

#include "billing/meisai_form.h"
#include "shell/front_desk.h"

#include <QMdiArea>

class BillDesk {
public:
    // Loads the program directory exePath, as the main window does at start.
    explicit BillDesk(const QString &exePath)
    {
        Area.resize(1024, 590);
        Desk.setBillWindowMaker([](FrontDesk &desk, uint32_t billNo) { return new TMeisaiForm(desk, billNo); });
        Desk.loadData(exePath);
    }

    FrontDesk &desk() { return Desk; }
    AppData &data() { return Desk.data(); }
    TLibrary &library() { return Desk.library(); }
    QMdiArea *mdiArea() { return &Area; }
    // The working area stands in for the main window.
    QWidget *window() { return &Area; }
    void show() { Area.show(); }

    TMeisaiForm *openBillWindow(uint32_t billNo) { return static_cast<TMeisaiForm *>(Desk.openBillWindow(billNo)); }
    TMeisaiForm *billWindow() const { return qobject_cast<TMeisaiForm *>(Desk.billWindow()); }
    bool closeBillWindow() { return Desk.closeBillWindow(); }

private:
    QMdiArea Area; // before the desk: the desk goes first, as in the main window
    FrontDesk Desk{&Area};
};
