#pragma once
// TStringGridEx: the text grid of every list window. A TStringGrid with one
// column definition (TGridColumn) per grid column: caption, alignment,
// colour, fonts, data type, display mask, input-method mode, and whether its
// cells may be edited, wrap words and take line breaks. The grid draws cells
// from these definitions, stripes rows when asked, restricts and normalises
// input in integer columns and edits multi-line text in place. The
// definitions always number exactly ColCount(): changing the column count
// adds or drops definitions at the end, and adding or deleting a definition
// changes the column count.

#include "controls/ime_mode.h"
#include "controls/string_grid.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <memory>

class TStringGridEx;

enum TGridStyle { gsNormal, gsStriped };
enum TGridDataType { dtString, dtInteger };
enum TColumnAlignment { taLeftJustify, taRightJustify, taCenter };

// One column definition. Every change repaints the grid.
class TGridColumn {
public:
    TColumnAlignment Alignment() const { return FAlignment; } // [left] cell text alignment
    void SetAlignment(TColumnAlignment v);
    bool CanEdit() const { return FCanEdit; }                 // [true] cells may be edited
    void SetCanEdit(bool v);
    // [""] text of the heading cell (row 0) while that cell's own text is
    // empty; an empty caption is stored as a single blank.
    QString Caption() const { return FCaption; }
    void SetCaption(const QString &v);
    QColor Color() const { return FColor; }                   // [grid's colour] data cells, normal style
    void SetColor(const QColor &v);
    TGridDataType DataType() const { return FDataType; }      // [dtString] dtInteger restricts input
    void SetDataType(TGridDataType v);
    QString DisplayMask() const { return FDisplayMask; }      // [""] display form of data cells
    void SetDisplayMask(const QString &v);
    QFont Font() const { return FFont; }                      // [grid's font] data cells and the editor
    void SetFont(const QFont &v);
    QColor FontColor() const { return FFontColor; }           // [grid's text colour] the colour of Font
    void SetFontColor(const QColor &v);
    QFont FixCellFont() const { return FFixCellFont; }        // [grid's font] fixed cells
    void SetFixCellFont(const QFont &v);
    QColor FixCellFontColor() const { return FFixCellFontColor; } // [grid's text colour]
    void SetFixCellFontColor(const QColor &v);
    TImeMode ImeMode() const { return FImeMode; }             // [imDontCare] input method while editing
    void SetImeMode(TImeMode v);
    bool Wordwrap() const { return FWordwrap; }               // [false] cells and editor wrap words
    void SetWordwrap(bool v);
    bool MultiLine() const { return FMultiLine; }             // [false] the editor takes line breaks
    void SetMultiLine(bool v);

    TStringGridEx *Grid() const { return FGrid; }
    int Index() const;

private:
    friend class TGridColumns;
    explicit TGridColumn(TStringGridEx *grid);
    void Changed();

    TStringGridEx *FGrid;
    TColumnAlignment FAlignment = taLeftJustify;
    bool FCanEdit = true;
    QString FCaption;
    QColor FColor;
    TGridDataType FDataType = dtString;
    QString FDisplayMask;
    QFont FFont;
    QColor FFontColor;
    QFont FFixCellFont;
    QColor FFixCellFontColor;
    TImeMode FImeMode = imDontCare;
    bool FWordwrap = false;
    bool FMultiLine = false;
};

// The ordered column definitions, owned by the grid.
class TGridColumns {
public:
    int Count() const { return int(FItems.size()); }
    TGridColumn *Items(int i) const { return i >= 0 && i < Count() ? FItems[i].get() : nullptr; }
    TGridColumn *operator[](int i) const { return Items(i); }
    // A default definition at the end; the grid gains a column.
    TGridColumn *Add();
    // Drops definition i; the grid loses its last column. A grid keeps at
    // least one column, so the last definition is replaced by a default one.
    void Delete(int i);

private:
    friend class TStringGridEx;
    explicit TGridColumns(TStringGridEx *grid) : FGrid(grid) {}
    void Resize(int count); // to the grid's column count, at the end
    TStringGridEx *FGrid;
    QList<std::shared_ptr<TGridColumn>> FItems;
};

// The in-place editor of TStringGridEx: always a multi-line edit field, set
// up per column. Single-line columns take Enter as the Right arrow key;
// multi-line columns take Enter as a line break, Ctrl+Enter to finish and
// Ctrl+arrows to move to the neighbouring cell.
class TInplaceEditEx : public TInplaceEdit {
    Q_OBJECT
public:
    explicit TInplaceEditEx(TStringGridEx *grid);
    TImeMode ImeMode() const { return FImeMode; }
    void SetImeMode(TImeMode v);
    bool MultiLine() const { return FMultiLine; }
    void SetMultiLine(bool v) { FMultiLine = v; }
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool v); // wraps and does not scroll sideways; else scrolls sideways

protected:
    bool EditKeyDown(QKeyEvent *e) override;

private:
    TStringGridEx *FGridEx;
    TImeMode FImeMode = imDontCare;
    bool FMultiLine = false;
    bool FWordWrap = false;
};

class TStringGridEx : public TStringGrid {
    Q_OBJECT
public:
    // 4 columns, rows 20 pixels high.
    explicit TStringGridEx(QWidget *parent = nullptr);
    ~TStringGridEx() override;

    TGridColumns &GridColumns() { return FGridColumns; }
    const TGridColumns &GridColumns() const { return FGridColumns; }
    TGridStyle GridStyle() const { return FGridStyle; } // [gsNormal]
    void SetGridStyle(TGridStyle v);
    QColor StripeColor() const { return FStripeColor; } // [grid's colour] even rows when striped
    void SetStripeColor(const QColor &v);

    // Background of a data cell: striped, even rows StripeColor and odd rows
    // the grid's colour; normal, the column's colour.
    QColor GetBrushColor(int col, int row) const;
    // The text the grid draws in a cell: for an empty heading cell of row 0
    // the column's caption, for a data cell its display form when the column
    // has a mask, otherwise the cell's text.
    QString CellDrawText(int col, int row) const;

protected:
    void SizeChanged(int oldColCount, int oldRowCount) override;
    void DrawCell(QPainter &p, int col, int row, const QRect &rect, TGridDrawState state) override;
    QString GetEditText(int col, int row) override;
    void SetEditText(int col, int row, const QString &value) override;
    bool CanEditAcceptKey(QChar key) const override;
    bool CanEditModify() const override;
    TInplaceEdit *CreateEditor() override;
    bool KeyDown(QKeyEvent *e) override;
    void KeyPress(QChar c) override;
    // The input method is off while the current cell's column types narrow
    // text, and what it commits there anyway is narrowed.
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void inputMethodEvent(QInputMethodEvent *e) override;
    int ScrollPageSize(int visible, int scrollable) const override;

private:
    friend class TGridColumns;
    friend class TGridColumn;
    friend class TInplaceEditEx;
    TGridColumn *CurrentColumn() const;
    bool CurrentColumnNarrow() const;
    void ColumnsChanged() { InvalidateGrid(); }

    TGridColumns FGridColumns;
    TGridStyle FGridStyle = gsNormal;
    QColor FStripeColor;
    bool FSyncing = false;
};
