#include "controls/ime_mode.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodQueryEvent>
#include <QWidget>

namespace {

// Answers "input method enabled?" with no for the widgets it watches. Line
// and text edits answer that question themselves (yes, unless read-only)
// and never look at Qt::WA_InputMethodEnabled, so without this the input
// method stayed on in an amount or date field after the name field.
class InputMethodOff : public QObject {
public:
    static InputMethodOff *instance()
    {
        static InputMethodOff *filter = new InputMethodOff;
        return filter;
    }
    bool eventFilter(QObject *watched, QEvent *e) override
    {
        if (e->type() != QEvent::InputMethodQuery || !watched->isWidgetType())
            return false;
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
};

} // namespace

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
    widget->setAttribute(Qt::WA_InputMethodEnabled, mode != imDisable);
    if (mode == imDisable)
        widget->installEventFilter(InputMethodOff::instance());
    else
        widget->removeEventFilter(InputMethodOff::instance());
    widget->setInputMethodHints(ImeModeHints(mode));
    if (widget->hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImEnabled | Qt::ImHints);
}
