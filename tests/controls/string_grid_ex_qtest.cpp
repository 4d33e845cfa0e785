// TStringGridEx driven as a person would: real key and mouse events on a
// shown grid, tables of cases.

#include "controls/display_format.h"
#include "controls/string_grid_ex.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QInputMethodQueryEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

class TStringGridExTest : public QObject {
    Q_OBJECT

    TStringGridEx *grid = nullptr;

    // A shown, focused grid: 4 columns, 6 rows, one fixed row, no fixed column.
    void fresh(TGridOptions extra = {})
    {
        delete grid;
        grid = new TStringGridEx;
        grid->SetFixedCols(0);
        grid->SetRowCount(6);
        grid->SetOptions(grid->Options() | goEditing | extra);
        grid->resize(400, 200);
        grid->show();
        grid->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(grid));
        grid->setFocus();
    }

    TInplaceEdit *editor() const { return grid->InplaceEditor(); }
    bool editing() const { return editor() && editor()->isVisible(); }

    // Keys as typed: plain characters, or {ENTER} {CTRL+ENTER} {F2} {ESC}
    // {LEFT} {RIGHT} {UP} {DOWN} {CTRL+LEFT} {CTRL+RIGHT} {CTRL+UP}
    // {CTRL+DOWN} {END} {CTRL+V}, sent to whatever has the focus.
    void typeKeys(const QString &keys)
    {
        static const QHash<QString, QPair<int, Qt::KeyboardModifiers>> named = {
            {QStringLiteral("ENTER"), {Qt::Key_Return, Qt::NoModifier}},
            {QStringLiteral("CTRL+ENTER"), {Qt::Key_Return, Qt::ControlModifier}},
            {QStringLiteral("F2"), {Qt::Key_F2, Qt::NoModifier}},
            {QStringLiteral("ESC"), {Qt::Key_Escape, Qt::NoModifier}},
            {QStringLiteral("LEFT"), {Qt::Key_Left, Qt::NoModifier}},
            {QStringLiteral("RIGHT"), {Qt::Key_Right, Qt::NoModifier}},
            {QStringLiteral("UP"), {Qt::Key_Up, Qt::NoModifier}},
            {QStringLiteral("DOWN"), {Qt::Key_Down, Qt::NoModifier}},
            {QStringLiteral("END"), {Qt::Key_End, Qt::NoModifier}},
            {QStringLiteral("CTRL+LEFT"), {Qt::Key_Left, Qt::ControlModifier}},
            {QStringLiteral("CTRL+RIGHT"), {Qt::Key_Right, Qt::ControlModifier}},
            {QStringLiteral("CTRL+UP"), {Qt::Key_Up, Qt::ControlModifier}},
            {QStringLiteral("CTRL+DOWN"), {Qt::Key_Down, Qt::ControlModifier}},
            {QStringLiteral("CTRL+V"), {Qt::Key_V, Qt::ControlModifier}},
        };
        for (qsizetype i = 0; i < keys.size(); ++i) {
            QWidget *target = QApplication::focusWidget();
            QVERIFY(target);
            const QChar c = keys.at(i);
            if (c != QLatin1Char('{')) {
                QTest::keyClick(target, c.toLatin1());
                continue;
            }
            const qsizetype end = keys.indexOf(QLatin1Char('}'), i);
            const QString token = keys.mid(i + 1, end - i - 1);
            i = end;
            const auto it = named.find(token);
            QVERIFY2(it != named.end(), qPrintable(token));
            QTest::keyClick(target, Qt::Key(it->first), it->second);
        }
    }

    // The viewport pixel in the middle-left of a cell (away from its text).
    QColor cellPixel(int col, int row)
    {
        const QImage img = grid->viewport()->grab().toImage();
        const QRect r = grid->CellRect(col, row);
        return QColor(img.pixel(r.right() - 2, r.bottom() - 2));
    }

private slots:
    void cleanup()
    {
        delete grid;
        grid = nullptr;
    }

    void defaults()
    {
        TStringGridEx g;
        QCOMPARE(g.ColCount(), 4);
        QCOMPARE(g.GridColumns().Count(), 4);
        QCOMPARE(g.DefaultRowHeight(), 20);
        QCOMPARE(g.RowHeights(1), 20);
        QCOMPARE(g.GridStyle(), gsNormal);
        QCOMPARE(g.StripeColor(), g.Color());
        const TGridColumn *c = g.GridColumns()[0];
        QCOMPARE(c->Alignment(), taLeftJustify);
        QVERIFY(c->CanEdit());
        QCOMPARE(c->Caption(), QString());
        QCOMPARE(c->Color(), g.Color());
        QCOMPARE(c->DataType(), dtString);
        QCOMPARE(c->DisplayMask(), QString());
        QCOMPARE(c->Font(), g.font());
        QCOMPARE(c->FixCellFont(), g.font());
        QVERIFY(!c->Wordwrap());
        QVERIFY(!c->MultiLine());
    }

    void columnCount_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("count");

        QTest::newRow("ColCount 6 to 4 drops the last two") << 6 << "ColCount=4" << 4;
        QTest::newRow("ColCount 4 to 7 adds defaults") << 4 << "ColCount=7" << 7;
        QTest::newRow("adding a definition adds a column") << 6 << "Add" << 7;
        QTest::newRow("deleting a definition drops a column") << 6 << "Delete=1" << 5;
        QTest::newRow("the last column stays") << 1 << "Delete=0" << 1;
    }

    void columnCount()
    {
        QFETCH(int, from);
        QFETCH(QString, change);
        QFETCH(int, count);
        TStringGridEx g;
        g.SetColCount(from);
        for (int c = 0; c < from; ++c)
            g.GridColumns()[c]->SetCaption(QStringLiteral("c%1").arg(c));
        if (change.startsWith(QLatin1String("ColCount=")))
            g.SetColCount(change.mid(9).toInt());
        else if (change == QLatin1String("Add"))
            QVERIFY(g.GridColumns().Add());
        else
            g.GridColumns().Delete(change.mid(7).toInt());
        QCOMPARE(g.ColCount(), count);
        QCOMPARE(g.GridColumns().Count(), count);
        // Surviving definitions keep their order; new ones are defaults.
        QStringList captions;
        for (int c = 0; c < count; ++c)
            captions << g.GridColumns()[c]->Caption();
        if (change == QLatin1String("ColCount=4"))
            QCOMPARE(captions, QStringList({"c0", "c1", "c2", "c3"}));
        if (change == QLatin1String("ColCount=7"))
            QCOMPARE(captions, QStringList({"c0", "c1", "c2", "c3", "", "", ""}));
        if (change == QLatin1String("Add"))
            QCOMPARE(captions.last(), QString());
        if (change == QLatin1String("Delete=1"))
            QCOMPARE(captions, QStringList({"c0", "c2", "c3", "c4", "c5"}));
    }

    void captions_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("cellText");
        QTest::addColumn<QString>("shown");

        QTest::newRow("empty heading shows the caption") << QString::fromUtf8("日付") << "" << QString::fromUtf8("日付");
        QTest::newRow("heading's own text wins") << QString::fromUtf8("日付") << QString::fromUtf8("精算日")
                                                 << QString::fromUtf8("精算日");
        QTest::newRow("empty caption stored as a blank") << "" << "" << " ";
    }

    void captions()
    {
        QFETCH(QString, caption);
        QFETCH(QString, cellText);
        QFETCH(QString, shown);
        fresh();
        grid->GridColumns()[1]->SetCaption(caption);
        grid->SetCells(1, 0, cellText);
        QCOMPARE(grid->GridColumns()[1]->Caption(), caption.isEmpty() ? QStringLiteral(" ") : caption);
        QCOMPARE(grid->CellDrawText(1, 0), shown);
        // A data cell never shows the caption.
        QCOMPARE(grid->CellDrawText(1, 1), QString());
        // The heading is painted: dark text pixels inside it exactly when something shows.
        const QImage img = grid->viewport()->grab().toImage();
        const QRect r = grid->CellRect(1, 0).adjusted(4, 4, -4, -4);
        bool ink = false;
        for (int y = r.top(); y <= r.bottom() && !ink; ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (qGray(img.pixel(x, y)) < 90) {
                    ink = true;
                    break;
                }
        QCOMPARE(ink, !shown.trimmed().isEmpty());
    }

    void striping()
    {
        fresh();
        const QColor stripe(0xE0, 0xF0, 0xFF);
        const QColor column(0xFF, 0xE0, 0xE0);
        grid->GridColumns()[2]->SetColor(column);
        grid->SetStripeColor(stripe);
        grid->SetGridStyle(gsStriped);
        grid->FocusCell(0, 5); // keep the highlight away from the sampled cells
        for (int row = 1; row <= 4; ++row) {
            const QColor want = row % 2 == 0 ? stripe : grid->Color();
            QCOMPARE(grid->GetBrushColor(2, row), want);
            QCOMPARE(cellPixel(2, row), want);
            QCOMPARE(cellPixel(1, row), want);
        }
        QCOMPARE(grid->GetBrushColor(2, 0), stripe); // row 0 counts as even
        grid->SetGridStyle(gsNormal);
        for (int row = 1; row <= 4; ++row) {
            QCOMPARE(cellPixel(2, row), column);
            QCOMPARE(cellPixel(1, row), grid->Color());
        }
    }

    void wordWrap_data()
    {
        QTest::addColumn<bool>("wrap");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("secondLine");
        QTest::newRow("wraps at word boundaries") << true << "wwww wwww wwww wwww" << true;
        QTest::newRow("cut at the cell edge") << false << "wwww wwww wwww wwww" << false;
        QTest::newRow("line breaks always break") << false << "ww\r\nww" << true;
    }

    void wordWrap()
    {
        QFETCH(bool, wrap);
        QFETCH(QString, text);
        QFETCH(bool, secondLine);
        fresh();
        grid->SetColWidths(1, 70);
        grid->SetRowHeights(1, 60);
        grid->GridColumns()[1]->SetWordwrap(wrap);
        grid->SetCells(1, 1, text);
        grid->FocusCell(0, 3);
        const QImage img = grid->viewport()->grab().toImage();
        const QRect r = grid->CellRect(1, 1);
        const int lineSpacing = QFontMetrics(grid->GridColumns()[1]->Font()).lineSpacing();
        bool ink = false;
        for (int y = r.top() + 2 + lineSpacing; y < r.top() + 2 + 2 * lineSpacing && !ink; ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (qGray(img.pixel(x, y)) < 90) {
                    ink = true;
                    break;
                }
        QCOMPARE(ink, secondLine);
    }

    void displayForm_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("shown");

        QTest::newRow("date digits") << "20070809" << "0000/00/00" << "2007/08/09";
        QTest::newRow("grouped amount") << "1234567" << "###,###,###" << "1,234,567";
        QTest::newRow("negative amount") << "-1234" << "###,###,###" << "-1,234";
        QTest::newRow("zero under #") << "0" << "###,###" << "";
        QTest::newRow("zero under 0") << "0" << "#,##0" << "0";
        QTest::newRow("more digits than the picture") << "123456789" << "#,##0" << "123,456,789";
        QTest::newRow("decimals padded") << "1.5" << "0.00" << "1.50";
        QTest::newRow("decimals rounded") << "2.345" << "0.0" << "2.3";
        QTest::newRow("plus sign read") << "+42" << "000" << "042";
        QTest::newRow("unreadable number goes to the edit mask") << "1-2" << "##-##" << "1--2";
        QTest::newRow("text in an edit mask") << "abcd" << "AA-AA" << "ab-cd";
        QTest::newRow("short text stops") << "abc" << "AA-AA" << "ab-c";
        QTest::newRow("blank character fills") << "abc" << "AA-AA;0;_" << "ab-c_";
        QTest::newRow("forty # keep 40 bytes") << QString(50, QLatin1Char('x')) << QString(40, QLatin1Char('#'))
                                               << QString(40, QLatin1Char('x'));
        QTest::newRow("forty # keep 20 kanji") << QString(25, QChar(0x5BBF)) << QString(40, QLatin1Char('#'))
                                               << QString(20, QChar(0x5BBF));
        QTest::newRow("escaped literal") << "ab" << "A\\#A" << "a#b";
    }

    void displayForm()
    {
        QFETCH(QString, text);
        QFETCH(QString, mask);
        QFETCH(QString, shown);
        QCOMPARE(GetDisplayText(text, mask), shown);
        fresh();
        grid->GridColumns()[0]->SetDisplayMask(mask);
        grid->SetCells(0, 1, text);
        QCOMPARE(grid->CellDrawText(0, 1), shown);
        QCOMPARE(grid->Cells(0, 1), text); // the cell keeps its text
    }

    void integerCells_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("editorText");
        QTest::addColumn<int>("beeps");

        QTest::newRow("minus alone stored as -0") << "" << "-" << "" << "-0" << "-" << 0;
        QTest::newRow("minus then digits") << "" << "-5" << "" << "-5" << "-5" << 0;
        QTest::newRow("leading zeros dropped") << "" << "007" << "" << "7" << "007" << 0;
        QTest::newRow("plus sign alone refused") << "" << "+5" << "" << "5" << "5" << 0;
        QTest::newRow("plus sign dropped") << "" << "{F2}{CTRL+V}" << "+5" << "5" << "+5" << 0;
        QTest::newRow("1.5 typed: the point is refused") << "" << "1.5" << "" << "15" << "15" << 0;
        QTest::newRow("1.5 pasted: refused, previous text back") << "7" << "{F2}{CTRL+V}" << "1.5" << "7" << "7" << 0;
        QTest::newRow("letters pasted: refused") << "7" << "{F2}{CTRL+V}" << "12a" << "7" << "7" << 0;
        QTest::newRow("letters typed: not accepted, beep") << "" << "1a2" << "" << "12" << "12" << 1;
        QTest::newRow("letter on the grid: no editor, beep") << "3" << "x" << "" << "3" << "" << 1;
        QTest::newRow("erased to empty") << "5" << "{F2}{END}\b" << "" << "" << "" << 0;
    }

    void integerCells()
    {
        QFETCH(QString, before);
        QFETCH(QString, keys);
        QFETCH(QString, clipboard);
        QFETCH(QString, cell);
        QFETCH(QString, editorText);
        QFETCH(int, beeps);
        fresh();
        grid->GridColumns()[1]->SetDataType(dtInteger);
        grid->SetCells(1, 1, before);
        grid->FocusCell(1, 1);
        QGuiApplication::clipboard()->setText(clipboard);
        QSignalSpy beeped(grid, &TStringGrid::Beeped);
        QSignalSpy stored(grid, &TStringGrid::OnSetEditText);
        typeKeys(keys);
        QCOMPARE(grid->Cells(1, 1), cell);
        QCOMPARE(editing() ? editor()->Text() : QString(), editorText);
        QCOMPARE(beeped.count(), beeps);
        if (!stored.isEmpty())
            QCOMPARE(stored.last().at(2).toString(), cell);
    }

    void refusalCaret()
    {
        // After a refused change the caret stands one place before where it was.
        fresh();
        grid->GridColumns()[0]->SetDataType(dtInteger);
        grid->FocusCell(0, 1);
        typeKeys(QStringLiteral("12.")); // "12." refused: "12" back, caret at 2
        QCOMPARE(editor()->Text(), QStringLiteral("12"));
        QCOMPARE(editor()->textCursor().position(), 2);
        typeKeys(QStringLiteral("{LEFT}x")); // not even accepted
        typeKeys(QStringLiteral("."));       // "1.2" refused: caret was 2, now 1
        QCOMPARE(editor()->Text(), QStringLiteral("12"));
        QCOMPARE(editor()->textCursor().position(), 1);
    }

    void multiLineKeys_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<bool>("stillEditing");
        QTest::addColumn<QPoint>("current");

        QTest::newRow("Enter is a line break, Ctrl+Enter finishes")
            << "{F2}ab{ENTER}cd{CTRL+ENTER}" << "ab\r\ncd" << false << QPoint(1, 1);
        QTest::newRow("typing starts the editor, Enter breaks the line")
            << "x{ENTER}y" << "x\r\ny" << true << QPoint(1, 1);
        QTest::newRow("arrows move inside the text")
            << "{F2}ab{ENTER}cd{UP}{LEFT}Z{DOWN}" << "aZb\r\ncd" << true << QPoint(1, 1);
        QTest::newRow("Enter on the grid opens the editor unselected")
            << "{ENTER}!" << QString::fromUtf8("宿泊!") << true << QPoint(1, 1);
        QTest::newRow("F2 opens the editor unselected") << "{F2}!" << QString::fromUtf8("宿泊!") << true << QPoint(1, 1);
    }

    void multiLineKeys()
    {
        QFETCH(QString, keys);
        QFETCH(QString, cell);
        QFETCH(bool, stillEditing);
        QFETCH(QPoint, current);
        fresh();
        TGridColumn *description = grid->GridColumns()[1];
        description->SetMultiLine(true);
        description->SetWordwrap(true);
        description->SetImeMode(imHira);
        const QString start = keys.startsWith(QLatin1String("{F2}ab")) || keys.startsWith(QLatin1Char('x'))
            ? QString()
            : QString::fromUtf8("宿泊");
        grid->SetCells(1, 1, start);
        grid->FocusCell(1, 1);
        typeKeys(keys);
        QCOMPARE(grid->Cells(1, 1), cell);
        QCOMPARE(editing(), stillEditing);
        QCOMPARE(QPoint(grid->Col(), grid->Row()), current);
        if (stillEditing) {
            auto *ed = static_cast<TInplaceEditEx *>(editor());
            QVERIFY(ed->MultiLine());
            QVERIFY(ed->WordWrap());
            QCOMPARE(ed->lineWrapMode(), QPlainTextEdit::WidgetWidth);
            QCOMPARE(ed->ImeMode(), imHira);
        }
    }

    void ctrlArrowsMoveCells()
    {
        // With the editor always shown, Ctrl+arrows leave a multi-line cell
        // for its neighbour, whose text is not selected.
        fresh(goAlwaysShowEditor);
        grid->GridColumns()[1]->SetMultiLine(true);
        grid->GridColumns()[2]->SetMultiLine(true);
        grid->SetCells(2, 1, QStringLiteral("abc"));
        grid->SetCells(1, 2, QStringLiteral("def"));
        grid->FocusCell(1, 1);
        grid->ShowEditor();
        QVERIFY(editing());
        typeKeys(QStringLiteral("{CTRL+RIGHT}"));
        QCOMPARE(QPoint(grid->Col(), grid->Row()), QPoint(2, 1));
        QVERIFY(editing());
        QCOMPARE(editor()->Text(), QStringLiteral("abc"));
        QCOMPARE(editor()->SelLength(), 0);
        typeKeys(QStringLiteral("{CTRL+LEFT}{CTRL+DOWN}"));
        QCOMPARE(QPoint(grid->Col(), grid->Row()), QPoint(1, 2));
        QCOMPARE(editor()->Text(), QStringLiteral("def"));
        QCOMPARE(editor()->SelLength(), 0);
        typeKeys(QStringLiteral("!"));
        QCOMPARE(grid->Cells(1, 2), QStringLiteral("def!"));
    }

    void singleLineEnter_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QPoint>("current");
        QTest::addColumn<QString>("cell");

        QTest::newRow("all selected: next cell") << "{F2}{ENTER}" << QPoint(2, 1) << "abc";
        QTest::newRow("caret at the end: next cell") << "{F2}{END}{ENTER}" << QPoint(2, 1) << "abc";
        QTest::newRow("caret inside: one place right") << "{F2}{END}{LEFT}{LEFT}{ENTER}X" << QPoint(1, 1) << "abXc";
    }

    void singleLineEnter()
    {
        QFETCH(QString, keys);
        QFETCH(QPoint, current);
        QFETCH(QString, cell);
        fresh();
        grid->SetCells(1, 1, QStringLiteral("abc"));
        grid->FocusCell(1, 1);
        typeKeys(keys);
        QCOMPARE(QPoint(grid->Col(), grid->Row()), current);
        QCOMPARE(grid->Cells(1, 1), cell);
    }

    void f2SelectsInSingleLine()
    {
        fresh();
        grid->SetCells(0, 1, QStringLiteral("abc"));
        grid->FocusCell(0, 1);
        typeKeys(QStringLiteral("{F2}"));
        QVERIFY(editing());
        QVERIFY(editor()->AllSelected());
        typeKeys(QStringLiteral("z"));
        QCOMPARE(grid->Cells(0, 1), QStringLiteral("z"));
    }

    void editorTakesTheColumn()
    {
        fresh();
        TGridColumn *c = grid->GridColumns()[3];
        QFont f = c->Font();
        f.setBold(true);
        f.setPointSize(15);
        c->SetFont(f);
        c->SetImeMode(imDisable);
        c->SetColor(QColor(0xF0, 0xFF, 0xF0));
        grid->FocusCell(3, 2);
        typeKeys(QStringLiteral("{F2}"));
        QVERIFY(editing());
        QCOMPARE(editor()->font(), f);
        QVERIFY(!editor()->testAttribute(Qt::WA_InputMethodEnabled));
        QCOMPARE(editor()->palette().color(QPalette::Base), QColor(0xF0, 0xFF, 0xF0));
        QCOMPARE(editor()->geometry(), grid->CellRect(3, 2));
    }

    void readOnlyColumn()
    {
        fresh();
        grid->GridColumns()[0]->SetCanEdit(false);
        grid->SetCells(0, 1, QStringLiteral("fixed"));
        grid->FocusCell(0, 1);
        typeKeys(QStringLiteral("abc"));
        QCOMPARE(grid->Cells(0, 1), QStringLiteral("fixed"));
    }

    void mouseStartsEditing()
    {
        fresh();
        grid->SetCells(2, 3, QStringLiteral("abc"));
        const QRect r = grid->CellRect(2, 3);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, r.center());
        QCOMPARE(QPoint(grid->Col(), grid->Row()), QPoint(2, 3));
        QVERIFY(!editing());
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, r.center());
        QVERIFY(editing());
        QCOMPARE(editor()->Text(), QStringLiteral("abc"));
    }

    void scrollBars_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("shown");
        QTest::newRow("everything fits: no bar") << 5 << false;
        QTest::newRow("30 rows") << 31 << true;
        QTest::newRow("200 rows") << 201 << true;
    }

    void scrollBars()
    {
        QFETCH(int, rows);
        QFETCH(bool, shown);
        fresh();
        grid->SetRowCount(rows);
        QScrollBar *bar = grid->verticalScrollBar();
        // The bar shows or hides once the scroll area has laid itself out.
        QTRY_COMPARE(bar->isVisible(), shown);
        if (!shown)
            return;
        const int visible = grid->VisibleRowCount();
        const int scrollable = rows - 1;
        QVERIFY(visible > 0 && visible < scrollable);
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->maximum(), 127);
        QCOMPARE(bar->pageStep(), visible * 127 / (scrollable - visible));
        // The thumb stands for the visible share of the rows.
        const double share = double(bar->pageStep()) / (bar->maximum() + bar->pageStep());
        QVERIFY(std::abs(share - double(visible) / scrollable) < 0.02);
        // Moving down to the last row scrolls and moves the box to the end.
        grid->FocusCell(0, 1);
        QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(grid->Row(), rows - 1);
        QCOMPARE(bar->value(), 127);
        QVERIFY(grid->TopRow() > 1);
        // A click on the bar's arrow scrolls one row.
        const int top = grid->TopRow();
        bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        QCOMPARE(grid->TopRow(), top - 1);
        bar->triggerAction(QAbstractSlider::SliderToMinimum);
        QCOMPARE(grid->TopRow(), 1);
        QCOMPARE(bar->value(), 0);
    }

    void fixedRowsStay()
    {
        fresh();
        grid->SetRowCount(40);
        grid->SetCells(0, 0, QStringLiteral("head"));
        const QRect head = grid->CellRect(0, 0);
        grid->SetTopRow(20);
        QCOMPARE(grid->TopRow(), 20);
        QCOMPARE(grid->CellRect(0, 0), head);
        QVERIFY(grid->CellRect(0, 5).isEmpty());
        QCOMPARE(grid->CellRect(0, 20).top(), head.bottom() + 1 + grid->GridLineWidth());
    }

    // Rows made when asked: only the cells painted or read are made, they
    // cannot be written, and stored rows come back empty.
    void virtualRows()
    {
        fresh();
        grid->SetCells(1, 0, QStringLiteral("head"));
        grid->SetCells(1, 2, QStringLiteral("stored"));
        QSet<int> made;
        grid->SetVirtualRows(1000000, [&made](int col, int row) {
            made.insert(row);
            return QStringLiteral("%1:%2").arg(col).arg(row);
        });
        QCOMPARE(grid->RowCount(), 1000001);
        QCOMPARE(grid->Cells(1, 0), QStringLiteral("head"));
        QCOMPARE(grid->Cells(1, 2), QStringLiteral("1:1"));
        QCOMPARE(grid->Rows(1000000), QStringList({"0:999999", "1:999999", "2:999999", "3:999999"}));
        grid->SetCells(1, 2, QStringLiteral("refused"));
        QCOMPARE(grid->Cells(1, 2), QStringLiteral("1:1"));
        made.clear();
        grid->SetTopRow(500000);
        grid->repaint();
        QVERIFY(made.contains(499999));
        QVERIFY(made.size() < 20);
        QCOMPARE(grid->CellDrawText(1, 0), QStringLiteral("head"));
        grid->SetVirtualRows(3, {});
        QCOMPARE(grid->RowCount(), 4);
        QCOMPARE(grid->Rows(2), QStringList(4, QString()));
        grid->SetCells(1, 2, QStringLiteral("stored"));
        QCOMPARE(grid->Cells(1, 2), QStringLiteral("stored"));
    }

    // What a Japanese input method commits for narrow text, as that text.
    void narrowTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("taken");
        QTest::newRow("digits") << QStringLiteral("０１２３４５６７８９") << QStringLiteral("0123456789");
        QTest::newRow("date with middle dots") << QStringLiteral("２０２６・１２・１１") << QStringLiteral("2026/12/11");
        QTest::newRow("telephone with long marks") << QStringLiteral("０３ー１２３４ー５６７８") << QStringLiteral("03-1234-5678");
        QTest::newRow("full-width signs and letters") << QStringLiteral("Ｔ１２／－．＋") << QStringLiteral("T12/-.+");
        QTest::newRow("narrow stays") << QStringLiteral("2026/12/11") << QStringLiteral("2026/12/11");
        QTest::newRow("kanji stay") << QStringLiteral("二月") << QStringLiteral("二月");
    }
    void narrowTyped()
    {
        QFETCH(QString, typed);
        QFETCH(QString, taken);
        QCOMPARE(NarrowTyped(typed), taken);
    }

    // A column of narrow text switches the input method off while its cell
    // is current, also before an editor opens, and takes a commit narrowed.
    void narrowColumnsTurnTheInputMethodOff()
    {
        fresh();
        grid->GridColumns()[1]->SetImeMode(imHira);
        grid->GridColumns()[2]->SetImeMode(imDisable);
        grid->GridColumns()[3]->SetImeMode(imSAlpha);
        const auto enabled = [](QWidget *w) {
            QInputMethodQueryEvent q(Qt::ImEnabled);
            QCoreApplication::sendEvent(w, &q);
            return q.value(Qt::ImEnabled).toBool();
        };
        grid->FocusCell(1, 1);
        QVERIFY(enabled(grid));
        grid->FocusCell(2, 1);
        QVERIFY(!enabled(grid));
        grid->FocusCell(3, 1);
        QVERIFY(!enabled(grid));
        // A commit arriving anyway, in the grid and then in the open editor.
        grid->FocusCell(2, 1);
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("２０２６・１"));
        QCoreApplication::sendEvent(grid, &commit);
        QVERIFY(editing());
        QVERIFY(!enabled(editor()));
        QInputMethodEvent more;
        more.setCommitString(QStringLiteral("２・１１"));
        QCoreApplication::sendEvent(editor(), &more);
        QCOMPARE(editor()->toPlainText(), QStringLiteral("2026/12/11"));
        // Full-width keys from a wide keyboard are narrowed too.
        typeKeys(QStringLiteral("{ESC}"));
        grid->FocusCell(3, 1);
        QKeyEvent wide(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("５"));
        QCoreApplication::sendEvent(grid, &wide);
        QVERIFY(editing());
        QCOMPARE(editor()->toPlainText(), QStringLiteral("5"));
    }

    // A line edit switched off: a commit made anyway is taken narrow.
    void aLineEditSwitchedOffTakesCommitsNarrow()
    {
        QLineEdit edit;
        ApplyImeMode(&edit, imDisable);
        QInputMethodQueryEvent q(Qt::ImEnabled);
        QCoreApplication::sendEvent(&edit, &q);
        QVERIFY(!q.value(Qt::ImEnabled).toBool());
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("２０２６・１２・１１"));
        QCoreApplication::sendEvent(&edit, &commit);
        QCOMPARE(edit.text(), QStringLiteral("2026/12/11"));
        ApplyImeMode(&edit, imHira); // and on again
        QInputMethodQueryEvent again(Qt::ImEnabled);
        QCoreApplication::sendEvent(&edit, &again);
        QVERIFY(again.value(Qt::ImEnabled).toBool());
    }
};

QTEST_MAIN(TStringGridExTest)
#include "string_grid_ex_qtest.moc"
