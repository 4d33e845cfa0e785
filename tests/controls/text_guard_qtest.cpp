// The one-line text guard: a refused change is taken back and stays taken
// back, whatever is typed after it; accented Latin letters are offered in
// plain letters.

#include "controls/text_guard.h"
#include "shell/message_box.h"
#include "storage/text_entry.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
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

    void plainLettersOfAccentedNames_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("plain");
        QTest::newRow("José") << "José" << "Jose";
        QTest::newRow("Müller") << "Müller" << "Muller";
        QTest::newRow("François") << "François" << "Francois";
        QTest::newRow("Straße, Søren, Œuvre") << "Straße, Søren, Œuvre" << "Strasse, Soren, OEuvre";
        QTest::newRow("mark typed apart") << QStringLiteral("Jose\u0301") << "Jose";
        QTest::newRow("beside Japanese") << "ホセ・José様" << "ホセ・Jose様";
        QTest::newRow("nothing to change") << "山田" << "";
        QTest::newRow("another fault remains") << "José🍺" << "";
        QTest::newRow("Greek is no accent") << "Ωmega" << "";
    }
    void plainLettersOfAccentedNames()
    {
        QFETCH(QString, text);
        QFETCH(QString, plain);
        QCOMPARE(textentry::plainLetters(text), plain);
    }

    // However the refused text comes in, the box keeps what it held before;
    // accented letters are offered plain, and the button takes them.
    void refusedEntryKeepsTheTextAndOffersPlainLetters_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("caret");
        QTest::addColumn<QString>("entered");
        QTest::addColumn<bool>("take");
        QTest::addColumn<QString>("offered");
        QTest::addColumn<QString>("after");
        QTest::newRow("key, declined") << "key" << "Jos" << 3 << "é" << false << "Jose" << "Jos";
        QTest::newRow("key, taken") << "key" << "Jos" << 3 << "é" << true << "Jose" << "Jose";
        QTest::newRow("input method, taken") << "ime" << "Jos" << 3 << "é" << true << "Jose" << "Jose";
        QTest::newRow("paste inside, declined")
            << "paste" << "Hans 様" << 5 << "Müller" << false << "Hans Muller様" << "Hans 様";
        QTest::newRow("paste inside, taken")
            << "paste" << "Hans 様" << 5 << "Müller" << true << "Hans Muller様" << "Hans Muller様";
        QTest::newRow("no plain form") << "paste" << "山田" << 2 << "🍺" << true << "" << "山田";
        QTest::newRow("plain form too long") << "paste" << "1234567890123456" << 16 << "é" << true << "" << "1234567890123456";
    }
    void refusedEntryKeepsTheTextAndOffersPlainLetters()
    {
        QFETCH(QString, how);
        QFETCH(QString, before);
        QFETCH(int, caret);
        QFETCH(QString, entered);
        QFETCH(bool, take);
        QFETCH(QString, offered);
        QFETCH(QString, after);
        QList<ShownMessage> shown;
        SetMessageResponder([&](const ShownMessage &m) {
            shown << m;
            return take && (m.buttons & QMessageBox::Apply) ? QMessageBox::Apply : QMessageBox::Cancel;
        });
        QLineEdit e;
        GuardTextEntry(&e, QStringLiteral("名前"), 16);
        e.setText(before);
        e.setCursorPosition(caret);
        if (how == QLatin1String("key")) {
            QTest::sendKeyEvent(QTest::Click, &e, Qt::Key_unknown, entered, Qt::NoModifier);
        } else if (how == QLatin1String("ime")) {
            QInputMethodEvent ev;
            ev.setCommitString(entered);
            QApplication::sendEvent(&e, &ev);
        } else {
            QApplication::clipboard()->setText(entered);
            e.paste();
        }
        QCOMPARE(e.text(), after);
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].title, QStringLiteral("エラー"));
        if (offered.isEmpty()) {
            QVERIFY(!(shown[0].buttons & QMessageBox::Apply));
        } else {
            QVERIFY(shown[0].text.endsWith(QStringLiteral("アクセント記号を外して「%1」と入力できます。").arg(offered)));
            QCOMPARE(shown[0].buttons, QMessageBox::Apply | QMessageBox::Cancel);
            QCOMPARE(shown[0].captions.value(QMessageBox::Apply), QStringLiteral("アクセントを外す"));
            QCOMPARE(e.cursorPosition(), take ? caret + int(offered.size() - before.size()) : caret);
        }
        SetMessageResponder({});
    }
};

QTEST_MAIN(TextGuardTest)
#include "text_guard_qtest.moc"
