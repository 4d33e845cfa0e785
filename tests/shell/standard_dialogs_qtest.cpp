// The print, file, colour and font dialogs speak Japanese, as the program
// sets them up at start, and carry the program's icon. Each dialog is opened
// as the program opens it, its picture kept in standard_dialogs/ of the test
// folder for looking at, its texts checked, and closed.

#include "settings/basic_setting_form.h"
#include "shell/app_setup.h"
#include "shell/program_icon.h"

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QTimer>
#include <QtTest>

namespace {

struct Seen {
    QString title;
    QStringList texts; // buttons and labels
    bool programIcon = false;
};

// Runs open() (which shows a modal dialog and returns when it closes); on the
// way, the dialog is photographed, read and cancelled.
Seen whileOpen(const QString &shot, const std::function<void()> &open)
{
    Seen seen;
    QTimer::singleShot(0, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        QTRY_VERIFY(dialog = QApplication::activeModalWidget());
        QTest::qWait(50); // let it lay itself out
        QDir().mkpath(QStringLiteral("standard_dialogs"));
        dialog->grab().save(QStringLiteral("standard_dialogs/%1.png").arg(shot));
        seen.title = dialog->windowTitle();
        for (auto *b : dialog->findChildren<QAbstractButton *>())
            if (b->isVisible())
                seen.texts << b->text();
        for (auto *l : dialog->findChildren<QLabel *>())
            if (l->isVisible())
                seen.texts << l->text();
        seen.programIcon = dialog->windowIcon().cacheKey() == qApp->windowIcon().cacheKey();
        dialog->close();
        if (auto *d = qobject_cast<QDialog *>(dialog))
            d->reject();
    });
    open();
    return seen;
}

} // namespace

class StandardDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { setUpApplication(*qApp); }

    void dialogsAreJapanese_data()
    {
        QTest::addColumn<QString>("shot");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("expected"); // among the texts shown
        QTest::newRow("print") << "print" << "印刷" << QStringList{"印刷(&P)", "キャンセル", "プロパティ(&R)"};
        QTest::newRow("file") << "file" << "ロゴマークの画像" << QStringList{"開く(&O)", "キャンセル", "ファイル名(&N):"};
        QTest::newRow("colour") << "colour" << "色の設定" << QStringList{"キャンセル", "基本カラー(&B)", "カスタムカラー(&C)"};
        QTest::newRow("font") << "font" << "フォントの選択" << QStringList{"キャンセル"};
    }
    void dialogsAreJapanese()
    {
        QFETCH(QString, shot);
        QFETCH(QString, title);
        QFETCH(QStringList, expected);
        QWidget parent;
        const std::map<QString, std::function<void()>> open{
            {QStringLiteral("print"),
             [&] {
                 QPrinter printer(QPrinter::HighResolution);
                 QPrintDialog dialog(&printer, &parent);
                 dialog.exec();
             }},
            {QStringLiteral("file"), [&] { TBasicSettingForm::LogoFileDialog(&parent, QDir::homePath()); }},
            {QStringLiteral("colour"),
             [&] {
                 QColor chosen;
                 TBasicSettingForm::ColourDialog(&parent, Qt::red, &chosen);
             }},
            {QStringLiteral("font"),
             [&] {
                 QFont chosen;
                 TBasicSettingForm::FontDialog(&parent, QFont(QStringLiteral("IPAPGothic"), 10), &chosen);
             }},
        };
        const Seen seen = whileOpen(shot, open.at(shot));
        QCOMPARE(seen.title, title);
        for (const QString &text : expected)
            QVERIFY2(seen.texts.contains(text), qPrintable(text + QStringLiteral(" not in ") + seen.texts.join(u'|')));
        for (const char *english : {"Cancel", "&Cancel", "&Open", "Open", "&Print", "Print"})
            QVERIFY2(!seen.texts.contains(QLatin1String(english)), english);
        QVERIFY(seen.programIcon);
    }

    void programIconHasEverySize()
    {
        const QIcon icon = programIcon();
        for (const int size : {16, 24, 32, 48, 64, 128, 256})
            QVERIFY2(icon.availableSizes().contains(QSize(size, size)), qPrintable(QString::number(size)));
        QVERIFY(!icon.pixmap(48, 48).isNull());
    }
};

QTEST_MAIN(StandardDialogsTest)
#include "standard_dialogs_qtest.moc"
