#include "controls/sa_num_edit.h"

#include "storage/cp932.h"

#include <limits>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <qdrawutil.h>

namespace {

// Parts of a value text (TextEncode / TextDecode).
struct NumParts {
    QString sign;
    QString integer;
    QString dot;
    QString decimals;

    static NumParts of(const QString &value)
    {
        NumParts p;
        QString rest = value;
        if (rest.startsWith(QLatin1Char('-'))) {
            p.sign = QStringLiteral("-");
            rest.remove(0, 1);
        }
        const qsizetype dot = rest.indexOf(QLatin1Char('.'));
        if (dot < 0) {
            p.integer = rest;
        } else {
            p.integer = rest.left(dot);
            p.dot = QStringLiteral(".");
            p.decimals = rest.mid(dot + 1);
        }
        return p;
    }
    QString joined() const { return sign + integer + dot + decimals; }
};

// "1234567" -> "1,234,567".
QString InsertComma(const QString &digits)
{
    QString out;
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out.append(QLatin1Char(','));
        out.append(digits.at(i));
    }
    return out;
}

// What an input method or a wide keyboard delivers, in its narrow form:
// full-width digits, minus and full stop, 「ー」 as minus; everything else unchanged.
QChar NarrowChar(QChar c) { return NarrowTyped(QString(c)).at(0); }

bool IsDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

} // namespace

TSaNumEdit::TSaNumEdit(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_InputMethodEnabled, true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::IBeamCursor);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    FColor = palette().color(QPalette::Base);
    FDisabledColor = palette().color(QPalette::Disabled, QPalette::Text);
    FCaretTimer = new QTimer(this);
    connect(FCaretTimer, &QTimer::timeout, this, [this] {
        FCaretOn = !FCaretOn;
        update(CaretRect());
    });
    resize(121, 20);
    AdjustHeight();
}

TSaNumEdit::~TSaNumEdit() = default;

// --- value ---------------------------------------------------------------------

bool TSaNumEdit::IntegerPartTooLong(const QString &s) const
{
    return NumParts::of(NumFilterWithin(s, std::numeric_limits<int>::max())).integer.size() > FIntegerLength;
}

QString TSaNumEdit::NumFilter(const QString &s) const
{
    return NumFilterWithin(s, FIntegerLength);
}

QString TSaNumEdit::NumFilterWithin(const QString &s, int integerLength) const
{
    // The Shift-JIS bytes are scanned so that any double-byte character other
    // than the narrowed ones (a kanji, a full-width letter) ends the text.
    QString u = s;
    u.replace(QChar(0x2212), QChar(0xFF0D));
    const QByteArray b = cp932::encode(u);
    QString narrow;
    for (qsizetype i = 0; i < b.size();) {
        const unsigned char c = static_cast<unsigned char>(b.at(i));
        if (!cp932::isLeadByte(c)) {
            narrow.append(QLatin1Char(char(c)));
            ++i;
            continue;
        }
        if (i + 1 >= b.size())
            break;
        const int code = (c << 8) | static_cast<unsigned char>(b.at(i + 1));
        if (code >= 0x824F && code <= 0x8258)
            narrow.append(QLatin1Char(char('0' + (code - 0x824F))));
        else if (code == 0x817C)
            narrow.append(QLatin1Char('-'));
        else if (code == 0x8144)
            narrow.append(QLatin1Char('.'));
        else if (code != 0x8143)
            break;
        i += 2;
    }

    QString out;
    bool dot = false;
    for (qsizetype i = 0; i < narrow.size(); ++i) {
        const QChar c = narrow.at(i);
        if (IsDigit(c))
            out.append(c);
        else if (c == QLatin1Char(','))
            continue;
        else if (c == QLatin1Char('.') && FDecimalLength != 0 && !dot) {
            out.append(c);
            dot = true;
        } else if (c == QLatin1Char('-') && i == 0 && FMinus)
            out.append(c);
        else
            break;
    }

    NumParts p = NumParts::of(out);
    if (p.decimals.size() > FDecimalLength)
        p.decimals.truncate(FDecimalLength);
    if (p.integer.size() > integerLength)
        return QString();
    return p.joined();
}

QString TSaNumEdit::MaeZeroSyori(const QString &s)
{
    QString sign;
    QString rest = s;
    if (rest.startsWith(QLatin1Char('-'))) {
        sign = QStringLiteral("-");
        rest.remove(0, 1);
    }
    qsizetype zeros = 0;
    while (zeros < rest.size() && rest.at(zeros) == QLatin1Char('0'))
        ++zeros;
    rest.remove(0, zeros);
    if (rest.isEmpty() && zeros > 0)
        rest = QStringLiteral("0");
    if (rest.startsWith(QLatin1Char('.')))
        rest.prepend(QLatin1Char('0'));
    return sign + rest;
}

void TSaNumEdit::SetText(const QString &s)
{
    if (s == FText)
        return;
    FText = MaeZeroSyori(NumFilter(s));
    Changed();
}

QString TSaNumEdit::CreateDrawString2(const QString &value) const
{
    NumParts p = NumParts::of(value);
    if (FComma)
        p.integer = InsertComma(p.integer);
    if (FDecimalFixed) {
        p.decimals = (p.decimals + QString(FDecimalLength, QLatin1Char('0'))).left(FDecimalLength);
        p.dot = FDecimalLength > 0 ? QStringLiteral(".") : QString();
    }
    if ((FIntegerFixed || FDecimalFixed) && p.integer.isEmpty())
        p.integer = QStringLiteral("0");
    return p.joined();
}

QString TSaNumEdit::CreateDrawString(const QString &value) const
{
    const QString s = CreateDrawString2(value);
    return s.isEmpty() ? s : FLeftMark + s + FRightMark;
}

QString TSaNumEdit::DisplayText() const { return CreateDrawString(FText); }

QString TSaNumEdit::MaxTextStr() const
{
    NumParts p = NumParts::of(FText);
    if (FIntegerFixed) {
        p.sign = FMinus ? QStringLiteral("-") : QString();
        p.integer = QString(FIntegerLength, QLatin1Char('0'));
    }
    if (FDecimalFixed) {
        p.dot = FDecimalLength > 0 ? QStringLiteral(".") : QString();
        p.decimals = QString(FDecimalLength, QLatin1Char('0'));
    }
    if (FComma)
        p.integer = InsertComma(p.integer);
    if ((FIntegerFixed || FDecimalFixed) && p.integer.isEmpty())
        p.integer = QStringLiteral("0");
    return p.joined();
}

// --- operations ----------------------------------------------------------------

void TSaNumEdit::Commit(const QString &value)
{
    FUndoText = FText;
    FCanUndo = true;
    FText = value;
    Changed();
    emit OnChange();
}

void TSaNumEdit::Clear()
{
    FUndoText = FText;
    FCanUndo = true;
    FText.clear();
    FSelected = false;
    Changed();
}

void TSaNumEdit::ClearSelection()
{
    if (FSelected)
        Clear();
}

void TSaNumEdit::SelectAll()
{
    if (!FSelected) {
        FSelected = true;
        update();
    }
}

void TSaNumEdit::ClearSelect()
{
    if (FSelected) {
        FSelected = false;
        update();
    }
}

void TSaNumEdit::Undo()
{
    if (!FCanUndo)
        return;
    std::swap(FText, FUndoText);
    FSelected = true;
    Changed();
    emit OnChange();
}

void TSaNumEdit::ClearUndo()
{
    FUndoText.clear();
    FCanUndo = false;
}

void TSaNumEdit::CopyToClipboard()
{
    if (FSelected)
        QGuiApplication::clipboard()->setText(FImageCopy ? DisplayText() : FText);
}

void TSaNumEdit::CutToClipboard()
{
    if (!FSelected)
        return;
    CopyToClipboard();
    Clear();
    emit OnChange();
}

void TSaNumEdit::PasteFromClipboard()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasText())
        return;
    const QString clip = data->text();
    // A paste whose integer part is too long for the field is refused as a
    // whole: the value the user typed stays, instead of being emptied.
    const QString source = FSelected ? clip : FText + clip;
    if (NumFilter(source).isEmpty() && IntegerPartTooLong(source))
        return Refuse();
    FUndoText = FText;
    FCanUndo = true;
    FText = MaeZeroSyori(NumFilter(FSelected ? clip : FText + clip));
    FSelected = false;
    Changed();
    emit OnChange();
}

void TSaNumEdit::Refuse()
{
    if (!FErrorBeep)
        return;
    QApplication::beep();
    emit Beeped();
}

bool TSaNumEdit::FitsWidth(const QString &value) const
{
    if (!FOptions.testFlag(eoORInputStop))
        return true;
    const int border = FCtl3D ? 2 : 1;
    const int drawWidth = ClientRect().width() - FLeftMargin - FRightMargin - 2 * border;
    return fontMetrics().horizontalAdvance(CreateDrawString(value)) <= drawWidth;
}

void TSaNumEdit::AddChar(QChar d)
{
    if (FSelected)
        Clear();
    const NumParts p = NumParts::of(FText);
    const qsizetype intDigits = p.integer.size();
    const qsizetype decimals = p.decimals.size();
    const bool hasDot = !p.dot.isEmpty();
    const bool accepted = (FDecimalLength == 0 && intDigits < FIntegerLength)
        || (hasDot && decimals < FDecimalLength) || (!hasDot && intDigits < FIntegerLength);
    if (!accepted)
        return Refuse();
    const QString value = MaeZeroSyori(FText + d);
    if (!FitsWidth(value))
        return Refuse();
    Commit(value);
}

void TSaNumEdit::AddDot()
{
    if (FDecimalLength == 0 || FText.contains(QLatin1Char('.')))
        return Refuse();
    if (FSelected)
        Clear();
    const QString value = MaeZeroSyori(FText + QLatin1Char('.'));
    if (!FitsWidth(value))
        return Refuse();
    Commit(value);
}

void TSaNumEdit::AddMinus()
{
    if (!FMinus)
        return Refuse();
    if (FSelected)
        Clear();
    if (FText.startsWith(QLatin1Char('-')))
        return Commit(FText.mid(1));
    const QString value = QLatin1Char('-') + FText;
    if (!FitsWidth(value))
        return Refuse();
    Commit(value);
}

void TSaNumEdit::OneCharDelete()
{
    if (FText.isEmpty())
        return;
    if (FSelected)
        return Clear();
    QString value = FText;
    value.chop(1);
    if (value.endsWith(QLatin1Char('.')))
        value.chop(1);
    Commit(value);
}

// --- properties ----------------------------------------------------------------

void TSaNumEdit::SetIntegerLength(int v)
{
    if (v < 0 || v == FIntegerLength)
        return;
    FIntegerLength = v;
    Changed();
}

void TSaNumEdit::SetDecimalLength(int v)
{
    if (v < 0 || v == FDecimalLength)
        return;
    FDecimalLength = v;
    Changed();
}

void TSaNumEdit::SetIntegerFixed(bool v)
{
    FIntegerFixed = v;
    Changed();
}

void TSaNumEdit::SetDecimalFixed(bool v)
{
    FDecimalFixed = v;
    Changed();
}

void TSaNumEdit::SetComma(bool v)
{
    FComma = v;
    Changed();
}

void TSaNumEdit::SetMinus(bool v)
{
    FMinus = v;
    Changed();
}

void TSaNumEdit::SetLeftMark(const QString &v)
{
    FLeftMark = v;
    Changed();
}

void TSaNumEdit::SetRightMark(const QString &v)
{
    FRightMark = v;
    Changed();
}

void TSaNumEdit::SetAlignment(TAlignment v)
{
    FAlignment = v;
    Changed();
}

void TSaNumEdit::SetVertAlignment(TVertAlignment v)
{
    FVertAlignment = v;
    Changed();
}

void TSaNumEdit::SetLeftMargin(int v)
{
    if (v < 0)
        return;
    FLeftMargin = v;
    Changed();
}

void TSaNumEdit::SetRightMargin(int v)
{
    if (v < 0)
        return;
    FRightMargin = v;
    Changed();
}

void TSaNumEdit::SetTopMargin(int v)
{
    if (v < 0)
        return;
    FTopMargin = v;
    AdjustHeight();
    Changed();
}

void TSaNumEdit::SetBottomMargin(int v)
{
    if (v < 0)
        return;
    FBottomMargin = v;
    AdjustHeight();
    Changed();
}

void TSaNumEdit::SetAutoSize(bool v)
{
    FAutoSize = v;
    setSizePolicy(QSizePolicy::Preferred, v ? QSizePolicy::Fixed : QSizePolicy::Preferred);
    AdjustHeight();
}

void TSaNumEdit::SetOptions(TSaNumEditOptions v) { FOptions = v; }

void TSaNumEdit::SetDisabledColor(const QColor &v)
{
    FDisabledColor = v;
    update();
}

void TSaNumEdit::SetColor(const QColor &v)
{
    FColor = v;
    update();
}

void TSaNumEdit::SetBorderStyle(TBorderStyle v)
{
    FBorderStyle = v;
    AdjustHeight();
    Changed();
}

void TSaNumEdit::SetCtl3D(bool v)
{
    FCtl3D = v;
    AdjustHeight();
    Changed();
}

void TSaNumEdit::SetTabStop(bool v) { setFocusPolicy(v ? Qt::StrongFocus : Qt::ClickFocus); }

void TSaNumEdit::SetImeMode(TImeMode v)
{
    FImeMode = v;
    ApplyImeMode(this, v);
}

// --- geometry and painting -----------------------------------------------------

int TSaNumEdit::BorderWidth() const
{
    if (FBorderStyle == bsNone)
        return 0;
    return FCtl3D ? 2 : 1;
}

QRect TSaNumEdit::ClientRect() const
{
    const int b = BorderWidth();
    return rect().adjusted(b, b, -b, -b);
}

int TSaNumEdit::TextHeight() const { return fontMetrics().height(); }

void TSaNumEdit::AdjustHeight()
{
    if (!FAutoSize)
        return;
    const int h = TextHeight() + FTopMargin + FBottomMargin + 2 * BorderWidth();
    if (height() != h)
        resize(width(), h);
    updateGeometry();
}

QSize TSaNumEdit::sizeHint() const
{
    const int h = FAutoSize ? TextHeight() + FTopMargin + FBottomMargin + 2 * BorderWidth() : 20;
    return QSize(121, h);
}

QSize TSaNumEdit::minimumSizeHint() const
{
    return QSize(FLeftMargin + FRightMargin + 2 * BorderWidth() + 8,
                 TextHeight() + 2 * BorderWidth());
}

// Layout of the painted line, in client coordinates:
//
//   | LM | left mark | box of width W (number right-aligned in it) | right mark | RM |
//
// With right alignment the box ends RightMargin + 1 + R before the client's
// right edge; with left alignment it starts after LeftMargin + L.
namespace {
struct LineLayout {
    int x = 0;    // left edge of the number
    int y = 0;    // top of the line
    int t = 0;    // width of the number
    int w = 0;    // width of the widest-text box
    int l = 0;    // width of the left mark
    int r = 0;    // width of the right mark
    int h = 0;    // line height
};
} // namespace

static LineLayout layoutOf(const TSaNumEdit &e, const QRect &client, const QString &number,
                           const QString &widest, const QFontMetrics &fm)
{
    LineLayout g;
    g.h = fm.height();
    g.t = fm.horizontalAdvance(number);
    g.w = std::max(fm.horizontalAdvance(widest), g.t);
    const bool marks = !e.Text().isEmpty() || e.IntegerFixed() || e.DecimalFixed();
    g.l = marks ? fm.horizontalAdvance(e.LeftMark()) : 0;
    g.r = marks ? fm.horizontalAdvance(e.RightMark()) : 0;
    const int cw = client.width();
    const int ch = client.height();
    switch (e.Alignment()) {
    case TSaNumEdit::taRightJustify:
        g.x = cw - g.r - e.RightMargin() - 1 - g.t;
        break;
    case TSaNumEdit::taLeftJustify:
        g.x = e.LeftMargin() + g.l + g.w - g.t;
        break;
    case TSaNumEdit::taCenter:
        g.x = (cw - e.LeftMargin() - e.RightMargin()) / 2 + e.LeftMargin() + g.l + g.w
            - (g.l + g.w + g.r) / 2 - g.t;
        break;
    }
    switch (e.VertAlignment()) {
    case TSaNumEdit::taTopJustify:
        g.y = e.TopMargin();
        break;
    case TSaNumEdit::taBottomJustify:
        g.y = ch - g.h - e.BottomMargin();
        break;
    case TSaNumEdit::taVCenter:
        g.y = (ch - g.h - e.TopMargin() - e.BottomMargin()) / 2 + e.TopMargin();
        break;
    }
    g.x += client.left();
    g.y += client.top();
    return g;
}

QRect TSaNumEdit::NumberRect() const
{
    const LineLayout g = layoutOf(*this, ClientRect(), CreateDrawString2(FText), MaxTextStr(), fontMetrics());
    return QRect(g.x, g.y, g.t, g.h);
}

QRect TSaNumEdit::CaretRect() const
{
    const QRect n = NumberRect();
    return QRect(n.right() + 1, n.top(), font().bold() ? 2 : 1, n.height());
}

void TSaNumEdit::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (FBorderStyle == bsSingle) {
        if (FCtl3D)
            qDrawWinPanel(&p, rect(), palette(), true);
        else {
            p.setPen(palette().color(QPalette::WindowText));
            p.drawRect(rect().adjusted(0, 0, -1, -1));
        }
    }
    const QRect client = ClientRect();
    p.fillRect(client, FColor);
    p.setClipRect(client);
    p.setFont(font());

    const QString number = CreateDrawString2(FText);
    const QFontMetrics fm = fontMetrics();
    const LineLayout g = layoutOf(*this, client, number, MaxTextStr(), fm);
    const int boxLeft = g.x + g.t - g.w;
    QColor textColor = isEnabled() ? palette().color(QPalette::Text) : FDisabledColor;
    if (FSelected && !number.isEmpty()) {
        p.fillRect(QRect(boxLeft - g.l, g.y, g.l + g.w + g.r, g.h), palette().color(QPalette::Highlight));
        textColor = palette().color(QPalette::HighlightedText);
    }
    p.setPen(textColor);
    if (!number.isEmpty()) {
        const int base = g.y + fm.ascent();
        p.drawText(QPoint(boxLeft - g.l, base), FLeftMark);
        p.drawText(QPoint(g.x, base), number);
        p.drawText(QPoint(g.x + g.t, base), FRightMark);
    }
    if (hasFocus() && FCaretOn)
        p.fillRect(QRect(g.x + g.t, g.y, font().bold() ? 2 : 1, g.h), palette().color(QPalette::Text));
}

void TSaNumEdit::Changed()
{
    update();
    if (hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle | Qt::ImSurroundingText);
}

void TSaNumEdit::StartCaret()
{
    FCaretOn = true;
    const int flash = QApplication::cursorFlashTime();
    if (flash > 0)
        FCaretTimer->start(flash / 2);
    update();
}

// --- keyboard --------------------------------------------------------------------

bool TSaNumEdit::event(QEvent *e)
{
    if (e->type() == QEvent::ShortcutOverride) {
        // Keys this control handles itself win over window shortcuts.
        auto *k = static_cast<QKeyEvent *>(e);
        const auto mods = k->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        if (mods == Qt::ControlModifier
            && (k->key() == Qt::Key_A || k->key() == Qt::Key_C || k->key() == Qt::Key_V || k->key() == Qt::Key_X)) {
            e->accept();
            return true;
        }
        if ((mods == Qt::NoModifier || mods == Qt::ShiftModifier)
            && (k->key() == Qt::Key_Backspace || k->key() == Qt::Key_Delete || k->key() == Qt::Key_Left
                || k->key() == Qt::Key_Right || k->key() == Qt::Key_Home || k->key() == Qt::Key_End
                || (!k->text().isEmpty() && k->text().at(0).isPrint()))) {
            e->accept();
            return true;
        }
    }
    return QWidget::event(e);
}

bool TSaNumEdit::KeyDownStage(QKeyEvent *e)
{
    const auto mods = e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const int key = e->key();
    if (mods == Qt::ShiftModifier) {
        if (key == Qt::Key_Left || key == Qt::Key_Right) {
            SelectAll();
            return true;
        }
    } else if (mods == Qt::ControlModifier) {
        switch (key) {
        case Qt::Key_A:
            SelectAll();
            return true;
        case Qt::Key_C:
            CopyToClipboard();
            return true;
        case Qt::Key_V:
            if (!FReadOnly)
                PasteFromClipboard();
            return true;
        case Qt::Key_X:
            if (!FReadOnly)
                CutToClipboard();
            return true;
        default:
            break;
        }
    } else if (mods == Qt::NoModifier) {
        switch (key) {
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_End:
        case Qt::Key_Home:
        case Qt::Key_Left:
        case Qt::Key_Right:
            ClearSelect();
            return true;
        case Qt::Key_Up:
            ClearSelect();
            if (FArrowFocusMove && FOptions.testFlag(eoArrowUp))
                focusNextPrevChild(false);
            return true;
        case Qt::Key_Down:
            ClearSelect();
            if (FArrowFocusMove && FOptions.testFlag(eoArrowDown))
                focusNextPrevChild(true);
            return true;
        case Qt::Key_Backspace:
        case Qt::Key_Delete:
            if (!FReadOnly)
                OneCharDelete();
            return true;
        default:
            break;
        }
    }
    return false;
}

void TSaNumEdit::KeyPressStage(QChar c)
{
    if (FReadOnly)
        return;
    switch (c.unicode()) {
    case 0x01: // Ctrl+A
    case 0x03: // Ctrl+C
    case 0x08: // Backspace
    case 0x16: // Ctrl+V
    case 0x18: // Ctrl+X
        return;
    case 0x0D:
        if (FEnterFocusMove)
            focusNextPrevChild(true);
        else
            Refuse();
        return;
    default:
        break;
    }
    c = NarrowChar(c);
    if (c == QLatin1Char('-'))
        AddMinus();
    else if (c == QLatin1Char('.'))
        AddDot();
    else if (IsDigit(c))
        AddChar(c);
    else
        Refuse();
}

void TSaNumEdit::keyPressEvent(QKeyEvent *e)
{
    const auto mods = e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (mods & (Qt::AltModifier | Qt::MetaModifier)) {
        // Menu accelerators and system keys are the window's.
        e->ignore();
        return;
    }
    KeyDownStage(e);
    // The character a key produces, as the platform would deliver it: Ctrl
    // with a letter gives its control code, Ctrl with anything else nothing;
    // keys without text (arrows, Delete, function keys) give none either.
    QString chars;
    if (mods & Qt::ControlModifier) {
        if (e->key() >= Qt::Key_A && e->key() <= Qt::Key_Z)
            chars = QChar(char16_t(e->key() - Qt::Key_A + 1));
    } else if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        chars = QStringLiteral("\r");
    } else if (e->key() == Qt::Key_Backspace) {
        chars = QStringLiteral("\b");
    } else if (e->key() != Qt::Key_Delete) {
        chars = e->text();
    }
    for (QChar c : std::as_const(chars))
        KeyPressStage(c);
    e->accept();
}

void TSaNumEdit::inputMethodEvent(QInputMethodEvent *e)
{
    const QString commit = e->commitString();
    for (QChar c : commit)
        KeyPressStage(NarrowChar(c));
    e->accept();
}

QVariant TSaNumEdit::inputMethodQuery(Qt::InputMethodQuery query) const
{
    switch (query) {
    case Qt::ImEnabled:
        return !ImeModeOff(FImeMode);
    case Qt::ImCursorRectangle:
        return CaretRect();
    case Qt::ImHints:
        return int(inputMethodHints());
    case Qt::ImSurroundingText:
        return FText;
    case Qt::ImCurrentSelection:
        return FSelected ? FText : QString();
    case Qt::ImCursorPosition:
    case Qt::ImAnchorPosition:
        return int(FText.size());
    default:
        return QWidget::inputMethodQuery(query);
    }
}

// --- focus and mouse -------------------------------------------------------------

void TSaNumEdit::focusInEvent(QFocusEvent *e)
{
    // Coming back from the context menu is not entering the control.
    if (e->reason() != Qt::PopupFocusReason && FAutoSelect)
        SelectAll();
    StartCaret();
    QWidget::focusInEvent(e);
}

void TSaNumEdit::focusOutEvent(QFocusEvent *e)
{
    FCaretTimer->stop();
    FCaretOn = false;
    if (e->reason() != Qt::PopupFocusReason) {
        if (FText == QLatin1String("-") && !FOptions.testFlag(eoMinusOnly))
            FText.clear();
        if (FHideSelection)
            FSelected = false;
    }
    update();
    QWidget::focusOutEvent(e);
}

void TSaNumEdit::mousePressEvent(QMouseEvent *e)
{
    if (!hasFocus())
        setFocus(Qt::MouseFocusReason);
    if (e->button() == Qt::LeftButton)
        ClearSelect();
    e->accept();
}

void TSaNumEdit::mouseDoubleClickEvent(QMouseEvent *e)
{
    if (!hasFocus())
        setFocus(Qt::MouseFocusReason);
    if (e->button() == Qt::LeftButton)
        SelectAll();
    e->accept();
}

void TSaNumEdit::mouseMoveEvent(QMouseEvent *e)
{
    if (!(e->buttons() & Qt::LeftButton))
        return;
    const LineLayout g = layoutOf(*this, ClientRect(), CreateDrawString2(FText), MaxTextStr(), fontMetrics());
    const int left = g.x + g.t - g.w - g.l;
    const int right = g.x + g.t + g.r;
    const int x = int(e->position().x());
    if (!FText.isEmpty() && x >= left && x < right)
        SelectAll();
}

QMenu *TSaNumEdit::CreateContextMenu(QWidget *parent)
{
    auto *menu = new QMenu(parent);
    const bool clipText = QGuiApplication::clipboard()->mimeData()
        && QGuiApplication::clipboard()->mimeData()->hasText();
    QAction *a = menu->addAction(QStringLiteral("元に戻す(&U)"), this, &TSaNumEdit::Undo);
    a->setEnabled(FCanUndo && !FReadOnly);
    menu->addSeparator();
    a = menu->addAction(QStringLiteral("切り取り(&T)"), this, &TSaNumEdit::CutToClipboard);
    a->setEnabled(FSelected && !FReadOnly);
    a = menu->addAction(QStringLiteral("コピー(&C)"), this, &TSaNumEdit::CopyToClipboard);
    a->setEnabled(FSelected);
    a = menu->addAction(QStringLiteral("貼り付け(&P)"), this, &TSaNumEdit::PasteFromClipboard);
    a->setEnabled(clipText && !FReadOnly);
    a = menu->addAction(QStringLiteral("削除(&D)"), this, &TSaNumEdit::ClearSelection);
    a->setEnabled(FSelected && !FReadOnly);
    menu->addSeparator();
    a = menu->addAction(QStringLiteral("すべて選択(&A)"), this, &TSaNumEdit::SelectAll);
    a->setEnabled(!FText.isEmpty() && !FSelected);
    return menu;
}

void TSaNumEdit::contextMenuEvent(QContextMenuEvent *e)
{
    if (!hasFocus())
        setFocus(Qt::MouseFocusReason);
    if (FPopupMenu) {
        FPopupMenu->popup(e->globalPos());
    } else {
        QMenu *menu = CreateContextMenu(this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(e->globalPos());
    }
    e->accept();
}

void TSaNumEdit::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::FontChange)
        AdjustHeight();
    if (e->type() == QEvent::EnabledChange || e->type() == QEvent::FontChange)
        update();
    QWidget::changeEvent(e);
}

void TSaNumEdit::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    update();
}
