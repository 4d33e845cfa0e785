#pragma once
// Keeps a one-line text box that feeds a record to what the record can hold:
// a change (typed, pasted or committed by the input method) that brings in a
// character CP932 cannot hold, or goes over the field's byte limit, is taken
// back at once and the user is told why, naming the characters.

#include <QString>
#include <functional>

class QLineEdit;
class QWidget;

// field names the box in the message ("名前", "プラン", ...).
void GuardTextEntry(QLineEdit *edit, const QString &field, int maxBytes);

// Tells the user that text is refused (refusal: the message). When accented
// Latin letters are its only fault and the text in plain letters passes
// check (which returns the refusal of a text, empty when it may be stored),
// the message offers the plain text with a button. Returns the plain text
// when the user takes it, else an empty string.
QString RefuseText(QWidget *parent, const QString &refusal, const QString &text,
                   const std::function<QString(const QString &)> &check);
