#include "controls/ime_mode.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QWidget>

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
    widget->setInputMethodHints(ImeModeHints(mode));
    if (widget->hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImEnabled | Qt::ImHints);
}
