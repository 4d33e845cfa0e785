#pragma once
// Window placements in the settings file, keyed by the window's component
// name (objectName). A child window inside the main window is placed through
// its sub-window frame.

class QWidget;
class TLibrary;
class QString;

void LoadFormPlacement(const TLibrary &lib, QWidget *window, const QString &iniPath);
// Shows a message when the settings file cannot be written.
void SaveFormPlacement(const TLibrary &lib, QWidget *window, const QString &iniPath);
