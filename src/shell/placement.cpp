#include "placement.h"

#include "message_box.h"
#include "storage/library.h"

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

void LoadFormPlacement(const TLibrary &lib, QWidget *window, const QString &iniPath)
{
    QWidget *frame = frameOf(window);
    const QRect current(frame->pos(), frame->size());
    // The main window must fit the screen; a child window, placed inside the
    // main window, at most the screen's size from the main window's corner.
    const QScreen *screen = frame->screen() ? frame->screen() : QGuiApplication::primaryScreen();
    QRect bounds = screen ? screen->availableVirtualGeometry() : QRect();
    if (frame != window || window->parentWidget())
        bounds = QRect(QPoint(0, 0), bounds.size());
    const QRect r = lib.LoadFormPlacement(window->objectName(), current, iniPath, bounds);
    frame->move(r.topLeft());
    frame->resize(r.size());
}

void SaveFormPlacement(const TLibrary &lib, QWidget *window, const QString &iniPath)
{
    QWidget *frame = frameOf(window);
    QString error;
    if (!lib.SaveFormPlacement(window->objectName(), QRect(frame->pos(), frame->size()), iniPath, &error))
        ShowMessage(window, QStringLiteral("エラー"), error);
}
