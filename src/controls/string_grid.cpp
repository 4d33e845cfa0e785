#include "controls/string_grid.h"

#include <QApplication>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QWheelEvent>
#include <qdrawutil.h>

#include <algorithm>

namespace {

constexpr int kScrollRange = 127; // the bars' position range, as the platform grid has it

Qt::KeyboardModifiers plainMods(const QKeyEvent *e)
{
    return e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
}

QString toEditorText(const QString &cell)
{
    QString s = cell;
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

} // namespace

// =================================================================================
// TInplaceEdit

TInplaceEdit::TInplaceEdit(TStringGrid *grid) : QPlainTextEdit(grid->viewport()), FGrid(grid)
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTabChangesFocus(false);
    document()->setDocumentMargin(1);
    hide();
    connect(this, &QPlainTextEdit::textChanged, this, &TInplaceEdit::TextChanged);
}

QString TInplaceEdit::Text() const
{
    QString s = toPlainText();
    s.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return s;
}

void TInplaceEdit::SetText(const QString &s)
{
    FSetting = true;
    setPlainText(toEditorText(s));
    FSetting = false;
}

void TInplaceEdit::SelectAll() { selectAll(); }

void TInplaceEdit::Deselect()
{
    QTextCursor c = textCursor();
    c.movePosition(QTextCursor::End);
    setTextCursor(c);
}

int TInplaceEdit::SelStart() const { return textCursor().selectionStart(); }

int TInplaceEdit::SelLength() const
{
    const QTextCursor c = textCursor();
    return c.selectionEnd() - c.selectionStart();
}

void TInplaceEdit::SetSelStart(int pos)
{
    QTextCursor c = textCursor();
    c.setPosition(std::clamp(pos, 0, int(toPlainText().size())));
    setTextCursor(c);
}

bool TInplaceEdit::AllSelected() const
{
    return SelStart() == 0 && SelLength() == toPlainText().size();
}

bool TInplaceEdit::AtLeftSide() const
{
    return SelStart() == 0 && (SelLength() == 0 || AllSelected());
}

bool TInplaceEdit::AtRightSide() const
{
    return SelStart() + SelLength() == toPlainText().size() && (SelLength() == 0 || AllSelected());
}

void TInplaceEdit::TextChanged()
{
    if (!FSetting && FGrid->FInplaceCol >= 0)
        FGrid->SetEditText(FGrid->FInplaceCol, FGrid->FInplaceRow, Text());
}

void TInplaceEdit::SendToParent(QKeyEvent *e)
{
    if (FGrid->KeyDown(e))
        return;
    // Not a grid key (Tab without goTabs): leave the editor and let the grid
    // pass it on.
    FGrid->HideEditor();
    QKeyEvent copy(e->type(), e->key(), e->modifiers(), e->text());
    QApplication::sendEvent(FGrid, &copy);
}

bool TInplaceEdit::EditKeyDown(QKeyEvent *e)
{
    const auto mods = plainMods(e);
    const bool ctrl = mods & Qt::ControlModifier;
    const bool forward = FGrid->Options().testFlag(goAlwaysShowEditor);
    switch (e->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        SendToParent(e);
        return true;
    case Qt::Key_Escape:
        FGrid->HideEditor();
        return true;
    case Qt::Key_Left:
    case Qt::Key_Home:
        if (forward && (ctrl || AtLeftSide())) {
            SendToParent(e);
            return true;
        }
        return false;
    case Qt::Key_Right:
    case Qt::Key_End:
        if (forward && (ctrl || AtRightSide())) {
            SendToParent(e);
            return true;
        }
        return false;
    case Qt::Key_F2:
        Deselect();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        FGrid->KeyPress(QLatin1Char('\r'));
        return true;
    default:
        return false;
    }
}

bool TInplaceEdit::AcceptChar(QChar c)
{
    if (c.unicode() >= 32 && !FGrid->CanEditAcceptKey(c)) {
        FGrid->Refuse();
        return false;
    }
    return true;
}

void TInplaceEdit::keyPressEvent(QKeyEvent *e)
{
    if (EditKeyDown(e)) {
        e->accept();
        return;
    }
    if (!(plainMods(e) & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        for (QChar c : e->text())
            if (!AcceptChar(c)) {
                e->accept();
                return;
            }
    }
    QPlainTextEdit::keyPressEvent(e);
}

void TInplaceEdit::inputMethodEvent(QInputMethodEvent *e)
{
    QString commit;
    bool refused = false;
    for (QChar c : e->commitString()) {
        if (AcceptChar(c))
            commit.append(c);
        else
            refused = true;
    }
    if (!refused)
        return QPlainTextEdit::inputMethodEvent(e);
    QInputMethodEvent filtered(e->preeditString(), e->attributes());
    filtered.setCommitString(commit, e->replacementStart(), e->replacementLength());
    QPlainTextEdit::inputMethodEvent(&filtered);
}

void TInplaceEdit::focusOutEvent(QFocusEvent *e)
{
    QPlainTextEdit::focusOutEvent(e);
    // The editor sits on the grid's viewport. While the grid is being
    // destroyed it is no longer a scroll area, so the viewport is reached as
    // this editor's parent, not through the grid.
    if (QWidget *viewport = parentWidget())
        viewport->update();
}

void TInplaceEdit::insertFromMimeData(const QMimeData *source)
{
    if (!source || !source->hasText())
        return;
    insertPlainText(toEditorText(source->text()));
}

// =================================================================================
// TStringGrid

TStringGrid::TStringGrid(QWidget *parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, true);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    FColor = palette().color(QPalette::Base);
    FFixedColor = palette().color(QPalette::Button);
    FColWidths = QVector<int>(FColCount, FDefaultColWidth);
    FRowHeights = QVector<int>(FRowCount, FDefaultRowHeight);
    FCells = QVector<QStringList>(FRowCount, QStringList(FColCount, QString()));
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int action) { ScrollAction(Qt::Vertical, action); });
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int action) { ScrollAction(Qt::Horizontal, action); });
    resize(320, 120);
}

TStringGrid::~TStringGrid() = default;

// --- size ---------------------------------------------------------------------------

void TStringGrid::Resized(int oldCols, int oldRows)
{
    FColWidths.resize(FColCount);
    for (int c = oldCols; c < FColCount; ++c)
        FColWidths[c] = FDefaultColWidth;
    FRowHeights.resize(FRowCount);
    for (int r = oldRows; r < FRowCount; ++r)
        FRowHeights[r] = FDefaultRowHeight;
    FCells.resize(FCellText ? FFixedRows : FRowCount);
    for (QStringList &row : FCells) {
        while (row.size() < FColCount)
            row.append(QString());
        while (row.size() > FColCount)
            row.removeLast();
    }
    auto clampPoint = [this](QPoint &p) {
        p.setX(std::clamp(p.x(), FFixedCols, FColCount - 1));
        p.setY(std::clamp(p.y(), FFixedRows, FRowCount - 1));
    };
    clampPoint(FCurrent);
    clampPoint(FAnchor);
    clampPoint(FTopLeft);
    if (FInplaceCol >= FColCount || FInplaceRow >= FRowCount)
        HideEditor();
    SizeChanged(oldCols, oldRows);
    UpdateScrollRange();
    FTopLeft.setY(std::min(FTopLeft.y(), MaxTopRow()));
    FTopLeft.setX(std::min(FTopLeft.x(), MaxLeftCol()));
    UpdateScrollPos();
    PlaceEditor();
    InvalidateGrid();
}

void TStringGrid::SetColCount(int n)
{
    n = std::max(n, 1);
    if (n == FColCount)
        return;
    const int old = FColCount;
    FColCount = n;
    if (FFixedCols >= n)
        FFixedCols = n - 1;
    Resized(old, FRowCount);
}

void TStringGrid::SetRowCount(int n)
{
    n = std::max(n, 1);
    if (n == FRowCount)
        return;
    const int old = FRowCount;
    FRowCount = n;
    if (FFixedRows >= n)
        FFixedRows = n - 1;
    Resized(FColCount, old);
}

void TStringGrid::SetFixedCols(int n)
{
    FFixedCols = std::clamp(n, 0, FColCount - 1);
    Resized(FColCount, FRowCount);
}

void TStringGrid::SetFixedRows(int n)
{
    FFixedRows = std::clamp(n, 0, FRowCount - 1);
    Resized(FColCount, FRowCount);
}

void TStringGrid::SetDefaultColWidth(int w)
{
    FDefaultColWidth = std::max(w, 0);
    FColWidths.fill(FDefaultColWidth);
    Resized(FColCount, FRowCount);
}

void TStringGrid::SetDefaultRowHeight(int h)
{
    FDefaultRowHeight = std::max(h, 0);
    FRowHeights.fill(FDefaultRowHeight);
    Resized(FColCount, FRowCount);
}

int TStringGrid::ColWidths(int col) const
{
    return col >= 0 && col < FColCount ? FColWidths[col] : FDefaultColWidth;
}

void TStringGrid::SetColWidths(int col, int w)
{
    if (col < 0 || col >= FColCount)
        return;
    FColWidths[col] = std::max(w, 0);
    UpdateScrollRange();
    PlaceEditor();
    InvalidateGrid();
}

int TStringGrid::RowHeights(int row) const
{
    return row >= 0 && row < FRowCount ? FRowHeights[row] : FDefaultRowHeight;
}

void TStringGrid::SetRowHeights(int row, int h)
{
    if (row < 0 || row >= FRowCount)
        return;
    FRowHeights[row] = std::max(h, 0);
    UpdateScrollRange();
    PlaceEditor();
    InvalidateGrid();
}

void TStringGrid::SetGridLineWidth(int w)
{
    FGridLineWidth = std::max(w, 0);
    UpdateScrollRange();
    InvalidateGrid();
}

void TStringGrid::SizeChanged(int, int) {}

// --- cells -----------------------------------------------------------------------------

QString TStringGrid::Cells(int col, int row) const
{
    if (row < 0 || row >= FRowCount || col < 0 || col >= FColCount)
        return QString();
    if (FCellText && row >= FCells.size())
        return FCellText(col, row - FFixedRows);
    return FCells[row][col];
}

void TStringGrid::SetCells(int col, int row, const QString &text)
{
    if (row < 0 || row >= FCells.size() || col < 0 || col >= FColCount)
        return;
    FCells[row][col] = text;
    // A program change of the cell being edited shows in the editor, but the
    // editor's own text stored into the cell does not come back to it.
    if (!FInSetEditText && FInplaceEdit && FInplaceEdit->isVisible() && col == FInplaceCol
        && row == FInplaceRow && FInplaceEdit->Text() != text) {
        FInplaceEdit->SetText(text);
        FInplaceEdit->Deselect();
    }
    InvalidateCell(col, row);
}

QStringList TStringGrid::Rows(int row) const
{
    if (FCellText && row >= FCells.size() && row < FRowCount) {
        QStringList out;
        for (int c = 0; c < FColCount; ++c)
            out.append(FCellText(c, row - FFixedRows));
        return out;
    }
    return row >= 0 && row < FRowCount ? FCells[row] : QStringList();
}

void TStringGrid::SetRows(int row, const QStringList &texts)
{
    for (int c = 0; c < FColCount; ++c)
        SetCells(c, row, c < texts.size() ? texts[c] : QString());
}

QStringList TStringGrid::Cols(int col) const
{
    QStringList out;
    for (int r = 0; r < FRowCount; ++r)
        out.append(Cells(col, r));
    return out;
}

void TStringGrid::SetCols(int col, const QStringList &texts)
{
    for (int r = 0; r < FRowCount; ++r)
        SetCells(col, r, r < texts.size() ? texts[r] : QString());
}

void TStringGrid::DeleteRow(int row)
{
    if (row < 0 || row >= FCells.size() || FCellText)
        return;
    HideEditor();
    if (FRowCount == 1) {
        FCells[0] = QStringList(FColCount, QString());
        InvalidateGrid();
        return;
    }
    FCells.remove(row);
    FRowHeights.remove(row);
    const int old = FRowCount;
    FRowCount--;
    if (FFixedRows >= FRowCount)
        FFixedRows = FRowCount - 1;
    Resized(FColCount, old);
}

void TStringGrid::MoveRow(int from, int to)
{
    if (from < 0 || from >= FCells.size() || to < 0 || to >= FCells.size() || from == to)
        return;
    FCells.move(from, to);
    FRowHeights.move(from, to);
    InvalidateGrid();
}

void TStringGrid::SetVirtualRows(int rows, CellText cell)
{
    HideEditor();
    FCellText = std::move(cell);
    const int old = FRowCount;
    FRowCount = std::max(FFixedRows + std::max(rows, 0), 1);
    if (FFixedRows >= FRowCount)
        FFixedRows = FRowCount - 1;
    // Every row below the fixed ones gets a new text, the kept ones too.
    for (int r = FFixedRows; r < std::min<int>(int(FCells.size()), FRowCount); ++r)
        FCells[r] = QStringList(FColCount, QString());
    Resized(FColCount, std::min(old, FRowCount));
}

// --- geometry ------------------------------------------------------------------------------

int TStringGrid::FixedWidth() const
{
    int w = 0;
    for (int c = 0; c < FFixedCols; ++c)
        w += FColWidths[c] + FGridLineWidth;
    return w;
}

int TStringGrid::FixedHeight() const
{
    int h = 0;
    for (int r = 0; r < FFixedRows; ++r)
        h += FRowHeights[r] + FGridLineWidth;
    return h;
}

int TStringGrid::ColX(int col) const
{
    if (col < 0 || col >= FColCount)
        return -1;
    int x = 0;
    if (col < FFixedCols) {
        for (int c = 0; c < col; ++c)
            x += FColWidths[c] + FGridLineWidth;
        return x;
    }
    if (col < FTopLeft.x())
        return -1;
    x = FixedWidth();
    for (int c = FTopLeft.x(); c < col; ++c)
        x += FColWidths[c] + FGridLineWidth;
    return x;
}

int TStringGrid::RowY(int row) const
{
    if (row < 0 || row >= FRowCount)
        return -1;
    int y = 0;
    if (row < FFixedRows) {
        for (int r = 0; r < row; ++r)
            y += FRowHeights[r] + FGridLineWidth;
        return y;
    }
    if (row < FTopLeft.y())
        return -1;
    y = FixedHeight();
    for (int r = FTopLeft.y(); r < row; ++r)
        y += FRowHeights[r] + FGridLineWidth;
    return y;
}

QRect TStringGrid::CellRect(int col, int row) const
{
    const int x = ColX(col);
    const int y = RowY(row);
    if (x < 0 || y < 0 || x >= viewport()->width() || y >= viewport()->height())
        return QRect();
    return QRect(x, y, FColWidths[col], FRowHeights[row]);
}

bool TStringGrid::MouseToCell(const QPoint &pt, int &col, int &row) const
{
    col = row = -1;
    for (int c = 0; c < FColCount; ++c) {
        const int x = ColX(c);
        if (x >= 0 && pt.x() >= x && pt.x() < x + FColWidths[c] + FGridLineWidth) {
            col = c;
            break;
        }
    }
    for (int r = 0; r < FRowCount; ++r) {
        const int y = RowY(r);
        if (y >= 0 && pt.y() >= y && pt.y() < y + FRowHeights[r] + FGridLineWidth) {
            row = r;
            break;
        }
    }
    if (col < 0 || row < 0) {
        col = row = -1;
        return false;
    }
    return true;
}

int TStringGrid::VisibleRowCount() const
{
    const int avail = viewport()->height() - FixedHeight();
    int y = 0;
    int n = 0;
    for (int r = FTopLeft.y(); r < FRowCount; ++r) {
        y += FRowHeights[r];
        if (y > avail)
            break;
        y += FGridLineWidth;
        ++n;
    }
    return n;
}

int TStringGrid::VisibleColCount() const
{
    const int avail = viewport()->width() - FixedWidth();
    int x = 0;
    int n = 0;
    for (int c = FTopLeft.x(); c < FColCount; ++c) {
        x += FColWidths[c];
        if (x > avail)
            break;
        x += FGridLineWidth;
        ++n;
    }
    return n;
}

int TStringGrid::MaxTopRow() const
{
    const int avail = viewport()->height() - FixedHeight();
    int used = 0;
    int top = FRowCount;
    while (top > FFixedRows) {
        const int h = FRowHeights[top - 1];
        if (top < FRowCount && used + h > avail)
            break;
        used += h + FGridLineWidth;
        --top;
    }
    return std::clamp(top, FFixedRows, FRowCount - 1);
}

int TStringGrid::MaxLeftCol() const
{
    const int avail = viewport()->width() - FixedWidth();
    int used = 0;
    int left = FColCount;
    while (left > FFixedCols) {
        const int w = FColWidths[left - 1];
        if (left < FColCount && used + w > avail)
            break;
        used += w + FGridLineWidth;
        --left;
    }
    return std::clamp(left, FFixedCols, FColCount - 1);
}

// --- scrolling ----------------------------------------------------------------------------

int TStringGrid::ScrollPageSize(int, int) const { return 0; }

void TStringGrid::UpdateScrollRange()
{
    const bool vAllowed = FScrollBars == ssVertical || FScrollBars == ssBoth;
    const bool hAllowed = FScrollBars == ssHorizontal || FScrollBars == ssBoth;
    setVerticalScrollBarPolicy(vAllowed ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(hAllowed ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    // Twice: showing one bar can take the room that made the other unneeded.
    for (int pass = 0; pass < 2; ++pass) {
        const int vScrollable = FRowCount - FFixedRows;
        const int vVisible = std::min(VisibleRowCount(), vScrollable);
        if (vAllowed && MaxTopRow() > FFixedRows && vVisible < vScrollable) {
            verticalScrollBar()->setRange(0, kScrollRange);
            verticalScrollBar()->setPageStep(ScrollPageSize(vVisible, vScrollable));
            verticalScrollBar()->setSingleStep(1);
        } else {
            verticalScrollBar()->setRange(0, 0);
        }
        const int hScrollable = FColCount - FFixedCols;
        const int hVisible = std::min(VisibleColCount(), hScrollable);
        if (hAllowed && MaxLeftCol() > FFixedCols && hVisible < hScrollable) {
            horizontalScrollBar()->setRange(0, kScrollRange);
            horizontalScrollBar()->setPageStep(ScrollPageSize(hVisible, hScrollable));
            horizontalScrollBar()->setSingleStep(1);
        } else {
            horizontalScrollBar()->setRange(0, 0);
        }
    }
    UpdateScrollPos();
}

void TStringGrid::UpdateScrollPos()
{
    auto pos = [](int value, int fixed, int max) {
        return max > fixed ? (value - fixed) * kScrollRange / (max - fixed) : 0;
    };
    QScrollBar *v = verticalScrollBar();
    if (!v->isSliderDown() && v->maximum() > 0)
        v->setValue(pos(FTopLeft.y(), FFixedRows, MaxTopRow()));
    QScrollBar *h = horizontalScrollBar();
    if (!h->isSliderDown() && h->maximum() > 0)
        h->setValue(pos(FTopLeft.x(), FFixedCols, MaxLeftCol()));
}

void TStringGrid::ScrollAction(Qt::Orientation o, int action)
{
    const bool vertical = o == Qt::Vertical;
    QScrollBar *sb = vertical ? verticalScrollBar() : horizontalScrollBar();
    const int cur = vertical ? FTopLeft.y() : FTopLeft.x();
    const int fixed = vertical ? FFixedRows : FFixedCols;
    const int max = vertical ? MaxTopRow() : MaxLeftCol();
    const int page = std::max(1, vertical ? VisibleRowCount() : VisibleColCount());
    int next = cur;
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: next = cur + 1; break;
    case QAbstractSlider::SliderSingleStepSub: next = cur - 1; break;
    case QAbstractSlider::SliderPageStepAdd: next = cur + page; break;
    case QAbstractSlider::SliderPageStepSub: next = cur - page; break;
    case QAbstractSlider::SliderToMinimum: next = fixed; break;
    case QAbstractSlider::SliderToMaximum: next = max; break;
    case QAbstractSlider::SliderMove:
        next = fixed + (sb->sliderPosition() * (max - fixed) + kScrollRange / 2) / kScrollRange;
        break;
    default:
        return;
    }
    if (vertical)
        SetTopRow(next);
    else
        SetLeftCol(next);
    if (action != QAbstractSlider::SliderMove) {
        const int now = vertical ? FTopLeft.y() : FTopLeft.x();
        sb->setSliderPosition(max > fixed ? (now - fixed) * kScrollRange / (max - fixed) : 0);
    }
}

void TStringGrid::SetTopRow(int row)
{
    row = std::clamp(row, FFixedRows, MaxTopRow());
    if (row == FTopLeft.y())
        return;
    FTopLeft.setY(row);
    UpdateScrollPos();
    PlaceEditor();
    InvalidateGrid();
    emit OnTopLeftChanged();
}

void TStringGrid::SetLeftCol(int col)
{
    col = std::clamp(col, FFixedCols, MaxLeftCol());
    if (col == FTopLeft.x())
        return;
    FTopLeft.setX(col);
    UpdateScrollPos();
    PlaceEditor();
    InvalidateGrid();
    emit OnTopLeftChanged();
}

void TStringGrid::ClampInView(int col, int row)
{
    if (row >= FFixedRows) {
        if (row < FTopLeft.y())
            SetTopRow(row);
        else {
            while (FTopLeft.y() < MaxTopRow() && row >= FTopLeft.y() + std::max(1, VisibleRowCount()))
                SetTopRow(FTopLeft.y() + 1);
        }
    }
    if (col >= FFixedCols && !FOptions.testFlag(goRowSelect)) {
        if (col < FTopLeft.x())
            SetLeftCol(col);
        else {
            while (FTopLeft.x() < MaxLeftCol() && col >= FTopLeft.x() + std::max(1, VisibleColCount()))
                SetLeftCol(FTopLeft.x() + 1);
        }
    }
}

void TStringGrid::scrollContentsBy(int, int) { viewport()->update(); }

// --- current cell and selection ---------------------------------------------------------

void TStringGrid::SetCol(int col) { MoveCurrent(col, FCurrent.y(), true, true); }

void TStringGrid::SetRow(int row) { MoveCurrent(FCurrent.x(), row, true, true); }

void TStringGrid::FocusCell(int col, int row, bool moveAnchor) { MoveCurrent(col, row, moveAnchor, true); }

QRect TStringGrid::Selection() const
{
    QRect r = QRect(FAnchor, FCurrent).normalized();
    if (FOptions.testFlag(goRowSelect)) {
        r.setLeft(FFixedCols);
        r.setRight(FColCount - 1);
    }
    return r;
}

void TStringGrid::SetSelection(const QRect &r)
{
    FAnchor = QPoint(std::clamp(r.left(), FFixedCols, FColCount - 1), std::clamp(r.top(), FFixedRows, FRowCount - 1));
    FCurrent = QPoint(std::clamp(r.right(), FFixedCols, FColCount - 1), std::clamp(r.bottom(), FFixedRows, FRowCount - 1));
    InvalidateGrid();
}

void TStringGrid::MoveCurrent(int col, int row, bool moveAnchor, bool show)
{
    col = std::clamp(col, FFixedCols, FColCount - 1);
    row = std::clamp(row, FFixedRows, FRowCount - 1);
    bool canSelect = true;
    emit OnSelectCell(col, row, canSelect);
    if (!canSelect)
        return;
    const bool keepEditor = FOptions.testFlag(goAlwaysShowEditor) && FEditorMode;
    if (!keepEditor)
        HideEditor();
    FCurrent = QPoint(col, row);
    if (moveAnchor || !FOptions.testFlag(goRangeSelect))
        FAnchor = FCurrent;
    if (FOptions.testFlag(goRowSelect))
        FCurrent.setX(FFixedCols);
    if (show)
        ClampInView(col, row);
    if (keepEditor) {
        UpdateEditor();
        PlaceEditor();
    }
    // The input method may be on in one column and off in the next.
    if (hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImEnabled | Qt::ImHints);
    InvalidateGrid();
}

// --- options and colours ----------------------------------------------------------------

void TStringGrid::SetOptions(TGridOptions o)
{
    FOptions = o;
    if (!CanEditShow())
        HideEditor();
    InvalidateGrid();
}

void TStringGrid::SetScrollBars(TScrollStyle s)
{
    FScrollBars = s;
    UpdateScrollRange();
}

void TStringGrid::SetDefaultDrawing(bool v)
{
    FDefaultDrawing = v;
    InvalidateGrid();
}

void TStringGrid::SetColor(const QColor &c)
{
    FColor = c;
    InvalidateGrid();
}

void TStringGrid::SetFixedColor(const QColor &c)
{
    FFixedColor = c;
    InvalidateGrid();
}

void TStringGrid::InvalidateCell(int col, int row)
{
    const QRect r = CellRect(col, row);
    if (!r.isEmpty())
        viewport()->update(r.adjusted(-FGridLineWidth, -FGridLineWidth, FGridLineWidth, FGridLineWidth));
}

void TStringGrid::InvalidateGrid() { viewport()->update(); }

void TStringGrid::Refuse()
{
    QApplication::beep();
    emit Beeped();
}

// --- editing ------------------------------------------------------------------------------

bool TStringGrid::CanEditAcceptKey(QChar) const { return true; }

bool TStringGrid::CanEditModify() const { return true; }

bool TStringGrid::CanEditShow() const
{
    return (FOptions & (goRowSelect | goEditing)) == TGridOptions(goEditing);
}

TInplaceEdit *TStringGrid::CreateEditor() { return new TInplaceEdit(this); }

QString TStringGrid::GetEditText(int col, int row)
{
    QString value = Cells(col, row);
    emit OnGetEditText(col, row, value);
    return value;
}

void TStringGrid::SetEditText(int col, int row, const QString &value)
{
    FInSetEditText = true;
    SetCells(col, row, value);
    FInSetEditText = false;
    emit OnSetEditText(col, row, value);
}

void TStringGrid::SetEditorMode(bool on)
{
    if (on)
        ShowEditor();
    else
        HideEditor();
}

void TStringGrid::UpdateEditor()
{
    FInplaceCol = FCurrent.x();
    FInplaceRow = FCurrent.y();
    FInplaceEdit->setReadOnly(!CanEditModify());
    const QString text = GetEditText(FInplaceCol, FInplaceRow);
    FInplaceEdit->SetText(text);
    FInplaceEdit->SelectAll();
}

void TStringGrid::ShowEditor()
{
    if (!CanEditShow())
        return;
    FEditorMode = true;
    if (!FInplaceEdit)
        FInplaceEdit = CreateEditor();
    ClampInView(FCurrent.x(), FCurrent.y());
    UpdateEditor();
    PlaceEditor();
    FInplaceEdit->setFocus(Qt::OtherFocusReason);
    InvalidateGrid();
}

void TStringGrid::HideEditor()
{
    FEditorMode = false;
    if (!FInplaceEdit || FInplaceEdit->isHidden()) {
        FInplaceCol = FInplaceRow = -1;
        return;
    }
    const bool hadFocus = FInplaceEdit->hasFocus();
    FInplaceCol = FInplaceRow = -1;
    FInplaceEdit->hide();
    if (hadFocus)
        setFocus(Qt::OtherFocusReason);
    InvalidateGrid();
}

void TStringGrid::PlaceEditor()
{
    if (!FInplaceEdit || FInplaceCol < 0 || !FEditorMode)
        return;
    const QRect r = CellRect(FInplaceCol, FInplaceRow);
    if (r.isEmpty()) {
        FInplaceEdit->hide();
        return;
    }
    FInplaceEdit->setGeometry(r);
    FInplaceEdit->show();
}

void TStringGrid::ShowEditorChar(const QString &text)
{
    ShowEditor();
    if (!FInplaceEdit || FInplaceEdit->isHidden() || FInplaceEdit->isReadOnly())
        return;
    QString accepted;
    for (QChar c : text)
        if (FInplaceEdit->AcceptChar(c))
            accepted.append(c);
    if (!accepted.isEmpty())
        FInplaceEdit->insertPlainText(accepted);
}

// --- keyboard ---------------------------------------------------------------------------------

bool TStringGrid::KeyDown(QKeyEvent *e)
{
    const auto mods = plainMods(e);
    if (mods & (Qt::AltModifier | Qt::MetaModifier))
        return false;
    const bool ctrl = mods & Qt::ControlModifier;
    const bool anchor = !(mods & Qt::ShiftModifier);
    const int col = FCurrent.x();
    const int row = FCurrent.y();
    const int page = std::max(1, VisibleRowCount());
    switch (e->key()) {
    case Qt::Key_Up:
        MoveCurrent(col, row - 1, anchor, true);
        return true;
    case Qt::Key_Down:
        MoveCurrent(col, row + 1, anchor, true);
        return true;
    case Qt::Key_Left:
        if (FOptions.testFlag(goRowSelect))
            SetLeftCol(FTopLeft.x() - 1);
        else
            MoveCurrent(col - 1, row, anchor, true);
        return true;
    case Qt::Key_Right:
        if (FOptions.testFlag(goRowSelect))
            SetLeftCol(FTopLeft.x() + 1);
        else
            MoveCurrent(col + 1, row, anchor, true);
        return true;
    case Qt::Key_PageUp:
        SetTopRow(FTopLeft.y() - page);
        MoveCurrent(col, row - page, anchor, true);
        return true;
    case Qt::Key_PageDown:
        SetTopRow(FTopLeft.y() + page);
        MoveCurrent(col, row + page, anchor, true);
        return true;
    case Qt::Key_Home:
        if (ctrl)
            MoveCurrent(col, FFixedRows, anchor, true);
        else
            MoveCurrent(FFixedCols, row, anchor, true);
        return true;
    case Qt::Key_End:
        if (ctrl)
            MoveCurrent(col, FRowCount - 1, anchor, true);
        else
            MoveCurrent(FColCount - 1, row, anchor, true);
        return true;
    case Qt::Key_F2:
        if (mods == Qt::NoModifier) {
            ShowEditor();
            return true;
        }
        return false;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (!FOptions.testFlag(goTabs))
            return false;
        if (e->key() == Qt::Key_Backtab || (mods & Qt::ShiftModifier)) {
            if (col > FFixedCols)
                MoveCurrent(col - 1, row, true, true);
            else if (row > FFixedRows)
                MoveCurrent(FColCount - 1, row - 1, true, true);
        } else {
            if (col < FColCount - 1)
                MoveCurrent(col + 1, row, true, true);
            else if (row < FRowCount - 1)
                MoveCurrent(FFixedCols, row + 1, true, true);
        }
        return true;
    default:
        return false;
    }
}

void TStringGrid::KeyPress(QChar c)
{
    if (c == QLatin1Char('\r')) {
        if (!FOptions.testFlag(goAlwaysShowEditor)) {
            if (FEditorMode)
                HideEditor();
            else
                ShowEditor();
        }
        return;
    }
    if (c.unicode() < 32 || !FOptions.testFlag(goEditing) || FOptions.testFlag(goRowSelect))
        return;
    if (!CanEditAcceptKey(c)) {
        Refuse();
        return;
    }
    ShowEditorChar(QString(c));
}

bool TStringGrid::event(QEvent *e)
{
    if (e->type() == QEvent::KeyPress && FOptions.testFlag(goTabs)) {
        auto *k = static_cast<QKeyEvent *>(e);
        if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {
            KeyDown(k);
            return true;
        }
    }
    return QAbstractScrollArea::event(e);
}

void TStringGrid::keyPressEvent(QKeyEvent *e)
{
    if (KeyDown(e)) {
        e->accept();
        return;
    }
    const auto mods = plainMods(e);
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        KeyPress(QLatin1Char('\r'));
        e->accept();
        return;
    }
    if (!(mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) && !e->text().isEmpty()
        && e->text().at(0).unicode() >= 32 && e->text().at(0).unicode() != 127) {
        for (QChar c : e->text())
            KeyPress(c);
        e->accept();
        return;
    }
    QAbstractScrollArea::keyPressEvent(e);
}

void TStringGrid::inputMethodEvent(QInputMethodEvent *e)
{
    if (!e->commitString().isEmpty() && FOptions.testFlag(goEditing) && !FOptions.testFlag(goRowSelect))
        ShowEditorChar(e->commitString());
    e->accept();
}

// --- mouse ---------------------------------------------------------------------------------------

int TStringGrid::SizingBorderAt(const QPoint &pt, Qt::Orientation &o) const
{
    if (FOptions.testFlag(goColSizing) && pt.y() < FixedHeight()) {
        for (int c = 0; c < FColCount; ++c) {
            const int x = ColX(c);
            if (x >= 0 && std::abs(pt.x() - (x + FColWidths[c])) <= 2) {
                o = Qt::Horizontal;
                return c;
            }
        }
    }
    if (FOptions.testFlag(goRowSizing) && pt.x() < FixedWidth()) {
        for (int r = 0; r < FRowCount; ++r) {
            const int y = RowY(r);
            if (y >= 0 && std::abs(pt.y() - (y + FRowHeights[r])) <= 2) {
                o = Qt::Vertical;
                return r;
            }
        }
    }
    return -1;
}

void TStringGrid::mousePressEvent(QMouseEvent *e)
{
    if (!hasFocus() && !(FInplaceEdit && FInplaceEdit->hasFocus()))
        setFocus(Qt::MouseFocusReason);
    if (e->button() != Qt::LeftButton)
        return;
    const QPoint pt = e->position().toPoint();
    Qt::Orientation o;
    const int border = SizingBorderAt(pt, o);
    if (border >= 0) {
        FSizingIndex = border;
        FSizingOrientation = o;
        FSizingStart = o == Qt::Horizontal ? pt.x() : pt.y();
        FSizingOriginal = o == Qt::Horizontal ? FColWidths[border] : FRowHeights[border];
        return;
    }
    int col, row;
    if (!MouseToCell(pt, col, row) || col < FFixedCols || row < FFixedRows)
        return;
    if (col == FCurrent.x() && row == FCurrent.y() && FOptions.testFlag(goEditing) && !FEditorMode) {
        ShowEditor();
        return;
    }
    MoveCurrent(col, row, !(e->modifiers() & Qt::ShiftModifier), true);
    FSelecting = FOptions.testFlag(goRangeSelect);
}

void TStringGrid::mouseMoveEvent(QMouseEvent *e)
{
    const QPoint pt = e->position().toPoint();
    if (FSizingIndex >= 0) {
        const int delta = (FSizingOrientation == Qt::Horizontal ? pt.x() : pt.y()) - FSizingStart;
        if (FSizingOrientation == Qt::Horizontal)
            SetColWidths(FSizingIndex, std::max(1, FSizingOriginal + delta));
        else
            SetRowHeights(FSizingIndex, std::max(1, FSizingOriginal + delta));
        return;
    }
    if (FSelecting && (e->buttons() & Qt::LeftButton)) {
        int col, row;
        if (MouseToCell(pt, col, row) && col >= FFixedCols && row >= FFixedRows)
            MoveCurrent(col, row, false, true);
        return;
    }
    Qt::Orientation o;
    if (SizingBorderAt(pt, o) >= 0)
        viewport()->setCursor(o == Qt::Horizontal ? Qt::SplitHCursor : Qt::SplitVCursor);
    else
        viewport()->unsetCursor();
}

void TStringGrid::mouseReleaseEvent(QMouseEvent *e)
{
    const bool wasSizing = FSizingIndex >= 0;
    FSizingIndex = -1;
    FSelecting = false;
    if (e->button() == Qt::LeftButton && !wasSizing)
        emit OnClick();
}

void TStringGrid::mouseDoubleClickEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton)
        emit OnDblClick();
}

void TStringGrid::wheelEvent(QWheelEvent *e)
{
    const int notches = e->angleDelta().y() / 120;
    if (notches != 0)
        SetTopRow(FTopLeft.y() - 3 * notches);
    e->accept();
}

void TStringGrid::focusInEvent(QFocusEvent *e)
{
    QAbstractScrollArea::focusInEvent(e);
    if (FOptions.testFlag(goAlwaysShowEditor) && e->reason() != Qt::PopupFocusReason
        && !(FInplaceEdit && FInplaceEdit->isVisible()))
        ShowEditor();
    InvalidateGrid();
}

void TStringGrid::focusOutEvent(QFocusEvent *e)
{
    QAbstractScrollArea::focusOutEvent(e);
    InvalidateGrid();
}

void TStringGrid::resizeEvent(QResizeEvent *e)
{
    QAbstractScrollArea::resizeEvent(e);
    UpdateScrollRange();
    FTopLeft.setY(std::min(FTopLeft.y(), MaxTopRow()));
    FTopLeft.setX(std::min(FTopLeft.x(), MaxLeftCol()));
    UpdateScrollPos();
    PlaceEditor();
}

// --- painting -------------------------------------------------------------------------------------

bool TStringGrid::IsHighlighted(TGridDrawState state) const
{
    return state.testFlag(gdSelected)
        && (!state.testFlag(gdFocused) || (FOptions & (goDrawFocusSelected | goRowSelect)));
}

void TStringGrid::DrawCell(QPainter &p, int col, int row, const QRect &rect, TGridDrawState state)
{
    if (FDefaultDrawing) {
        p.setPen(palette().color(IsHighlighted(state) ? QPalette::HighlightedText : QPalette::Text));
        p.drawText(rect.adjusted(2, 2, -2, -2), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                   Cells(col, row));
    }
    emit OnDrawCell(&p, col, row, rect, state);
}

void TStringGrid::paintEvent(QPaintEvent *)
{
    QPainter p(viewport());
    const int vw = viewport()->width();
    const int vh = viewport()->height();
    p.fillRect(QRect(0, 0, vw, vh), FColor);

    QVector<int> rows;
    for (int r = 0; r < FFixedRows; ++r)
        rows.append(r);
    for (int r = FTopLeft.y(), y = FixedHeight(); r < FRowCount && y < vh; y += FRowHeights[r] + FGridLineWidth, ++r)
        rows.append(r);
    QVector<int> cols;
    for (int c = 0; c < FFixedCols; ++c)
        cols.append(c);
    for (int c = FTopLeft.x(), x = FixedWidth(); c < FColCount && x < vw; x += FColWidths[c] + FGridLineWidth, ++c)
        cols.append(c);

    const QRect sel = Selection();
    const bool focused = hasFocus() || (FInplaceEdit && FInplaceEdit->hasFocus());
    const bool editorShown = FInplaceEdit && FInplaceEdit->isVisible();
    const QColor fixedLine = palette().color(QPalette::Shadow);
    const QColor dataLine = palette().color(QPalette::Mid);
    for (int r : rows) {
        const int y = RowY(r);
        for (int c : cols) {
            const int x = ColX(c);
            const QRect cell(x, y, FColWidths[c], FRowHeights[r]);
            const bool fixed = r < FFixedRows || c < FFixedCols;
            TGridDrawState state;
            if (fixed)
                state |= gdFixed;
            if (!fixed && sel.contains(c, r))
                state |= gdSelected;
            if (!fixed && c == FCurrent.x() && r == FCurrent.y() && focused)
                state |= gdFocused;

            // The lines right of and below the cell.
            if (FGridLineWidth > 0) {
                const bool vLine = fixed ? FOptions.testFlag(goFixedVertLine) : FOptions.testFlag(goVertLine);
                const bool hLine = fixed ? FOptions.testFlag(goFixedHorzLine) : FOptions.testFlag(goHorzLine);
                const QColor bg = fixed ? FFixedColor : FColor;
                p.fillRect(QRect(cell.right() + 1, y, FGridLineWidth, cell.height() + FGridLineWidth),
                           vLine ? (fixed ? fixedLine : dataLine) : bg);
                p.fillRect(QRect(x, cell.bottom() + 1, cell.width(), FGridLineWidth),
                           hLine ? (fixed ? fixedLine : dataLine) : bg);
            }
            if (FDefaultDrawing)
                p.fillRect(cell, fixed ? FFixedColor : IsHighlighted(state) ? palette().color(QPalette::Highlight) : FColor);
            p.save();
            p.setClipRect(cell);
            DrawCell(p, c, r, cell, state);
            p.restore();
            if (FDefaultDrawing && fixed) {
                // Raised edge of a heading cell.
                p.setPen(palette().color(QPalette::Light));
                p.drawLine(cell.topLeft(), cell.topRight());
                p.drawLine(cell.topLeft(), cell.bottomLeft());
                p.setPen(palette().color(QPalette::Dark));
                p.drawLine(cell.bottomLeft(), cell.bottomRight());
                p.drawLine(cell.topRight(), cell.bottomRight());
            }
            if (state.testFlag(gdFocused) && hasFocus() && !editorShown && !FOptions.testFlag(goRowSelect)) {
                QPen pen(palette().color(QPalette::Text));
                pen.setStyle(Qt::DotLine);
                p.setPen(pen);
                p.setBrush(Qt::NoBrush);
                p.drawRect(cell.adjusted(0, 0, -1, -1));
            }
        }
    }
}
