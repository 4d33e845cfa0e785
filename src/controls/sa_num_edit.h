#pragma once
// TSaNumEdit: the one-line entry field for amounts and rates. It is not a
// text box: the user can only append digits, one decimal point and a sign at
// the end of the value, or take the last character away. The control keeps
// the value as a plain numeric text (Text(), e.g. "-1234.5") and paints it
// formatted (thousands separators, fixed decimals, marks before and after),
// with the caret always at the end of the number. Selection is all or
// nothing.
//
// OnChange() is emitted once for every change made by typing, deleting the
// last character, cutting, pasting or undoing; never by SetText(), Clear(),
// or the clearing of a selected value by Backspace, Delete or the menu.

#include "controls/ime_mode.h"

#include <QColor>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <QMenu>
class QTimer;

class TSaNumEdit : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Text READ Text WRITE SetText USER true)
    Q_PROPERTY(int IntegerLength READ IntegerLength WRITE SetIntegerLength)
    Q_PROPERTY(int DecimalLength READ DecimalLength WRITE SetDecimalLength)
    Q_PROPERTY(bool IntegerFixed READ IntegerFixed WRITE SetIntegerFixed)
    Q_PROPERTY(bool DecimalFixed READ DecimalFixed WRITE SetDecimalFixed)
    Q_PROPERTY(bool Comma READ Comma WRITE SetComma)
    Q_PROPERTY(bool Minus READ Minus WRITE SetMinus)
    Q_PROPERTY(QString LeftMark READ LeftMark WRITE SetLeftMark)
    Q_PROPERTY(QString RightMark READ RightMark WRITE SetRightMark)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(bool ErrorBeep READ ErrorBeep WRITE SetErrorBeep)

public:
    enum TAlignment { taLeftJustify, taRightJustify, taCenter };
    enum TVertAlignment { taTopJustify, taBottomJustify, taVCenter };
    enum TBorderStyle { bsNone, bsSingle };
    enum TSaNumEditOption {
        eoMinusOnly = 0x01,     // a lone "-" survives leaving the control
        eoArrowUp = 0x02,       // Up may move to the previous control (with ArrowFocusMove)
        eoArrowDown = 0x04,     // Down may move to the next control (with ArrowFocusMove)
        eoAutoWidthSize = 0x08, // design-time only: width follows the widest text; kept, no effect
        eoORInputStop = 0x10,   // refuse input whose display text would not fit the drawing width
    };
    Q_DECLARE_FLAGS(TSaNumEditOptions, TSaNumEditOption)
    Q_ENUM(TAlignment)
    Q_ENUM(TVertAlignment)

    // Created 121 x 20 pixels (height then follows the font with AutoSize),
    // I-beam cursor, in the tab order.
    explicit TSaNumEdit(QWidget *parent = nullptr);
    ~TSaNumEdit() override;

    // --- value --------------------------------------------------------------
    // The value text: optional "-", digits, at most one "." and decimals; "" = no value.
    QString Text() const { return FText; }
    QString GetText() const { return FText; }
    // Sets the value by program when it differs: filtered (NumFilter) and
    // stripped of leading zeros (MaeZeroSyori). Keeps the undo text, emits nothing.
    void SetText(const QString &s);
    // The value formatted for painting, marks included; "" when nothing shows.
    QString DisplayText() const;
    // Whether the whole value is selected.
    bool Selected() const { return FSelected; }
    bool CanUndo() const { return FCanUndo; }
    QString UndoText() const { return FUndoText; }

    // --- operations -----------------------------------------------------------
    void Clear();          // save undo, empty the value, unselect; no OnChange
    void ClearSelection(); // Clear when selected
    void SelectAll();
    void ClearSelect();    // unselect
    void Undo();           // exchange value and undo text (a second Undo redoes), select all, OnChange
    void ClearUndo();
    void CopyToClipboard();  // when selected: value text (display text with ImageCopy)
    void CutToClipboard();   // when selected: copy, Clear, OnChange
    void PasteFromClipboard(); // when the clipboard holds text: replace or append, filtered; OnChange

    // Any text to a valid value text under the current settings: full-width
    // digits, minus and full stop narrowed, full-width comma dropped, scan
    // stopped at the first character not allowed, surplus decimals cut, an
    // over-long integer part refused as a whole (empty result).
    QString NumFilter(const QString &s) const;
    // Whether the integer part of s, filtered, is longer than IntegerLength.
    bool IntegerPartTooLong(const QString &s) const;
    QString NumFilterWithin(const QString &s, int integerLength) const;
    // Leading zeros: "007" -> "7", "000" -> "0", ".5" -> "0.5", "-00" -> "-0", "-" stays.
    static QString MaeZeroSyori(const QString &s);

    // --- published properties (defaults in brackets) --------------------------
    int IntegerLength() const { return FIntegerLength; } // [9] most digits before "."
    void SetIntegerLength(int v);                        // negative values refused
    int DecimalLength() const { return FDecimalLength; } // [3] most digits after "."; 0 forbids "."
    void SetDecimalLength(int v);
    bool IntegerFixed() const { return FIntegerFixed; }  // [false] show "0" for an empty integer part
    void SetIntegerFixed(bool v);
    bool DecimalFixed() const { return FDecimalFixed; }  // [false] always DecimalLength decimals
    void SetDecimalFixed(bool v);
    bool Comma() const { return FComma; }                // [true] "," every three integer digits
    void SetComma(bool v);
    bool Minus() const { return FMinus; }                // [true] a leading "-" is allowed
    void SetMinus(bool v);
    QString LeftMark() const { return FLeftMark; }       // [""] drawn before a shown number
    void SetLeftMark(const QString &v);
    QString RightMark() const { return FRightMark; }     // [""] drawn after a shown number
    void SetRightMark(const QString &v);
    TAlignment Alignment() const { return FAlignment; }  // [right]
    void SetAlignment(TAlignment v);
    TVertAlignment VertAlignment() const { return FVertAlignment; } // [taVCenter]
    void SetVertAlignment(TVertAlignment v);
    int LeftMargin() const { return FLeftMargin; }       // [2] pixels free inside the border
    void SetLeftMargin(int v);                           // negative values refused (all four)
    int RightMargin() const { return FRightMargin; }     // [2]
    void SetRightMargin(int v);
    int TopMargin() const { return FTopMargin; }         // [2]
    void SetTopMargin(int v);
    int BottomMargin() const { return FBottomMargin; }   // [2]
    void SetBottomMargin(int v);
    bool AutoSize() const { return FAutoSize; }          // [true] client height = "M" + margins
    void SetAutoSize(bool v);
    bool AutoSelect() const { return FAutoSelect; }      // [true] select all on focus in
    void SetAutoSelect(bool v) { FAutoSelect = v; }
    bool HideSelection() const { return FHideSelection; } // [true] unselect on focus out
    void SetHideSelection(bool v) { FHideSelection = v; }
    bool ReadOnly() const { return FReadOnly; }          // [false] no change from keyboard or menu
    void SetReadOnly(bool v) { FReadOnly = v; }
    bool ErrorBeep() const { return FErrorBeep; }        // [true] beep on a refused key
    void SetErrorBeep(bool v) { FErrorBeep = v; }
    bool ImageCopy() const { return FImageCopy; }        // [false] copy the display text instead
    void SetImageCopy(bool v) { FImageCopy = v; }
    bool EnterFocusMove() const { return FEnterFocusMove; } // [false] Enter moves to the next control
    void SetEnterFocusMove(bool v) { FEnterFocusMove = v; }
    bool ArrowFocusMove() const { return FArrowFocusMove; } // [false] Up/Down move as Options allow
    void SetArrowFocusMove(bool v) { FArrowFocusMove = v; }
    TSaNumEditOptions Options() const { return FOptions; }  // [eoArrowUp | eoArrowDown]
    void SetOptions(TSaNumEditOptions v);
    QColor DisabledColor() const { return FDisabledColor; } // [system grey text] text while disabled
    void SetDisabledColor(const QColor &v);
    QColor Color() const { return FColor; }              // [window colour] background
    void SetColor(const QColor &v);
    TBorderStyle BorderStyle() const { return FBorderStyle; } // [bsSingle]
    void SetBorderStyle(TBorderStyle v);
    bool Ctl3D() const { return FCtl3D; }                // [true] 2-pixel sunken border, else 1 pixel
    void SetCtl3D(bool v);
    bool TabStop() const { return focusPolicy() == Qt::StrongFocus; } // [true]
    void SetTabStop(bool v);
    TImeMode ImeMode() const { return FImeMode; }        // [imDontCare]
    void SetImeMode(TImeMode v);
    // A menu of the window's own instead of the built-in one; null restores it.
    QMenu *PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(QMenu *menu) { FPopupMenu = menu; }

    // The built-in context menu as it would open now (captions and enabled
    // items set); the caller owns it.
    QMenu *CreateContextMenu(QWidget *parent);

    // Geometry of the painted number, in widget coordinates (for tests and
    // for the caret): the number's display text without marks.
    QRect NumberRect() const;
    QRect CaretRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

signals:
    void OnChange();
    // A refused key or menu action was met while ErrorBeep is set (the beep itself).
    void Beeped();

protected:
    bool event(QEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void inputMethodEvent(QInputMethodEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;
    void changeEvent(QEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    // Key-down stage: true when the key was handled there.
    bool KeyDownStage(QKeyEvent *e);
    // Key-press stage: one character.
    void KeyPressStage(QChar c);
    void AddChar(QChar d);
    void AddDot();
    void AddMinus();
    void OneCharDelete();
    void Refuse();
    // Stores a new value after saving the undo text, repaints, emits OnChange.
    void Commit(const QString &value);
    // True when the display text of the value fits the drawing width (eoORInputStop).
    bool FitsWidth(const QString &value) const;
    QString CreateDrawString2(const QString &value) const; // number only
    QString CreateDrawString(const QString &value) const;  // with marks
    QString MaxTextStr() const;
    int BorderWidth() const;
    QRect ClientRect() const;
    int TextHeight() const;
    void AdjustHeight();
    void StartCaret();
    void Changed(); // repaint and caret after a value or setting change

    QString FText;
    QString FUndoText;
    bool FCanUndo = false;
    bool FSelected = false;

    int FIntegerLength = 9;
    int FDecimalLength = 3;
    bool FIntegerFixed = false;
    bool FDecimalFixed = false;
    bool FComma = true;
    bool FMinus = true;
    QString FLeftMark;
    QString FRightMark;
    TAlignment FAlignment = taRightJustify;
    TVertAlignment FVertAlignment = taVCenter;
    int FLeftMargin = 2;
    int FRightMargin = 2;
    int FTopMargin = 2;
    int FBottomMargin = 2;
    bool FAutoSize = true;
    bool FAutoSelect = true;
    bool FHideSelection = true;
    bool FReadOnly = false;
    bool FErrorBeep = true;
    bool FImageCopy = false;
    bool FEnterFocusMove = false;
    bool FArrowFocusMove = false;
    TSaNumEditOptions FOptions = TSaNumEditOptions(eoArrowUp | eoArrowDown);
    QColor FDisabledColor;
    QColor FColor;
    TBorderStyle FBorderStyle = bsSingle;
    bool FCtl3D = true;
    TImeMode FImeMode = imDontCare;
    QPointer<QMenu> FPopupMenu;

    QTimer *FCaretTimer = nullptr;
    bool FCaretOn = false;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TSaNumEdit::TSaNumEditOptions)
