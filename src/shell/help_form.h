#pragma once
// ヘルプ: the installed HTML manual read inside the program, with its
// pictures, its contents page and back / forward, so that no web browser is
// needed at the desk. Links out of the manual go to the desktop's browser.

#include <QWidget>

class QTextBrowser;
class QToolButton;

class THelpForm : public QWidget {
    Q_OBJECT
public:
    // index: the manual's index.html.
    explicit THelpForm(const QString &index, QWidget *parent = nullptr);

    QTextBrowser *Browser() const { return FBrowser; }
    // Shows a page of the manual by file name (index.html, bills.html#…).
    void ShowPage(const QString &page);
    // The frame a window area gives a new child follows its hint, not its
    // size: a page of the manual wants room to be read.
    QSize sizeHint() const override { return {760, 560}; }

private:
    QString FFolder;
    QTextBrowser *FBrowser = nullptr;
    QToolButton *FBack = nullptr;
    QToolButton *FForward = nullptr;
    QToolButton *FHome = nullptr;
};
