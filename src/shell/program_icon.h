#pragma once
// The program's own icon, in every size it is drawn in (title bars, the
// task bar, the about box), so no window shows the toolkit's logo.

#include <QIcon>

QIcon programIcon();
