#include "meisai_form.h"

#include "billing/bill_computation.h"
#include "billing/bill_storage.h"
#include "billing/bill_window_rules.h"
#include "billing/guest_history_form.h"
#include "billing/revenue_stamp.h"
#include "controls/sa_num_edit.h"
#include "controls/string_grid_ex.h"
#include "controls/text_guard.h"
#include "register/register_form.h"
#include "shell/front_desk.h"
#include "shell/message_box.h"
#include "shell/placement.h"
#include "storage/clock.h"
#include "storage/cp932.h"
#include "storage/ini_file.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QShortcut>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>

namespace {

const QString EnvSection = QStringLiteral("Environment");

enum GridCol { ColKey = 0, ColDate = 1, ColText = 2, ColTanka = 3, ColSuryou = 4, ColCharge = 5, GridCols = 6 };
const int ColWidths[GridCols] = {17, 74, 246, 66, 57, 79};
// The smallest a summary label's font is taken, in parts of the window's font.
constexpr qreal SmallestLabelScale = 0.7;
const char *const JapaneseHeadings[GridCols] = {"", "日付", "摘要", "単価", "数量", "計"};
const char *const EnglishHeadings[GridCols] = {"", "Date", "Description", "UnitPrice", "Amount", "Charge"};

QString numberCell(int32_t v) { return v == 0 ? QString() : QString::number(v); }

// The 計 column: the line's amount with the yen sign and thousands separators.
QString chargeCell(int32_t tanka, int32_t suryou)
{
    if (tanka == 0 || suryou == 0)
        return {};
    QLocale c(QLocale::C);
    c.setNumberOptions(QLocale::DefaultNumberOptions); // with thousands separators
    return c.toString(qlonglong(int64_t(tanka) * suryou)).prepend(QChar(0xA5));
}

QLineEdit *readOnlyEdit(QWidget *parent, const QString &name, bool frame = true)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setReadOnly(true);
    e->setFrame(frame);
    e->setFocusPolicy(Qt::NoFocus);
    return e;
}

QLabel *label(QWidget *parent, const QString &name, const QString &caption)
{
    auto *l = new QLabel(caption, parent);
    l->setObjectName(name);
    return l;
}

// The six cells of a line as the grid shows them.
QStringList rowCells(const TReserveData &l)
{
    return {l.Kubun ? QString::number(l.Kubun) : QString(), fieldText(l.Rsvday), fieldText(l.Kamoku),
            numberCell(l.Tanka), numberCell(l.Suryou), chargeCell(l.Tanka, l.Suryou)};
}

} // namespace

// The bill grid: the window sees every key before the grid moves the cursor,
// also those its in-place editor hands on, so a row is written back first.
class TMeisaiGrid : public TStringGridEx {
public:
    explicit TMeisaiGrid(TMeisaiForm *form) : TStringGridEx(form), Form(form) {}

protected:
    bool KeyDown(QKeyEvent *e) override { return Form->gridKey(e) || TStringGridEx::KeyDown(e); }
    TInplaceEdit *CreateEditor() override
    {
        TInplaceEdit *editor = TStringGridEx::CreateEditor();
        editor->installEventFilter(Form);
        return editor;
    }

private:
    TMeisaiForm *Form;
};

TMeisaiForm::TMeisaiForm(FrontDesk &desk, uint32_t billNo, QWidget *parent) : QWidget(parent), Desk(desk)
{
    setObjectName(QStringLiteral("MeisaiForm"));
    setWindowTitle(QStringLiteral("勘定明細"));
    setAttribute(Qt::WA_DeleteOnClose);
    createControls();
    createLayout();
    createShortcuts();
    loadCopies();

    const AppData &data = Desk.data();
    const TBillMessage notice = OpenBill(Bill, data, billNo);
    showHeader();
    showSelectors();
    showLanguage();
    showPage();
    showIssued();
    Grid->FocusCell(ColDate, 1);
    Desk.setBillWindow(this, Bill.BillNo);
    if (Desk.isBillReadOnly())
        showReadOnly();
    if (!notice.isEmpty())
        ShowMessage(this, notice.title, notice.text);
}

TMeisaiForm::~TMeisaiForm() = default;

// --- building the window -----------------------------------------------------------------------

void TMeisaiForm::createControls()
{
    const TBaseData &base = Desk.data().BaseData;

    HeaderPanel = new QWidget(this);
    HeaderPanel->setObjectName(QStringLiteral("HeaderPanel"));
    Edit5 = label(HeaderPanel, QStringLiteral("Edit5"), QStringLiteral("請求番号"));
    MeiNoEdit = readOnlyEdit(HeaderPanel, QStringLiteral("MeiNoEdit"), false);
    Edit1 = label(HeaderPanel, QStringLiteral("Edit1"), QStringLiteral("予約番号"));
    RegdayEdit = readOnlyEdit(HeaderPanel, QStringLiteral("RegdayEdit"), false);
    Edit6 = label(HeaderPanel, QStringLiteral("Edit6"), QStringLiteral("清算日"));
    SeisanDay = new QLineEdit(HeaderPanel);
    SeisanDay->setObjectName(QStringLiteral("SeisanDay"));
    SeisanDay->setMaxLength(10);
    SeisanDay->setPlaceholderText(QStringLiteral("yyyy/mm/dd"));
    GuardTextEntry(SeisanDay, QStringLiteral("清算日"), 10);
    ApplyImeMode(SeisanDay, imDisable); // dates, nights and amounts are typed as narrow digits
    LangButton = new QPushButton(QStringLiteral("English"), HeaderPanel);
    LangButton->setObjectName(QStringLiteral("LangButton"));
    RegisterButton = new QPushButton(QStringLiteral("宿泊者名簿 (F9)"), this);
    RegisterButton->setObjectName(QStringLiteral("RegisterButton"));
    RegisterButton->setToolTip(QStringLiteral("この請求の宿泊者の名簿を記入します"));
    connect(RegisterButton, &QPushButton::clicked, this, &TMeisaiForm::registerClick);
    Edit2 = label(HeaderPanel, QStringLiteral("Edit2"), QStringLiteral("名前"));
    NameEdit = new QLineEdit(HeaderPanel);
    NameEdit->setObjectName(QStringLiteral("NameEdit"));
    GuardTextEntry(NameEdit, QStringLiteral("名前"), int(sizeof(TReserveData::Name)) - 1);
    KeisyouCombo = new QComboBox(HeaderPanel);
    KeisyouCombo->setObjectName(QStringLiteral("KeisyouCombo"));
    Edit3 = label(HeaderPanel, QStringLiteral("Edit3"), QStringLiteral("プラン"));
    PlanEdit = new QLineEdit(HeaderPanel);
    PlanEdit->setObjectName(QStringLiteral("PlanEdit"));
    GuardTextEntry(PlanEdit, QStringLiteral("プラン"), int(sizeof(TReserveData::Plan)) - 1);
    StayLabel = label(HeaderPanel, QStringLiteral("StayLabel"), QString());
    Edit7 = label(HeaderPanel, QStringLiteral("Edit7"), QStringLiteral("泊数"));
    StayEdit = new QLineEdit(HeaderPanel);
    StayEdit->setObjectName(QStringLiteral("StayEdit"));
    StayEdit->setMaxLength(2);
    StayEdit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,2}")), StayEdit));
    StayEdit->setAlignment(Qt::AlignRight);
    ApplyImeMode(StayEdit, imDisable);
    Label2 = label(HeaderPanel, QStringLiteral("Label2"), QStringLiteral("泊"));
    Edit4 = label(HeaderPanel, QStringLiteral("Edit4"), QStringLiteral("部屋"));
    RoomEdit = new QLineEdit(HeaderPanel);
    RoomEdit->setObjectName(QStringLiteral("RoomEdit"));
    GuardTextEntry(RoomEdit, QStringLiteral("部屋"), int(sizeof(TReserveData::Room)) - 1);
    DecideEdit = readOnlyEdit(HeaderPanel, QStringLiteral("DecideEdit"));
    DecideEdit->hide();
    StayxEdit = readOnlyEdit(HeaderPanel, QStringLiteral("StayxEdit"));
    StayxEdit->hide();
    for (QLabel *l : {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7})
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    connect(NameEdit, &QLineEdit::textChanged, this, [this] {
        Bill.NameEdit = NameEdit->text(); // the text as it stands once a refused change is taken back
        headerEdited();
    });
    connect(PlanEdit, &QLineEdit::textChanged, this, [this] {
        Bill.PlanEdit = PlanEdit->text(); // the text as it stands once a refused change is taken back
        headerEdited();
    });
    connect(RoomEdit, &QLineEdit::textChanged, this, [this] {
        Bill.RoomEdit = RoomEdit->text(); // the text as it stands once a refused change is taken back
        headerEdited();
    });
    connect(StayEdit, &QLineEdit::textChanged, this, [this] {
        Bill.StayEdit = StayEdit->text(); // the text as it stands once a refused change is taken back
        headerEdited();
    });
    connect(StayEdit, &QLineEdit::editingFinished, this, &TMeisaiForm::stayEdited);
    connect(SeisanDay, &QLineEdit::textChanged, this, [this] {
        if (!Showing)
            Bill.SeisanDay = SeisanDay->text();
    });
    connect(SeisanDay, &QLineEdit::editingFinished, this, [this] { checkSettlementDate(); });
    connect(KeisyouCombo, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (!Showing)
            Bill.KeisyouCombo.ItemIndex = i;
    });
    connect(LangButton, &QPushButton::clicked, this, &TMeisaiForm::langButtonClick);

    // The lines.
    Grid = new TMeisaiGrid(this);
    Grid->setObjectName(QStringLiteral("Grid"));
    Grid->setToolTip(QStringLiteral("右クリックすると行挿入削除ができます"));
    Grid->SetColCount(GridCols);
    Grid->SetRowCount(BillPageLines + 1);
    Grid->SetFixedRows(1);
    Grid->SetFixedCols(1);
    Grid->SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goEditing);
    Grid->SetScrollBars(ssNone);
    Grid->SetDefaultRowHeight(std::max(20, Grid->fontMetrics().height() + 6));
    for (int c = 0; c < GridCols; ++c)
        Grid->SetColWidths(c, ColWidths[c]);
    TGridColumns &cols = Grid->GridColumns();
    cols[ColKey]->SetCanEdit(false);
    // The key column is the narrow handle of each row: the key stays in the
    // cell for the bill's logic but is not drawn clipped.
    cols[ColKey]->SetFixCellFontColor(Grid->FixedColor());
    cols[ColDate]->SetImeMode(imDisable);
    cols[ColText]->SetImeMode(imHira);
    cols[ColText]->SetWordwrap(true);
    for (int c : {ColTanka, ColSuryou}) {
        cols[c]->SetDataType(dtInteger);
        cols[c]->SetAlignment(taRightJustify);
        cols[c]->SetImeMode(imDisable);
    }
    // 単価 reads with thousands separators as 計 does; typed, it stays plain digits.
    cols[ColTanka]->SetDisplayMask(QStringLiteral("###,###,###"));
    cols[ColCharge]->SetCanEdit(false);
    cols[ColCharge]->SetAlignment(taRightJustify);
    {
        int w = 2 * Grid->frameWidth() + GridCols * Grid->GridLineWidth();
        for (int c = 0; c < GridCols; ++c)
            w += ColWidths[c];
        const int h = 2 * Grid->frameWidth() + (BillPageLines + 1) * (Grid->DefaultRowHeight() + Grid->GridLineWidth());
        Grid->setFixedSize(w, h);
    }
    connect(Grid, &TStringGrid::OnSelectCell, this, &TMeisaiForm::selectCell);
    connect(Grid, &TStringGrid::OnSetEditText, this, &TMeisaiForm::cellEdited);
    Grid->viewport()->installEventFilter(this);
    Grid->viewport()->setAcceptDrops(true);

    TekiyoCombo = new QComboBox(Grid->viewport());
    TekiyoCombo->setObjectName(QStringLiteral("TekiyoCombo"));
    TekiyoCombo->setFixedWidth(ColWidths[ColText]);
    TekiyoCombo->setMaxVisibleItems(20);
    TekiyoCombo->hide();
    connect(TekiyoCombo, &QComboBox::activated, this, &TMeisaiForm::itemPicked);
    TekiyoCombo->installEventFilter(this);

    PrevButton = new QPushButton(QStringLiteral("前ページへ"), this);
    PrevButton->setObjectName(QStringLiteral("PrevButton"));
    PageLabel = label(this, QStringLiteral("PageLabel"), QStringLiteral("1"));
    PageLabel->setAlignment(Qt::AlignCenter);
    PageLabel->setMinimumWidth(40);
    NextButton = new QPushButton(QStringLiteral("次ページへ"), this);
    NextButton->setObjectName(QStringLiteral("NextButton"));
    connect(PrevButton, &QPushButton::clicked, this, [this] { goToPage(Bill.PageNo - 1); });
    connect(NextButton, &QPushButton::clicked, this, [this] { goToPage(Bill.PageNo + 1); });

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    QAction *insert = PopupMenu1->addAction(QStringLiteral("ここに行を挿入する"));
    insert->setObjectName(QStringLiteral("InsertLine"));
    QAction *remove = PopupMenu1->addAction(QStringLiteral("行を削除する(※注意　取消不可)"));
    remove->setObjectName(QStringLiteral("DeleteLine"));
    // The meal part of a stay line, left out of the price that chooses the accommodation tax.
    MealAction = PopupMenu1->addAction(QStringLiteral("うち食事代（%1）...").arg(Desk.data().Money.Lodging.Name));
    MealAction->setObjectName(QStringLiteral("LineMeal"));
    QAction *closeMenu = PopupMenu1->addAction(QStringLiteral("ポップアップメニューを閉じる"));
    closeMenu->setObjectName(QStringLiteral("CloseMenu"));
    connect(MealAction, &QAction::triggered, this, [this] { askLineMeal(lineIndexOf(PopupRow)); });
    connect(insert, &QAction::triggered, this, [this] {
        InsertLine(Bill, lineIndexOf(PopupRow));
        showPage();
        Grid->FocusCell(ColDate, PopupRow);
    });
    connect(remove, &QAction::triggered, this, [this] {
        DeleteLine(Bill, lineIndexOf(PopupRow));
        showPage();
        Grid->FocusCell(ColDate, PopupRow);
    });

    // The totals.
    CheckBox1 = new QCheckBox(QStringLiteral("サービス料"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setToolTip(QStringLiteral("チェックを外すとサービス料を計上しません　領収済にならない限り保存されません"));
    CheckBox2 = new QCheckBox(QStringLiteral("入湯税"), this);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    CheckBox2->setToolTip(QStringLiteral("チェックを外すと入湯税を計上しません"));
    LodgingCheck = new QCheckBox(Desk.data().Money.Lodging.Name, this);
    LodgingCheck->setObjectName(QStringLiteral("LodgingCheck"));
    LodgingCheck->setToolTip(QStringLiteral("チェックを外すとこの伝票の%1を計上しません（修学旅行など免除の場合）")
                                 .arg(Desk.data().Money.Lodging.Name));
    connect(LodgingCheck, &QCheckBox::toggled, this, [this](bool on) {
        if (Showing)
            return;
        Bill.LodgingCheck = on;
        calcTotals();
    });
    // Guest-nights the town exempts (a school trip's pupils), with the reason from the inn's list.
    LodgingExempt = new QSpinBox(this);
    LodgingExempt->setObjectName(QStringLiteral("LodgingExempt"));
    LodgingExempt->setRange(0, 99999);
    LodgingExempt->setPrefix(QStringLiteral("免除 "));
    LodgingExempt->setSuffix(QStringLiteral(" 人泊"));
    LodgingExempt->setToolTip(QStringLiteral("この伝票で%1が免除される人泊数（理由を右で選びます）")
                                  .arg(Desk.data().Money.Lodging.Name));
    LodgingReason = new QComboBox(this);
    LodgingReason->setObjectName(QStringLiteral("LodgingReason"));
    LodgingReason->setToolTip(QStringLiteral("免除の理由（基本設定の宿泊税のページで変えられます）"));
    connect(LodgingExempt, &QSpinBox::valueChanged, this, [this](int n) {
        if (Showing)
            return;
        Bill.LodgingExempt = n;
        if (n > 0 && Bill.LodgingReason.isEmpty())
            Bill.LodgingReason = LodgingReason->currentText();
        calcTotals();
    });
    connect(LodgingReason, &QComboBox::currentTextChanged, this, [this](const QString &reason) {
        if (!Showing)
            Bill.LodgingReason = reason;
    });
    connect(CheckBox1, &QCheckBox::toggled, this, [this](bool on) {
        if (Showing)
            return;
        SetServiceSwitch(Bill, on, Desk.data().BaseData);
        calcTotals();
    });
    connect(CheckBox2, &QCheckBox::toggled, this, [this](bool on) {
        if (Showing)
            return;
        SetBathSwitch(Bill, on, Desk.data().BaseData);
        showPage();
    });

    for (int row = 0; row < BillRows; ++row) {
        if (row == RowDiscount || row == RowDeposit)
            continue;
        GEdit[size_t(row)] = readOnlyEdit(this, QStringLiteral("GEdit%1").arg(row));
    }
    NebikiCombo = new QComboBox(this);
    NebikiCombo->setObjectName(QStringLiteral("NebikiCombo"));
    CouponCombo = new QComboBox(this);
    CouponCombo->setObjectName(QStringLiteral("CouponCombo"));
    SiharaiCombo = new QComboBox(this);
    SiharaiCombo->setObjectName(QStringLiteral("SiharaiCombo"));
    SiharaiCombo->setEditable(true);
    SiharaiCombo->setInsertPolicy(QComboBox::NoInsert);
    for (QComboBox *c : {NebikiCombo, CouponCombo, SiharaiCombo})
        c->setMinimumContentsLength(12);
    connect(NebikiCombo, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (Showing)
            return;
        Bill.NebikiCombo.ItemIndex = i;
        // The discount item's amount in the master, as a discount (minus).
        if (i > 0 && size_t(i - 1) < Bill.NebikiItems.size())
            if (const int32_t amount = Bill.NebikiItems[size_t(i - 1)].Tanka; amount != 0) {
                SaNumEdit[RowDiscount]->SetText(QString::number(-std::abs(int64_t(amount))));
                Bill.SaNumEdit[RowDiscount] = SaNumEdit[RowDiscount]->Text();
            }
        calcTotals();
    });
    connect(CouponCombo, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (Showing)
            return;
        Bill.CouponCombo.ItemIndex = i;
        calcTotals();
    });
    connect(SiharaiCombo, &QComboBox::currentTextChanged, this, [this](const QString &t) {
        if (Showing)
            return;
        SetCardKind(Bill, t);
        showTotals();
    });

    for (int i = 0; i < 9; ++i) {
        auto *n = new TSaNumEdit(this);
        n->setObjectName(QStringLiteral("SaNumEdit%1").arg(i));
        n->SetDecimalLength(0);
        n->SetImeMode(imDisable); // amounts are typed as narrow digits, whatever the name field left on
        n->SetLeftMark(QString(QChar(0xA5)));
        const bool editable = i == RowDiscount || i == RowDeposit || i == 8;
        n->SetReadOnly(!editable);
        n->SetTabStop(editable);
        if (!editable)
            n->SetColor(palette().color(QPalette::Window));
        else
            connect(n, &TSaNumEdit::OnChange, this, [this, i, n] {
                Bill.SaNumEdit[size_t(i)] = n->Text();
                calcTotals();
            });
        SaNumEdit[size_t(i)] = n;
    }
    Label1 = label(this, QStringLiteral("Label1"), QStringLiteral("※値引きはマイナスで入力してください"));
    Label1->setStyleSheet(QStringLiteral("color: red;"));
    Edit8 = label(this, QStringLiteral("Edit8"), QStringLiteral("お支払カード種別"));

    // Printing.
    const char *paper = base.PaperKubun == 1 ? "A4" : base.PaperKubun == 2 ? "B5" : "A5";
    auto spin = [this](const QString &name) {
        auto *s = new QSpinBox(this);
        s->setObjectName(name);
        s->setRange(1, 10);
        ApplyImeMode(s, imDisable);
        return s;
    };
    GroupBox1 = new QGroupBox(QStringLiteral("領収書(%1)").arg(QLatin1String(paper)), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    PrintRyousyu = new QPushButton(QStringLiteral("印刷"), GroupBox1);
    PrintRyousyu->setObjectName(QStringLiteral("PrintRyousyu"));
    PrintRyousyu->setToolTip(QStringLiteral("領収書を印刷します"));
    CSpinEdit2 = spin(QStringLiteral("CSpinEdit2"));
    GroupBox2 = new QGroupBox(QStringLiteral("請求書(%1)").arg(QLatin1String(paper)), this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    PrintSeikyu = new QPushButton(QStringLiteral("印刷"), GroupBox2);
    PrintSeikyu->setObjectName(QStringLiteral("PrintSeikyu"));
    PrintSeikyu->setToolTip(QStringLiteral("領収書を印刷します"));
    CSpinEdit1 = spin(QStringLiteral("CSpinEdit1"));
    GroupBox3 = new QGroupBox(QStringLiteral("請求＆領収(A4)"), this);
    GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
    PrintW = new QPushButton(QStringLiteral("印刷"), GroupBox3);
    PrintW->setObjectName(QStringLiteral("PrintW"));
    CSpinEdit3 = spin(QStringLiteral("CSpinEdit3"));
    TadashiCheck = new QCheckBox(QStringLiteral("但書出力"), GroupBox3);
    TadashiCheck->setObjectName(QStringLiteral("TadashiCheck"));
    TadashiCheck->setToolTip(QStringLiteral("チェックを外すと但書の内容は印刷されません"));
    connect(TadashiCheck, &QCheckBox::toggled, this, [this](bool on) {
        if (!Showing)
            Bill.TadashiCheck = on;
    });
    // The receipts issued for this bill, from the record of receipts.
    IssuedLabel = label(this, QStringLiteral("ReceiptIssuedLabel"), QString());
    connect(PrintRyousyu, &QPushButton::clicked, this, [this] { printClick(2, CSpinEdit2); });
    connect(PrintSeikyu, &QPushButton::clicked, this, [this] { printClick(1, CSpinEdit1); });
    connect(PrintW, &QPushButton::clicked, this, &TMeisaiForm::printWClick);
}

void TMeisaiForm::createLayout()
{
    // Header: number, reservation, settlement date, language / name, honorific, plan / stay, nights, room.
    auto *h = new QGridLayout(HeaderPanel);
    h->setContentsMargins(0, 0, 0, 0);
    h->setHorizontalSpacing(6);
    h->setVerticalSpacing(4);
    h->addWidget(Edit5, 0, 0);
    h->addWidget(MeiNoEdit, 0, 1);
    h->addWidget(Edit1, 0, 2);
    h->addWidget(RegdayEdit, 0, 3);
    h->addWidget(Edit6, 0, 4);
    h->addWidget(SeisanDay, 0, 5);
    h->addWidget(LangButton, 0, 6);
    h->addWidget(Edit2, 1, 0);
    auto *name = new QHBoxLayout;
    name->addWidget(NameEdit, 1);
    name->addWidget(KeisyouCombo);
    h->addLayout(name, 1, 1, 1, 3);
    h->addWidget(Edit3, 1, 4);
    h->addWidget(PlanEdit, 1, 5, 1, 2);
    h->addWidget(StayLabel, 2, 1);
    h->addWidget(Edit7, 2, 2);
    auto *stay = new QHBoxLayout;
    stay->addWidget(StayEdit);
    stay->addWidget(Label2);
    stay->addStretch();
    StayEdit->setMaximumWidth(StayEdit->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 16);
    h->addLayout(stay, 2, 3);
    h->addWidget(Edit4, 2, 4);
    h->addWidget(RoomEdit, 2, 5, 1, 2);
    h->setColumnStretch(1, 2);
    h->setColumnStretch(3, 1);
    h->setColumnStretch(5, 2);

    auto *paging = new QHBoxLayout;
    paging->addStretch();
    paging->addWidget(PrevButton);
    paging->addWidget(PageLabel);
    paging->addWidget(NextButton);
    paging->addStretch();

    auto *left = new QVBoxLayout;
    left->addWidget(HeaderPanel);
    auto *history = new QHBoxLayout;
    history->addWidget(new TGuestHistory(Desk, NameEdit, [this] { return Bill.BillNo; }, this), 1);
    history->addWidget(RegisterButton);
    left->addLayout(history);
    left->addWidget(Grid, 0, Qt::AlignLeft);
    left->addLayout(paging);
    left->addStretch();

    // Totals: switches, then label and amount of each of the eight rows, then the card.
    auto *totals = new QGridLayout;
    totals->setVerticalSpacing(3);
    auto *switches = new QHBoxLayout;
    switches->addWidget(CheckBox1);
    switches->addWidget(CheckBox2);
    switches->addWidget(LodgingCheck);
    switches->addWidget(LodgingExempt);
    switches->addWidget(LodgingReason);
    switches->addStretch();
    totals->addLayout(switches, 0, 0, 1, 2);
    for (int row = 0; row < BillRows; ++row) {
        QWidget *labelWidget = row == RowDiscount ? static_cast<QWidget *>(NebikiCombo)
            : row == RowDeposit                   ? static_cast<QWidget *>(CouponCombo)
                                                  : static_cast<QWidget *>(GEdit[size_t(row)]);
        totals->addWidget(labelWidget, row + 1, 0);
        totals->addWidget(SaNumEdit[size_t(row)], row + 1, 1);
        if (row == RowDiscount)
            totals->addWidget(Label1, row + 2, 0, 1, 2, Qt::AlignRight);
    }
    // Rows after the discount move one down, below its note.
    for (int row = RowCharge; row < BillRows; ++row) {
        QWidget *labelWidget = row == RowDeposit ? static_cast<QWidget *>(CouponCombo)
                                                 : static_cast<QWidget *>(GEdit[size_t(row)]);
        totals->removeWidget(labelWidget);
        totals->removeWidget(SaNumEdit[size_t(row)]);
        totals->addWidget(labelWidget, row + 2, 0);
        totals->addWidget(SaNumEdit[size_t(row)], row + 2, 1);
    }
    totals->addWidget(Edit8, BillRows + 2, 0);
    auto *card = new QHBoxLayout;
    card->addWidget(SiharaiCombo, 1);
    totals->addLayout(card, BillRows + 3, 0);
    totals->addWidget(SaNumEdit[8], BillRows + 3, 1);
    totals->setColumnStretch(0, 1);
    // Amounts as wide as the widest one the records hold; the labels take the rest.
    const int amountWidth = fontMetrics().horizontalAdvance(QStringLiteral("¥-2,147,483,648")) + 16;
    for (TSaNumEdit *n : SaNumEdit)
        n->setFixedWidth(amountWidth);

    auto group = [](QGroupBox *box, QWidget *button, QSpinBox *copies, QWidget *extra = nullptr) {
        auto *l = new QHBoxLayout(box);
        l->setContentsMargins(6, 2, 6, 4);
        l->addWidget(button);
        l->addWidget(copies);
        l->addWidget(new QLabel(QStringLiteral("枚"), box));
        if (extra)
            l->addWidget(extra);
        l->addStretch();
    };
    group(GroupBox1, PrintRyousyu, CSpinEdit2);
    group(GroupBox2, PrintSeikyu, CSpinEdit1);
    group(GroupBox3, PrintW, CSpinEdit3, TadashiCheck);

    auto *right = new QVBoxLayout;
    right->setSizeConstraint(QLayout::SetDefaultConstraint);
    right->addLayout(totals);
    right->addSpacing(6);
    right->addWidget(GroupBox1);
    right->addWidget(GroupBox2);
    right->addWidget(GroupBox3);
    right->addWidget(IssuedLabel);
    right->addStretch();

    auto *root = new QHBoxLayout(this);
    root->setContentsMargins(6, 6, 6, 6);
    root->setSpacing(10);
    root->addLayout(left);
    root->addLayout(right, 1);
    const int headerWidth = HeaderPanel->sizeHint().width();
    // The numbers and the date whole, however narrow the header gets: bill and
    // reservation numbers of ten characters, the first night's date.
    for (QLineEdit *number : {MeiNoEdit, RegdayEdit})
        number->setMinimumWidth(number->fontMetrics().horizontalAdvance(QStringLiteral("a000000000")) + 8);
    SeisanDay->setMinimumWidth(SeisanDay->fontMetrics().horizontalAdvance(QStringLiteral("0000/00/00")) + 16);
    StayLabel->setMinimumWidth(StayLabel->fontMetrics().horizontalAdvance(QStringLiteral("0000年00月00日(水)から")) + 4);
    // Room for the longest summary label (advances and bathing tax) beside the
    // lines: the Japanese wording whole, the longer English one at the size
    // fitLabels may take it down to. The room the English one needs beyond
    // the Japanese comes out of the header, so that the window keeps its
    // width and fits a 1024 x 612 screen.
    const int japanese = fontMetrics().horizontalAdvance(QStringLiteral("立替金及び入湯税(2名様×150円×2泊)")) + 12;
    QFont smallest = font();
    smallest.setPointSizeF(smallest.pointSizeF() * SmallestLabelScale);
    const int english =
        QFontMetrics(smallest).horizontalAdvance(QStringLiteral("(inclusive Advance&BathingTax(2psn * JPY150*2nights))")) + 12;
    GEdit[RowAdvance]->setMinimumWidth(std::max(japanese, english));
    HeaderPanel->setMaximumWidth(std::max({Grid->width(), HeaderPanel->minimumSizeHint().width(),
                                           headerWidth - std::max(0, english - japanese)}));

    // Keyboard order: header, lines, paging, switches and amounts, printing.
    QWidget *order[] = {NameEdit,     KeisyouCombo, PlanEdit,     SeisanDay,    StayEdit,     RoomEdit,
                        LangButton,   Grid,         PrevButton,   NextButton,   CheckBox1,    CheckBox2,
                        LodgingCheck, NebikiCombo,  SaNumEdit[1], CouponCombo,  SaNumEdit[6], SiharaiCombo,
                        SaNumEdit[8], CSpinEdit2,   PrintRyousyu, CSpinEdit1,   PrintSeikyu,  CSpinEdit3,
                        TadashiCheck, PrintW,       RegisterButton};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void TMeisaiForm::createShortcuts()
{
    auto add = [this](const QKeySequence &keys, const std::function<void()> &f) {
        auto *s = new QShortcut(keys, this);
        s->setContext(Qt::WidgetWithChildrenShortcut);
        connect(s, &QShortcut::activated, this, f);
    };
    add(QKeySequence(Qt::CTRL | Qt::Key_PageUp), [this] {
        if (PrevButton->isEnabled())
            PrevButton->click();
    });
    add(QKeySequence(Qt::CTRL | Qt::Key_PageDown), [this] { NextButton->click(); });
    add(QKeySequence(Qt::Key_F5), [this] { PrintSeikyu->click(); });
    add(QKeySequence(Qt::Key_F6), [this] { PrintRyousyu->click(); });
    add(QKeySequence(Qt::Key_F7), [this] { PrintW->click(); });
    add(QKeySequence(Qt::Key_F9), [this] { RegisterButton->click(); });
    // Ctrl+W (close, with the checks and the save of the close button) is the
    // main window's ウィンドウ → 閉じる, for every child window alike.
}

void TMeisaiForm::loadCopies()
{
    const IniFile ini(Desk.data().iniPath());
    const auto copies = [&](const char *key) {
        return std::clamp(ini.intValue(EnvSection, QLatin1String(key), 1), 1, 10);
    };
    CSpinEdit1->setValue(copies("SeikyuCopies"));
    CSpinEdit2->setValue(copies("RyosyuCopies"));
    CSpinEdit3->setValue(copies("DoubleCopies"));
}

bool TMeisaiForm::saveCopies()
{
    IniFile ini(Desk.data().iniPath());
    ini.setValue(EnvSection, QStringLiteral("SeikyuCopies"), QString::number(CSpinEdit1->value()));
    ini.setValue(EnvSection, QStringLiteral("RyosyuCopies"), QString::number(CSpinEdit2->value()));
    ini.setValue(EnvSection, QStringLiteral("DoubleCopies"), QString::number(CSpinEdit3->value()));
    QString error;
    if (ini.save(&error))
        return true;
    ShowMessage(this, QStringLiteral("エラー"), error);
    return false;
}

// --- controls <-> bill ------------------------------------------------------------------------------

void TMeisaiForm::showHeader()
{
    const bool was = Showing;
    Showing = true;
    MeiNoEdit->setText(Bill.MeiNoEdit);
    RegdayEdit->setText(Bill.RegdayEdit);
    SeisanDay->setText(Bill.SeisanDay);
    NameEdit->setText(Bill.NameEdit);
    PlanEdit->setText(Bill.PlanEdit);
    RoomEdit->setText(Bill.RoomEdit);
    RoomEdit->setEnabled(Bill.RoomEnabled);
    StayEdit->setText(Bill.StayEdit);
    StayxEdit->setText(Bill.StayxEdit);
    DecideEdit->setText(Bill.DecideEdit);
    StayLabel->setText(Bill.StayLabel);
    Label2->setVisible(Bill.StayEdit.trimmed().toInt() != 0);
    CheckBox1->setChecked(Bill.CheckBox1);
    CheckBox2->setChecked(Bill.CheckBox2);
    LodgingCheck->setChecked(Bill.LodgingCheck);
    // Hidden while the inn does not charge the tax, unless this bill was exempted.
    const TLodgingTax &lodging = Desk.data().Money.Lodging;
    LodgingCheck->setVisible(lodging.Enabled || !Bill.LodgingCheck);
    LodgingExempt->setValue(Bill.LodgingExempt);
    LodgingExempt->setVisible(lodging.Enabled || Bill.LodgingExempt > 0);
    QStringList reasons = lodging.ExemptReasons;
    if (!Bill.LodgingReason.isEmpty() && !reasons.contains(Bill.LodgingReason))
        reasons << Bill.LodgingReason; // a reason the inn no longer lists stays the bill's
    if (reasons != [&] {
            QStringList shown;
            for (int i = 0; i < LodgingReason->count(); ++i)
                shown << LodgingReason->itemText(i);
            return shown;
        }()) {
        LodgingReason->clear();
        LodgingReason->addItems(reasons);
    }
    LodgingReason->setCurrentIndex(Bill.LodgingReason.isEmpty() ? 0 : int(reasons.indexOf(Bill.LodgingReason)));
    LodgingReason->setVisible(LodgingExempt->isVisibleTo(this));
    TadashiCheck->setEnabled(!fieldBytes(Desk.data().BaseData.Tadashi).isEmpty());
    TadashiCheck->setChecked(Bill.TadashiCheck);
    Showing = was;
}

void TMeisaiForm::showSelectors()
{
    const bool was = Showing;
    Showing = true;
    const uint8_t lang = Bill.LangFlag;
    const auto fill = [lang](QComboBox *box, const TBillSelector &s) {
        box->clear();
        box->addItems(s.shown(lang));
        box->setCurrentIndex(s.ItemIndex);
    };
    fill(KeisyouCombo, Bill.KeisyouCombo);
    fill(NebikiCombo, Bill.NebikiCombo);
    fill(CouponCombo, Bill.CouponCombo);
    fill(SiharaiCombo, Bill.SiharaiCombo);
    SiharaiCombo->setEditText(Bill.SiharaiCombo.EditText);
    TekiyoCombo->clear();
    TekiyoCombo->addItems(Bill.TekiyoCombo.shown(lang));
    TekiyoCombo->setCurrentIndex(-1);
    Showing = was;
}

void TMeisaiForm::showTotals()
{
    for (int row = 0; row < BillRows; ++row)
        if (QLineEdit *g = GEdit[size_t(row)]) {
            g->setText(Bill.GEdit[size_t(row)]);
            g->setCursorPosition(0);
            g->setToolTip(Bill.GEdit[size_t(row)]);
        }
    // A bill of two rates names both in row 3; the amount and tax of each are in its hint.
    if (Bill.TaxShares.size() > 1) {
        const QString hint = (QStringList{Bill.GEdit[RowTax]}
                              + taxShareLines(Bill.TaxShares, Bill.TaxAdded, Bill.LangFlag != 0))
                                 .join(QLatin1Char('\n'));
        if (QLineEdit *g = GEdit[RowTax])
            g->setToolTip(hint);
        SaNumEdit[RowTax]->setToolTip(hint);
    } else {
        SaNumEdit[RowTax]->setToolTip(QString());
    }
    fitLabels();
    for (size_t i = 0; i < SaNumEdit.size(); ++i)
        if (SaNumEdit[i]->Text() != Bill.SaNumEdit[i])
            SaNumEdit[i]->SetText(Bill.SaNumEdit[i]);
    const bool was = Showing;
    Showing = true;
    NebikiCombo->setCurrentIndex(Bill.NebikiCombo.ItemIndex);
    CouponCombo->setCurrentIndex(Bill.CouponCombo.ItemIndex);
    Showing = was;
}

void TMeisaiForm::fitLabels()
{
    // A long summary label (the bathing-tax wording, in English above all) is
    // set a little smaller rather than cut; the full text is also its hint.
    for (QLineEdit *g : GEdit) {
        if (!g)
            continue;
        QFont f = font();
        const qreal smallest = f.pointSizeF() * SmallestLabelScale;
        const int room = g->contentsRect().width() - 12; // the box's own text margins
        while (room > 0 && f.pointSizeF() > smallest && QFontMetrics(f).horizontalAdvance(g->text()) > room)
            f.setPointSizeF(f.pointSizeF() - 0.25);
        g->setFont(f);
    }
}

void TMeisaiForm::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    fitLabels();
}

void TMeisaiForm::showLanguage()
{
    const bool english = Bill.LangFlag != 0;
    LangButton->setText(english ? QStringLiteral("日本語") : QStringLiteral("English"));
    Edit2->setText(english ? QStringLiteral("Name") : QStringLiteral("名前"));
    Edit3->setText(english ? QStringLiteral("Plan") : QStringLiteral("プラン"));
    Edit4->setText(english ? QStringLiteral("Room") : QStringLiteral("部屋"));
    Edit7->setText(english ? QStringLiteral("Stay") : QStringLiteral("泊数"));
    for (int c = 0; c < GridCols; ++c)
        Grid->GridColumns()[c]->SetCaption(QString::fromUtf8(english ? EnglishHeadings[c] : JapaneseHeadings[c]));
}

void TMeisaiForm::calcTotals(bool quiet)
{
    const TBillMessage m = CalcTotals(Bill, Desk.data().BaseData, Desk.data().Money);
    showTotals();
    if (!m.isEmpty() && !quiet)
        ShowMessage(this, m.title, m.text);
}

void TMeisaiForm::headerEdited()
{
    if (Showing)
        return;
    CopyHeaderToLines(Bill);
}

// --- the grid ---------------------------------------------------------------------------------------

void TMeisaiForm::showPage()
{
    const bool was = Showing;
    Showing = true;
    Grid->HideEditor();
    TekiyoCombo->hide();
    padLines(Bill);
    for (int row = 1; row <= BillPageLines; ++row) {
        Grid->SetRows(row, rowCells(Bill.Lines[size_t(lineIndexOf(row))]));
    }
    PageLabel->setText(QString::number(Bill.PageNo));
    PrevButton->setEnabled(Bill.PageNo > 1);
    Showing = was;
    calcTotals(true);
}

void TMeisaiForm::goToPage(int page)
{
    if (page < 1 || !writeBackRow(Grid->Row()))
        return;
    GoToPage(Bill, page);
    showPage();
    Grid->FocusCell(ColDate, 1);
}

TBillMessage TMeisaiForm::storeRow(int row)
{
    if (row < 1 || row > BillPageLines)
        return {};
    const int index = lineIndexOf(row);
    // A row as its line already stands has nothing to write (a damaged
    // stored line is not refused again and again while the user moves about).
    if (Grid->Rows(row).mid(0, ColCharge) == rowCells(Bill.Lines[size_t(index)]).mid(0, ColCharge))
        return {};
    const TBillMessage m = WriteBackCells(Bill, index, Grid->Cells(ColKey, row), Grid->Cells(ColDate, row),
                                          Grid->Cells(ColText, row), Grid->Cells(ColTanka, row),
                                          Grid->Cells(ColSuryou, row));
    if (!m.isEmpty())
        return m;
    const TReserveData &l = Bill.Lines[size_t(index)];
    const bool was = Showing;
    Showing = true;
    Grid->SetCells(ColCharge, row, chargeCell(l.Tanka, l.Suryou));
    // The date as stored (2026/12/11 for "２０２６－１２－１１").
    if (const QString date = fieldText(l.Rsvday); Grid->Cells(ColDate, row) != date) {
        Grid->SetCells(ColDate, row, date);
        if (TInplaceEdit *editor = Grid->InplaceEditor();
            editor && editor->isVisible() && Grid->Col() == ColDate && Grid->Row() == row)
            editor->SetText(date);
    }
    Showing = was;
    calcTotals();
    return {};
}

bool TMeisaiForm::writeBackRow(int row)
{
    const TBillMessage m = storeRow(row);
    if (m.isEmpty())
        return true;
    ShowMessage(this, m.title, m.text);
    calcTotals(true);
    return false;
}

void TMeisaiForm::cellEdited(int col, int row, const QString &value)
{
    if (Showing || row < 1)
        return;
    const TReserveData &l = Bill.Lines[size_t(lineIndexOf(row))];
    TBillMessage m = CheckCellEntry(col, value);
    // A date is written when its cell is left: half a date is no date yet.
    if (m.isEmpty() && col != ColDate)
        m = storeRow(row);
    if (m.isEmpty())
        return;
    // The cell goes back to what its line holds; nothing is written.
    const QString old = col == ColDate ? fieldText(l.Rsvday)
        : col == ColText                ? fieldText(l.Kamoku)
        : col == ColTanka               ? numberCell(l.Tanka)
                                        : numberCell(l.Suryou);
    TInplaceEdit *editor = Grid->InplaceEditor();
    const int typed = editor && editor->isVisible() ? editor->textCursor().position() : -1;
    auto show = [&](const QString &text, int caret) {
        Showing = true;
        Grid->SetCells(col, row, text);
        if (editor && editor->isVisible()) {
            editor->SetText(text);
            editor->SetSelStart(caret);
        }
        Showing = false;
    };
    show(old, typed - int(value.size() - old.size()));
    if (col != ColDate && col != ColText) {
        ShowMessage(this, m.title, m.text);
        return;
    }
    const QString plain = RefuseText(this, m.text, value, [col](const QString &t) { return CheckCellEntry(col, t).text; });
    if (plain.isEmpty())
        return;
    show(plain, typed - int(value.size() - plain.size()));
    if (const TBillMessage stored = storeRow(row); !stored.isEmpty()) {
        show(old, typed - int(value.size() - old.size()));
        ShowMessage(this, stored.title, stored.text);
    }
}

void TMeisaiForm::selectCell(int col, int row, bool &canSelect)
{
    if (Showing)
        return;
    // Leaving the row, or a date cell, writes the row back (the date checked whole).
    const bool leavesDate = Grid->Col() == ColDate && col != ColDate;
    if ((row != Grid->Row() || leavesDate) && !writeBackRow(Grid->Row())) {
        canSelect = false;
        return;
    }
    CurRow = row;
    TekiyoCombo->hide();
    if (col == ColText) {
        PickRow = row;
        if (Grid->Cells(ColText, row).isEmpty())
            placePicker(col, row);
    }
}

void TMeisaiForm::placePicker(int col, int row)
{
    const QRect r = Grid->CellRect(col, row);
    if (r.isEmpty() || TekiyoCombo->count() == 0)
        return;
    TekiyoCombo->move(r.topLeft() + QPoint(2, 2));
    TekiyoCombo->setCurrentIndex(-1);
    TekiyoCombo->show();
    TekiyoCombo->raise();
}

bool TMeisaiForm::pickerAt(int col, int row)
{
    if (ReadOnly)
        return false;
    // Over a filled 摘要 cell too: another item replaces the line's.
    if (!TekiyoCombo->isVisible() && col == ColText) {
        PickRow = row;
        placePicker(col, row);
    }
    return TekiyoCombo->isVisible();
}

void TMeisaiForm::openPicker()
{
    if (!TekiyoCombo->isVisible())
        return;
    TekiyoCombo->setFocus();
    TekiyoCombo->showPopup();
}

void TMeisaiForm::itemPicked(int index)
{
    if (index < 0)
        return;
    const int row = PickRow;
    PickItem(Bill, lineIndexOf(row), index);
    takeItemMeal(lineIndexOf(row));
    TekiyoCombo->hide();
    TekiyoCombo->setCurrentIndex(-1);
    Showing = true;
    Grid->SetRows(row, rowCells(Bill.Lines[size_t(lineIndexOf(row))]));
    Grid->FocusCell(ColSuryou, row);
    Showing = false;
    Grid->setFocus();
    calcTotals();
}

bool TMeisaiForm::gridKey(QKeyEvent *e)
{
    const auto mods = e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const int col = Grid->Col();
    const int row = Grid->Row();
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (mods != Qt::NoModifier)
            return false;
        if (!writeBackRow(row))
            return true;
        Grid->HideEditor();
        if (col == ColCharge)
            // Past the last column: on to the next item of the same row.
            Grid->FocusCell(ColText, row);
        else if (col + 1 == ColCharge)
            Grid->FocusCell(ColCharge, std::min(row + 1, BillPageLines));
        else
            Grid->FocusCell(col + 1, row);
        return true;
    case Qt::Key_Right:
        if (!writeBackRow(row))
            return true;
        if (col == ColCharge && mods == Qt::NoModifier) {
            Grid->FocusCell(ColCharge, std::min(row + 1, BillPageLines));
            return true;
        }
        return false;
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (e->key() == Qt::Key_Down && mods == Qt::AltModifier && pickerAt(col, row)) {
            openPicker();
            return true;
        }
        return !writeBackRow(row);
    case Qt::Key_F4:
        if (pickerAt(col, row)) {
            openPicker();
            return true;
        }
        return false;
    case Qt::Key_Menu:
        gridPopup(Grid->CellRect(ColKey, row).bottomLeft());
        return true;
    case Qt::Key_F10:
        if (mods == Qt::ShiftModifier) {
            gridPopup(Grid->CellRect(ColKey, row).bottomLeft());
            return true;
        }
        return false;
    default:
        return false;
    }
}

void TMeisaiForm::takeItemMeal(int lineIndex)
{
    const TLodgingTax &tax = Desk.data().Money.Lodging;
    const uint32_t key = Bill.Lines[size_t(lineIndex)].Kubun;
    if (tax.Enabled && tax.bearsTax(key) && tax.mealPart(key) != 0)
        SetLineMeal(Bill, lineIndex, tax.mealPart(key));
}

void TMeisaiForm::askLineMeal(int lineIndex)
{
    if (lineIndex < 0 || size_t(lineIndex) >= Bill.Lines.size())
        return;
    const TLodgingTax &tax = Desk.data().Money.Lodging;
    const TReserveData &l = Bill.Lines[size_t(lineIndex)];
    auto *ask = new QInputDialog(this);
    ask->setObjectName(QStringLiteral("LineMealDialog"));
    ask->setAttribute(Qt::WA_DeleteOnClose);
    ask->setWindowTitle(QStringLiteral("うち食事代"));
    ask->setLabelText(QStringLiteral("「%1」の1人分の食事代（%2の料金から除きます）")
                          .arg(fieldText(l.Kamoku), tax.Name));
    ask->setInputMode(QInputDialog::IntInput);
    ask->setIntRange(0, TLodgingTax::MaxPrice);
    const int32_t own = LineMeal(Bill, lineIndex);
    ask->setIntValue(own >= 0 ? own : tax.mealPart(l.Kubun));
    connect(ask, &QInputDialog::intValueSelected, this, [this, lineIndex](int meal) {
        SetLineMeal(Bill, lineIndex, meal);
        calcTotals();
    });
    ask->open();
}

void TMeisaiForm::gridPopup(const QPoint &pos)
{
    PopupRow = Grid->Row();
    {
        const int i = lineIndexOf(PopupRow);
        const TLodgingTax &tax = Desk.data().Money.Lodging;
        MealAction->setEnabled(tax.Enabled && i >= 0 && size_t(i) < Bill.Lines.size()
                               && tax.bearsTax(Bill.Lines[size_t(i)].Kubun));
    }
    Grid->FocusCell(ColDate, PopupRow);
    PopupMenu1->popup(Grid->viewport()->mapToGlobal(pos));
}

bool TMeisaiForm::dropItem(int row, const QString &dragText)
{
    if (ReadOnly || row < 1 || row > BillPageLines || !writeBackRow(Grid->Row()))
        return false;
    if (!DropItem(Bill, lineIndexOf(row), dragText, Clock::now().date()))
        return false;
    takeItemMeal(lineIndexOf(row));
    const TReserveData &l = Bill.Lines[size_t(lineIndexOf(row))];
    Showing = true;
    Grid->SetRows(row, {l.Kubun ? QString::number(l.Kubun) : QString(), fieldText(l.Rsvday), fieldText(l.Kamoku),
                        numberCell(l.Tanka), QString(), QString()});
    Showing = false;
    writeBackRow(row);
    return true;
}

void TMeisaiForm::prepareItemDrop()
{
    // The bill window makes way for the drop: no picker over its lines.
    TekiyoCombo->hide();
    Grid->SetCol(1);
}

bool TMeisaiForm::eventFilter(QObject *watched, QEvent *e)
{
    // A bill held elsewhere: the lines and the switches that change its
    // amounts take no click, key, wheel or drop (and are not greyed out).
    if (ReadOnly && watched != TekiyoCombo) {
        switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseButtonRelease:
        case QEvent::Wheel:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::ContextMenu:
            return watched != Grid->viewport() || e->type() != QEvent::MouseButtonPress
                || static_cast<QMouseEvent *>(e)->button() != Qt::LeftButton;
        case QEvent::KeyPress: {
            const int key = static_cast<QKeyEvent *>(e)->key();
            return watched != Grid && key != Qt::Key_Tab && key != Qt::Key_Backtab;
        }
        default:
            break;
        }
    }
    if (watched == Grid->viewport()) {
        switch (e->type()) {
        case QEvent::MouseButtonPress: {
            auto *m = static_cast<QMouseEvent *>(e);
            int col = -1, row = -1;
            if (m->button() == Qt::RightButton && Grid->MouseToCell(m->position().toPoint(), col, row)
                && col == ColKey && row >= 1) {
                if (!writeBackRow(Grid->Row()))
                    return true;
                Grid->FocusCell(ColDate, row);
                gridPopup(Grid->CellRect(ColKey, row).bottomLeft());
                return true;
            }
            break;
        }
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto *d = static_cast<QDragMoveEvent *>(e);
            if (Desk.data().DragText.isEmpty())
                d->ignore();
            else
                d->acceptProposedAction();
            return true;
        }
        case QEvent::Drop: {
            auto *d = static_cast<QDropEvent *>(e);
            int col = -1, row = -1;
            QString &text = Desk.data().DragText;
            if (!text.isEmpty() && Grid->MouseToCell(d->position().toPoint(), col, row) && row >= 1) {
                dropItem(row, text);
                d->acceptProposedAction();
            }
            text.clear();
            return true;
        }
        default:
            break;
        }
    } else if (watched == TekiyoCombo && e->type() == QEvent::KeyPress) {
        if (static_cast<QKeyEvent *>(e)->key() == Qt::Key_Escape) {
            TekiyoCombo->hidePopup();
            Grid->setFocus();
            return true;
        }
    } else if (e->type() == QEvent::KeyPress && watched == Grid->InplaceEditor()) {
        auto *k = static_cast<QKeyEvent *>(e);
        if ((k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) && gridKey(k))
            return true;
    }
    return QWidget::eventFilter(watched, e);
}

// --- header, switches, language, printing ------------------------------------------------------------

bool TMeisaiForm::checkSettlementDate()
{
    QString date;
    if (normalizeSettlementDate(SeisanDay->text(), &date)) {
        if (date != SeisanDay->text())
            SeisanDay->setText(date);
        Bill.SeisanDay = date;
        return true;
    }
    ShowMessage(this, QStringLiteral("エラー"), QStringLiteral("清算日は正しい形式で入力してください"));
    SeisanDay->setFocus();
    return false;
}

void TMeisaiForm::stayEdited()
{
    Label2->setVisible(StayEdit->text().trimmed().toInt() != 0);
    calcTotals();
}

void TMeisaiForm::langButtonClick()
{
    if (languageSwitchAsks(Bill)
        && ShowMessage(this, QStringLiteral("注意"),
                       QStringLiteral("手入力の項目はマスター項目に置き換えられます　よろしいですか"),
                       QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
            != QMessageBox::Yes)
        return;
    if (!writeBackRow(Grid->Row()))
        return;
    SwitchLanguage(Bill, Desk.data().KamokuList);
    showSelectors();
    showLanguage();
    showPage();
}

bool TMeisaiForm::runDocument(BillPaper paper, int kind, DocumentMode mode, int copies)
{
    if (!writeBackRow(Grid->Row()) || !checkSettlementDate())
        return false;
    const AppData &data = Desk.data();
    // A bill whose totals do not compute has nothing right to print.
    if (const TBillMessage m = CalcTotals(Bill, data.BaseData, data.Money); !m.isEmpty()) {
        showTotals();
        ShowMessage(this, m.title, m.text);
        return false;
    }
    showTotals();
    // A receipt is issued once: every later one, on any paper, is marked and
    // recorded as a reissue.
    const bool receipt = issuesReceipt(paper, kind);
    // An issue is recorded with the bill's save, which a bill held elsewhere never has.
    if (receipt && ReadOnly) {
        ShowMessage(this, QStringLiteral("注意"),
                    QStringLiteral("この請求書は読み取りのみで開いているため、領収書は発行できません（発行の記録を保存できません）。\n"
                                   "請求書の印刷と画面表示はできます。"));
        return false;
    }
    // Check-out: the law's register of the stay's guests should be complete by now.
    if (receipt && !registerReadyForCheckout(Desk, this, registerStay()))
        return false;
    ReceiptIssues issues;
    if (QString why; receipt && !issues.load(data, &why)) {
        ShowMessage(this, QStringLiteral("エラー"), why + QStringLiteral("\n領収書は印刷していません。"));
        return false;
    }
    const QDate reissued =
        receipt && receiptIsReissue(Bill, issues.count(Bill.BillNo)) ? Clock::now().date() : QDate();
    TDocumentRun run = makeBillDocument(Bill, data.BaseData, data.ExePath, paper, kind, reissued);
    // The stamp is easily forgotten on a large cash receipt: said before it prints.
    if (mode == DocumentMode::Print && run.ok() && run.stamp.needed()
        && ShowMessage(this, QStringLiteral("収入印紙"), revenueStampReminder(run.stamp),
                       QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok)
            == QMessageBox::Cancel)
        return false;
    // A receipt is issued only with its bill saved and the issue recorded,
    // both in one commit, just before it goes out: a crash after it leaves
    // the bill the guest holds a receipt for.
    // The preview may put the receipt out more than once: every output after
    // the first is a reissue, marked as one. The preview and its outputs
    // paint run.model, which is laid out again here before such an output.
    printing::BeforeOutput saveFirst;
    int outputs = 0;
    if (receipt)
        saveFirst = [this, &run, &outputs, paper, kind] {
            if (outputs++ > 0) {
                const AppData &now = Desk.data();
                TDocumentRun again =
                    makeBillDocument(Bill, now.BaseData, now.ExePath, paper, kind, Clock::now().date());
                if (!again.ok()) {
                    ShowMessage(this, QStringLiteral("エラー"), again.error);
                    return false;
                }
                run.model = again.model;
            }
            TBillState saved = Bill;
            applyDocumentRun(saved, run);
            const TReceiptIssue issue{Bill.BillNo, Clock::now(), int(paper), int(Bill.LangFlag),
                                      Bill.KeisyouCombo.ItemIndex, Bill.TadashiCheck};
            if (const TBillMessage m = SaveBill(saved, Desk.data(), Desk.library(), &issue); !m.isEmpty()) {
                ShowMessage(this, m.title, m.text + QStringLiteral("\n\n請求書を保存できないため、領収書は印刷していません。"));
                showIssued();
                return false;
            }
            return true;
        };
    const bool done = runBillDocumentWith(&ShowMessage, this, Bill, run, mode, copies, saveFirst);
    showIssued();
    if (!done)
        return false;
    // The document may have set the receipt status and the settlement date
    // and dropped empty trailing pages.
    showHeader();
    const int pages = std::max<int>(1, int(Bill.Lines.size() + BillPageLines - 1) / BillPageLines);
    GoToPage(Bill, std::min(Bill.PageNo, pages));
    showPage();
    return true;
}

RegisterStay TMeisaiForm::registerStay() const
{
    RegisterStay stay;
    stay.meiNo = Bill.BillNo;
    stay.name = Bill.NameEdit;
    stay.room = Bill.RoomEdit;
    stay.firstNight = QDate::fromString(Bill.StartDate, QStringLiteral("yyyy/MM/dd"));
    if (!stay.firstNight.isValid())
        stay.firstNight = Clock::now().date();
    stay.nights = Bill.StayEdit.toInt(); // 0: day use
    countGuestsOfLines(Bill.Lines, Desk.data().Money.Lodging, &stay);
    return stay;
}

void TMeisaiForm::registerClick()
{
    if (!writeBackRow(Grid->Row()))
        return;
    openRegisterWindow(Desk, this, registerStay());
}

void TMeisaiForm::showIssued()
{
    ReceiptIssues issues;
    QString why;
    if (!issues.load(Desk.data(), &why)) {
        IssuedLabel->setText(QStringLiteral("領収書の発行記録を読めません"));
        IssuedLabel->setToolTip(why);
        return;
    }
    const QList<TReceiptIssue> mine = issues.of(Bill.BillNo);
    IssuedLabel->setText(receiptIssuedText(int(mine.size())));
    IssuedLabel->setToolTip(receiptIssuesDetail(mine));
}

void TMeisaiForm::showReadOnly()
{
    ReadOnly = true;
    for (QLineEdit *e : findChildren<QLineEdit *>())
        e->setReadOnly(true);
    for (TSaNumEdit *n : SaNumEdit)
        if (n)
            n->SetReadOnly(true);
    // The grid moves from cell to cell (a left click selects) but edits none.
    Grid->SetOptions(Grid->Options() & ~TGridOptions(goEditing));
    Grid->viewport()->setAcceptDrops(false);
    for (QWidget *w : std::initializer_list<QWidget *>{CheckBox1, CheckBox2, LodgingCheck, NebikiCombo, CouponCombo,
                                                        SiharaiCombo})
        w->installEventFilter(this);
    Grid->installEventFilter(this);
}

void TMeisaiForm::printClick(int kind, QSpinBox *copies)
{
    runDocument(billPaperOf(Desk.data().BaseData.PaperKubun), kind, DocumentMode::Print, copies->value());
}

void TMeisaiForm::printWClick() { runDocument(BillPaper::Combined, 0, DocumentMode::Print, CSpinEdit3->value()); }

// --- closing ------------------------------------------------------------------------------------------

void TMeisaiForm::closeEvent(QCloseEvent *e)
{
    if (Closing) {
        e->accept();
        return;
    }
    e->ignore();
    // A bill held at another desk was only shown here: nothing to save.
    if (Desk.isBillReadOnly()) {
        Desk.setBillWindow(nullptr);
        Closing = true;
        e->accept();
        return;
    }
    if (!writeBackRow(Grid->Row()))
        return;
    TCloseCheck check = CheckBeforeClose(Bill);
    if (check.step == CloseStep::AskKeep) {
        const bool keep = ShowMessage(this, check.message.title, check.message.text,
                                      QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
            == QMessageBox::Yes;
        check = keep ? CheckBeforeClose(Bill, true) : TCloseCheck{CloseStep::Discard, {}};
    }
    if (check.step == CloseStep::StayOpen) {
        ShowMessage(this, check.message.title, check.message.text);
        if (check.message.text.startsWith(QStringLiteral("清算日")))
            SeisanDay->setFocus();
        else if (check.message.text.startsWith(QStringLiteral("名前")))
            NameEdit->setFocus();
        return;
    }
    showHeader(); // the settlement date in its normal form
    if (check.step == CloseStep::Discard) {
        if (!check.message.isEmpty())
            ShowMessage(this, check.message.title, check.message.text);
    } else if (const TBillMessage m = SaveBill(Bill, Desk.data(), Desk.library()); !m.isEmpty()) {
        // The bill stays on screen, nothing is lost.
        ShowMessage(this, m.title, m.text);
        return;
    }
    saveCopies();
    SaveFormPlacement(Desk.library(), this, Desk.data().iniPath());
    Desk.setBillWindow(nullptr);
    Closing = true;
    e->accept();
}
