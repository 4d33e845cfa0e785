#pragma once
// Print faces and text measurement. Layouts name the Windows Japanese faces;
// they are mapped onto the installed IPA faces so that every glyph of a text
// comes from one Japanese face (left alone, fontconfig mixes in Latin faces).

#include "page_model.h"

#include <QFont>
#include <QSizeF>
#include <QString>

class QPaintDevice;

namespace printing {

inline const QString kPGothic = QStringLiteral("ＭＳ Ｐゴシック");
inline const QString kGothic = QStringLiteral("ＭＳ ゴシック");
inline const QString kMincho = QStringLiteral("ＭＳ 明朝");
inline const QString kPMincho = QStringLiteral("ＭＳ Ｐ明朝");

// The yen sign as printed; the stored texts carry it as a backslash (0x5C).
inline const QString kYen = QStringLiteral("\u00A5");

// Registers the face substitutions; safe to call more than once.
void installFontSubstitutions();

// The face used for a face name of a layout or of the facility settings:
// an installed face is used as it is, a Windows Japanese face is mapped onto
// its IPA counterpart, and an empty or unknown name gets the default
// Japanese face.
QString resolveFace(const QString &name);
QString defaultJapaneseFace();

FontSpec font(const QString &faceName, qreal pointSize, bool bold = false);
QFont qfont(const FontSpec &spec);

// Measures text for print: metrics are taken on a high-resolution printer,
// not the screen, and given in millimetres.
class TextMeasure {
public:
    // device: where the text will be printed; null uses a high-resolution
    // PDF printer, whose metrics match every printer within a hair.
    explicit TextMeasure(QPaintDevice *device = nullptr);
    qreal width(const FontSpec &font, const QString &text) const;
    qreal lineHeight(const FontSpec &font) const;
    // Size of the text as drawn into a box of the given width (0: unbounded),
    // line breaks kept, words wrapped when wrap is set.
    QSizeF size(const FontSpec &font, const QString &text, qreal widthMm, bool wrap) const;
    qreal ascent(const FontSpec &font) const;
    // The text cut to the width with an ellipsis at its end; whole if it fits.
    QString elide(const FontSpec &font, const QString &text, qreal widthMm) const;
    // The lines of the text broken to the width between words: at blanks,
    // before an opening bracket and after a closing one (a bracketed group
    // is one word), after a Japanese comma. Only a word longer than a line
    // breaks inside, between Japanese characters or at blanks within its
    // brackets, and where even that does not do, anywhere. Line breaks kept.
    QStringList wrapLines(const FontSpec &font, const QString &text, qreal widthMm) const;

private:
    QPaintDevice *dev;
    qreal mmPerPxX, mmPerPxY;
};

} // namespace printing
