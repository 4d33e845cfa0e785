#pragma once
// Window placements in the settings file, keyed by the window's component
// name (objectName). A child window inside the main window is placed through
// its sub-window frame.

#include <QMargins>
#include <QRect>

class QWidget;
class TLibrary;
class QString;

// A placement (frame corner, inner size) made to lie wholly within bounds,
// the frame's margins (a title bar) counted: no larger than bounds, moved in
// so that its far edges, and with them the close button, are on it.
QRect FitPlacement(const QRect &placement, const QRect &bounds, const QMargins &frame = {});

// Reads the window's placement, fitted to the screen in use (the main
// window) or to the main window's inside (a child window).
void LoadFormPlacement(const TLibrary &lib, QWidget *window, const QString &iniPath);
// Fits a shown top-level window, with the frame its window manager gave it,
// back onto its screen when the frame reaches past the screen's edges.
void KeepOnScreen(QWidget *window);
// Shows a message when the settings file cannot be written.
void SaveFormPlacement(const TLibrary &lib, QWidget *window, const QString &iniPath);
