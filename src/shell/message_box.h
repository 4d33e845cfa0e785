#pragma once
// The one way the program shows a modal message. Tests install a responder
// that records what would have been shown and answers as scripted.

#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

struct ShownMessage {
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons;
};

// Shows the message and returns the button pressed.
QMessageBox::StandardButton ShowMessage(QWidget *parent, const QString &title, const QString &text,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok);

using MessageResponder = std::function<QMessageBox::StandardButton(const ShownMessage &)>;
// Replaces the message box; pass an empty function to restore it.
void SetMessageResponder(MessageResponder responder);
