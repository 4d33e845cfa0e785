#pragma once
// Keys sent through X to a real input method (fcitx5 with Mozc) inside
// tools/ime-session, and the input method's state, for the tests that type
// Japanese as the clerk does.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <QtTest>

namespace {

// A program run without blocking the event loop: the toolkit's input-method
// plugin receives the commit from fcitx5 over D-Bus meanwhile.
QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    QElapsedTimer t;
    t.start();
    while (p.state() != QProcess::NotRunning && t.elapsed() < 10000) {
        p.waitForFinished(5);
        QCoreApplication::processEvents();
    }
    if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished();
        return QStringLiteral("(hung)");
    }
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// The input method of the focused input context: "" none yet,
// "keyboard-us" registered with Japanese off, "mozc" Japanese on.
QString currentIm() { return run(QStringLiteral("fcitx5-remote"), {QStringLiteral("-n")}); }

bool waitIm(const QString &name)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 10000) {
        if (currentIm() == name)
            return true;
        QTest::qWait(50);
    }
    qWarning("input method: wanted %s, have %s", qPrintable(name), qPrintable(currentIm()));
    return false;
}

void keys(const QStringList &names) { run(QStringLiteral("xdotool"), QStringList{QStringLiteral("key")} + names); }
void type(const QString &text) { run(QStringLiteral("xdotool"), {QStringLiteral("type"), text}); }

// Japanese switched on in a field that takes it, as the clerk leaves it
// after typing a name.
void japaneseOn(QWidget *field)
{
    field->setFocus();
    QTRY_VERIFY(field->hasFocus());
    QTRY_VERIFY(!currentIm().isEmpty());
    if (currentIm() != QLatin1String("mozc")) {
        keys({QStringLiteral("ctrl+space")});
        QVERIFY(waitIm(QStringLiteral("mozc")));
    }
}

// Japanese switched off in a field, for a name in Latin letters.
void japaneseOff(QWidget *field)
{
    field->setFocus();
    QTRY_VERIFY(field->hasFocus());
    QTRY_VERIFY(!currentIm().isEmpty());
    if (currentIm() == QLatin1String("mozc")) {
        keys({QStringLiteral("ctrl+space")});
        QVERIFY(waitIm(QStringLiteral("keyboard-us")));
    }
}

} // namespace
