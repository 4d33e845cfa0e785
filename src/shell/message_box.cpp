#include "message_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>

#include <algorithm>

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
// Room a message box takes besides its text: the title bar, margins and buttons.
constexpr int BoxRoom = 150;
// The widest a message's text runs before it wraps, as the toolkit's box does.
constexpr int TextWidth = 500;

QRect screenArea(QWidget *parent)
{
    const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

// Whether the text, wrapped as the message box wraps it, would make the box
// taller than the screen's working area and push its buttons off the screen.
bool tallerThan(const QRect &area, const QString &text, const QFont &font)
{
    if (area.isEmpty())
        return false;
    const int width = std::min(TextWidth, area.width() / 2);
    const QRect bounds = QFontMetrics(font).boundingRect(QRect(0, 0, width, 1 << 20), Qt::TextWordWrap, text);
    return bounds.height() + BoxRoom > area.height();
}

// A message too long for the screen (a long list of reservations, say): the
// same icon, text and buttons, the text in a scrolling area so that the
// whole box stays on the screen.
QMessageBox::StandardButton showScrolling(QWidget *parent, const ShownMessage &m, const QRect &area)
{
    QDialog box(parent);
    box.setObjectName(QStringLiteral("LongMessage"));
    box.setWindowTitle(m.title);
    auto *icon = new QLabel(&box);
    const int side = box.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &box);
    icon->setPixmap(QMessageBox::standardIcon(iconFor(m.title)).scaled(side, side, Qt::KeepAspectRatio,
                                                                      Qt::SmoothTransformation));
    auto *text = new QLabel(m.text);
    text->setObjectName(QStringLiteral("MessageText"));
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *scroll = new QScrollArea(&box);
    scroll->setObjectName(QStringLiteral("MessageScroll"));
    scroll->setWidget(text);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const QMessageBox::StandardButtons kinds = m.buttons ? m.buttons : QMessageBox::Ok;
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::StandardButtons(int(kinds)), &box);
    for (auto it = m.captions.cbegin(); it != m.captions.cend(); ++it)
        if (QPushButton *b = buttons->button(QDialogButtonBox::StandardButton(int(it.key()))))
            b->setText(it.value());
    // Escape answers as the toolkit's box does: Cancel, else No, else the only button.
    QMessageBox::StandardButton result = kinds & QMessageBox::Cancel ? QMessageBox::Cancel
        : kinds & QMessageBox::No                                    ? QMessageBox::No
        : buttons->buttons().size() == 1 ? QMessageBox::StandardButton(int(buttons->standardButton(buttons->buttons().first())))
                                         : QMessageBox::NoButton;
    QObject::connect(buttons, &QDialogButtonBox::clicked, &box, [&](QAbstractButton *b) {
        result = QMessageBox::StandardButton(int(buttons->standardButton(b)));
        box.accept();
    });
    QPushButton *preferred = m.defaultButton != QMessageBox::NoButton
        ? buttons->button(QDialogButtonBox::StandardButton(int(m.defaultButton)))
        : nullptr;
    if (!preferred && !buttons->buttons().isEmpty())
        preferred = qobject_cast<QPushButton *>(buttons->buttons().first());
    if (preferred) {
        preferred->setDefault(true);
        preferred->setFocus();
    }
    auto *layout = new QGridLayout(&box);
    layout->addWidget(icon, 0, 0, Qt::AlignTop);
    layout->addWidget(scroll, 0, 1);
    layout->addWidget(buttons, 1, 0, 1, 2);
    layout->setColumnStretch(1, 1);
    box.resize(std::min(TextWidth + side + 60, area.width()), area.height() - BoxRoom / 3);
    box.exec();
    return result;
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
    if (const QRect area = screenArea(parent); tallerThan(area, m.text, QApplication::font("QMessageBox")))
        return showScrolling(parent, m, area);
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
