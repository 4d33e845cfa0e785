#pragma once
// バックアップから復元: the backup generations, newest first, with their date
// and time, number of bills, newest settlement date and whether they check;
// restoring one asks first and puts its files back in one all-or-nothing
// commit (the files replaced become a generation of their own). A generation
// that does not check is shown as damaged and cannot be restored. Another
// folder (a copy made with --backup on a USB stick) can be chosen too.
//
// The window only needs the data folder and its backup folder; the caller
// closes the other windows in BeforeRestore, once a restore is confirmed,
// and reloads the data when Restored().

#include "storage/generations.h"

#include <QDialog>
#include <QHash>
#include <functional>
#include <vector>

class QLabel;
class QPushButton;
class QTableWidget;

class TRestoreForm : public QDialog {
    Q_OBJECT

public:
    TRestoreForm(const QString &dataDir, const QString &backupDir, QWidget *parent = nullptr);

    // Whether a generation was put back (the data must be read again).
    bool Restored() const { return restored; }
    // Shows the generations of another folder (or the one generation it is).
    void ShowFolder(const QString &dir);
    // Run once the clerk has confirmed a restore, before any file changes;
    // false stops the restore (a window that would not close).
    std::function<bool()> BeforeRestore;
    // The folder chooser of 別のフォルダーから; tests put in their own.
    static std::function<QString(QWidget *)> FolderDialog;

    void RestoreClick();
    void OtherFolderClick();

private:
    void fill();
    void selectionChanged();
    const Generation *selected() const;

    QString dataDir;
    QString folder; // the folder listed
    std::vector<Generation> list;
    QHash<QString, QString> damaged; // found by a full check: folder, what is wrong
    bool restored = false;

    QLabel *FolderLabel = nullptr;
    QLabel *EmptyHint = nullptr;
    QTableWidget *GenerationGrid = nullptr;
    QPushButton *RestoreButton = nullptr;
    QPushButton *OtherFolderButton = nullptr;
    QPushButton *CloseButton = nullptr;
};
