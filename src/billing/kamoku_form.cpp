#include "kamoku_form.h"

#include "billing/kamoku_master.h"
#include "controls/string_grid_ex.h"
#include "controls/text_guard.h"
#include "shell/front_desk.h"
#include "shell/item_drop_target.h"
#include "shell/message_box.h"
#include "shell/placement.h"
#include "storage/cp932.h"
#include "storage/ini_file.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDrag>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTabBar>
#include <QVBoxLayout>

namespace {
const QString kError = QStringLiteral("エラー");
}

// The item grid: the grey strip's right-click, Enter moving along the row,
// dragging a row out, and the text checks of the two name columns before a
// typed text reaches a cell.
class TKamokuGrid : public TStringGridEx {
public:
    explicit TKamokuGrid(TKamokuForm *form) : TStringGridEx(form), Form(form) {}

protected:
    void SetEditText(int col, int row, const QString &value) override
    {
        if (col == 1 || col == 3) {
            const QString refusal = kamokuCellRefusal(col, value);
            if (!refusal.isEmpty()) {
                // The editor gets the text it held before back; nothing reaches the entry.
                TInplaceEdit *ed = InplaceEditor();
                const int typed = ed ? ed->textCursor().position() : 0;
                if (ed) {
                    ed->SetText(Cells(col, row));
                    ed->SetSelStart(typed - int(value.size() - Cells(col, row).size()));
                }
                const QString plain = RefuseText(Form, refusal, value,
                                                 [col](const QString &t) { return kamokuCellRefusal(col, t); });
                if (plain.isEmpty())
                    return;
                TStringGridEx::SetEditText(col, row, plain);
                if ((ed = InplaceEditor()) && ed->isVisible()) {
                    ed->SetText(plain);
                    ed->SetSelStart(typed - int(value.size() - plain.size()));
                }
                return;
            }
        }
        if (col == 2) {
            if (const QString refusal = kamokuPriceRefusal(Form->tab(), value); !refusal.isEmpty()) {
                // The price keeps what it held before the refused keystroke.
                if (TInplaceEdit *ed = InplaceEditor()) {
                    const int typed = ed->textCursor().position();
                    ed->SetText(Cells(col, row));
                    ed->SetSelStart(typed - int(value.size() - Cells(col, row).size()));
                }
                ShowMessage(Form, kError, refusal);
                return;
            }
        }
        TStringGridEx::SetEditText(col, row, value);
    }

    TInplaceEdit *CreateEditor() override
    {
        TInplaceEdit *ed = TStringGridEx::CreateEditor();
        ed->installEventFilter(this);
        return ed;
    }

    bool eventFilter(QObject *watched, QEvent *e) override
    {
        if (watched == InplaceEditor() && e->type() == QEvent::KeyPress && isEnter(static_cast<QKeyEvent *>(e))) {
            Form->enterPressed();
            return true;
        }
        return TStringGridEx::eventFilter(watched, e);
    }

    void keyPressEvent(QKeyEvent *e) override
    {
        if (isEnter(e)) {
            Form->enterPressed();
            e->accept();
            return;
        }
        TStringGridEx::keyPressEvent(e);
    }

    void mousePressEvent(QMouseEvent *e) override
    {
        int col = -1, row = -1;
        const bool onCell = MouseToCell(e->position().toPoint(), col, row);
        if (e->button() == Qt::RightButton) {
            if (onCell && col == 0 && row >= 1)
                Form->gridStripClicked(row, e->globalPosition().toPoint());
            return;
        }
        DragRow = -1;
        if (e->button() == Qt::LeftButton && onCell && row >= 1 && Form->dragSource()) {
            DragRow = row;
            DragStart = e->position().toPoint();
        }
        TStringGridEx::mousePressEvent(e);
    }

    void mouseMoveEvent(QMouseEvent *e) override
    {
        if (DragRow >= 1 && (e->buttons() & Qt::LeftButton)
            && (e->position().toPoint() - DragStart).manhattanLength() >= QApplication::startDragDistance()) {
            const int row = DragRow;
            DragRow = -1;
            Form->startItemDrag(row);
            return;
        }
        TStringGridEx::mouseMoveEvent(e);
    }

    void mouseReleaseEvent(QMouseEvent *e) override
    {
        DragRow = -1;
        TStringGridEx::mouseReleaseEvent(e);
    }

private:
    static bool isEnter(const QKeyEvent *e)
    {
        return (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
               && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier));
    }

    TKamokuForm *Form;
    int DragRow = -1;
    QPoint DragStart;
};

TKamokuForm::TKamokuForm(FrontDesk &desk, QWidget *parent) : QWidget(parent), Desk(desk)
{
    setObjectName(QStringLiteral("KamokuForm"));
    setWindowTitle(QStringLiteral("摘要マスター"));

    AppData &data = Desk.data();
    // The first opening of a new inn fills in the default entries. Entries
    // already in memory (an earlier save that failed) are never replaced.
    bool empty = true;
    for (const auto &list : data.KamokuList)
        empty = empty && list.empty();
    if (!QFileInfo::exists(data.filePath(KamokuFileNames[0])) && empty)
        seedDefaultKamoku(data.KamokuList);

    TabControl1 = new QTabBar(this);
    TabControl1->setObjectName(QStringLiteral("TabControl1"));
    TabControl1->setExpanding(false);
    for (int t = 0; t < KamokuTabs; ++t)
        TabControl1->addTab(QString::fromUtf8(kamokuTab(t).caption));

    Grid = new TKamokuGrid(this);
    Grid->setObjectName(QStringLiteral("Grid"));
    Grid->setToolTip(QStringLiteral("左のグレーゾーンで右クリックすると行挿入･削除ができます"));
    Grid->SetColCount(7);
    Grid->SetRowCount(KamokuGridRows + 1);
    Grid->SetFixedCols(1);
    Grid->SetFixedRows(1);
    Grid->SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goEditing | goTabs
                     | goAlwaysShowEditor);
    const QFontMetrics fm(Grid->font());
    Grid->SetDefaultRowHeight(fm.height() + 6);
    Grid->SetColWidths(0, 15);
    Grid->SetColWidths(1, fm.horizontalAdvance(QString(17, QChar(0x3042))) + 12);
    Grid->SetColWidths(2, fm.horizontalAdvance(QStringLiteral("99,999,999")) + 12);
    Grid->SetColWidths(3, fm.horizontalAdvance(QStringLiteral("Charge(INFANT Non Bed&Meal)")) + 12);
    Grid->SetColWidths(4, fm.horizontalAdvance(QStringLiteral("軽減税率")) + 12);
    Grid->SetColWidths(5, fm.horizontalAdvance(QStringLiteral("うち食事代")) + 12);
    Grid->SetColWidths(6, fm.horizontalAdvance(QStringLiteral("宿泊税対象外")) + 12);

    TGridColumns &cols = Grid->GridColumns();
    // The key column reads as an empty grey strip: its text has the strip's colour.
    cols[0]->SetCanEdit(false);
    cols[0]->SetFixCellFontColor(Grid->FixedColor());
    cols[1]->SetCaption(QStringLiteral("摘要"));
    cols[1]->SetImeMode(imHira);
    cols[2]->SetCaption(QStringLiteral("単価"));
    cols[2]->SetDataType(dtInteger);
    cols[2]->SetAlignment(taRightJustify);
    cols[2]->SetDisplayMask(QStringLiteral("###,###"));
    cols[2]->SetImeMode(imDisable);
    cols[3]->SetCaption(QStringLiteral("英語摘要"));
    cols[3]->SetImeMode(imClose);
    // ※ marks an entry sold at the reduced consumption-tax rate; set from the strip's menu.
    cols[4]->SetCaption(QStringLiteral("軽減税率"));
    cols[4]->SetCanEdit(false);
    cols[4]->SetAlignment(taCenter);
    // The accommodation tab's marks for the accommodation tax: the meal part
    // per person typed here, 対象外 (no guest) set from the strip's menu or
    // by a double click on its cell, on the rows kept for received
    // reservations too (their pets).
    cols[5]->SetCaption(QStringLiteral("うち食事代"));
    cols[5]->SetDataType(dtInteger);
    cols[5]->SetAlignment(taRightJustify);
    cols[5]->SetDisplayMask(QStringLiteral("###,###"));
    cols[5]->SetImeMode(imDisable);
    cols[6]->SetCaption(QStringLiteral("宿泊税対象外"));
    cols[6]->SetCanEdit(false);
    cols[6]->SetAlignment(taCenter);

    Label1 = new QLabel(QStringLiteral("サービス料に関しては100未満は％で計算されます"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(QStringLiteral("左端のグレーゾーンで右クリックすると行挿入･削除ができます"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setStyleSheet(QStringLiteral("color: navy;"));
    ReservedNote = new QLabel(QStringLiteral("宿泊費の1〜%1行目は予約の受信データ専用です（行の挿入・削除はできません）。"
                                                 "宿泊税対象外はその欄をダブルクリックして切り替えます")
                                  .arg(KamokuReservedRows),
                              this);
    ReservedNote->setObjectName(QStringLiteral("ReservedNote"));
    ReservedNote->setWordWrap(true);
    ReservedNote->setStyleSheet(QStringLiteral("color: navy;"));

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    QAction *ins = PopupMenu1->addAction(QStringLiteral("ここに行を挿入する"), this, &TKamokuForm::GinsertClick);
    ins->setObjectName(QStringLiteral("Ginsert"));
    PopupMenu1->addSeparator();
    QAction *del = PopupMenu1->addAction(QStringLiteral("行を削除する(※注意　取消不可)"), this,
                                         &TKamokuForm::GdeleteClick);
    del->setObjectName(QStringLiteral("Gdelete"));
    PopupMenu1->addSeparator();
    Greduced = PopupMenu1->addAction(QStringLiteral("軽減税率の対象にする"), this, &TKamokuForm::GreducedClick);
    Greduced->setObjectName(QStringLiteral("Greduced"));
    Greduced->setCheckable(true);
    GnotGuest = PopupMenu1->addAction(QStringLiteral("宿泊者ではない（宿泊税の対象外）"), this, &TKamokuForm::GnotGuestClick);
    GnotGuest->setObjectName(QStringLiteral("GnotGuest"));
    GnotGuest->setCheckable(true);
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(QStringLiteral("ポップアップメニューを閉じる"))->setObjectName(QStringLiteral("Gclose"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    layout->addWidget(TabControl1);
    layout->addWidget(Grid, 1);
    layout->addWidget(Label1);
    layout->addWidget(Label2);
    layout->addWidget(ReservedNote);


    connect(TabControl1, &QTabBar::currentChanged, this, [this] { showTab(); });
    connect(Grid, &TStringGrid::OnSetEditText, this, &TKamokuForm::cellEdited);
    connect(Grid, &TStringGrid::OnDblClick, this, [this] {
        if (Grid->Col() == 6 && Grid->Row() >= 1)
            toggleNotGuest(Grid->Row());
    });
    showTab();
}

TKamokuForm::~TKamokuForm() = default;

QSize TKamokuForm::sizeHint() const
{
    int width = 0;
    for (int c = 0; c < 7; ++c)
        width += Grid->ColWidths(c) + 1;
    width = std::max(width + Grid->verticalScrollBar()->sizeHint().width() + 20, TabControl1->sizeHint().width() + 12);
    return {width, 500};
}

int TKamokuForm::tab() const { return TabControl1->currentIndex(); }

void TKamokuForm::setTab(int tab) { TabControl1->setCurrentIndex(tab); }

void TKamokuForm::showTab()
{
    const int category = kamokuTab(tab()).category;
    const auto &list = Desk.data().KamokuList[size_t(category)];
    const TLodgingTax &marks = Desk.data().Money.Lodging;
    const bool lodging = kamokuTabHasLodgingMarks(tab());
    Grid->GridColumns()[5]->SetCanEdit(lodging);
    // Every entry gets a row, and no row lies past the category's keys.
    Grid->SetRowCount(std::min(std::max({Grid->RowCount(), KamokuGridRows + 1, int(list.size()) + 1}),
                               kamokuCapacity(category) + 1));
    ReservedNote->setVisible(kamokuRowReserved(tab(), 1));
    Showing = true;
    Grid->HideEditor();
    for (int row = 1; row < Grid->RowCount(); ++row) {
        const size_t pos = size_t(row - 1);
        if (pos < list.size()) {
            const THojoKamoku &k = list[pos];
            const int meal = kamokuRowMealPart(marks, tab(), row);
            Grid->SetRows(row, {QStringLiteral("%1/%2").arg(k.KamokuCode).arg(k.HojoCode), fieldText(k.Tekiyo),
                                QString::number(k.Tanka), fieldText(k.ETekiyo),
                                isReducedRate(k) ? QStringLiteral("※") : QString(),
                                lodging && meal != 0 ? QString::number(meal) : QString(),
                                kamokuRowNotGuest(marks, tab(), row) ? QStringLiteral("対象外") : QString()});
        } else {
            Grid->SetRows(row, {});
        }
    }
    Showing = false;
    Grid->viewport()->update();
}

void TKamokuForm::cellEdited(int col, int row, const QString &)
{
    if (Showing || col < 1 || row < 1)
        return;
    AppData &data = Desk.data();
    if (col == 5) {
        if (const QString refusal = setKamokuRowMealPart(data.Money.Lodging, tab(), row, Grid->Cells(5, row));
            !refusal.isEmpty()) {
            ShowMessage(this, kError, refusal);
            Showing = true;
            const int meal = kamokuRowMealPart(data.Money.Lodging, tab(), row);
            Grid->SetCells(5, row, meal ? QString::number(meal) : QString());
            Showing = false;
        }
        MarksChanged = true;
        return;
    }
    const QString refusal = setKamokuRow(data.KamokuList, tab(), row, Grid->Cells(1, row), Grid->Cells(2, row),
                                         Grid->Cells(3, row));
    if (!refusal.isEmpty()) {
        ShowMessage(this, kError, refusal);
        return;
    }
    const THojoKamoku &k = data.KamokuList[size_t(kamokuTab(tab()).category)][size_t(row - 1)];
    Showing = true;
    Grid->SetCells(0, row, QStringLiteral("%1/%2").arg(k.KamokuCode).arg(k.HojoCode));
    Showing = false;
}

void TKamokuForm::enterPressed()
{
    Grid->SetCol(Grid->Col() < 3 ? Grid->Col() + 1 : 1);
    if (!Grid->EditorMode())
        Grid->ShowEditor();
}

bool TKamokuForm::dragSource() const { return kamokuTabDraggable(tab()) && Desk.billWindow(); }

QString TKamokuForm::dragText(int row) const
{
    if (row < 1 || row >= Grid->RowCount() || Grid->Cells(1, row).isEmpty())
        return {};
    return kamokuDragText(tab(), row, Grid->Cells(1, row), Grid->Cells(2, row));
}

bool TKamokuForm::beginItemDrag(int row)
{
    const QString text = dragText(row);
    auto *bill = dynamic_cast<ItemDropTarget *>(Desk.billWindow());
    if (text.isEmpty() || !dragSource() || !bill)
        return false;
    Grid->HideEditor();
    Desk.data().DragText = text;
    bill->prepareItemDrop();
    return true;
}

void TKamokuForm::endItemDrag() { Desk.data().DragText.clear(); }

void TKamokuForm::startItemDrag(int row)
{
    if (!beginItemDrag(row))
        return;
    auto *drag = new QDrag(Grid);
    auto *mime = new QMimeData;
    mime->setText(Desk.data().DragText);
    drag->setMimeData(mime);
    drag->exec(Qt::CopyAction);
    // The drag is over, dropped or not.
    endItemDrag();
}

void TKamokuForm::gridStripClicked(int row, const QPoint &globalPos)
{
    if (kamokuRowReserved(tab(), row)) {
        ShowMessage(this, kError, KamokuRowReserved);
        return;
    }
    PopupRow = row;
    Grid->FocusCell(1, row);
    const KamokuLists &lists = Desk.data().KamokuList;
    Greduced->setEnabled(kamokuTabHasReducedRate(tab()) && !Grid->Cells(1, row).isEmpty());
    Greduced->setChecked(kamokuRowReduced(lists, tab(), row));
    GnotGuest->setEnabled(kamokuTabHasLodgingMarks(tab()) && !Grid->Cells(1, row).isEmpty());
    GnotGuest->setChecked(kamokuRowNotGuest(Desk.data().Money.Lodging, tab(), row));
    PopupMenu1->popup(globalPos);
}

// Stored bills keep their keys: when some would change meaning, the clerk decides.
bool TKamokuForm::renumberingAgreed(bool inserting)
{
    const AppData &data = Desk.data();
    const KamokuKeyUse use = kamokuKeysMovedInUse(data.KamokuList, data.ReserveList, tab(), PopupRow);
    return use.lines == 0
        || ShowMessage(this, QStringLiteral("確認"), kamokuRenumberQuestion(use, inserting),
                       QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
            == QMessageBox::Yes;
}

void TKamokuForm::GinsertClick()
{
    if (PopupRow < 1 || kamokuRowReserved(tab(), PopupRow))
        return;
    AppData &data = Desk.data();
    if (kamokuTabFull(data.KamokuList, tab())) {
        ShowMessage(this, kError, kamokuFullMessage(tab()));
        return;
    }
    if (!renumberingAgreed(true))
        return;
    const int last = Grid->RowCount() - 1;
    if (!Grid->Cells(1, last).isEmpty())
        Grid->SetRowCount(Grid->RowCount() + 1);
    if (const QString refusal = insertKamokuEntry(data.KamokuList, tab(), PopupRow, &data.Money.Lodging);
        !refusal.isEmpty())
        ShowMessage(this, kError, refusal);
    MarksChanged = true;
    showTab();
}

void TKamokuForm::GnotGuestClick()
{
    if (PopupRow >= 1)
        toggleNotGuest(PopupRow);
}

void TKamokuForm::toggleNotGuest(int row)
{
    if (!kamokuTabHasLodgingMarks(tab()) || Grid->Cells(1, row).isEmpty())
        return;
    TLodgingTax &marks = Desk.data().Money.Lodging;
    setKamokuRowNotGuest(marks, tab(), row, !kamokuRowNotGuest(marks, tab(), row));
    MarksChanged = true;
    showTab();
}

void TKamokuForm::GreducedClick()
{
    if (PopupRow < 1)
        return;
    KamokuLists &lists = Desk.data().KamokuList;
    setKamokuRowReduced(lists, tab(), PopupRow, !kamokuRowReduced(lists, tab(), PopupRow));
    showTab();
}

void TKamokuForm::GdeleteClick()
{
    if (PopupRow < 1 || kamokuRowReserved(tab(), PopupRow) || !renumberingAgreed(false))
        return;
    deleteKamokuEntry(Desk.data().KamokuList, tab(), PopupRow, &Desk.data().Money.Lodging);
    MarksChanged = true;
    showTab();
}

namespace {
bool kamokuStored(const AppData &data)
{
    for (int i = 0; i < KamokuCategories; ++i) {
        const auto &list = data.KamokuList[size_t(i)];
        QFile f(data.filePath(KamokuFileNames[size_t(i)]));
        if (!f.open(QIODevice::ReadOnly)
            || f.readAll()
                != QByteArray(reinterpret_cast<const char *>(list.data()),
                              qsizetype(kamokuStoredCount(list) * sizeof(THojoKamoku))))
            return false;
    }
    return true;
}
} // namespace

void TKamokuForm::closeEvent(QCloseEvent *e)
{
    Grid->HideEditor();
    AppData &data = Desk.data();
    renumberKamoku(data.KamokuList);
    QString error;
    // The files holding these lists already: no save, and no backup generation for nothing.
    if (!kamokuStored(data) && !saveKamokuLists(data, Desk.library(), &error))
        ShowMessage(this, kError,
                    error + QStringLiteral("\n\n摘要マスターの内容はこのまま使えます。"
                                           "次にこの画面を閉じるときに、もう一度保存します。"));
    if (MarksChanged) {
        // The accommodation-tax marks live in the settings file, beside the money settings.
        IniFile ini(data.iniPath());
        writeMoneySettings(ini, data.Money);
        if (!ini.save(&error))
            ShowMessage(this, kError,
                        error + QStringLiteral("\n\n宿泊税の対象外とうち食事代はこのまま使えます。"
                                               "次にこの画面を閉じるときに、もう一度保存します。"));
        else
            MarksChanged = false;
    }
    SaveFormPlacement(Desk.library(), this, data.iniPath());
    e->accept();
}
