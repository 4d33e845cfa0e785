#include "message_box.h"

#include <QAbstractButton>
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
    return ShowMessage(parent, ShownMessage{title, text, buttons, QMessageBox::NoButton, {}});
}

QMessageBox::StandardButton ShowMessage(QWidget *parent, const QString &title, const QString &text,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton)
{
    return ShowMessage(parent, ShownMessage{title, text, buttons, defaultButton, {}});
}

QMessageBox::StandardButton ShowMessage(QWidget *parent, const ShownMessage &m)
{
    if (responder)
        return responder(m);
    QMessageBox box(iconFor(m.title), m.title, m.text, m.buttons, parent);
    for (auto it = m.captions.cbegin(); it != m.captions.cend(); ++it)
        if (QAbstractButton *b = box.button(it.key()))
            b->setText(it.value());
    if (m.defaultButton != QMessageBox::NoButton && (m.buttons & m.defaultButton))
        box.setDefaultButton(m.defaultButton);
    return QMessageBox::StandardButton(box.exec());
}

void SetMessageResponder(MessageResponder r)
{
    responder = std::move(r);
}
