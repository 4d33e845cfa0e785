#include "placement.h"

#include "message_box.h"
#include "storage/library.h"

#include <QMdiSubWindow>
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
    const QRect r = lib.LoadFormPlacement(window->objectName(), current, iniPath);
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
