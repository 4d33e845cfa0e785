#pragma once
// Checks of text typed into a control that feeds a record: every character
// must be one CP932 can hold, and the text must fit the record field's bytes.
// A refused text is never stored changed ("?" for a character, or cut).

#include <QString>

namespace textentry {

// The characters of the text that CP932 cannot hold, each once, in order of
// appearance (a character outside the basic plane counts as one).
QString unencodableChars(const QString &text);

// Message refusing the characters of the text CP932 cannot hold, naming the
// field and the characters; empty when every character can be stored.
QString refusalMessage(const QString &field, const QString &text);

// Message refusing a text over maxBytes CP932 bytes, naming the field and its
// limit in full-width and half-width characters; empty when it fits.
QString lengthMessage(const QString &field, const QString &text, int maxBytes);

// Either message, characters first; empty when the text may be stored as it is.
QString entryError(const QString &field, const QString &text, int maxBytes);

// The text with every accented Latin letter that CP932 cannot hold written
// in plain letters (José → Jose, Müller → Muller, François → Francois,
// Straße → Strasse); empty when nothing would change or when some other
// character CP932 cannot hold remains.
QString plainLetters(const QString &text);

// The line added to a refusal that offers the plain letters.
QString plainLettersOffer(const QString &plain);

} // namespace textentry
