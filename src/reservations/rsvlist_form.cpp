#include "rsvlist_form.h"

#include "controls/ime_mode.h"
#include "controls/string_grid_ex.h"
#include "register/register_form.h"
#include "printing/fonts.h"
#include "reservations/reservation_list.h"
#include "shell/front_desk.h"
#include "shell/message_box.h"
#include "shell/placement.h"
#include "storage/clock.h"
#include "storage/cp932.h"

#include <QAction>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QCalendarWidget>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QTextCharFormat>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kWarning = QStringLiteral("警告");
const QString kConfirm = QStringLiteral("確認");
const QString kNotice = QStringLiteral("注意");
// One bill window at a time: the clerk finishes the open bill before starting another.
const QString kCloseBillFirst = FrontDesk::closeBillFirstText();
const QString kBillIsOpen = QStringLiteral("この請求明細は明細画面で開いています。\n明細画面を閉じてから削除してください。");

// Colours are given as the settings store them, 0x00BBGGRR.
QColor bgr(uint32_t v) { return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF)); }
const QColor kHeaderColor = bgr(16311512);
const QColor kBandColor = bgr(14811135);

struct ColumnDef {
    const char *caption;
    int width;
};
const ColumnDef kColumns[RsvListColumns] = {
    {"清算日", 70}, {"請求番号", 73}, {"予約番号", 78}, {"名前", 115}, {"プラン名", 222},
    {"部屋", 87},   {"総泊数", 45},   {"泊目", 39},     {"料金計", 2},
};

bool fieldEmpty(const char *field) { return field[0] == 0; }

} // namespace

TRsvlistForm::TRsvlistForm(FrontDesk &desk, QWidget *parent) : QWidget(parent), Desk(desk)
{
    setObjectName(QStringLiteral("RsvlistForm"));
    setWindowTitle(QStringLiteral("予約一覧"));
    setAttribute(Qt::WA_DeleteOnClose);

    DateLabel = new QLabel(this);
    DateLabel->setObjectName(QStringLiteral("DateLabel"));
    QFont big = DateLabel->font();
    big.setPointSizeF(big.pointSizeF() * 1.5);
    big.setBold(true);
    DateLabel->setFont(big);
    DateLabel->setAlignment(Qt::AlignCenter);

    SpeedButton1 = new QToolButton(this);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(QStringLiteral("←"));
    SpeedButton1->setToolTip(QStringLiteral("前日へ"));
    SpeedButton2 = new QToolButton(this);
    SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    SpeedButton2->setText(QStringLiteral("→"));
    SpeedButton2->setToolTip(QStringLiteral("翌日へ"));
    for (QToolButton *b : {SpeedButton1, SpeedButton2}) {
        b->setFont(big);
        b->setMinimumSize(40, 30);
    }
    connect(SpeedButton1, &QToolButton::clicked, this, &TRsvlistForm::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TRsvlistForm::SpeedButton2Click);

    Calendar = new QCalendarWidget(this);
    Calendar->setObjectName(QStringLiteral("Calendar"));
    Calendar->setSelectionMode(QCalendarWidget::SingleSelection);
    Calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    Calendar->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
    Calendar->setFirstDayOfWeek(Qt::Sunday);
    Calendar->setFixedSize(Calendar->sizeHint());
    // A date typed into the calendar (its day view and year box) is digits.
    for (QWidget *part : Calendar->findChildren<QWidget *>())
        if (qobject_cast<QAbstractItemView *>(part) || qobject_cast<QAbstractSpinBox *>(part))
            ApplyImeMode(part, imDisable);
    connect(Calendar, &QCalendarWidget::selectionChanged, this, [this] {
        if (!FSelecting)
            CalendarClick();
    });

    Button1 = new QPushButton(QStringLiteral("サーバーからデータを取得"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setToolTip(QStringLiteral("Norvelオンライン予約システムからデータを取得します"));
    connect(Button1, &QPushButton::clicked, this, &TRsvlistForm::FetchButtonClick);
    Button2 = new QPushButton(QStringLiteral("明細新規作成"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    connect(Button2, &QPushButton::clicked, this, &TRsvlistForm::NewBillClick);
    RegisterButton = new QPushButton(QStringLiteral("宿泊者名簿"), this);
    RegisterButton->setObjectName(QStringLiteral("RegisterButton"));
    RegisterButton->setToolTip(QStringLiteral("選んだ行の請求の宿泊者名簿を開きます"));
    connect(RegisterButton, &QPushButton::clicked, this, &TRsvlistForm::RegisterClick);
    for (QPushButton *b : {Button1, Button2, RegisterButton})
        b->setMinimumHeight(32);

    auto *note = new QLabel(QStringLiteral("※すでに取得されているデータは上書きされません　再取得したい場合はデータを削除してください"), this);
    note->setObjectName(QStringLiteral("Label1"));
    note->setWordWrap(true);
    QPalette red = note->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    note->setPalette(red);
    auto *howOpen = new QLabel(QStringLiteral("明細を入力する場合は請求番号をクリックしてください"), this);
    howOpen->setObjectName(QStringLiteral("Label2"));
    auto *howEdit = new QLabel(QStringLiteral("新規登録･削除は右クリックしてください"), this);
    howEdit->setObjectName(QStringLiteral("Label3"));

    FGrid = new TStringGridEx(this);
    FGrid->setObjectName(QStringLiteral("StringGrid1"));
    FGrid->setToolTip(QStringLiteral("右クリックすると明細削除･新規登録ができます"));
    FGrid->SetColCount(RsvListColumns);
    FGrid->SetRowCount(2);
    FGrid->SetFixedCols(0);
    FGrid->SetFixedRows(1);
    FGrid->SetLeftCol(0);
    // The column widths are made for a 9-point Japanese UI face, in which a
    // ten-digit bill number and a date just fill their columns; the face here
    // is as large as keeps them whole.
    QFont gridFont(printing::resolveFace(printing::kPGothic));
    for (int px = 13; px >= 11; --px) {
        gridFont.setPixelSize(px);
        const QFontMetrics fm(gridFont);
        if (fm.horizontalAdvance(QStringLiteral("8888888888")) <= kColumns[RsvColMeiNo].width - 4
            && fm.horizontalAdvance(QStringLiteral("2088/08/28")) <= kColumns[RsvColSeisan].width - 4)
            break;
    }
    FGrid->setFont(gridFont);
    FGrid->SetDefaultRowHeight(20);
    FGrid->SetScrollBars(ssVertical);
    FGrid->SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goColSizing);
    for (int c = 0; c < RsvListColumns; ++c) {
        TGridColumn *gc = FGrid->GridColumns()[c];
        gc->SetCaption(QString::fromUtf8(kColumns[c].caption));
        gc->SetCanEdit(false);
        gc->SetFont(gridFont);
        gc->SetFixCellFont(gridFont);
        FGrid->SetColWidths(c, kColumns[c].width);
    }
    connect(FGrid, &TStringGrid::OnDrawCell, this,
            [this](QPainter *p, int col, int row, const QRect &rect, TGridDrawState) { GridDrawCell(p, col, row, rect); });
    FGrid->viewport()->installEventFilter(this);
    FGrid->installEventFilter(this);

    FPopup = new QMenu(this);
    FPopup->setObjectName(QStringLiteral("PopupMenu1"));
    QAction *newItem = FPopup->addAction(QStringLiteral("明細新規作成"));
    newItem->setObjectName(QStringLiteral("NewBill1"));
    connect(newItem, &QAction::triggered, this, &TRsvlistForm::NewBillClick);
    FPopup->addSeparator();
    DeleteItem = FPopup->addAction(QStringLiteral("明細を削除する(※注意　取消不可)"));
    DeleteItem->setObjectName(QStringLiteral("DeleteBill1"));
    connect(DeleteItem, &QAction::triggered, this, &TRsvlistForm::DeleteBillClick);
    FPopup->addSeparator();
    RegisterItem = FPopup->addAction(QStringLiteral("宿泊者名簿を開く"));
    RegisterItem->setObjectName(QStringLiteral("Register1"));
    connect(RegisterItem, &QAction::triggered, this, &TRsvlistForm::RegisterClick);
    FPopup->addSeparator();
    QAction *closeItem = FPopup->addAction(QStringLiteral("ポップアップメニューを閉じる"));
    closeItem->setObjectName(QStringLiteral("ClosePopup1"));

    // Date and calendar on the left, the commands and hints beside them, the grid below.
    auto *dateRow = new QHBoxLayout;
    dateRow->addWidget(SpeedButton1);
    dateRow->addWidget(DateLabel, 1);
    dateRow->addWidget(SpeedButton2);
    auto *left = new QVBoxLayout;
    left->addLayout(dateRow);
    left->addWidget(Calendar);
    auto *right = new QVBoxLayout;
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    buttons->addWidget(RegisterButton);
    buttons->addStretch();
    right->addLayout(buttons);
    right->addWidget(note);
    right->addSpacing(12);
    right->addWidget(howOpen);
    right->addWidget(howEdit);
    right->addStretch();
    auto *top = new QHBoxLayout;
    top->addLayout(left);
    top->addSpacing(16);
    top->addLayout(right, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(FGrid, 1);

    // Opening: today, a calendar that reaches a year back and a year ahead
    // (bills made ahead of a stay), and a fetch that needs all four
    // online-service settings.
    const QDateTime now = Clock::now();
    Calendar->setMaximumDate(now.addDays(365).date());
    Calendar->setMinimumDate(now.addDays(-365).date());
    const TBaseData &base = Desk.data().BaseData;
    Button1->setEnabled(!fieldEmpty(base.Acount) && !fieldEmpty(base.Domain) && !fieldEmpty(base.IDCode)
                        && !fieldEmpty(base.Passwd));
    FListDate = now;

    // Every activation shows what other windows changed meanwhile.
    connect(Desk.mdiArea(), &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow *sub) {
        if (sub && sub->widget() == this)
            RefreshList();
    });
    // So does another desk's save, split, fetch or delete.
    connect(&Desk, &FrontDesk::recordsChanged, this, &TRsvlistForm::RefreshList);
    RefreshList();
}

TRsvlistForm::~TRsvlistForm() = default;

QSize TRsvlistForm::sizeHint() const
{
    // Fills the main window's working area at its designed size.
    return {1010, 555};
}

void TRsvlistForm::SetListDate(const QDateTime &date)
{
    FListDate = date;
    RefreshList();
}

void TRsvlistForm::UpdateButtons()
{
    // The list goes as far back and ahead as the calendar does.
    SpeedButton2->setEnabled(FListDate.date() < Calendar->maximumDate());
    SpeedButton1->setEnabled(FListDate.date() > Calendar->minimumDate());
}

void TRsvlistForm::RefreshList()
{
    const QDate day = FListDate.date();
    DateLabel->setText(listDateLabel(day));
    FSelecting = true;
    Calendar->setSelectedDate(day);
    FSelecting = false;
    UpdateButtons();

    collectDayRows(Desk.data().ReserveList, day, FIndices);
    const auto &list = Desk.data().ReserveList;
    FRows.clear();
    FRows.reserve(FIndices.size());
    // Bands change colour with the bill: the first bill is tinted, the next white, and so on.
    bool band = false;
    uint32_t last = 0;
    for (size_t i : FIndices) {
        const TReserveData &r = list[i];
        if (FRows.empty() || r.MeiNo != last)
            band = !band;
        last = r.MeiNo;
        FRows.push_back({r.MeiNo, fieldBytes(r.Room), band});
    }
    FGrid->SetRowCount(1 + std::max<int>(1, int(FRows.size())));
    FGrid->SetRows(1, {});
    for (size_t k = 0; k < FIndices.size(); ++k)
        FGrid->SetRows(int(k) + 1, rsvListCells(list[FIndices[k]], nightOfStay(list, FIndices[k], day)));
    if (FGrid->Row() >= FGrid->RowCount())
        FGrid->FocusCell(FGrid->Col(), FGrid->RowCount() - 1);
    FGrid->viewport()->update();
}

const TRsvlistForm::Row *TRsvlistForm::RowAt(int row) const
{
    return row >= 1 && size_t(row) <= FRows.size() ? &FRows[size_t(row) - 1] : nullptr;
}

QColor TRsvlistForm::RowColor(int row) const
{
    const Row *r = RowAt(row);
    return r && r->Band ? kBandColor : QColor(Qt::white);
}

void TRsvlistForm::GridDrawCell(QPainter *p, int col, int row, const QRect &rect)
{
    p->save();
    p->setFont(FGrid->font());
    if (row == 0) {
        p->fillRect(rect, kHeaderColor);
        p->setPen(Qt::black);
        p->drawText(rect.adjusted(3, 2, -2, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                    FGrid->GridColumns()[col]->Caption());
    } else {
        p->fillRect(rect, RowColor(row));
        p->setPen(Qt::black);
        p->drawText(rect.adjusted(2, 2, -2, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                    FGrid->Cells(col, row));
    }
    p->restore();
}

void TRsvlistForm::SpeedButton1Click()
{
    if (FListDate.date() <= Calendar->minimumDate())
        return;
    SetListDate(FListDate.addDays(-1));
}

void TRsvlistForm::SpeedButton2Click()
{
    if (FListDate.date() >= Calendar->maximumDate())
        return;
    SetListDate(FListDate.addDays(1));
}

void TRsvlistForm::CalendarClick()
{
    const QDate picked = Calendar->selectedDate();
    if (!picked.isValid() || picked == FListDate.date())
        return;
    SetListDate(QDateTime(picked, FListDate.time()));
}

void TRsvlistForm::FetchButtonClick()
{
    if (FFetching)
        return;
    FFetching = true;
    const bool wasEnabled = Button1->isEnabled();
    const bool hadFocus = Button1->hasFocus();
    Button1->setEnabled(false);
    const std::vector<FetchMessage> messages = FetchReservations(Desk.data(), Desk.library(), FListDate, FFetchOptions);
    FFetching = false;
    Button1->setEnabled(wasEnabled);
    // Disabling passed the focus on; a fetch pressed from the keyboard gets it back.
    if (hadFocus)
        Button1->setFocus();
    for (const FetchMessage &m : messages)
        ShowMessage(this, m.title, m.text);
    RefreshList();
}

void TRsvlistForm::NewBillClick()
{
    createBill(Desk.data(), FListDate.date());
    RefreshList();
    storeBills();
}

void TRsvlistForm::storeBills()
{
    if (const QString error = storeBillLists(Desk.data(), Desk.library()); !error.isEmpty())
        ShowMessage(this, kWarning, error);
}

void TRsvlistForm::DeleteBillClick()
{
    const int row = FGrid->Row();
    const Row *r = RowAt(row);
    if (!r)
        return;
    const uint32_t billNo = r->MeiNo;
    // The open bill window would write the bill back when it closes.
    if (Desk.isBillOpen(billNo)) {
        ShowMessage(this, kNotice, kBillIsOpen);
        return;
    }
    // Both questions destroy the bill: Enter answers いいえ.
    if (ShowMessage(this, kWarning,
                    deleteBillQuestion(billNo, FGrid->Cells(RsvColName, row), FGrid->Cells(RsvColRoom, row)),
                    QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        != QMessageBox::Yes)
        return;
    if (ShowMessage(this, kWarning, QStringLiteral("削除すると元には戻せません　本当によろしいですか？"),
                    QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        != QMessageBox::Yes)
        return;
    const DeleteResult result = deleteBill(Desk.data(), Desk.library(), billNo);
    if (!result.deleted)
        ShowMessage(this, kWarning, QStringLiteral("データの削除に失敗しました。再起動してください。\n") + result.error);
    else if (!result.error.isEmpty())
        ShowMessage(this, kWarning, result.error);
    RefreshList();
}

bool TRsvlistForm::GridMouseDown(Qt::MouseButton button, int col, int row)
{
    const Row *r = RowAt(row);
    if (button == Qt::RightButton) {
        if (row < 1)
            return false;
        FGrid->FocusCell(RsvColMeiNo, row);
        DeleteItem->setEnabled(r != nullptr);
        RegisterItem->setEnabled(r != nullptr);
        const QRect cell = FGrid->CellRect(col, row);
        FPopup->popup(FGrid->viewport()->mapToGlobal(cell.isEmpty() ? QPoint() : cell.bottomLeft()));
        return true;
    }
    if (button != Qt::LeftButton || !r || (col != RsvColMeiNo && col != RsvColRoom))
        return false;
    FGrid->FocusCell(col, row);
    if (col == RsvColRoom) {
        for (size_t k = 0; k < FRows.size(); ++k) {
            if (int(k) + 1 != row && FRows[k].MeiNo == r->MeiNo) {
                SplitRoom(row);
                return true;
            }
        }
    }
    OpenBill(r->MeiNo);
    return true;
}

void TRsvlistForm::RegisterClick()
{
    const Row *r = RowAt(FGrid->Row());
    if (!r) {
        ShowMessage(this, kWarning, QStringLiteral("宿泊者名簿を開く請求の行を選んでください。"));
        return;
    }
    openRegisterWindow(Desk, this, r->MeiNo);
}

void TRsvlistForm::SplitRoom(int row)
{
    const Row r = *RowAt(row);
    // The split-off room opens in a window of its own, and an open window on
    // the bill would write the room's lines back under the old number.
    if (Desk.billWindow()) {
        ShowMessage(this, kNotice, kCloseBillFirst);
        return;
    }
    if (ShowMessage(this, kConfirm, QStringLiteral("この部屋単独の請求明細を作成しますか？"),
                    QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        != QMessageBox::Yes)
        return;
    const uint32_t newNo = splitRoom(Desk.data(), r.MeiNo, r.Room);
    RefreshList();
    if (!newNo)
        return;
    storeBills();
    OpenBill(newNo);
}

void TRsvlistForm::OpenBill(uint32_t billNo)
{
    if (QWidget *w = Desk.showBill(this, billNo))
        // What the bill window stored shows as soon as it has gone.
        connect(w, &QObject::destroyed, this, &TRsvlistForm::RefreshList);
}

bool TRsvlistForm::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == FGrid->viewport() && e->type() == QEvent::MouseButtonPress) {
        auto *me = static_cast<QMouseEvent *>(e);
        int col, row;
        if (FGrid->MouseToCell(me->position().toPoint(), col, row)) {
            FGrid->setFocus(Qt::MouseFocusReason);
            if (GridMouseDown(me->button(), col, row))
                return true;
        }
    }
    if (watched == FGrid && e->type() == QEvent::KeyPress) {
        // The keyboard does what the mouse does: Enter on a row opens its bill
        // (on 部屋, as a click there), the menu key opens the pop-up.
        auto *ke = static_cast<QKeyEvent *>(e);
        const int row = FGrid->Row();
        const bool plain = !(ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier));
        if ((ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter) && plain) {
            GridMouseDown(Qt::LeftButton, FGrid->Col() == RsvColRoom ? RsvColRoom : RsvColMeiNo, row);
            return true;
        }
        if (ke->key() == Qt::Key_Menu || (ke->key() == Qt::Key_F10 && ke->modifiers() == Qt::ShiftModifier)) {
            GridMouseDown(Qt::RightButton, FGrid->Col(), row);
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}

void TRsvlistForm::closeEvent(QCloseEvent *e)
{
    // The fetch under way is appending to this list's day when it returns.
    if (FFetching) {
        e->ignore();
        ShowMessage(this, kNotice,
                    QStringLiteral("サーバーからデータを取得しています。\n取得が終わってから閉じてください。"));
        return;
    }
    SaveFormPlacement(Desk.library(), this, Desk.data().iniPath());
    emit listClosed();
    e->accept();
}
