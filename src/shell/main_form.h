#pragma once
// TMainForm: the frame of the program. It loads every data file at start,
// owns the data for the whole run, opens the child windows (one of each
// kind) and guides a first run through the navigator.

#include "storage/app_data.h"
#include "storage/library.h"

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>

class QAction;
class QApplication;
class QLockFile;
class QMdiArea;
class QMdiSubWindow;
class TMeisaiForm;

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    // Loads the data of the program directory exePath at once.
    explicit TMainForm(const QString &exePath, QWidget *parent = nullptr);
    ~TMainForm() override;

    // The whole program: the lock against a second copy, the main window, the message loop.
    static int runProgram(QApplication &app);
    // Holds the program directory for this process; null when another copy uses it.
    static std::unique_ptr<QLockFile> lockProgramDirectory(const QString &exePath);

    AppData &data() { return Data; }
    const AppData &data() const { return Data; }
    TLibrary &library() { return Library; }
    QMdiArea *mdiArea() const { return Mdi; }
    // A menu item by its component name (BasicSet, N1, Print1, ...).
    QAction *menuItem(const QString &componentName) const;
    // False when start-up could not load all the data; nothing is then written.
    bool dataLoaded() const { return Loaded; }

    // The open child window with this component name, or null.
    QWidget *findChildWindow(const QString &componentName) const;
    // Opens the child window unless one of its kind is open already. Returns
    // the new window, or null when one was open (or create gave none).
    QWidget *openChildWindow(const QString &componentName, const std::function<QWidget *()> &create);

    // The open bill window, or null. One bill window at a time.
    TMeisaiForm *billWindow() const;
    // Opens bill billNo in a new bill window; null when a bill window is open already.
    TMeisaiForm *openBillWindow(uint32_t billNo);
    // Closes an open bill window as the user would (which saves its bill).
    // True when no bill window remains open.
    bool closeBillWindow();
    // The bill window registers itself while it is open; the preview menu follows it.
    void setBillWindow(TMeisaiForm *window);

    // Shows the first-run hint for the lowest missing-file bit, if any.
    void showNavigator();

    // Menu commands.
    void BasicSetClick();
    void RsvListClick();
    void SeikyuClick();
    void KamokuMenuClick();
    void Contents1Click();
    void About2Click();
    // 印刷プレビュー: the document of the open bill on screen.
    void previewBill(int paper, int kind);
    void N3Click(); // bathing-tax statement
    void N4Click(); // daily sales
    void UrikakePrnClick(); // receivables statement
    void OptPrnClick();     // sales per item
    void debug1Click();     // every bill line, field by field
    void debuguri1Click();  // every receivable, field by field

protected:
    bool event(QEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    void createMenu();
    QAction *addItem(QWidget *menu, const QString &name, const QString &caption,
                     void (TMainForm::*slot)() = nullptr);

    AppData Data;
    TLibrary Library;
    QMdiArea *Mdi = nullptr;
    QPointer<TMeisaiForm> BillWindow;
    QMetaObject::Connection BillWindowWatch;
    bool Loaded = false;
    bool inNavigator = false;
    bool swallowActivation = false;
};
