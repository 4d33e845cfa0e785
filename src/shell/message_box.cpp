#include "message_box.h"

#include <QMessageBox>

namespace {
MessageResponder responder;

QMessageBox::Icon iconFor(const QString &title)
{
    if (title == QStringLiteral("エラー"))
        return QMessageBox::Critical;
    if (title == QStringLiteral("注意") || title == QStringLiteral("警告"))
        return QMessageBox::Warning;
    if (title == QStringLiteral("確認"))
        return QMessageBox::Question;
    return QMessageBox::Information;
}
} // namespace

QMessageBox::StandardButton ShowMessage(QWidget *parent, const QString &title, const QString &text,
                                        QMessageBox::StandardButtons buttons)
{
    return ShowMessage(parent, title, text, buttons, QMessageBox::NoButton);
}

QMessageBox::StandardButton ShowMessage(QWidget *parent, const QString &title, const QString &text,
                                        QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton)
{
    if (responder)
        return responder({title, text, buttons, defaultButton});
    QMessageBox box(iconFor(title), title, text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return QMessageBox::StandardButton(box.exec());
}

void SetMessageResponder(MessageResponder r)
{
    responder = std::move(r);
}
