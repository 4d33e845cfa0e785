// The nationality field: typed by code or by either name, or chosen from
// the completions, it gives the country's code.

#include "controls/country_combo.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

class CountryComboTest : public QObject {
    Q_OBJECT
private slots:
    void typedTextGivesTheCode_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("code");
        QTest::newRow("code") << "DE" << "DE";
        QTest::newRow("code in small letters") << "fr" << "FR";
        QTest::newRow("Japanese name") << "ベトナム" << "VN";
        QTest::newRow("English name") << "united states" << "US";
        QTest::newRow("caption") << "日本 / Japan (JP)" << "JP";
        QTest::newRow("nothing") << "" << "";
        QTest::newRow("no country") << "Atlantis" << "";
        QTest::newRow("Kosovo") << "コソボ" << "XK";
    }
    void typedTextGivesTheCode()
    {
        QFETCH(QString, typed);
        QFETCH(QString, code);
        TCountryCombo combo;
        combo.show();
        QVERIFY(QTest::qWaitForWindowExposed(&combo));
        combo.lineEdit()->setFocus();
        // Committed as an input method commits a word (Japanese cannot be typed key by key).
        QInputMethodEvent commit;
        commit.setCommitString(typed);
        QApplication::sendEvent(combo.lineEdit(), &commit);
        combo.completer()->popup()->hide();
        QCOMPARE(combo.code(), code);
    }

    void completesOnEitherNameOrCode()
    {
        TCountryCombo combo;
        QCompleter *c = combo.completer();
        const auto matches = [&](const QString &prefix) {
            c->setCompletionPrefix(prefix);
            QStringList l;
            for (int i = 0; c->setCurrentRow(i); ++i)
                l << c->currentCompletion();
            return l;
        };
        QVERIFY(matches(QStringLiteral("ドイ")).contains(TCountryCombo::caption(QStringLiteral("DE"))));
        QVERIFY(matches(QStringLiteral("germ")).contains(TCountryCombo::caption(QStringLiteral("DE"))));
        QVERIFY(matches(QStringLiteral("(BR)")).contains(TCountryCombo::caption(QStringLiteral("BR"))));
        QCOMPARE(matches(QStringLiteral("ニュージー")), QStringList{TCountryCombo::caption(QStringLiteral("NZ"))});
    }

    void setCodeShowsTheCountryAndSignalsOnce()
    {
        TCountryCombo combo;
        QSignalSpy spy(&combo, &TCountryCombo::codeChanged);
        combo.setCode(QStringLiteral("kr"));
        QCOMPARE(combo.currentText(), QStringLiteral("韓国 / South Korea (KR)"));
        QCOMPARE(combo.code(), QStringLiteral("KR"));
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.first().first().toString(), QStringLiteral("KR"));
        combo.setCode(QStringLiteral("ZZ"));
        QCOMPARE(combo.currentText(), QString());
        QCOMPARE(combo.code(), QString());
        QCOMPARE(spy.size(), 2);
    }
};

QTEST_MAIN(CountryComboTest)
#include "country_combo_qtest.moc"
