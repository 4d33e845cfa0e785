#pragma once
// TBasicSettingForm "Norvel基本設定": the child window in which the inn sets
// its name and address, messages, tax and bathing-tax rules, the account at
// the online reservation service, the logo, and the print options. Opened,
// it shows the main window's facility settings; closed, it rebuilds them from
// its controls and writes base.dat. Ctrl+Alt+Home anywhere in it switches
// the main window's hidden menu items.

#include "settings/basic_setting.h"
#include "storage/money_settings.h"

#include <QColor>
#include <QHash>

#include <QWidget>
#include <array>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QDate;
class QSpinBox;
class QTableWidget;
class QComboBox;
class QFont;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class FrontDesk;
class TLodgingTaxPage;
class TSaNumEdit;

// A framed row of radio buttons with one selected index (-1: none).
class TRadioGroup : public QWidget {
    Q_OBJECT
public:
    TRadioGroup(const QStringList &items, QWidget *parent = nullptr);
    int ItemIndex() const;
    void SetItemIndex(int index);

private:
    QButtonGroup *Buttons;
};

class TBasicSettingForm : public QWidget {
    Q_OBJECT
public:
    explicit TBasicSettingForm(FrontDesk &desk, QWidget *parent = nullptr);
    ~TBasicSettingForm() override;

    // The dialogs the buttons open; tests put their own answers in. Each
    // returns false when the user cancels.
    static std::function<bool(QWidget *parent, const QColor &initial, QColor *chosen)> ColourDialog;
    static std::function<bool(QWidget *parent, const QFont &initial, QFont *chosen)> FontDialog;
    // The logo picture's dialog starts in folder, where the last picture was chosen.
    static std::function<QString(QWidget *parent, const QString &folder)> LogoFileDialog;
    // Asks from which date a changed money setting applies (what names it,
    // e.g. "入湯税(宿泊) 150円 → 200円"); *from starts at today.
    static std::function<bool(QWidget *parent, const QString &what, QDate *from)> FromDateDialog;

    // The key combination that switches the hidden menu items.
    static constexpr Qt::KeyboardModifiers HiddenKeyModifiers = Qt::ControlModifier | Qt::AltModifier;
    static constexpr Qt::Key HiddenKey = Qt::Key_Home;

    // The controls' contents, as the record will be rebuilt from them.
    BasicSettingValues values() const;
    // Large enough for every page without scrolling, small enough for the
    // main window at its first size.
    QSize sizeHint() const override;

    // Button handlers.
    void BitBtn1Click();          // choose a logo
    void Button5Click();          // delete the logo
    void ColourButtonClick(int n); // Button1 to Button4
    void FontButtonClick(int n);   // Button6 to Button8 (1 to 3)

protected:
    void closeEvent(QCloseEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void createPage1();
    void createPage2();
    void createPage3();
    void createTaxPage();
    void createLodgingPage();
    // 宿泊者名簿: the prefecture's extra fields, the idle lock and the keeping years.
    void createRegisterPage();
    bool saveRegisterPage();
    void fillTaxPage();
    // The tax page's rates, fixed rate and registration number into money;
    // false (after saying why, or when the user chose to correct) keeps the window open.
    bool readTaxPage(TMoneySettings &money);
    void fillControls();
    void showLogo();
    // Colour edit n (1 to 4): the check of its text, then its background.
    void checkColour(int n);
    void colourEdited(int n);
    // An amount field changed by typing or pasting: a value out of its
    // range is taken back, and the message names the range.
    void amountEdited(TSaNumEdit *edit);
    void paintColour(int n);
    void setFontEdit(int n, const QFont &font);

    FrontDesk &Desk;
    QTabWidget *PageControl1 = nullptr;

    QPlainTextEdit *SisetuName = nullptr, *CommentS = nullptr, *CommentR = nullptr;
    QLineEdit *ZipCode = nullptr, *Jusyo = nullptr, *TelNo = nullptr, *FaxNo = nullptr, *Daihyou = nullptr;
    QLineEdit *EMail = nullptr, *URL = nullptr, *Tadashi = nullptr;
    QLineEdit *IDCode = nullptr, *Passwd = nullptr, *Acount = nullptr;
    QComboBox *Domain = nullptr;
    TSaNumEdit *Service = nullptr, *Nyutouzei = nullptr, *DayNyutouzei = nullptr;
    QComboBox *ServiceKubun = nullptr, *TaxKubun = nullptr, *Nyutou_Kubun = nullptr;
    QHash<const TSaNumEdit *, QString> AcceptedAmount; // the last value in range of each amount field

    QLabel *LogoImage = nullptr;
    QPushButton *BitBtn1 = nullptr, *Button5 = nullptr;

    TRadioGroup *TojiRadioGroup = nullptr, *PaperRadioGroup = nullptr, *FontRadioGroup = nullptr;
    std::array<QLineEdit *, 4> ColorEdit{};
    std::array<class QFrame *, 4> ColorSwatch{}; // the colour of each edit, beside it
    std::array<QString, 4> AcceptedColour;
    std::array<QLineEdit *, 3> FontEdit{};
    // The consumption-tax page.
    QTableWidget *TaxTable = nullptr;
    QCheckBox *FixedTax = nullptr;
    QSpinBox *FixedRate = nullptr;
    QLineEdit *RegistrationNo = nullptr;
    QLabel *DatedSettings = nullptr;
    // The accommodation-tax page.
    TLodgingTaxPage *LodgingPage = nullptr;
    std::array<QCheckBox *, 5> RegisterFieldChecks{};
    QSpinBox *LockMinutesSpin = nullptr;
    QSpinBox *RetentionYearsSpin = nullptr;
    QColor LastColour = Qt::white; // the colour dialog starts from the last choice
    bool Checking = false;
};
