#include "placement.h"

#include "message_box.h"
#include "storage/library.h"

#include <algorithm>

#include <QGuiApplication>
#include <QMdiSubWindow>
#include <QScreen>
#include <QWidget>

namespace {
QWidget *frameOf(QWidget *window)
{
    if (auto *sub = qobject_cast<QMdiSubWindow *>(window->parentWidget()))
        return sub;
    return window;
}
} // namespace

namespace {
QMargins frameMargins(const QWidget *w)
{
    const QRect outer = w->frameGeometry(), inner = w->geometry();
    return QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                    outer.bottom() - inner.bottom());
}
} // namespace

QRect FitPlacement(const QRect &placement, const QRect &bounds, const QMargins &frame)
{
    if (!bounds.isValid() || !placement.isValid())
        return placement;
    const int width = std::max(1, std::min(placement.width(), bounds.width() - frame.left() - frame.right()));
    const int height = std::max(1, std::min(placement.height(), bounds.height() - frame.top() - frame.bottom()));
    const int outerWidth = width + frame.left() + frame.right();
    const int outerHeight = height + frame.top() + frame.bottom();
    const int left = std::clamp(placement.left(), bounds.left(), std::max(bounds.left(), bounds.left() + bounds.width() - outerWidth));
    const int top = std::clamp(placement.top(), bounds.top(), std::max(bounds.top(), bounds.top() + bounds.height() - outerHeight));
    return QRect(left, top, width, height);
}

void LoadFormPlacement(const TLibrary &lib, QWidget *window, const QString &iniPath)
{
    QWidget *frame = frameOf(window);
    const QRect current(frame->pos(), frame->size());
    // The main window on the screen it is on; a child window inside the main
    // window's working area (the area itself, once it has a size).
    const QScreen *screen = frame->screen() ? frame->screen() : QGuiApplication::primaryScreen();
    QRect bounds = screen ? screen->availableGeometry() : QRect();
    QMargins margins;
    if (frame != window || window->parentWidget()) {
        const QWidget *area = frame->parentWidget();
        bounds = area && area->width() > 100 && area->height() > 100 ? QRect(QPoint(0, 0), area->size())
                                                                       : QRect(QPoint(0, 0), bounds.size());
        // The sub-window's size and corner are its frame's: no margins.
    } else {
        // A window manager's frame and title bar around the main window, once
        // it has one (KeepOnScreen fits it again when the frame comes).
        margins = frameMargins(frame);
    }
    // A saved placement (not the window's own first one) is fitted.
    QRect r = lib.LoadFormPlacement(window->objectName(), current, iniPath, QRect());
    if (r != current)
        r = FitPlacement(r, bounds, margins);
    frame->move(r.topLeft());
    frame->resize(r.size());
}

void KeepOnScreen(QWidget *window)
{
    const QScreen *screen = window->screen();
    if (!screen || window->isMaximized() || window->isFullScreen())
        return;
    // Only a frame given by a window manager (a title bar) is looked at here.
    const QRect bounds = screen->availableGeometry();
    if (window->frameGeometry() == window->geometry() || bounds.contains(window->frameGeometry()))
        return;
    const QRect r = FitPlacement(QRect(window->pos(), window->size()), bounds, frameMargins(window));
    window->move(r.topLeft());
    window->resize(r.size());
}

void SaveFormPlacement(const TLibrary &lib, QWidget *window, const QString &iniPath)
{
    QWidget *frame = frameOf(window);
    QString error;
    if (!lib.SaveFormPlacement(window->objectName(), QRect(frame->pos(), frame->size()), iniPath, &error))
        ShowMessage(window, QStringLiteral("エラー"), error);
}
