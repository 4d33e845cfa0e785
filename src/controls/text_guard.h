#pragma once
// Keeps a one-line text box that feeds a record to what the record can hold:
// a change (typed, pasted or committed by the input method) that brings in a
// character CP932 cannot hold, or goes over the field's byte limit, is taken
// back at once and the user is told why, naming the characters.

#include <QString>

class QLineEdit;

// field names the box in the message ("名前", "プラン", ...).
void GuardTextEntry(QLineEdit *edit, const QString &field, int maxBytes);
