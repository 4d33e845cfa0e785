#pragma once
// Input-method modes of Japanese text entry, as the windows name them, and
// how they map onto Qt's input-method switch and hints.

#include <Qt>

class QWidget;

enum TImeMode {
    imDisable,  // no input method at all
    imClose,    // input method present but closed (direct narrow input)
    imOpen,     // input method open
    imDontCare, // whatever the user had
    imSAlpha,   // narrow alphanumerics
    imAlpha,    // wide alphanumerics
    imHira,     // hiragana
    imSKata,    // narrow katakana
    imKata,     // wide katakana
};

// The Qt hints that stand for a mode; imDisable is carried by
// Qt::WA_InputMethodEnabled instead.
Qt::InputMethodHints ImeModeHints(TImeMode mode);
// Switches the input method of the widget on or off and sets its hints.
void ApplyImeMode(QWidget *widget, TImeMode mode);
