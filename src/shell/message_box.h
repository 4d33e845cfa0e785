#pragma once
// The one way the program shows a modal message. Tests install a responder
// that records what would have been shown and answers as scripted.

#include <QMap>
#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

struct ShownMessage {
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons;
    // The button Enter presses; NoButton leaves the choice to the toolkit
    // (the first accepting button). A question that destroys data names No.
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    // Buttons that carry a caption of their own instead of the standard one
    // (an offer such as "「Jose」にする" on an Apply button).
    QMap<QMessageBox::StandardButton, QString> captions;
};

// Shows the message and returns the button pressed.
QMessageBox::StandardButton ShowMessage(QWidget *parent, const QString &title, const QString &text,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok);
// A question with the button Enter presses (No for a question that destroys).
QMessageBox::StandardButton ShowMessage(QWidget *parent, const QString &title, const QString &text,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton);
QMessageBox::StandardButton ShowMessage(QWidget *parent, const ShownMessage &message);

using MessageResponder = std::function<QMessageBox::StandardButton(const ShownMessage &)>;
// Replaces the message box; pass an empty function to restore it.
void SetMessageResponder(MessageResponder responder);
