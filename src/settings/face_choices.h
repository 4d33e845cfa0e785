#pragma once
// The faces the font dialog offers for printing: the installed faces that
// hold Japanese first, so that the usual choice is at the top, then the rest.

#include <QStringList>

struct FaceChoices {
    QStringList japanese; // sorted, each once
    QStringList others;   // sorted, each once, none of the Japanese ones
};
FaceChoices faceChoices(const QStringList &all, const QStringList &japanese);
