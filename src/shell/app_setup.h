#pragma once
// What every window of the program relies on, set once at start: the
// application's name, its own icon on every window, and the toolkit's own
// texts (standard buttons, the file, colour and print dialogs) in Japanese.

class QApplication;

void setUpApplication(QApplication &app);
