#include "controls/ime_mode.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QInputMethodQueryEvent>
#include <QKeyEvent>
#include <QStyledItemDelegate>
#include <QWidget>

namespace {

// Answers "input method enabled?" with no for the widgets it watches. Line
// and text edits answer that question themselves (yes, unless read-only)
// and never look at Qt::WA_InputMethodEnabled, so without this the input
// method stayed on in an amount or date field after the name field. What
// still arrives wide (a commit made before the switch, a wide keyboard) is
// narrowed on its way in.
class InputMethodOff : public QObject {
public:
    static InputMethodOff *instance()
    {
        static InputMethodOff *filter = new InputMethodOff;
        return filter;
    }
    bool eventFilter(QObject *watched, QEvent *e) override
    {
        if (!watched->isWidgetType())
            return false;
        switch (e->type()) {
        case QEvent::InputMethodQuery: {
            auto *widget = static_cast<QWidget *>(watched);
            auto *query = static_cast<QInputMethodQueryEvent *>(e);
            for (int bit = 0; bit < 32; ++bit) {
                const auto one = Qt::InputMethodQuery(int(query->queries() & (1u << bit)));
                if (one)
                    query->setValue(one, one == Qt::ImEnabled ? QVariant(false) : widget->inputMethodQuery(one));
            }
            query->accept();
            return true;
        }
        case QEvent::InputMethod: {
            auto *im = static_cast<QInputMethodEvent *>(e);
            const QString narrow = NarrowTyped(im->commitString());
            if (narrow != im->commitString())
                im->setCommitString(narrow, im->replacementStart(), im->replacementLength());
            return false;
        }
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            auto *key = static_cast<QKeyEvent *>(e);
            const QString narrow = NarrowTyped(key->text());
            if (narrow == key->text())
                return false;
            QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->nativeScanCode(),
                           key->nativeVirtualKey(), key->nativeModifiers(), narrow, key->isAutoRepeat(),
                           quint16(key->count()));
            QCoreApplication::sendEvent(watched, &copy);
            key->setAccepted(copy.isAccepted());
            return true;
        }
        default:
            return false;
        }
    }
};

// Gives every editor of a view's cells the view's input-method mode.
class ImeModeDelegate : public QStyledItemDelegate {
public:
    ImeModeDelegate(TImeMode mode, QObject *parent) : QStyledItemDelegate(parent), FMode(mode) {}
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QWidget *w = QStyledItemDelegate::createEditor(parent, option, index);
        if (w)
            ApplyImeMode(w, FMode);
        return w;
    }

private:
    TImeMode FMode;
};

} // namespace

bool ImeModeOff(TImeMode mode) { return mode == imDisable || mode == imClose || mode == imSAlpha; }

Qt::InputMethodHints ImeModeHints(TImeMode mode)
{
    switch (mode) {
    case imDisable:
    case imClose:
    case imSAlpha:
        return Qt::ImhPreferLatin | Qt::ImhNoPredictiveText;
    case imAlpha:
        return Qt::ImhPreferLatin;
    case imHira:
    case imKata:
    case imSKata:
    case imOpen:
        return Qt::ImhNone;
    case imDontCare:
        break;
    }
    return Qt::ImhNone;
}

void ApplyImeMode(QWidget *widget, TImeMode mode)
{
    const bool off = ImeModeOff(mode);
    widget->setAttribute(Qt::WA_InputMethodEnabled, !off);
    widget->removeEventFilter(InputMethodOff::instance());
    if (off)
        widget->installEventFilter(InputMethodOff::instance());
    widget->setInputMethodHints(ImeModeHints(mode));
    if (widget->hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImEnabled | Qt::ImHints);
}

void ApplyImeModeToCells(QAbstractItemView *view, TImeMode mode)
{
    ApplyImeMode(view, mode);
    view->setItemDelegate(new ImeModeDelegate(mode, view));
}

QString NarrowTyped(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        const char16_t u = c.unicode();
        if (u >= 0xFF01 && u <= 0xFF5E) // full-width ASCII
            c = QChar(char16_t(u - 0xFF01 + 0x21));
        else if (u == 0x30FB || u == 0xFF65) // katakana middle dot, wide and narrow
            c = QLatin1Char('/');
        else if (u == 0x30FC || u == 0xFF70 || u == 0x2212 || (u >= 0x2010 && u <= 0x2015))
            c = QLatin1Char('-'); // prolonged sound mark, minus sign, dashes
        else if (u == 0x3000)
            c = QLatin1Char(' ');
        else if (u == 0x3002 || u == 0xFF61) // ideographic full stop
            c = QLatin1Char('.');
        else if (u == 0x3001 || u == 0xFF64) // ideographic comma
            c = QLatin1Char(',');
    }
    return out;
}
