#pragma once
// TMainForm: the frame of the program, at the top of it. It creates the
// front desk (which loads every data file at start and holds the data for
// the whole run), opens the child windows from its menu and guides a first
// run through the navigator.

#include "shell/front_desk.h"

#include <QMainWindow>
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

    FrontDesk &desk() { return *Desk; }
    AppData &data() { return Desk->data(); }
    const AppData &data() const { return Desk->data(); }
    TLibrary &library() { return Desk->library(); }
    QMdiArea *mdiArea() const { return Mdi; }
    // A menu item by its component name (BasicSet, N1, Print1, ...).
    QAction *menuItem(const QString &componentName) const;
    // What 「バックアップから復元」 says when the records are in a database.
    static QString restoreOnServerText();
    // False when start-up could not load all the data; nothing is then written.
    bool dataLoaded() const { return Desk->dataLoaded(); }

    // The desk's child windows (see FrontDesk), here for the tests.
    QWidget *findChildWindow(const QString &componentName) const { return Desk->findChildWindow(componentName); }
    QWidget *openChildWindow(const QString &componentName, const std::function<QWidget *()> &create)
    {
        return Desk->openChildWindow(componentName, create);
    }
    // The open bill window, or null. One bill window at a time.
    TMeisaiForm *billWindow() const;
    // Opens bill billNo in a new bill window; null when a bill window is open already.
    TMeisaiForm *openBillWindow(uint32_t billNo);
    bool closeBillWindow() { return Desk->closeBillWindow(); }

    // Shows the first-run hint for the lowest missing-file bit (the first
    // step not taken), unless that hint was shown already since the start.
    void showNavigator();

    // Menu commands.
    void BasicSetClick();
    void RsvListClick();
    void SeikyuClick();
    void FindClick(); // 検索 (Ctrl+F)
    void KamokuMenuClick();
    // 宿泊者名簿: the day's arrivals with their register, the pass phrase, locking now.
    void RegisterArrivalsClick();
    void RegisterPassphraseClick();
    void RegisterLockClick();
    void Contents1Click();
    void About2Click();
    // バックアップから復元: the other windows close first, the data are read again after.
    void RestoreClick();
    // 印刷プレビュー: the document of the open bill on screen.
    void previewBill(int paper, int kind);
    void N3Click(); // bathing-tax statement
    void ShukuhakuzeiClick(); // accommodation-tax statement
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
    // ウィンドウ: cascade, tile, close (Ctrl+W) and the open windows.
    void createWindowMenu();
    void updateWindowMenu();
    QAction *addItem(QWidget *menu, const QString &name, const QString &caption,
                     void (TMainForm::*slot)() = nullptr);

    QMdiArea *Mdi = nullptr;
    std::unique_ptr<FrontDesk> Desk;
    bool inNavigator = false;
    bool swallowActivation = false;
    int shownHints = 0; // the missing-file bits whose hint has been shown
};
