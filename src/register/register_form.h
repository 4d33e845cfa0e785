#pragma once
// TRegisterForm "宿泊者名簿": the register entries of one bill's stay, one row
// per guest (the first named after the bill, as many as its stay lines hold
// guests), with the fields each kind of guest needs; and, on its second page,
// the register's log and its export for a range of arrival days. It shows
// the register only while it is unlocked and closes when it locks, saving
// what was typed.

#include "register/guest_register.h"
#include "register/register_stays.h"

#include <QWidget>
#include <functional>
#include <vector>

class FrontDesk;
class QCheckBox;
class QComboBox;
class TCountryCombo;
class TPassportImageView;
class QDate;
class QDateEdit;
class QDateTimeEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QTabWidget;

class TRegisterForm : public QWidget {
    Q_OBJECT
public:
    // The register must be unlocked (openRegister) before.
    TRegisterForm(FrontDesk &desk, const RegisterStay &stay, QWidget *parent = nullptr);
    ~TRegisterForm() override;

    quint32 billNo() const { return Stay.meiNo; }
    QSize sizeHint() const override { return {1010, 540}; }
    // Shows another stay's guests, after saving this one's.
    bool showStay(const RegisterStay &stay);
    // Stores the guests typed; false (with the reason shown) when refused:
    // a malformed passport number, or a register that could not be written.
    bool save();
    // The guests as the window holds them (what save() would store).
    const std::vector<RegisterEntry> &guests();
    void selectGuest(int row);
    void addGuest();
    void removeGuest();
    // Shows the kept passport copy of the guest shown, logging that it was opened.
    bool openPassportImage();
    // Writes the CSV of the arrival days from..to; asks for the file.
    bool exportCsv();
    // The list of the arrival days from..to on paper (or in the preview, or
    // as a PDF); each print is logged just before it goes out.
    bool printList(int how);

    // Where the CSV goes; tests answer it. Empty: cancelled.
    static std::function<QString(QWidget *parent, const QString &suggested)> CsvFileDialog;

protected:
    void closeEvent(QCloseEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void createControls();
    void createLayout();
    void loadStay(const RegisterStay &stay);
    void showGuestList();
    void showGuest();
    void readGuest();
    void showRequired();
    void showImage();
    void showLog();
    void moveOn(QWidget *from);
    // The guests saved and the range of the export page in order (said when not).
    bool rangeReady(QDate *from, QDate *to);
    void locking();
    bool store(bool checkForm);

    FrontDesk &Desk;
    RegisterStay Stay;
    RegisterFields Fields;
    std::vector<RegisterEntry> Rows;
    std::vector<quint64> Removed;
    // The passport copy of each row as the window holds it.
    struct RowImage {
        QByteArray bytes;
        bool shown = false;   // the kept copy was opened (or a new one taken)
        bool changed = false; // to be stored with the row
    };
    std::vector<RowImage> Images;
    int Current = -1;
    bool Dirty = false;
    bool Showing = false;
    bool Closing = false;

    QTabWidget *Pages = nullptr;
    QLabel *StayLabel = nullptr;
    QTableWidget *GuestGrid = nullptr;
    QPushButton *AddButton = nullptr, *RemoveButton = nullptr, *SaveButton = nullptr;
    QLabel *RequiredLabel = nullptr, *ProblemLabel = nullptr;
    QLineEdit *NameEdit = nullptr, *ReadingEdit = nullptr, *AddressEdit = nullptr, *ContactEdit = nullptr;
    QCheckBox *AbroadCheck = nullptr;
    TCountryCombo *NationalityCombo = nullptr;
    QLineEdit *PassportEdit = nullptr;
    QLineEdit *AgeEdit = nullptr;
    QComboBox *SexCombo = nullptr;
    QLineEdit *PreviousEdit = nullptr, *NextEdit = nullptr;
    QDateTimeEdit *ArrivalEdit = nullptr, *DepartureEdit = nullptr;
    TPassportImageView *PassportView = nullptr;
    QPushButton *ShowImageButton = nullptr;
    QLabel *ImageLabel = nullptr;
    std::vector<std::pair<QLabel *, QWidget *>> FieldRows;
    QDateEdit *FromDate = nullptr, *ToDate = nullptr;
    QPushButton *CsvButton = nullptr, *PreviewButton = nullptr, *PrintButton = nullptr;
    QTableWidget *LogGrid = nullptr;
};

// Opens the register window on a stay for the asking window (the register
// opened first); an open one shows that stay. Null when the clerk cancelled
// the opening.
TRegisterForm *openRegisterWindow(FrontDesk &desk, QWidget *asking, const RegisterStay &stay);
// The same for a stored bill.
TRegisterForm *openRegisterWindow(FrontDesk &desk, QWidget *asking, quint32 billNo);

// Before a stay's bill is settled: true to go on (at once for day use).
// While a register exists and a guest of the stay has no entry or an
// incomplete one, the clerk is warned (the register opened first when
// locked; cancelling that goes on) and may go on, or go to the register
// window instead (false).
bool registerReadyForCheckout(FrontDesk &desk, QWidget *asking, const RegisterStay &stay);

// A register window just opened: at the top left of the working area, in its
// own size as far as the area allows.
void placeRegisterWindow(QWidget *window);
