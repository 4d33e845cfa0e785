#pragma once
// The one source of "now". Tests fix it; everything else asks it.

#include <QDateTime>

namespace Clock {
// The local date and time, or the fixed one.
QDateTime now();
// Fixes the clock at a local date and time; an invalid value releases it.
void setFixed(const QDateTime &local);
} // namespace Clock
