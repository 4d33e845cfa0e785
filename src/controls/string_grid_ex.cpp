#include "controls/string_grid_ex.h"

#include "controls/display_format.h"

#include <QFontMetrics>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPainter>

#include <limits>

// =================================================================================
// TGridColumn

TGridColumn::TGridColumn(TStringGridEx *grid)
    : FGrid(grid), FColor(grid->Color()), FFont(grid->font()),
      FFontColor(grid->palette().color(QPalette::Text)), FFixCellFont(grid->font()),
      FFixCellFontColor(grid->palette().color(QPalette::ButtonText))
{
}

int TGridColumn::Index() const
{
    const TGridColumns &cols = FGrid->GridColumns();
    for (int i = 0; i < cols.Count(); ++i)
        if (cols.Items(i) == this)
            return i;
    return -1;
}

void TGridColumn::Changed() { FGrid->ColumnsChanged(); }

void TGridColumn::SetAlignment(TColumnAlignment v) { FAlignment = v; Changed(); }
void TGridColumn::SetCanEdit(bool v) { FCanEdit = v; Changed(); }
void TGridColumn::SetCaption(const QString &v) { FCaption = v.isEmpty() ? QStringLiteral(" ") : v; Changed(); }
void TGridColumn::SetColor(const QColor &v) { FColor = v; Changed(); }
void TGridColumn::SetDataType(TGridDataType v) { FDataType = v; Changed(); }
void TGridColumn::SetDisplayMask(const QString &v) { FDisplayMask = v; Changed(); }
void TGridColumn::SetFont(const QFont &v) { FFont = v; Changed(); }
void TGridColumn::SetFontColor(const QColor &v) { FFontColor = v; Changed(); }
void TGridColumn::SetFixCellFont(const QFont &v) { FFixCellFont = v; Changed(); }
void TGridColumn::SetFixCellFontColor(const QColor &v) { FFixCellFontColor = v; Changed(); }
void TGridColumn::SetImeMode(TImeMode v) { FImeMode = v; Changed(); }
void TGridColumn::SetWordwrap(bool v) { FWordwrap = v; Changed(); }
void TGridColumn::SetMultiLine(bool v) { FMultiLine = v; Changed(); }

// =================================================================================
// TGridColumns

TGridColumn *TGridColumns::Add()
{
    FItems.append(std::shared_ptr<TGridColumn>(new TGridColumn(FGrid)));
    FGrid->SetColCount(Count());
    return FItems.last().get();
}

void TGridColumns::Delete(int i)
{
    if (i < 0 || i >= Count())
        return;
    FItems.removeAt(i);
    FGrid->SetColCount(Count());
    Resize(FGrid->ColCount());
    FGrid->ColumnsChanged();
}

void TGridColumns::Resize(int count)
{
    while (Count() < count)
        FItems.append(std::shared_ptr<TGridColumn>(new TGridColumn(FGrid)));
    while (Count() > count)
        FItems.removeLast();
}

// =================================================================================
// TInplaceEditEx

TInplaceEditEx::TInplaceEditEx(TStringGridEx *grid) : TInplaceEdit(grid), FGridEx(grid)
{
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
}

void TInplaceEditEx::SetImeMode(TImeMode v)
{
    FImeMode = v;
    ApplyImeMode(this, v);
}

void TInplaceEditEx::SetWordWrap(bool v)
{
    FWordWrap = v;
    setLineWrapMode(v ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

bool TInplaceEditEx::EditKeyDown(QKeyEvent *e)
{
    const auto mods = e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const int key = e->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (FMultiLine) {
            if (mods & Qt::ControlModifier)
                FGridEx->HideEditor();
            else if (!isReadOnly())
                textCursor().insertText(QStringLiteral("\n"));
            return true;
        }
        // Single line: the Right arrow key.
        if (AtRightSide()) {
            QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
            SendToParent(&right);
        } else {
            QTextCursor c = textCursor();
            c.clearSelection();
            c.movePosition(QTextCursor::NextCharacter);
            setTextCursor(c);
        }
        return true;
    }
    if (FMultiLine) {
        const bool arrow = key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
        if (arrow && mods == Qt::ControlModifier) {
            QKeyEvent plain(QEvent::KeyPress, key, Qt::NoModifier);
            SendToParent(&plain);
            if (FGridEx->EditorMode() && isVisible())
                Deselect();
            return true;
        }
        if (arrow)
            return false; // the caret moves inside the text
    }
    return TInplaceEdit::EditKeyDown(e);
}

// =================================================================================
// TStringGridEx

TStringGridEx::TStringGridEx(QWidget *parent) : TStringGrid(parent), FGridColumns(this)
{
    FStripeColor = Color();
    FGridColumns.Resize(ColCount());
    SetColCount(4);
    SetDefaultRowHeight(20);
}

TStringGridEx::~TStringGridEx() = default;

void TStringGridEx::SizeChanged(int oldColCount, int oldRowCount)
{
    FGridColumns.Resize(ColCount());
    TStringGrid::SizeChanged(oldColCount, oldRowCount);
}

void TStringGridEx::SetGridStyle(TGridStyle v)
{
    FGridStyle = v;
    InvalidateGrid();
}

void TStringGridEx::SetStripeColor(const QColor &v)
{
    FStripeColor = v;
    InvalidateGrid();
}

TGridColumn *TStringGridEx::CurrentColumn() const { return FGridColumns.Items(Col()); }

bool TStringGridEx::CurrentColumnNarrow() const
{
    const TGridColumn *gc = CurrentColumn();
    return gc && ImeModeOff(gc->ImeMode());
}

QColor TStringGridEx::GetBrushColor(int col, int row) const
{
    if (FGridStyle == gsStriped)
        return row % 2 == 0 ? FStripeColor : Color();
    const TGridColumn *gc = FGridColumns.Items(col);
    return gc ? gc->Color() : Color();
}

QString TStringGridEx::CellDrawText(int col, int row) const
{
    const QString text = Cells(col, row);
    const TGridColumn *gc = FGridColumns.Items(col);
    if (!gc)
        return text;
    if (row < FixedRows() || col < FixedCols())
        return text.isEmpty() && row == 0 ? gc->Caption() : text;
    if (text.isEmpty() || gc->DisplayMask().isEmpty())
        return text;
    return GetDisplayText(text, gc->DisplayMask());
}

void TStringGridEx::DrawCell(QPainter &p, int col, int row, const QRect &rect, TGridDrawState state)
{
    const TGridColumn *gc = FGridColumns.Items(col);
    if (gc && DefaultDrawing()) {
        QString text = CellDrawText(col, row);
        int inset;
        QColor color;
        if (state.testFlag(gdFixed)) {
            p.setFont(gc->FixCellFont());
            color = gc->FixCellFontColor();
            inset = 3;
        } else {
            const bool highlighted = IsHighlighted(state);
            p.fillRect(rect, highlighted ? palette().color(QPalette::Highlight) : GetBrushColor(col, row));
            p.setFont(gc->Font());
            color = highlighted ? palette().color(QPalette::HighlightedText) : gc->FontColor();
            inset = 2;
        }
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        int flags = Qt::AlignTop;
        switch (gc->Alignment()) {
        case taLeftJustify: flags |= Qt::AlignLeft; break;
        case taRightJustify: flags |= Qt::AlignRight; break;
        case taCenter: flags |= Qt::AlignHCenter; break;
        }
        if (gc->Wordwrap())
            flags |= Qt::TextWordWrap;
        // As an edit control breaks lines: a last line that would show only
        // in part is left out (the first line always shows).
        QRect box = rect.adjusted(inset, inset, -inset, -inset);
        const int lineSpacing = QFontMetrics(p.font()).lineSpacing();
        if (lineSpacing > 0 && box.height() >= lineSpacing)
            box.setHeight(box.height() / lineSpacing * lineSpacing);
        p.save();
        p.setClipRect(box, Qt::IntersectClip);
        p.setPen(color);
        p.drawText(box, flags, text);
        p.restore();
    }
    emit OnDrawCell(&p, col, row, rect, state);
}

QString TStringGridEx::GetEditText(int col, int row)
{
    auto *ed = static_cast<TInplaceEditEx *>(InplaceEditor());
    const TGridColumn *gc = FGridColumns.Items(col);
    if (ed) {
        QPalette pal = ed->palette();
        pal.setColor(QPalette::Base, GetBrushColor(col, row));
        if (gc) {
            ed->SetImeMode(gc->ImeMode());
            ed->setFont(gc->Font());
            ed->SetMultiLine(gc->MultiLine());
            ed->SetWordWrap(gc->Wordwrap());
            pal.setColor(QPalette::Text, gc->FontColor());
        } else {
            ed->SetImeMode(imClose);
            ed->setFont(font());
            ed->SetMultiLine(false);
            ed->SetWordWrap(false);
            pal.setColor(QPalette::Text, palette().color(QPalette::Text));
        }
        ed->setPalette(pal);
    }
    return TStringGrid::GetEditText(col, row);
}

namespace {

// A whole number as the platform's integer reader takes it: leading blanks,
// an optional sign, decimal digits, nothing after them, within 32 bits.
bool readInteger(const QString &s, qint32 &value)
{
    qsizetype i = 0;
    while (i < s.size() && s.at(i) == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < s.size() && (s.at(i) == QLatin1Char('+') || s.at(i) == QLatin1Char('-')))
        negative = s.at(i++) == QLatin1Char('-');
    if (i >= s.size())
        return false;
    qint64 v = 0;
    for (; i < s.size(); ++i) {
        const QChar c = s.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        v = v * 10 + (c.unicode() - '0');
        if (v > qint64(std::numeric_limits<qint32>::max()) + 1)
            return false;
    }
    if (negative)
        v = -v;
    if (v < std::numeric_limits<qint32>::min() || v > std::numeric_limits<qint32>::max())
        return false;
    value = qint32(v);
    return true;
}

} // namespace

void TStringGridEx::SetEditText(int col, int row, const QString &value)
{
    const TGridColumn *gc = FGridColumns.Items(col);
    if (!gc || gc->DataType() != dtInteger)
        return TStringGrid::SetEditText(col, row, value);
    if (value == QLatin1String("-"))
        return TStringGrid::SetEditText(col, row, QStringLiteral("-0"));
    if (value.isEmpty())
        return TStringGrid::SetEditText(col, row, value);
    qint32 n = 0;
    if (readInteger(value, n))
        return TStringGrid::SetEditText(col, row, QString::number(n));
    // Refused: the editor gets the stored text back, its caret one place
    // before where it was.
    if (TInplaceEdit *ed = InplaceEditor()) {
        const int pos = ed->textCursor().position();
        ed->SetText(Cells(col, row));
        ed->SetSelStart(pos - 1);
    }
}

bool TStringGridEx::CanEditAcceptKey(QChar key) const
{
    const TGridColumn *gc = CurrentColumn();
    if (!gc || gc->DataType() != dtInteger)
        return true;
    return key.unicode() < 32 || QStringLiteral(" +-.0123456789").contains(key);
}

bool TStringGridEx::CanEditModify() const
{
    const TGridColumn *gc = CurrentColumn();
    return !gc || gc->CanEdit();
}

TInplaceEdit *TStringGridEx::CreateEditor() { return new TInplaceEditEx(this); }

bool TStringGridEx::KeyDown(QKeyEvent *e)
{
    const TGridColumn *gc = CurrentColumn();
    const auto mods = e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (gc && gc->MultiLine() && e->key() == Qt::Key_F2 && mods == Qt::NoModifier) {
        ShowEditor();
        if (InplaceEditor() && InplaceEditor()->isVisible())
            InplaceEditor()->Deselect();
        return true;
    }
    return TStringGrid::KeyDown(e);
}

void TStringGridEx::KeyPress(QChar c)
{
    const TGridColumn *gc = CurrentColumn();
    if (CurrentColumnNarrow())
        c = NarrowTyped(QString(c)).at(0);
    TStringGrid::KeyPress(c);
    if (c == QLatin1Char('\r') && gc && gc->MultiLine() && EditorMode() && InplaceEditor()
        && InplaceEditor()->isVisible())
        InplaceEditor()->Deselect();
}

QVariant TStringGridEx::inputMethodQuery(Qt::InputMethodQuery query) const
{
    if (query == Qt::ImEnabled && CurrentColumnNarrow())
        return false;
    if (query == Qt::ImHints && CurrentColumn())
        return int(ImeModeHints(CurrentColumn()->ImeMode()));
    return TStringGrid::inputMethodQuery(query);
}

void TStringGridEx::inputMethodEvent(QInputMethodEvent *e)
{
    if (CurrentColumnNarrow())
        e->setCommitString(NarrowTyped(e->commitString()), e->replacementStart(), e->replacementLength());
    TStringGrid::inputMethodEvent(e);
}

int TStringGridEx::ScrollPageSize(int visible, int scrollable) const
{
    return scrollable > visible ? visible * 127 / (scrollable - visible) : 0;
}
