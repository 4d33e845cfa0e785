// TSaNumEdit driven as a person would: real key, input-method and mouse
// events on a shown window, tables of cases.

#include "controls/sa_num_edit.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

namespace {

// Settings as "Name=value;Name=value".
void applySettings(TSaNumEdit &e, const QString &settings)
{
    for (const QString &pair : settings.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString name = pair.section(QLatin1Char('='), 0, 0);
        const QString value = pair.section(QLatin1Char('='), 1);
        const bool on = value == QLatin1String("1");
        if (name == QLatin1String("IntegerLength"))
            e.SetIntegerLength(value.toInt());
        else if (name == QLatin1String("DecimalLength"))
            e.SetDecimalLength(value.toInt());
        else if (name == QLatin1String("IntegerFixed"))
            e.SetIntegerFixed(on);
        else if (name == QLatin1String("DecimalFixed"))
            e.SetDecimalFixed(on);
        else if (name == QLatin1String("Comma"))
            e.SetComma(on);
        else if (name == QLatin1String("Minus"))
            e.SetMinus(on);
        else if (name == QLatin1String("LeftMark"))
            e.SetLeftMark(value);
        else if (name == QLatin1String("RightMark"))
            e.SetRightMark(value);
        else if (name == QLatin1String("ReadOnly"))
            e.SetReadOnly(on);
        else if (name == QLatin1String("ErrorBeep"))
            e.SetErrorBeep(on);
        else if (name == QLatin1String("ImageCopy"))
            e.SetImageCopy(on);
        else if (name == QLatin1String("EnterFocusMove"))
            e.SetEnterFocusMove(on);
        else if (name == QLatin1String("MinusOnly"))
            e.SetOptions(e.Options() | TSaNumEdit::eoMinusOnly);
        else if (name == QLatin1String("ORInputStop"))
            e.SetOptions(e.Options() | TSaNumEdit::eoORInputStop);
        else if (name == QLatin1String("Width"))
            e.setFixedWidth(value.toInt());
        else
            qFatal("unknown setting %s", qPrintable(name));
    }
}

// Keys as typed: plain characters, or {BS} {DEL} {ENTER} {LEFT} {HOME}
// {CTRL+A} {CTRL+C} {CTRL+V} {CTRL+X} {CTRL+Z} {SHIFT+LEFT} {ESC}, or
// {IME:text} for an input-method commit.
void typeKeys(QWidget *w, const QString &keys)
{
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const QChar c = keys.at(i);
        if (c != QLatin1Char('{')) {
            QTest::keyClick(w, c.toLatin1());
            continue;
        }
        const qsizetype end = keys.indexOf(QLatin1Char('}'), i);
        const QString token = keys.mid(i + 1, end - i - 1);
        i = end;
        if (token.startsWith(QLatin1String("IME:"))) {
            QInputMethodEvent ev;
            ev.setCommitString(token.mid(4));
            QApplication::sendEvent(w, &ev);
            continue;
        }
        static const QHash<QString, QPair<int, Qt::KeyboardModifiers>> named = {
            {QStringLiteral("BS"), {Qt::Key_Backspace, Qt::NoModifier}},
            {QStringLiteral("DEL"), {Qt::Key_Delete, Qt::NoModifier}},
            {QStringLiteral("ENTER"), {Qt::Key_Return, Qt::NoModifier}},
            {QStringLiteral("ESC"), {Qt::Key_Escape, Qt::NoModifier}},
            {QStringLiteral("LEFT"), {Qt::Key_Left, Qt::NoModifier}},
            {QStringLiteral("HOME"), {Qt::Key_Home, Qt::NoModifier}},
            {QStringLiteral("UP"), {Qt::Key_Up, Qt::NoModifier}},
            {QStringLiteral("DOWN"), {Qt::Key_Down, Qt::NoModifier}},
            {QStringLiteral("SHIFT+LEFT"), {Qt::Key_Left, Qt::ShiftModifier}},
            {QStringLiteral("SHIFT+RIGHT"), {Qt::Key_Right, Qt::ShiftModifier}},
            {QStringLiteral("CTRL+A"), {Qt::Key_A, Qt::ControlModifier}},
            {QStringLiteral("CTRL+C"), {Qt::Key_C, Qt::ControlModifier}},
            {QStringLiteral("CTRL+V"), {Qt::Key_V, Qt::ControlModifier}},
            {QStringLiteral("CTRL+X"), {Qt::Key_X, Qt::ControlModifier}},
            {QStringLiteral("CTRL+Z"), {Qt::Key_Z, Qt::ControlModifier}},
        };
        const auto it = named.find(token);
        if (it == named.end())
            qFatal("unknown key %s", qPrintable(token));
        QTest::keyClick(w, Qt::Key(it->first), it->second);
    }
}

} // namespace

class TSaNumEditTest : public QObject {
    Q_OBJECT

    QWidget *window = nullptr;
    QLineEdit *before = nullptr;
    TSaNumEdit *edit = nullptr;
    QLineEdit *after = nullptr;

    // A fresh control between two other fields, shown, focused and empty.
    void fresh(const QString &settings = QString())
    {
        delete window;
        window = new QWidget;
        auto *layout = new QVBoxLayout(window);
        before = new QLineEdit(window);
        edit = new TSaNumEdit(window);
        after = new QLineEdit(window);
        layout->addWidget(before);
        layout->addWidget(edit);
        layout->addWidget(after);
        applySettings(*edit, settings);
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        edit->setFocus(Qt::TabFocusReason);
        QVERIFY(edit->hasFocus());
    }

private slots:
    void cleanup()
    {
        delete window;
        window = nullptr;
        QGuiApplication::clipboard()->clear();
    }

    void defaults()
    {
        TSaNumEdit e;
        QCOMPARE(e.size(), QSize(121, e.fontMetrics().height() + 2 + 2 + 2 * 2));
        QCOMPARE(e.IntegerLength(), 9);
        QCOMPARE(e.DecimalLength(), 3);
        QVERIFY(!e.IntegerFixed());
        QVERIFY(!e.DecimalFixed());
        QVERIFY(e.Comma());
        QVERIFY(e.Minus());
        QCOMPARE(e.Alignment(), TSaNumEdit::taRightJustify);
        QCOMPARE(e.VertAlignment(), TSaNumEdit::taVCenter);
        QCOMPARE(e.LeftMargin() + e.RightMargin() + e.TopMargin() + e.BottomMargin(), 8);
        QVERIFY(e.AutoSize() && e.AutoSelect() && e.HideSelection() && e.ErrorBeep());
        QVERIFY(!e.ReadOnly() && !e.ImageCopy() && !e.EnterFocusMove() && !e.ArrowFocusMove());
        QCOMPARE(e.Options(), TSaNumEdit::TSaNumEditOptions(TSaNumEdit::eoArrowUp | TSaNumEdit::eoArrowDown));
        QCOMPARE(e.cursor().shape(), Qt::IBeamCursor);
        QVERIFY(e.TabStop());
        // Negative lengths and margins are refused.
        e.SetIntegerLength(-1);
        e.SetDecimalLength(-2);
        e.SetLeftMargin(-3);
        QCOMPARE(e.IntegerLength(), 9);
        QCOMPARE(e.DecimalLength(), 3);
        QCOMPARE(e.LeftMargin(), 2);
    }

    void typing_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("initial");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("display");
        QTest::addColumn<int>("changes");
        QTest::addColumn<int>("beeps");

        QTest::newRow("1234 shows 1,234") << "" << "" << "1234" << "1234" << "1,234" << 4 << 0;
        QTest::newRow("seven digits grouped") << "" << "" << "1234567" << "1234567" << "1,234,567" << 7 << 0;
        QTest::newRow("IntegerLength 3 refuses a fourth digit")
            << "IntegerLength=3" << "" << "1234" << "123" << "123" << 3 << 1;
        QTest::newRow("refused without a beep") << "IntegerLength=3;ErrorBeep=0" << "" << "1234" << "123" << "123" << 3 << 0;
        QTest::newRow("0,0,7 leaves 7") << "" << "" << "007" << "7" << "7" << 3 << 0;
        QTest::newRow("0,0 leaves 0") << "" << "" << "00" << "0" << "0" << 2 << 0;
        QTest::newRow("point first gives 0.") << "" << "" << "." << "0." << "0." << 1 << 0;
        QTest::newRow("second point refused") << "" << "" << "1.2." << "1.2" << "1.2" << 3 << 1;
        QTest::newRow("DecimalLength 3 refuses a fourth decimal")
            << "" << "" << "1.2345" << "1.234" << "1.234" << 5 << 1;
        QTest::newRow("DecimalLength 0 refuses the point") << "DecimalLength=0" << "" << "1.5" << "15" << "15" << 2 << 1;
        QTest::newRow("minus toggles the sign") << "" << "" << "5-" << "-5" << "-5" << 2 << 0;
        QTest::newRow("minus twice returns to positive") << "" << "" << "5--" << "5" << "5" << 3 << 0;
        QTest::newRow("minus first, then digits") << "" << "" << "-12" << "-12" << "-12" << 3 << 0;
        QTest::newRow("minus and point") << "" << "" << "-.5" << "-0.5" << "-0.5" << 3 << 0;
        QTest::newRow("Minus false refuses the sign") << "Minus=0" << "" << "-5" << "5" << "5" << 1 << 1;
        QTest::newRow("Backspace on 12. gives 12") << "" << "" << "12.{BS}" << "12" << "12" << 4 << 0;
        QTest::newRow("Backspace on 12.5 gives 12") << "" << "" << "12.5{BS}" << "12" << "12" << 5 << 0;
        QTest::newRow("Delete takes the last character too") << "" << "" << "123{DEL}" << "12" << "12" << 4 << 0;
        QTest::newRow("Backspace on empty does nothing") << "" << "" << "{BS}" << "" << "" << 0 << 0;
        QTest::newRow("letters refused") << "" << "" << "1a2" << "12" << "12" << 2 << 1;
        QTest::newRow("Enter refused") << "" << "" << "1{ENTER}" << "1" << "1" << 1 << 1;
        QTest::newRow("Ctrl+Z is no key of this field") << "" << "" << "1{CTRL+Z}" << "1" << "1" << 1 << 1;
        QTest::newRow("input method digits arrive narrow")
            << "" << "" << QString::fromUtf8("{IME:１２．５}") << "12.5" << "12.5" << 4 << 0;
        QTest::newRow("input method minus arrives narrow")
            << "" << "" << QString::fromUtf8("{IME:３－}") << "-3" << "-3" << 2 << 0;
        QTest::newRow("input method letters refused") << "" << "" << QString::fromUtf8("{IME:１あ}") << "1" << "1" << 1 << 1;
        QTest::newRow("read-only refuses typing silently") << "ReadOnly=1" << "5" << "12{BS}-." << "5" << "5" << 0 << 0;
        QTest::newRow("typing over a selected value replaces it") << "" << "99" << "{CTRL+A}5" << "5" << "5" << 1 << 0;
        QTest::newRow("minus on a selected value starts anew") << "" << "99" << "{CTRL+A}-" << "-" << "-" << 1 << 0;
        QTest::newRow("Backspace on a selected value clears without OnChange")
            << "" << "99" << "{CTRL+A}{BS}" << "" << "" << 0 << 0;
        QTest::newRow("Shift+Left selects, then Delete clears") << "" << "99" << "{SHIFT+LEFT}{DEL}" << "" << "" << 0 << 0;
        QTest::newRow("Left unselects, so typing appends") << "" << "99" << "{CTRL+A}{LEFT}5" << "995" << "995" << 1 << 0;
        QTest::newRow("IntegerFixed empty shows 0") << "IntegerFixed=1" << "" << "" << "" << "0" << 0 << 0;
        QTest::newRow("IntegerFixed after deleting all") << "IntegerFixed=1" << "" << "5{BS}" << "" << "0" << 2 << 0;
        QTest::newRow("DecimalFixed pads") << "DecimalFixed=1;DecimalLength=2" << "" << "3.5" << "3.5" << "3.50" << 3 << 0;
        QTest::newRow("marks around the number")
            << QString::fromUtf8("LeftMark=￥;RightMark=円") << "" << "1200" << "1200" << QString::fromUtf8("￥1,200円") << 4 << 0;
        QTest::newRow("no marks on an empty value") << QString::fromUtf8("LeftMark=￥;RightMark=円") << "" << "" << "" << "" << 0 << 0;
        QTest::newRow("Comma false") << "Comma=0" << "" << "12345" << "12345" << "12345" << 5 << 0;
        QTest::newRow("too wide for the field refused (eoORInputStop)")
            << "ORInputStop=1;Width=40" << "" << "123456789" << "#narrow" << "" << -1 << -1;
    }

    void typing()
    {
        QFETCH(QString, settings);
        QFETCH(QString, initial);
        QFETCH(QString, keys);
        QFETCH(QString, text);
        QFETCH(QString, display);
        QFETCH(int, changes);
        QFETCH(int, beeps);
        fresh(settings);
        edit->SetText(initial);
        edit->ClearSelect();
        QSignalSpy changed(edit, &TSaNumEdit::OnChange);
        QSignalSpy beeped(edit, &TSaNumEdit::Beeped);
        typeKeys(edit, keys);
        if (text == QLatin1String("#narrow")) {
            // Digits stop once the display would not fit the drawing width.
            QVERIFY(!edit->Text().isEmpty());
            QVERIFY(edit->Text().size() < 9);
            QCOMPARE(beeped.count(), 9 - int(edit->Text().size()));
            const int drawWidth = edit->width() - 2 * 2 - 2 - 2 - 2 * 2;
            QVERIFY(edit->fontMetrics().horizontalAdvance(edit->DisplayText()) <= drawWidth);
            return;
        }
        QCOMPARE(edit->Text(), text);
        QCOMPARE(edit->GetText(), text);
        QCOMPARE(edit->DisplayText(), display);
        QCOMPARE(changed.count(), changes);
        QCOMPARE(beeped.count(), beeps);
    }

    void setText_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("display");

        QTest::newRow("over-long integer part empties") << "IntegerLength=3" << "12345" << "" << "";
        QTest::newRow("surplus decimals cut") << "" << "1.2345" << "1.234" << "1.234";
        QTest::newRow("leading zeros") << "" << "007" << "7" << "7";
        QTest::newRow("zeros only") << "" << "000" << "0" << "0";
        QTest::newRow("point first") << "" << ".5" << "0.5" << "0.5";
        QTest::newRow("minus zeros") << "" << "-00" << "-0" << "-0";
        QTest::newRow("lone minus stays") << "" << "-" << "-" << "-";
        QTest::newRow("commas skipped") << "" << "1,234,567" << "1234567" << "1,234,567";
        QTest::newRow("scan stops at a letter") << "" << "12a34" << "12" << "12";
        QTest::newRow("second point ends the scan") << "" << "1.2.3" << "1.2" << "1.2";
        QTest::newRow("minus not first ends the scan") << "" << "12-3" << "12" << "12";
        QTest::newRow("minus refused when Minus is false") << "Minus=0" << "-12" << "" << "";
        QTest::newRow("point refused when DecimalLength is 0") << "DecimalLength=0" << "3.7" << "3" << "3";
        QTest::newRow("full-width narrowed, comma dropped, kanji ends")
            << "" << QString::fromUtf8("１，２３４円") << "1234" << "1,234";
        QTest::newRow("full-width minus and point") << "" << QString::fromUtf8("－１２．５") << "-12.5" << "-12.5";
        QTest::newRow("half-width kana ends the scan") << "" << QString::fromUtf8("12ｱ3") << "12" << "12";
        QTest::newRow("IntegerFixed empty shows 0") << "IntegerFixed=1" << "" << "" << "0";
        QTest::newRow("IntegerFixed point") << "IntegerFixed=1" << "-.5" << "-0.5" << "-0.5";
        QTest::newRow("DecimalFixed pads") << "DecimalFixed=1" << "1.5" << "1.5" << "1.500";
        QTest::newRow("DecimalFixed empty") << "DecimalFixed=1;DecimalLength=2" << "" << "" << "0.00";
        QTest::newRow("DecimalFixed without decimals") << "DecimalFixed=1;DecimalLength=0" << "12" << "12" << "12";
        QTest::newRow("marks") << QString::fromUtf8("LeftMark=￥;RightMark=円") << "1234567" << "1234567"
                               << QString::fromUtf8("￥1,234,567円");
        QTest::newRow("marks with IntegerFixed on empty")
            << QString::fromUtf8("IntegerFixed=1;RightMark=円") << "" << "" << QString::fromUtf8("0円");
    }

    void setText()
    {
        QFETCH(QString, settings);
        QFETCH(QString, input);
        QFETCH(QString, text);
        QFETCH(QString, display);
        TSaNumEdit e;
        applySettings(e, settings);
        QSignalSpy changed(&e, &TSaNumEdit::OnChange);
        e.SetText(QStringLiteral("9"));
        e.SetText(input);
        QCOMPARE(e.Text(), text);
        QCOMPARE(e.DisplayText(), display);
        QCOMPARE(e.property("Text").toString(), text);
        // A program's SetText raises nothing and keeps the undo text.
        QCOMPARE(changed.count(), 0);
        QVERIFY(!e.CanUndo());
    }

    void paste_data()
    {
        QTest::addColumn<QString>("initial");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("text");

        QTest::newRow("full-width 1,234 yen into empty")
            << "" << false << QString::fromUtf8("１，２３４円") << "keys" << "1234";
        QTest::newRow("12a34") << "" << false << "12a34" << "keys" << "12";
        QTest::newRow("appended to the value") << "12" << false << "34" << "keys" << "1234";
        QTest::newRow("appended, then filtered as a whole") << "12" << false << ".5x" << "keys" << "12.5";
        QTest::newRow("replaces a selected value") << "99" << true << "5" << "keys" << "5";
        QTest::newRow("leading zeros after pasting") << "" << false << "0012" << "keys" << "12";
        QTest::newRow("through the context menu") << "7" << false << "8" << "menu" << "78";
    }

    void paste()
    {
        QFETCH(QString, initial);
        QFETCH(bool, selected);
        QFETCH(QString, clipboard);
        QFETCH(QString, how);
        QFETCH(QString, text);
        fresh();
        edit->SetText(initial);
        if (selected)
            edit->SelectAll();
        else
            edit->ClearSelect();
        QGuiApplication::clipboard()->setText(clipboard);
        QSignalSpy changed(edit, &TSaNumEdit::OnChange);
        if (how == QLatin1String("keys")) {
            typeKeys(edit, QStringLiteral("{CTRL+V}"));
        } else {
            std::unique_ptr<QMenu> menu(edit->CreateContextMenu(nullptr));
            menu->actions().at(4)->trigger(); // 貼り付け
        }
        QCOMPARE(edit->Text(), text);
        QCOMPARE(changed.count(), 1);
        QVERIFY(!edit->Selected());
        // Undo brings the value before the paste back.
        edit->Undo();
        QCOMPARE(edit->Text(), initial);
    }

    // A paste too long for the field changes nothing: what was typed stays.
    void anOverlongPasteKeepsTheValue()
    {
        fresh();
        edit->SetIntegerLength(3);
        edit->SetText(QStringLiteral("12"));
        edit->ClearSelect();
        QGuiApplication::clipboard()->setText(QStringLiteral("345"));
        QSignalSpy changed(edit, &TSaNumEdit::OnChange);
        typeKeys(edit, QStringLiteral("{CTRL+V}"));
        QCOMPARE(edit->Text(), QStringLiteral("12"));
        QCOMPARE(changed.count(), 0);
    }

    void undoRedo()
    {
        fresh();
        QSignalSpy changed(edit, &TSaNumEdit::OnChange);
        typeKeys(edit, QStringLiteral("125"));
        QCOMPARE(changed.count(), 3);
        edit->Undo();
        QCOMPARE(edit->Text(), QStringLiteral("12"));
        QVERIFY(edit->Selected());
        QCOMPARE(changed.count(), 4);
        edit->Undo();
        QCOMPARE(edit->Text(), QStringLiteral("125"));
        QCOMPARE(changed.count(), 5);
        // Through the menu, as a person would.
        std::unique_ptr<QMenu> menu(edit->CreateContextMenu(nullptr));
        QVERIFY(menu->actions().at(0)->isEnabled());
        menu->actions().at(0)->trigger();
        QCOMPARE(edit->Text(), QStringLiteral("12"));
        edit->ClearUndo();
        edit->Undo();
        QCOMPARE(edit->Text(), QStringLiteral("12"));
        QCOMPARE(changed.count(), 6);
    }

    void copyAndCut_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("changes");

        QTest::newRow("copy the value") << "" << "{CTRL+A}{CTRL+C}" << "1234" << "1234" << 0;
        QTest::newRow("copy nothing while unselected") << "" << "{CTRL+C}" << "" << "1234" << 0;
        QTest::newRow("read-only still selects and copies") << "ReadOnly=1" << "{CTRL+A}{CTRL+C}" << "1234" << "1234" << 0;
        QTest::newRow("read-only refuses cut") << "ReadOnly=1" << "{CTRL+A}{CTRL+X}" << "" << "1234" << 0;
        QTest::newRow("read-only refuses paste") << "ReadOnly=1" << "{CTRL+V}" << "" << "1234" << 0;
        QTest::newRow("ImageCopy copies what is shown")
            << QString::fromUtf8("ImageCopy=1;RightMark=円") << "{CTRL+A}{CTRL+C}" << QString::fromUtf8("1,234円") << "1234" << 0;
        QTest::newRow("cut empties and raises OnChange") << "" << "{CTRL+A}{CTRL+X}" << "1234" << "" << 1;
    }

    void copyAndCut()
    {
        QFETCH(QString, settings);
        QFETCH(QString, keys);
        QFETCH(QString, clipboard);
        QFETCH(QString, text);
        QFETCH(int, changes);
        fresh(settings);
        edit->SetText(QStringLiteral("1234"));
        edit->ClearSelect();
        QGuiApplication::clipboard()->clear();
        QSignalSpy changed(edit, &TSaNumEdit::OnChange);
        typeKeys(edit, keys);
        QCOMPARE(QGuiApplication::clipboard()->text(), clipboard);
        QCOMPARE(edit->Text(), text);
        QCOMPARE(changed.count(), changes);
    }

    void contextMenu_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<bool>("undo");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("enabled"); // U T C P D A: the six items

        QTest::newRow("empty, nothing on the clipboard") << "" << "" << false << false << "" << "------";
        QTest::newRow("value, unselected") << "" << "12" << false << false << "" << "-----A";
        QTest::newRow("value, selected") << "" << "12" << true << false << "" << "-TC-D-";
        QTest::newRow("text on the clipboard") << "" << "" << false << false << "3" << "---P--";
        QTest::newRow("undo available") << "" << "12" << false << true << "3" << "U--P-A";
        QTest::newRow("read-only, selected, undo, clipboard") << "ReadOnly=1" << "12" << true << true << "3" << "--C---";
    }

    void contextMenu()
    {
        QFETCH(QString, settings);
        QFETCH(QString, value);
        QFETCH(bool, selected);
        QFETCH(bool, undo);
        QFETCH(QString, clipboard);
        QFETCH(QString, enabled);
        fresh(settings);
        edit->SetText(value);
        if (undo) {
            edit->Clear();
            edit->SetText(value);
        }
        if (selected)
            edit->SelectAll();
        else
            edit->ClearSelect();
        if (clipboard.isEmpty())
            QGuiApplication::clipboard()->clear();
        else
            QGuiApplication::clipboard()->setText(clipboard);

        // A right click on the (focused) control opens its own menu: the
        // press, then the context-menu request the platform sends with it.
        QTest::mouseClick(edit, Qt::RightButton, {}, QPoint(5, 5));
        QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(5, 5), edit->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(edit, &request);
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu);
        const QStringList captions = {
            QString::fromUtf8("元に戻す(&U)"), QString(), QString::fromUtf8("切り取り(&T)"),
            QString::fromUtf8("コピー(&C)"), QString::fromUtf8("貼り付け(&P)"), QString::fromUtf8("削除(&D)"),
            QString(), QString::fromUtf8("すべて選択(&A)"),
        };
        const QList<QAction *> actions = menu->actions();
        QCOMPARE(actions.size(), captions.size());
        for (int i = 0; i < actions.size(); ++i) {
            QCOMPARE(actions[i]->isSeparator(), captions[i].isEmpty());
            QCOMPARE(actions[i]->text(), captions[i]);
        }
        const int items[] = {0, 2, 3, 4, 5, 7};
        QString got;
        for (int k = 0; k < 6; ++k)
            got += actions.at(items[k])->isEnabled() ? QStringLiteral("UTCPDA").at(k) : QLatin1Char('-');
        menu->close();
        QCOMPARE(got, enabled);
    }

    void menuDeleteClearsWithoutOnChange()
    {
        fresh();
        edit->SetText(QStringLiteral("55"));
        edit->SelectAll();
        QSignalSpy changed(edit, &TSaNumEdit::OnChange);
        std::unique_ptr<QMenu> menu(edit->CreateContextMenu(nullptr));
        menu->actions().at(5)->trigger();
        QCOMPARE(edit->Text(), QString());
        QCOMPARE(changed.count(), 0);
        menu.reset(edit->CreateContextMenu(nullptr));
        menu->actions().at(0)->trigger(); // undo brings 55 back
        QCOMPARE(edit->Text(), QStringLiteral("55"));
    }

    void focus_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("text");

        QTest::newRow("lone minus empties on leaving") << "" << "-" << "";
        QTest::newRow("eoMinusOnly keeps it") << "MinusOnly=1" << "-" << "-";
        QTest::newRow("a number stays") << "" << "-5" << "-5";
    }

    void focus()
    {
        QFETCH(QString, settings);
        QFETCH(QString, keys);
        QFETCH(QString, text);
        fresh(settings);
        QSignalSpy changed(edit, &TSaNumEdit::OnChange);
        typeKeys(edit, keys);
        const int typed = changed.count();
        QTest::keyClick(edit, Qt::Key_Tab);
        QVERIFY(after->hasFocus());
        QCOMPARE(edit->Text(), text);
        QCOMPARE(changed.count(), typed);
        QVERIFY(!edit->Selected()); // HideSelection

        // Coming back by Tab selects the whole value (AutoSelect).
        QTest::keyClick(after, Qt::Key_Backtab, Qt::ShiftModifier);
        QVERIFY(edit->hasFocus());
        QVERIFY(edit->Selected());
    }

    void focusMoves()
    {
        fresh();
        // Enter refused by default, moves on with EnterFocusMove.
        QTest::keyClick(edit, Qt::Key_Return);
        QVERIFY(edit->hasFocus());
        edit->SetEnterFocusMove(true);
        QTest::keyClick(edit, Qt::Key_Return);
        QVERIFY(after->hasFocus());

        // Up and Down move only with ArrowFocusMove, as Options allow.
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Down);
        QVERIFY(edit->hasFocus());
        edit->SetArrowFocusMove(true);
        QTest::keyClick(edit, Qt::Key_Down);
        QVERIFY(after->hasFocus());
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Up);
        QVERIFY(before->hasFocus());
        edit->setFocus();
        edit->SetOptions(TSaNumEdit::eoArrowDown);
        QTest::keyClick(edit, Qt::Key_Up);
        QVERIFY(edit->hasFocus());
    }

    void mouse()
    {
        fresh();
        edit->SetText(QStringLiteral("1234"));
        before->setFocus();
        // A click takes the focus and leaves the value unselected.
        QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(10, edit->height() / 2));
        QVERIFY(edit->hasFocus());
        QVERIFY(!edit->Selected());
        // A double click selects all.
        QTest::mouseDClick(edit, Qt::LeftButton, {}, QPoint(10, edit->height() / 2));
        QVERIFY(edit->Selected());
        QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(10, edit->height() / 2));
        QVERIFY(!edit->Selected());
        // Dragging over the number selects all.
        const QPoint onNumber = edit->NumberRect().center();
        QTest::mousePress(edit, Qt::LeftButton, {}, onNumber - QPoint(2, 0));
        QMouseEvent move(QEvent::MouseMove, QPointF(onNumber), edit->mapToGlobal(QPointF(onNumber)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(edit, &move);
        QTest::mouseRelease(edit, Qt::LeftButton, {}, onNumber);
        QVERIFY(edit->Selected());
        // A right button press on an unfocused control focuses it.
        before->setFocus();
        QTest::mousePress(edit, Qt::RightButton, {}, QPoint(3, 3));
        QVERIFY(edit->hasFocus());
        QTest::mouseRelease(edit, Qt::RightButton, {}, QPoint(3, 3));
        if (QWidget *popup = QApplication::activePopupWidget())
            popup->close();
    }

    void layout_data()
    {
        QTest::addColumn<int>("alignment");
        QTest::addColumn<QString>("settings");
        QTest::addRow("right") << int(TSaNumEdit::taRightJustify) << "";
        QTest::addRow("right with a mark") << int(TSaNumEdit::taRightJustify) << QString::fromUtf8("RightMark=円");
        QTest::addRow("left, IntegerFixed") << int(TSaNumEdit::taLeftJustify) << "IntegerFixed=1";
        QTest::addRow("centre") << int(TSaNumEdit::taCenter) << "";
    }

    void layout()
    {
        QFETCH(int, alignment);
        QFETCH(QString, settings);
        TSaNumEdit e;
        applySettings(e, settings);
        e.SetAlignment(TSaNumEdit::TAlignment(alignment));
        e.resize(200, e.height());
        e.SetText(QStringLiteral("1234"));
        const QFontMetrics fm = e.fontMetrics();
        const int cw = e.width() - 4; // 2-pixel border each side
        const int t = fm.horizontalAdvance(QStringLiteral("1,234"));
        const int r = fm.horizontalAdvance(e.RightMark());
        int x = 0;
        if (alignment == TSaNumEdit::taRightJustify)
            x = cw - r - 2 - 1 - t;
        else if (alignment == TSaNumEdit::taLeftJustify)
            x = 2 + fm.horizontalAdvance(QStringLiteral("-000,000,000")) - t;
        else
            x = (cw - 4) / 2 + 2 + t - t / 2 - t;
        QCOMPARE(e.NumberRect(), QRect(2 + x, 2 + (e.height() - 4 - fm.height() - 4) / 2 + 2, t, fm.height()));
        // The caret stands at the right end of the number.
        QCOMPARE(e.CaretRect().left(), e.NumberRect().right() + 1);
        QCOMPARE(e.CaretRect().height(), fm.height());
    }

    void paints()
    {
        // The number is drawn where NumberRect says, in the text colour; the
        // selected value on the highlight colour.
        TSaNumEdit e;
        e.resize(160, e.height());
        e.SetText(QStringLiteral("8888"));
        QImage img = e.grab().toImage();
        const QRect n = e.NumberRect();
        auto darkIn = [&](const QRect &r) {
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    if (qGray(img.pixel(x, y)) < 100)
                        return true;
            return false;
        };
        QVERIFY(darkIn(n));
        QVERIFY(!darkIn(QRect(4, n.top(), n.left() - 8, n.height())));
        e.SelectAll();
        img = e.grab().toImage();
        QCOMPARE(QColor(img.pixel(n.left() + 1, n.top() + 1)), e.palette().color(QPalette::Highlight));
    }

    void programSetTextRaisesNothing()
    {
        fresh();
        QSignalSpy changed(edit, &TSaNumEdit::OnChange);
        edit->SetText(QStringLiteral("10"));
        edit->setProperty("Text", QStringLiteral("20"));
        edit->Clear();
        QCOMPARE(changed.count(), 0);
        QCOMPARE(edit->Text(), QString());
    }
};

QTEST_MAIN(TSaNumEditTest)
#include "sa_num_edit_qtest.moc"
