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
    // The button Enter presses; NoButton leaves the choice to the box.
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

// Shows the message and returns the button pressed.
QMessageBox::StandardButton ShowMessage(QWidget *parent, const QString &title, const QString &text,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok);
// The same with the button Enter presses (いいえ before what cannot be undone).
QMessageBox::StandardButton ShowMessage(QWidget *parent, const QString &title, const QString &text,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton);

using MessageResponder = std::function<QMessageBox::StandardButton(const ShownMessage &)>;
// Replaces the message box; pass an empty function to restore it.
void SetMessageResponder(MessageResponder responder);
