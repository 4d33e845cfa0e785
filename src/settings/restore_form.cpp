#include "restore_form.h"

#include "shell/message_box.h"
#include "storage/clock.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QString kTitle = QStringLiteral("バックアップから復元");

QString whenText(const Generation &g)
{
    // Saves within one second are told apart by their number.
    const QString when = g.when.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    return g.sequence > 1 ? when + QStringLiteral(" (%1)").arg(g.sequence) : when;
}

} // namespace

std::function<QString(QWidget *)> TRestoreForm::FolderDialog = [](QWidget *parent) {
    // From the home folder rather than wherever the program was started.
    return QFileDialog::getExistingDirectory(parent, QStringLiteral("バックアップのあるフォルダー"), QDir::homePath());
};

TRestoreForm::TRestoreForm(const QString &dataDir, const QString &backupDir, QWidget *parent)
    : QDialog(parent), dataDir(dataDir), folder(backupDir)
{
    setObjectName(QStringLiteral("RestoreForm"));
    setWindowTitle(kTitle);
    auto *layout = new QVBoxLayout(this);
    auto *intro = new QLabel(QStringLiteral("データを戻すバックアップを選んでください。バックアップは保存のたびに、"
                                            "保存する前のデータで作られます。\n"
                                            "今のデータも、復元する前にバックアップとして残します。"),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    FolderLabel = new QLabel(this);
    FolderLabel->setObjectName(QStringLiteral("FolderLabel"));
    FolderLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(FolderLabel);

    GenerationGrid = new QTableWidget(0, 4, this);
    GenerationGrid->setObjectName(QStringLiteral("GenerationGrid"));
    GenerationGrid->setHorizontalHeaderLabels(
        {QStringLiteral("バックアップ日時"), QStringLiteral("請求書数"), QStringLiteral("最新の精算日"), QStringLiteral("状態")});
    GenerationGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    GenerationGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    GenerationGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GenerationGrid->verticalHeader()->hide();
    GenerationGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    GenerationGrid->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(GenerationGrid, 1);
    // A new machine has none yet: the way to a copy taken elsewhere.
    EmptyHint = new QLabel(QStringLiteral("このフォルダーにはバックアップがありません。USBメモリなどに取った写しから戻すときは、"
                                          "「別のフォルダーから」でそのフォルダーを選んでください。"),
                           this);
    EmptyHint->setObjectName(QStringLiteral("EmptyHint"));
    EmptyHint->setWordWrap(true);
    layout->addWidget(EmptyHint);

    auto *buttons = new QHBoxLayout;
    OtherFolderButton = new QPushButton(QStringLiteral("別のフォルダーから(&F)..."), this);
    OtherFolderButton->setObjectName(QStringLiteral("OtherFolderButton"));
    RestoreButton = new QPushButton(QStringLiteral("復元(&R)"), this);
    RestoreButton->setObjectName(QStringLiteral("RestoreButton"));
    CloseButton = new QPushButton(QStringLiteral("閉じる"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    buttons->addWidget(OtherFolderButton);
    buttons->addStretch();
    buttons->addWidget(RestoreButton);
    buttons->addWidget(CloseButton);
    layout->addLayout(buttons);

    connect(OtherFolderButton, &QPushButton::clicked, this, &TRestoreForm::OtherFolderClick);
    connect(RestoreButton, &QPushButton::clicked, this, &TRestoreForm::RestoreClick);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(GenerationGrid, &QTableWidget::itemSelectionChanged, this, &TRestoreForm::selectionChanged);
    connect(GenerationGrid, &QTableWidget::cellDoubleClicked, this, &TRestoreForm::RestoreClick);
    resize(640, 420);
    fill();
}

void TRestoreForm::ShowFolder(const QString &dir)
{
    folder = dir;
    fill();
}

void TRestoreForm::fill()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // A folder that is one generation itself (a copy taken to another place).
    if (QFileInfo::exists(folder + QLatin1Char('/') + QLatin1String(ManifestName)))
        list = {readGeneration(folder)};
    else
        list = listGenerations(folder, true);
    // Newest first means by save order: a clock set back is said here, where it matters.
    const QString clock = clockWarning(folder, Clock::now());
    FolderLabel->setText(QStringLiteral("フォルダー: ") + QDir::toNativeSeparators(QDir(folder).absolutePath())
                         + (clock.isEmpty() ? QString() : QStringLiteral("\n") + clock));
    GenerationGrid->setRowCount(int(list.size()));
    for (int row = 0; row < int(list.size()); ++row) {
        Generation &g = list[size_t(row)];
        // Sizes and whole records here; the checksums are read before a restore.
        checkGeneration(g, false);
        if (g.problem.isEmpty())
            g.problem = damaged.value(g.path);
        const bool ok = g.ok();
        const QStringList cells{
            whenText(g),
            ok ? QString::number(g.bills) : QString(),
            ok ? (g.newestSettlement.isEmpty() ? QStringLiteral("なし") : g.newestSettlement) : QString(),
            ok ? QStringLiteral("正常") : QStringLiteral("壊れています: ") + g.problem,
        };
        for (int c = 0; c < cells.size(); ++c) {
            auto *item = new QTableWidgetItem(cells[c]);
            if (c == 1)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (!ok)
                item->setForeground(QColor(0xB0, 0, 0));
            item->setToolTip(ok ? QString() : g.problem);
            GenerationGrid->setItem(row, c, item);
        }
    }
    QApplication::restoreOverrideCursor();
    EmptyHint->setVisible(list.empty());
    if (!list.empty())
        GenerationGrid->selectRow(0);
    selectionChanged();
}

const Generation *TRestoreForm::selected() const
{
    const int row = GenerationGrid->currentRow();
    return row >= 0 && row < int(list.size()) && GenerationGrid->selectionModel()->isRowSelected(row)
        ? &list[size_t(row)]
        : nullptr;
}

void TRestoreForm::selectionChanged()
{
    const Generation *g = selected();
    RestoreButton->setEnabled(g && g->ok());
}

void TRestoreForm::OtherFolderClick()
{
    const QString dir = FolderDialog(this);
    if (!dir.isEmpty())
        ShowFolder(dir);
}

void TRestoreForm::RestoreClick()
{
    const Generation *chosen = selected();
    if (!chosen)
        return;
    Generation g = *chosen;
    if (g.ok()) {
        // Every byte against the manifest before the question.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        checkGeneration(g, true);
        QApplication::restoreOverrideCursor();
        if (!g.ok()) {
            damaged.insert(g.path, g.problem);
            fill();
        }
    }
    if (!g.ok()) {
        ShowMessage(this, kTitle, QStringLiteral("このバックアップは壊れているため、復元できません。\n%1").arg(g.problem));
        return;
    }
    const QString question =
        QStringLiteral("%1 のバックアップ (請求書 %2 件、最新の精算日 %3) にデータを戻します。\n"
                       "今のデータは、復元の前にバックアップとして残します。\nよろしいですか?")
            .arg(whenText(g))
            .arg(g.bills)
            .arg(g.newestSettlement.isEmpty() ? QStringLiteral("なし") : g.newestSettlement);
    if (ShowMessage(this, kTitle, question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        != QMessageBox::Yes)
        return;
    // The other windows work on the data about to be replaced: they close
    // now that the restore is confirmed, and one that stays open stops it.
    if (BeforeRestore && !BeforeRestore())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QString error;
    const bool ok = restoreGeneration(g, dataDir, &error);
    QApplication::restoreOverrideCursor();
    if (!ok) {
        ShowMessage(this, kTitle, error);
        fill(); // a generation found damaged now shows as such
        return;
    }
    restored = true;
    ShowMessage(this, kTitle,
                QStringLiteral("%1 のバックアップに戻しました。データを読み込み直します。").arg(whenText(g))
                    + (error.isEmpty() ? QString() : QStringLiteral("\n\n") + error));
    accept();
}
