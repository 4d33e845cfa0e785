#include "face_choices.h"

namespace {
QStringList sortedOnce(QStringList list)
{
    list.removeDuplicates();
    list.sort(Qt::CaseInsensitive);
    return list;
}
} // namespace

FaceChoices faceChoices(const QStringList &all, const QStringList &japanese)
{
    FaceChoices c;
    c.japanese = sortedOnce(japanese);
    for (const QString &f : sortedOnce(all))
        if (!c.japanese.contains(f))
            c.others << f;
    return c;
}
