#pragma once
// Input-method modes of Japanese text entry, as the windows name them, and
// how they map onto Qt's input-method switch and hints.

#include <QString>
#include <Qt>

class QAbstractItemView;
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

// Whether a mode types narrow text directly, with the input method switched
// off while the field has focus: no input method, closed, narrow alphanumerics.
bool ImeModeOff(TImeMode mode);
// The Qt hints that stand for a mode; the switch itself is carried by the
// input-method query (see ApplyImeMode).
Qt::InputMethodHints ImeModeHints(TImeMode mode);
// Switches the input method of the widget on or off and sets its hints. A
// widget switched off also takes whatever an input method or a wide keyboard
// still delivers in its narrow form (NarrowTyped).
void ApplyImeMode(QWidget *widget, TImeMode mode);
// ApplyImeMode for a table view and every editor it opens on its cells.
void ApplyImeModeToCells(QAbstractItemView *view, TImeMode mode);
// What a Japanese input method commits for narrow text, as that text:
// full-width letters, digits and signs narrowed, 「・」 read as "/",
// 「ー」 and other dashes as "-", the ideographic space as a space.
QString NarrowTyped(const QString &text);
