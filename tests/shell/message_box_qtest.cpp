// The program's one message box as the user meets it: the button Enter
// presses and buttons with captions of their own.

#include "shell/message_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <QtTest>

class MessageBoxTest : public QObject {
    Q_OBJECT

    // Shows the message, presses Enter in it, and returns what was pressed;
    // caption receives the text of the button named by captionOf.
    static QMessageBox::StandardButton enterIn(const ShownMessage &m, QMessageBox::StandardButton captionOf,
                                               QString *caption)
    {
        QTimer::singleShot(0, [=] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            if (QAbstractButton *b = box->button(captionOf))
                *caption = b->text();
            QTest::keyClick(box, Qt::Key_Return);
        });
        return ShowMessage(nullptr, m);
    }

private slots:
    void enterPressesTheNamedDefault_data()
    {
        QTest::addColumn<int>("defaultButton");
        QTest::addColumn<int>("pressed");
        QTest::newRow("destroying question") << int(QMessageBox::No) << int(QMessageBox::No);
        QTest::newRow("ordinary question") << int(QMessageBox::NoButton) << int(QMessageBox::Yes);
    }
    void enterPressesTheNamedDefault()
    {
        QFETCH(int, defaultButton);
        QFETCH(int, pressed);
        QString caption;
        const ShownMessage m{QStringLiteral("警告"), QStringLiteral("削除します"), QMessageBox::Yes | QMessageBox::No,
                             QMessageBox::StandardButton(defaultButton), {}};
        QCOMPARE(int(enterIn(m, QMessageBox::Yes, &caption)), pressed);
    }

    void aButtonWithACaptionOfItsOwn()
    {
        ShownMessage m{QStringLiteral("エラー"), QStringLiteral("José"), QMessageBox::Apply | QMessageBox::Cancel,
                       QMessageBox::Apply, {}};
        m.captions[QMessageBox::Apply] = QStringLiteral("アクセントを外す");
        QString caption;
        QCOMPARE(enterIn(m, QMessageBox::Apply, &caption), QMessageBox::Apply);
        QCOMPARE(caption, QStringLiteral("アクセントを外す"));
    }
};

QTEST_MAIN(MessageBoxTest)
#include "message_box_qtest.moc"
