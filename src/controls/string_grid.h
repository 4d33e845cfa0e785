#pragma once
// TStringGrid: a grid of text cells with fixed (heading) rows and columns
// that are cells like any other, row-by-row scrolling that keeps the fixed
// cells in place, a current cell, selection, column and row sizing and an
// in-place editor. The windows fill and read the cells as text. It is the
// base of TStringGridEx, which overrides the virtual steps below.

#include <QAbstractScrollArea>
#include <QColor>
#include <QFlags>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

class TStringGrid;

enum TGridOption {
    goFixedVertLine = 0x0001,
    goFixedHorzLine = 0x0002,
    goVertLine = 0x0004,
    goHorzLine = 0x0008,
    goRangeSelect = 0x0010,
    goDrawFocusSelected = 0x0020,
    goRowSizing = 0x0040,
    goColSizing = 0x0080,
    goEditing = 0x0200,
    goTabs = 0x0400,
    goRowSelect = 0x0800,
    goAlwaysShowEditor = 0x1000,
    goThumbTracking = 0x2000,
};
Q_DECLARE_FLAGS(TGridOptions, TGridOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TGridOptions)

enum TGridDrawStateFlag { gdSelected = 0x1, gdFocused = 0x2, gdFixed = 0x4 };
Q_DECLARE_FLAGS(TGridDrawState, TGridDrawStateFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TGridDrawState)

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// The in-place editor: a multi-line edit field laid over the current cell.
// Its text is handed to the grid (SetEditText) after every change. Lines are
// separated by CR LF in the cells and by LF inside the editor.
class TInplaceEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TInplaceEdit(TStringGrid *grid);
    TStringGrid *Grid() const { return FGrid; }

    QString Text() const;            // with CR LF line breaks
    void SetText(const QString &s);  // without reporting the change to the grid
    void SelectAll();
    void Deselect();                 // caret to the end, nothing selected
    int SelStart() const;
    int SelLength() const;
    void SetSelStart(int pos);
    bool AllSelected() const;
    bool AtLeftSide() const;   // caret at the start, nothing or everything selected
    bool AtRightSide() const;  // caret at the end, nothing or everything selected

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void inputMethodEvent(QInputMethodEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void insertFromMimeData(const QMimeData *source) override;
    // Hands the key to the grid as if typed on it.
    void SendToParent(QKeyEvent *e);
    // One editor key; returns true when handled here.
    virtual bool EditKeyDown(QKeyEvent *e);
    // Whether a typed character may go into the text (beeps when not).
    bool AcceptChar(QChar c);

private:
    void TextChanged();
    TStringGrid *FGrid;
    bool FSetting = false;
    friend class TStringGrid;
};

class TStringGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TStringGrid(QWidget *parent = nullptr);
    ~TStringGrid() override;

    // --- size -------------------------------------------------------------
    int ColCount() const { return FColCount; }   // at least 1; FixedCols shrinks to fit
    void SetColCount(int n);
    int RowCount() const { return FRowCount; }   // at least 1; FixedRows shrinks to fit
    void SetRowCount(int n);
    int FixedCols() const { return FFixedCols; }
    void SetFixedCols(int n);
    int FixedRows() const { return FFixedRows; }
    void SetFixedRows(int n);
    int DefaultColWidth() const { return FDefaultColWidth; } // [64] sets every column
    void SetDefaultColWidth(int w);
    int DefaultRowHeight() const { return FDefaultRowHeight; } // [24] sets every row
    void SetDefaultRowHeight(int h);
    int ColWidths(int col) const;
    void SetColWidths(int col, int w);
    int RowHeights(int row) const;
    void SetRowHeights(int row, int h);
    int GridLineWidth() const { return FGridLineWidth; } // [1]
    void SetGridLineWidth(int w);

    // --- cells --------------------------------------------------------------
    QString Cells(int col, int row) const;
    void SetCells(int col, int row, const QString &text);
    QStringList Rows(int row) const;                  // the texts of one row
    void SetRows(int row, const QStringList &texts);  // missing texts become empty
    QStringList Cols(int col) const;
    void SetCols(int col, const QStringList &texts);
    void DeleteRow(int row);                  // later rows move up, RowCount - 1
    void MoveRow(int from, int to);

    // --- rows made when asked -------------------------------------------------
    // For listings too long to hold as texts: below the fixed rows come
    // `rows` rows whose texts cell(col, n) (n counted from the first of them)
    // makes whenever the grid paints or reads a cell; the grid stores the
    // fixed rows only. Such rows are read-only: SetCells leaves them, and
    // DeleteRow does nothing while they are shown. An empty function goes
    // back to stored rows, all empty.
    using CellText = std::function<QString(int col, int row)>;
    void SetVirtualRows(int rows, CellText cell);
    bool HasVirtualRows() const { return bool(FCellText); }

    // --- current cell, selection, scrolling -----------------------------------
    int Col() const { return FCurrent.x(); }
    void SetCol(int col);
    int Row() const { return FCurrent.y(); }
    void SetRow(int row);
    void FocusCell(int col, int row, bool moveAnchor = true);
    // Columns left..right, rows top..bottom (inclusive) of the selection.
    QRect Selection() const;
    void SetSelection(const QRect &r);
    int TopRow() const { return FTopLeft.y(); }
    void SetTopRow(int row);
    int LeftCol() const { return FTopLeft.x(); }
    void SetLeftCol(int col);
    int VisibleRowCount() const;  // whole rows shown below the fixed rows
    int VisibleColCount() const;
    // The rectangle of a cell in viewport coordinates; empty when not shown.
    QRect CellRect(int col, int row) const;
    // The cell under a viewport point; false (and -1, -1) outside the cells.
    bool MouseToCell(const QPoint &pt, int &col, int &row) const;

    // --- appearance and behaviour --------------------------------------------
    TGridOptions Options() const { return FOptions; } // [fixed and data lines, range select]
    void SetOptions(TGridOptions o);
    TScrollStyle ScrollBars() const { return FScrollBars; } // [ssBoth]
    void SetScrollBars(TScrollStyle s);
    bool DefaultDrawing() const { return FDefaultDrawing; } // [true]
    void SetDefaultDrawing(bool v);
    QColor Color() const { return FColor; }           // [window colour] data cells
    void SetColor(const QColor &c);
    QColor FixedColor() const { return FFixedColor; } // [button face] fixed cells
    void SetFixedColor(const QColor &c);

    // --- editing ------------------------------------------------------------
    bool EditorMode() const { return FEditorMode; }
    void SetEditorMode(bool on);
    void ShowEditor();
    void HideEditor();
    // The editor, once created (null before the first edit).
    TInplaceEdit *InplaceEditor() const { return FInplaceEdit; }

signals:
    // Before the current cell moves; clear canSelect to keep it.
    void OnSelectCell(int col, int row, bool &canSelect);
    // After the grid drew a cell; the handler may paint over it.
    void OnDrawCell(QPainter *painter, int col, int row, const QRect &rect, TGridDrawState state);
    // The editor opens on a cell; the handler may change the text it starts with.
    void OnGetEditText(int col, int row, QString &value);
    // The editor's text was stored into a cell (after every change).
    void OnSetEditText(int col, int row, const QString &value);
    void OnTopLeftChanged();
    void OnClick();
    void OnDblClick();
    // A refused key was met (the beep itself).
    void Beeped();

protected:
    // The steps a derived grid overrides.
    virtual void SizeChanged(int oldColCount, int oldRowCount);
    virtual void DrawCell(QPainter &p, int col, int row, const QRect &rect, TGridDrawState state);
    virtual QString GetEditText(int col, int row);
    virtual void SetEditText(int col, int row, const QString &value);
    virtual bool CanEditAcceptKey(QChar key) const;
    virtual bool CanEditModify() const;
    virtual bool CanEditShow() const;
    virtual TInplaceEdit *CreateEditor();
    // Grid keys (navigation, F2); true when handled.
    virtual bool KeyDown(QKeyEvent *e);
    // Typed characters on the grid (Enter toggles the editor, others start it).
    virtual void KeyPress(QChar c);
    // Range and page of the scroll bars.
    virtual void UpdateScrollRange();
    // Thumb size for a bar whose position range is 0..127; the base grid's
    // thumb is not proportional.
    virtual int ScrollPageSize(int visible, int scrollable) const;

    // Puts the editor on the current cell with its text (all selected).
    void UpdateEditor();
    void ShowEditorChar(const QString &text);
    void MoveCurrent(int col, int row, bool moveAnchor, bool show);
    void InvalidateCell(int col, int row);
    void InvalidateGrid();
    // Beep for a refused key.
    void Refuse();
    // Whether a cell of this state is painted in the highlight colours.
    bool IsHighlighted(TGridDrawState state) const;

    bool event(QEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void inputMethodEvent(QInputMethodEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void wheelEvent(QWheelEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void Resized(int oldCols, int oldRows);
    int MaxTopRow() const;
    int MaxLeftCol() const;
    int FixedWidth() const;
    int FixedHeight() const;
    int ColX(int col) const;  // left edge, -1 when not shown
    int RowY(int row) const;
    void ClampInView(int col, int row);
    void ScrollAction(Qt::Orientation o, int action);
    void UpdateScrollPos();
    void PlaceEditor();
    int SizingBorderAt(const QPoint &pt, Qt::Orientation &o) const;

    int FColCount = 5;
    int FRowCount = 5;
    int FFixedCols = 1;
    int FFixedRows = 1;
    int FDefaultColWidth = 64;
    int FDefaultRowHeight = 24;
    int FGridLineWidth = 1;
    QVector<int> FColWidths;
    QVector<int> FRowHeights;
    QVector<QStringList> FCells; // [row][col]; the fixed rows only with virtual rows
    CellText FCellText;
    TGridOptions FOptions = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
    TScrollStyle FScrollBars = ssBoth;
    bool FDefaultDrawing = true;
    QColor FColor;
    QColor FFixedColor;
    QPoint FCurrent{1, 1};
    QPoint FAnchor{1, 1};
    QPoint FTopLeft{1, 1};
    bool FEditorMode = false;
    QPointer<TInplaceEdit> FInplaceEdit;
    int FInplaceCol = -1;
    int FInplaceRow = -1;
    bool FSelecting = false;
    int FSizingIndex = -1;
    Qt::Orientation FSizingOrientation = Qt::Horizontal;
    int FSizingStart = 0;
    int FSizingOriginal = 0;
    bool FInSetEditText = false;

    friend class TInplaceEdit;
};
