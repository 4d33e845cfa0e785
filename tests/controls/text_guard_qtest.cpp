// The one-line text guard: a refused change is taken back and stays taken
// back, whatever is typed after it.

#include "controls/text_guard.h"
#include "shell/message_box.h"

#include <QLineEdit>
#include <QtTest>

class TextGuardTest : public QObject {
    Q_OBJECT
private slots:
    void typingPastTheLimitKeepsTheAcceptedText()
    {
        QStringList shown;
        SetMessageResponder([&](const ShownMessage &m) {
            shown << m.text;
            return QMessageBox::Ok;
        });
        QLineEdit e;
        e.setText(QStringLiteral("stored!")); // set by the program: taken as it is
        GuardTextEntry(&e, QStringLiteral("電話番号"), 4);
        e.clear();
        QTest::keyClicks(&e, QStringLiteral("123456"));
        QCOMPARE(e.text(), QStringLiteral("1234"));
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown.first(), QStringLiteral("電話番号は全角2文字（半角4文字）以内で入力してください"));
        QTest::keyClick(&e, Qt::Key_Backspace);
        QTest::keyClicks(&e, QStringLiteral("x"));
        QCOMPARE(e.text(), QStringLiteral("123x"));
        SetMessageResponder({});
    }
};

QTEST_MAIN(TextGuardTest)
#include "text_guard_qtest.moc"
