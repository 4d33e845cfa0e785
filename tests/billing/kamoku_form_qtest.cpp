// The item master window on a temporary program directory: seeding, the
// tabs and rows, typing, the grey strip's menu, Enter, the drag text, and the
// nine files written on closing.

#include "billing/kamoku_form.h"
#include "billing/kamoku_master.h"
#include "billing/meisai_form.h"
#include "controls/string_grid_ex.h"
#include "app/main_form.h"
#include "shell/message_box.h"
#include "storage/clock.h"
#include "storage/generations.h"
#include "storage/cp932.h"
#include "storage/ini_file.h"
#include "storage/money_settings.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QDropEvent>
#include <QMimeData>
#include <QInputMethodEvent>
#include <QMenu>
#include <QPointer>
#include <QTabBar>
#include <QTemporaryDir>
#include <QLabel>
#include <QtTest>

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray record(uint32_t code, uint32_t number, const QString &name, const QString &english, int32_t price)
{
    THojoKamoku k{};
    k.KamokuCode = code;
    k.HojoCode = number;
    setFieldText(k.Tekiyo, name);
    setFieldText(k.ETekiyo, english);
    k.Tanka = price;
    return QByteArray(reinterpret_cast<const char *>(&k), sizeof k);
}

// Japanese text arrives as the input method commits it, one character at a time.
void typeText(QWidget *w, const QString &text)
{
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype n = text.at(i).isHighSurrogate() ? 2 : 1;
        QInputMethodEvent ev;
        ev.setCommitString(text.mid(i, n));
        QApplication::sendEvent(w, &ev);
        i += n;
    }
}

THojoKamoku entryIn(const QByteArray &file, int position)
{
    THojoKamoku k{};
    memcpy(&k, file.constData() + position * int(sizeof k), sizeof k);
    return k;
}

} // namespace

class KamokuFormTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QList<ShownMessage> shown;
    QMessageBox::StandardButton offerAnswer = QMessageBox::Apply; // to an offer of plain letters
    std::unique_ptr<TMainForm> main;

    TKamokuForm *open()
    {
        main = std::make_unique<TMainForm>(dir.path());
        main->show();
        main->menuItem("KamokuMenu")->trigger();
        return qobject_cast<TKamokuForm *>(main->findChildWindow("KamokuForm"));
    }
    TStringGridEx *grid(TKamokuForm *f) { return f->findChild<TStringGridEx *>("Grid"); }
    void closeWindow(TKamokuForm *f)
    {
        QPointer<TKamokuForm> guard(f);
        f->close();
        QTRY_VERIFY(guard.isNull());
    }
    // The seeded item master, saved once and loaded again: 57 options.
    void storeSeededMaster()
    {
        TKamokuForm *f = open();
        closeWindow(f);
        main.reset();
    }
    void rightClickStrip(TStringGridEx *g, int row)
    {
        g->SetTopRow(std::max(1, row - 2));
        QTest::mouseClick(g->viewport(), Qt::RightButton, {}, g->CellRect(0, row).center());
    }
    QString path(const char *name) const { return dir.filePath(QLatin1String(name)); }

private slots:
    void init()
    {
        QVERIFY(dir.isValid());
        QDir(dir.path()).removeRecursively();
        QDir().mkpath(dir.path());
        shown.clear();
        Clock::setFixed(QDateTime(QDate(2007, 8, 9), QTime(10, 0)));
        SetMessageResponder([this](const ShownMessage &m) {
            if (m.title != QStringLiteral("ナビゲーター")) // first-run hints are the main window's affair
                shown.append(m);
            return m.buttons & QMessageBox::Apply ? offerAnswer : QMessageBox::Ok;
        });
    }
    void cleanup()
    {
        main.reset();
        SetMessageResponder({});
        Clock::setFixed({});
    }

    void firstOpeningSeedsTheDefaults()
    {
        TKamokuForm *f = open();
        QVERIFY(f);
        QCOMPARE(f->windowTitle(), QStringLiteral("摘要マスター"));
        const size_t counts[] = {12, 6, 5, 5, 3, 3, 10, 2, 1};
        for (int c = 0; c < KamokuCategories; ++c)
            QCOMPARE(main->data().KamokuList[size_t(c)].size(), counts[c]);
        QCOMPARE(main->data().StartFlags & MissingKamoku, 0);

        auto *tabs = f->findChild<QTabBar *>("TabControl1");
        QCOMPARE(tabs->count(), 8);
        const QStringList captions = {"宿泊費", "オプション", "日帰り", "立替金", "値引き", "カード", "クーポン", "前受金"};
        for (int t = 0; t < 8; ++t)
            QCOMPARE(tabs->tabText(t), captions[t]);
        QCOMPARE(f->tab(), 0);

        TStringGridEx *g = grid(f);
        QCOMPARE(g->RowCount(), 100);
        QCOMPARE(g->CellDrawText(1, 0), QStringLiteral("摘要"));
        QCOMPARE(g->CellDrawText(2, 0), QStringLiteral("単価"));
        QCOMPARE(g->CellDrawText(3, 0), QStringLiteral("英語摘要"));
        QCOMPARE(g->Rows(1), QStringList({"1601/1", "大人宿泊料金", "0", "Charge(ADULT)", "", "", ""}));
        QCOMPARE(g->Rows(13), QStringList({"", "", "", "", "", "", ""}));
        QCOMPARE(g->CellDrawText(4, 0), QStringLiteral("軽減税率"));
        // The key column is a grey strip: its text has the strip's colour.
        QCOMPARE(g->GridColumns()[0]->FixCellFontColor(), g->FixedColor());

        f->setTab(1); // options
        QCOMPARE(g->Rows(4), QStringList({"1601/104", "ワイン", "3000", "Wine", "", "", ""}));
        QCOMPARE(g->CellDrawText(2, 4), QStringLiteral("3,000"));
        f->setTab(3); // advances: category 4
        QCOMPARE(g->Cells(1, 2), QStringLiteral("タバコ代"));
        f->setTab(5); // cards
        QCOMPARE(g->Cells(1, 10), QStringLiteral("UFJ"));
    }

    void aFileOfSevenShowsFiftyBlankRowsAfterThem()
    {
        QByteArray seven;
        for (uint32_t i = 1; i <= 7; ++i)
            seven += record(1601, i, QStringLiteral("料金%1").arg(i), QStringLiteral("Charge"), 1000 * int(i));
        writeFile(path("kmk_syu.dat"), seven);
        TKamokuForm *f = open();
        QCOMPARE(main->data().KamokuList[0].size(), size_t(57));
        TStringGridEx *g = grid(f);
        QCOMPARE(g->Cells(1, 7), QStringLiteral("料金7"));
        int blanks = 0;
        for (int row = 8; row < g->RowCount(); ++row)
            if (g->Cells(1, row).isEmpty() && g->Cells(2, row) == QLatin1String("0"))
                ++blanks; // a blank entry: empty name, price 0
        QCOMPARE(blanks, 50);
        QCOMPARE(g->Rows(58), QStringList({"", "", "", "", "", "", ""})); // no entry behind it
    }

    void typingIntoRowSixtyOfASevenEntryCategory()
    {
        QByteArray seven;
        for (uint32_t i = 1; i <= 7; ++i)
            seven += record(1601, i, QStringLiteral("料金%1").arg(i), {}, 0);
        writeFile(path("kmk_syu.dat"), seven);
        TKamokuForm *f = open();
        TStringGridEx *g = grid(f);
        g->setFocus();
        g->FocusCell(1, 60);
        typeText(g, QStringLiteral("S"));
        typeText(g->InplaceEditor(), QStringLiteral("uite"));
        QCOMPARE(g->Cells(1, 60), QStringLiteral("Suite"));
        QCOMPARE(g->Cells(0, 60), QStringLiteral("1601/60"));
        QCOMPARE(main->data().KamokuList[0].size(), size_t(60));
        closeWindow(f);

        const QByteArray file = fileBytes(path("kmk_syu.dat"));
        QCOMPARE(file.size(), 60 * 88);
        QCOMPARE(fieldText(entryIn(file, 59).Tekiyo), QStringLiteral("Suite"));
        QCOMPARE(itemKey(entryIn(file, 59)), 1601060u);
        for (int pos : {7, 57, 58}) { // blank entries before it carry their positions
            QCOMPARE(itemKey(entryIn(file, pos)), 1601001u + uint32_t(pos));
            QCOMPARE(fieldText(entryIn(file, pos).Tekiyo), QString());
        }
        QVERIFY(shown.isEmpty());
    }

    void typedTextsAreCheckedAtEntry()
    {
        TKamokuForm *f = open();
        TStringGridEx *g = grid(f);
        g->setFocus();
        g->FocusCell(1, 13);
        typeText(g, QStringLiteral("ビ"));
        typeText(g->InplaceEditor(), QStringLiteral("ール🍺"));
        QCOMPARE(g->Cells(1, 13), QStringLiteral("ビール"));
        QCOMPARE(g->InplaceEditor()->Text(), QStringLiteral("ビール"));
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown.last().text.contains(QStringLiteral("「🍺」")));
        QCOMPARE(shown.last().title, QStringLiteral("エラー"));

        // 17 full-width characters fit the field; the 18th is refused.
        g->InplaceEditor()->SetText(QString());
        typeText(g->InplaceEditor(), QString(18, QChar(0x3042)));
        QCOMPARE(g->Cells(1, 13), QString(17, QChar(0x3042)));
        QCOMPARE(shown.last().text, QStringLiteral("摘要は全角17文字（半角35文字）以内で入力してください"));
        QCOMPARE(fieldText(main->data().KamokuList[0][12].Tekiyo), QString(17, QChar(0x3042)));

        // A pasted name over 40 bytes meets the 40-byte check.
        QApplication::clipboard()->setText(QString(21, QChar(0x3044)));
        g->InplaceEditor()->selectAll();
        g->InplaceEditor()->paste();
        QCOMPARE(shown.last().text, QStringLiteral("摘要は全角20文字以内で入力してください"));
        QCOMPARE(g->Cells(1, 13), QString(17, QChar(0x3042)));

        g->FocusCell(3, 13);
        QTest::keyClicks(g, QStringLiteral("e"));
        QTest::keyClicks(g->InplaceEditor(), QString(35, QLatin1Char('e')));
        QCOMPARE(g->Cells(3, 13), QString(35, QLatin1Char('e')));
        QCOMPARE(shown.last().text, QStringLiteral("英語摘要は全角17文字（半角35文字）以内で入力してください"));
    }

    // A name with accents is offered without them; declined, the cell keeps
    // what was typed before the refused letter.
    void accentedNamesAreOfferedPlain()
    {
        TKamokuForm *f = open();
        TStringGridEx *g = grid(f);
        g->setFocus();
        for (auto answer : {QMessageBox::Cancel, QMessageBox::Apply}) {
            offerAnswer = answer;
            g->FocusCell(3, 13);
            QTest::keyClicks(g, QStringLiteral("C"));
            QTest::keyClicks(g->InplaceEditor(), QStringLiteral("af"));
            typeText(g->InplaceEditor(), QStringLiteral("é"));
            const QString expected = answer == QMessageBox::Apply ? QStringLiteral("Cafe") : QStringLiteral("Caf");
            QCOMPARE(g->Cells(3, 13), expected);
            QCOMPARE(g->InplaceEditor()->Text(), expected);
            QVERIFY(shown.last().text.endsWith(QStringLiteral("「Cafe」と入力できます。")));
            g->InplaceEditor()->SetText(QString());
        }
        g->FocusCell(1, 14);
        offerAnswer = QMessageBox::Apply;
        typeText(g, QStringLiteral("ホ"));
        typeText(g->InplaceEditor(), QStringLiteral("セ・José"));
        QCOMPARE(g->Cells(1, 14), QStringLiteral("ホセ・Jose"));
        QCOMPARE(fieldText(main->data().KamokuList[0][13].Tekiyo), QStringLiteral("ホセ・Jose"));
    }

    // A minus typed into a price is refused outside the discount tab, and the
    // price keeps what it held; a discount takes it.
    void aMinusPriceOnlyInTheDiscountTab_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("price");
        QTest::addColumn<bool>("refused");
        QTest::newRow("accommodation") << 0 << "0" << true;
        QTest::newRow("options") << 1 << "0" << true;
        QTest::newRow("discount") << 4 << "-500" << false;
    }
    void aMinusPriceOnlyInTheDiscountTab()
    {
        QFETCH(int, tab);
        QFETCH(QString, price);
        QFETCH(bool, refused);
        TKamokuForm *f = open();
        f->findChild<QTabBar *>()->setCurrentIndex(tab);
        TStringGridEx *g = grid(f);
        g->setFocus();
        g->FocusCell(2, 20);
        QTest::keyClicks(g, QStringLiteral("-"));
        QTest::keyClicks(g->InplaceEditor(), QStringLiteral("500"));
        QCOMPARE(g->Cells(2, 20), refused ? QStringLiteral("500") : price);
        QCOMPARE(shown.size(), refused ? 1 : 0);
        if (refused)
            QVERIFY(shown[0].text.startsWith(QStringLiteral("単価は0円から2,147,483,647円までの整数で入力してください")));
        const int32_t stored = main->data().KamokuList[size_t(kamokuTab(tab).category)][19].Tanka;
        QCOMPARE(stored, refused ? 500 : -500);
    }

    void enterInTheLastColumnGoesBackToTheName()
    {
        TKamokuForm *f = open();
        TStringGridEx *g = grid(f);
        g->setFocus();
        g->FocusCell(1, 2);
        QTest::keyClick(g, Qt::Key_Return);
        QCOMPARE(g->Col(), 2);
        QVERIFY(g->InplaceEditor() && g->InplaceEditor()->isVisible());
        QTest::keyClick(g->InplaceEditor(), Qt::Key_Return);
        QCOMPARE(g->Col(), 3);
        QTest::keyClick(g->InplaceEditor(), Qt::Key_Return);
        QCOMPARE(g->Col(), 1);
        QCOMPARE(g->Row(), 2);
    }

    void reservedRowsRefuseInsertAndDelete()
    {
        TKamokuForm *f = open();
        TStringGridEx *g = grid(f);
        // The tab says which rows are kept for fetched reservations; the others do not.
        auto *note = f->findChild<QLabel *>(QStringLiteral("ReservedNote"));
        QVERIFY(note && note->isVisibleTo(f));
        QVERIFY(note->text().contains(QStringLiteral("1〜11行目は予約の受信データ専用")));
        auto *tabs = f->findChild<QTabBar *>(QStringLiteral("TabControl1"));
        tabs->setCurrentIndex(1);
        QVERIFY(!note->isVisibleTo(f));
        tabs->setCurrentIndex(0);
        for (int row : {1, 11}) {
            rightClickStrip(g, row);
            QCOMPARE(shown.last().text, QStringLiteral("この行は受信データ専用に確保されているため変更できません"));
            QCOMPARE(shown.last().title, QStringLiteral("エラー"));
            QVERIFY(!f->popupMenu()->isVisible());
        }
        QCOMPARE(shown.size(), 2);
        rightClickStrip(g, 12);
        QCOMPARE(shown.size(), 2);
        QTRY_VERIFY(f->popupMenu()->isVisible());
        QCOMPARE(g->Row(), 12);
        QCOMPARE(g->Col(), 1);
        QStringList items;
        for (QAction *a : f->popupMenu()->actions())
            items << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(items, QStringList({"ここに行を挿入する", "-", "行を削除する(※注意　取消不可)", "-",
                                     "軽減税率の対象にする", "宿泊者ではない（宿泊税の対象外）", "-",
                                     "ポップアップメニューを閉じる"}));
        f->popupMenu()->hide();

        // Options can be sold at the reduced rate: ジュース is marked in its record and shown with ※.
        f->setTab(1);
        rightClickStrip(g, 5);
        QTRY_VERIFY(f->popupMenu()->isVisible());
        QAction *reduced = f->popupMenu()->findChild<QAction *>("Greduced");
        QVERIFY(reduced->isEnabled() && !reduced->isChecked());
        reduced->trigger();
        f->popupMenu()->hide();
        QCOMPARE(g->Cells(4, 5), QStringLiteral("※"));
        QCOMPARE(main->data().KamokuList[1][4].Keigen, uint8_t(1));
        // Advances carry no consumption tax: nothing to mark.
        f->setTab(3);
        rightClickStrip(g, 1);
        QTRY_VERIFY(f->popupMenu()->isVisible());
        QVERIFY(!reduced->isEnabled());
        f->popupMenu()->hide();
        f->setTab(0);
        // Tab 0 row 12 may be deleted: その他宿泊料金 goes.
        rightClickStrip(g, 12);
        f->popupMenu()->findChild<QAction *>("Gdelete")->trigger();
        QCOMPARE(main->data().KamokuList[0].size(), size_t(11));
        QCOMPARE(g->Cells(1, 12), QString());
        QCOMPARE(g->RowCount(), 100); // deleting does not shrink the grid
    }

    // Every stay row, those kept for received reservations too, is marked as
    // no guest of the accommodation tax (or as a guest again) by a double
    // click on its 宿泊税対象外 cell; the marks reach the settings file.
    void everyStayRowIsMarkedNoGuestByItsCell()
    {
        TKamokuForm *f = open();
        TStringGridEx *g = grid(f);
        const auto doubleClick = [&](int row) {
            g->SetTopRow(std::max(1, row - 2));
            const QPoint at = g->CellRect(6, row).center();
            QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, at);
        };
        const TLodgingTax &marks = main->data().Money.Lodging;
        QCOMPARE(g->Cells(6, 9), QStringLiteral("対象外")); // ペット宿泊料金(小), a reserved row
        doubleClick(9);
        QCOMPARE(g->Cells(6, 9), QString());
        QVERIFY(marks.bearsTax(1601009));
        doubleClick(1); // 大人宿泊料金, reserved
        QCOMPARE(g->Cells(6, 1), QStringLiteral("対象外"));
        QVERIFY(!marks.bearsTax(1601001));
        doubleClick(1);
        QVERIFY(marks.bearsTax(1601001));
        doubleClick(12); // その他宿泊料金, an ordinary row
        QVERIFY(!marks.bearsTax(1601012));
        doubleClick(40); // an empty row has nothing to mark
        QCOMPARE(g->Cells(6, 40), QString());
        QVERIFY(shown.isEmpty());
        closeWindow(f);
        IniFile ini(path("norvelreceipt.ini"));
        QCOMPARE(ini.value(MoneySection, QStringLiteral("LodgingTaxItems")),
                 QStringLiteral("1601010:notguest;1601011:notguest;1601012:notguest"));
    }

    void insertingAtRowThreeOfOptionsRenumbersOnClosing()
    {
        storeSeededMaster();
        TKamokuForm *f = open();
        f->setTab(1);
        TStringGridEx *g = grid(f);
        rightClickStrip(g, 3);
        QTRY_VERIFY(f->popupMenu()->isVisible());
        f->popupMenu()->findChild<QAction *>("Ginsert")->trigger();
        QCOMPARE(g->Cells(1, 3), QString());
        QCOMPARE(g->Cells(1, 4), QStringLiteral("日本酒(1合)"));
        closeWindow(f);

        // Up to the last entry in use: the blank rows after it stay in memory.
        const QByteArray file = fileBytes(path("kmk_opt.dat"));
        QCOMPARE(file.size(), 7 * 88);
        QCOMPARE(itemKey(entryIn(file, 2)), 1601103u);
        QCOMPARE(fieldText(entryIn(file, 2).Tekiyo), QString());
        QCOMPARE(fieldText(entryIn(file, 3).Tekiyo), QStringLiteral("日本酒(1合)"));
        QCOMPARE(entryIn(file, 3).HojoCode, 104u);
        QCOMPARE(itemKey(entryIn(file, 6)), 1601107u);
    }

    void renumberingKeysThatStoredBillsUseAsksFirst()
    {
        storeSeededMaster();
        // Two bills use 日本酒(1合), 1601103, which an insertion at row 3 moves.
        std::vector<TReserveData> lines(4);
        const uint32_t keys[] = {1601103, 1601103, 1601103, 1601102};
        const uint32_t bills[] = {500, 500, 501, 502};
        for (int i = 0; i < 4; ++i) {
            lines[size_t(i)].MeiNo = bills[i];
            lines[size_t(i)].Kubun = keys[i];
        }
        writeFile(path("reserve.dat"), QByteArray(reinterpret_cast<const char *>(lines.data()), 4 * 372));
        TKamokuForm *f = open();
        f->setTab(1);
        TStringGridEx *g = grid(f);
        for (QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Yes}) {
            shown.clear();
            SetMessageResponder([this, answer](const ShownMessage &m) {
                shown.append(m);
                return answer;
            });
            rightClickStrip(g, 3);
            QTRY_VERIFY(f->popupMenu()->isVisible());
            f->popupMenu()->findChild<QAction *>("Ginsert")->trigger();
            f->popupMenu()->close();
            QCOMPARE(shown.size(), 1);
            QCOMPARE(shown[0].defaultButton, QMessageBox::No);
            QVERIFY2(shown[0].text.contains(QStringLiteral("3 行")) && shown[0].text.contains(QStringLiteral("請求書 2 件")),
                     qPrintable(shown[0].text));
            QCOMPARE(g->Cells(1, 3), answer == QMessageBox::Yes ? QString() : QStringLiteral("日本酒(1合)"));
        }
        // Below the keys in use nothing is asked.
        shown.clear();
        rightClickStrip(g, 9);
        QTRY_VERIFY(f->popupMenu()->isVisible());
        f->popupMenu()->findChild<QAction *>("Ginsert")->trigger();
        f->popupMenu()->close();
        QVERIFY(shown.isEmpty());
    }

    void aFullCategorySaysSoAndHasNoRowPastItsKeys()
    {
        QByteArray hundred;
        for (uint32_t i = 1; i <= 100; ++i)
            hundred += record(1601, i, QStringLiteral("料金%1").arg(i), {}, 0);
        // A file of an earlier version: fifty blank entries after them.
        hundred += QByteArray(50 * 88, 0);
        writeFile(path("kmk_syu.dat"), hundred);
        TKamokuForm *f = open();
        QCOMPARE(main->data().KamokuList[0].size(), size_t(100));
        TStringGridEx *g = grid(f);
        QCOMPARE(g->RowCount(), 101); // row 100 is 1601100; no row takes 1601101
        rightClickStrip(g, 20);
        QTRY_VERIFY(f->popupMenu()->isVisible());
        f->popupMenu()->findChild<QAction *>("Ginsert")->trigger();
        f->popupMenu()->close();
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown[0].text.contains(QStringLiteral("100 件")), qPrintable(shown[0].text));
        QCOMPARE(g->Cells(1, 20), QStringLiteral("料金20"));
        closeWindow(f);
        QCOMPARE(fileBytes(path("kmk_syu.dat")).size(), 100 * 88);
    }

    void dragTextOfEachTabKeepsACommaInTheName_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("text");
        QTest::newRow("宿泊費") << 0 << "1601002,,夕食,朝食付き,1500";
        QTest::newRow("オプション") << 1 << "1601102,,夕食,朝食付き,1500";
        QTest::newRow("日帰り") << 2 << "1601802,,夕食,朝食付き,1500";
        QTest::newRow("立替金") << 3 << "1106002,,夕食,朝食付き(立替金),1500";
        QTest::newRow("値引き") << 4 << "";
        QTest::newRow("前受金") << 7 << "";
    }
    void dragTextOfEachTabKeepsACommaInTheName()
    {
        QFETCH(int, tab);
        QFETCH(QString, text);
        TKamokuForm *f = open();
        f->setTab(tab);
        TStringGridEx *g = grid(f);
        g->setFocus();
        g->FocusCell(1, 2);
        typeText(g, QStringLiteral("夕"));
        typeText(g->InplaceEditor(), QStringLiteral("食,朝食付き"));
        g->FocusCell(2, 2);
        QTest::keyClicks(g, QStringLiteral("1"));
        QTest::keyClicks(g->InplaceEditor(), QStringLiteral("500"));
        QCOMPARE(f->dragText(2), text);
        QCOMPARE(f->dragText(60), QString()); // nothing to drag from an empty row
        QVERIFY(!f->dragSource());            // no bill window is open
        if (!text.isEmpty()) {
            DraggedItem item;
            QVERIFY(parseItemDragText(text, &item));
            QVERIFY(item.name.startsWith(QStringLiteral("夕食,朝食付き")));
            QCOMPARE(item.price, 1500);
        }
    }

    void draggingAnEntryOntoTheOpenBillWindow()
    {
        TReserveData line{};
        line.MeiNo = 5000;
        setFieldText(line.Rsvday, QStringLiteral("2007/08/09"));
        setFieldText(line.Name, QStringLiteral("山田太郎"));
        line.Kubun = 1601001;
        setFieldText(line.Kamoku, QStringLiteral("大人宿泊料金"));
        line.Tanka = 10000;
        line.Suryou = 1;
        writeFile(path("reserve.dat"), QByteArray(reinterpret_cast<const char *>(&line), sizeof line));
        TKamokuForm *f = open();
        f->setTab(1);
        TStringGridEx *g = grid(f);
        g->setFocus();
        g->FocusCell(1, 2);
        typeText(g, QStringLiteral("夕"));
        typeText(g->InplaceEditor(), QStringLiteral("食,朝食付き"));
        g->FocusCell(2, 2);
        QTest::keyClicks(g, QStringLiteral("1"));
        QTest::keyClicks(g->InplaceEditor(), QStringLiteral("500"));
        QVERIFY(!f->dragSource());
        QVERIFY(!f->beginItemDrag(2)); // no bill window yet

        TMeisaiForm *bill = main->openBillWindow(5000);
        QVERIFY(bill);
        for (int t = 0; t < 8; ++t) {
            f->setTab(t);
            QCOMPARE(f->dragSource(), t <= 3);
        }
        f->setTab(4);
        QVERIFY(!f->beginItemDrag(2));
        QVERIFY(main->data().DragText.isEmpty());

        f->setTab(1);
        auto *lines = bill->findChild<TStringGridEx *>("Grid");
        lines->FocusCell(2, 1);
        QVERIFY(f->beginItemDrag(2));
        QCOMPARE(main->data().DragText, QStringLiteral("1601102,,夕食,朝食付き,1500"));
        QCOMPARE(lines->Col(), 1);
        QVERIFY(!bill->findChild<QComboBox *>("TekiyoCombo")->isVisible());

        // The pointer reaches the bill's third line and lets go.
        QMimeData mime;
        mime.setText(main->data().DragText);
        const QPoint at = lines->CellRect(2, 3).center();
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(lines->viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(lines->viewport(), &drop);
        f->endItemDrag();

        const TReserveData &dropped = bill->bill().Lines[2];
        QCOMPARE(dropped.Kubun, 1601102u);
        QCOMPARE(fieldText(dropped.Kamoku), QStringLiteral("夕食,朝食付き"));
        QCOMPARE(dropped.Tanka, 1500);
        QCOMPARE(lines->Cells(2, 3), QStringLiteral("夕食,朝食付き"));
        QVERIFY(main->data().DragText.isEmpty());
    }

    void closingWritesTheNineFilesByteForByte()
    {
        TKamokuForm *f = open();
        closeWindow(f);
        QByteArray urk;
        const char *cards[][2] = {{"JCB", "JCB"}, {"VISA", "VISA"}, {"Master", "Master"}, {"ニコス", "NIKOS"},
                                  {"アメックス", "AMEX"}, {"DC", "DC"}, {"Diners", "Diners"},
                                  {"セゾン", "SAISON"}, {"UC", "UC"}, {"UFJ", "UFJ"}};
        for (uint32_t i = 0; i < 10; ++i)
            urk += record(101, i + 1, QString::fromUtf8(cards[i][0]), QString::fromUtf8(cards[i][1]), 0);
        QCOMPARE(fileBytes(path("kmk_urk.dat")), urk);
        QCOMPARE(fileBytes(path("kmk_oth.dat")),
                 record(1601, 990, "サービス料", "Service", 0) + record(1601, 991, "宿泊料金(入湯税不要)", "Charge", 0)
                     + record(1601, 992, "宿泊料金(入湯税不要)", "Charge", 0));
        QCOMPARE(fileBytes(path("kmk_mae.dat")), record(1105, 1, "ご予約金", "Deposit", 0));
        QCOMPARE(fileBytes(path("kmk_ttk.dat")),
                 record(1106, 1, "電話代", "Telephone", 0) + record(1106, 2, "タバコ代", "Tobacco", 250)
                     + record(1106, 3, "その他非課税項目", "Tax Free", 0));

        // Every file holds its list as it is in memory, in category order.
        KamokuLists expected;
        seedDefaultKamoku(expected);
        renumberKamoku(expected);
        for (int c = 0; c < KamokuCategories; ++c) {
            const auto &l = expected[size_t(c)];
            QCOMPARE(fileBytes(path(KamokuFileNames[size_t(c)])),
                     QByteArray(reinterpret_cast<const char *>(l.data()), qsizetype(l.size() * 88)));
        }
        QVERIFY(main->library().LoadFormPlacement("KamokuForm", {}, main->data().iniPath()).isValid());
    }

    // Closing the master without a change writes nothing: no backup generation.
    void closingUnchangedAddsNoBackupGeneration()
    {
        closeWindow(open()); // the first opening seeds and stores the defaults
        const QByteArray stored = fileBytes(path(KamokuFileNames[0]));
        const size_t generations = listGenerations(main->data().BackupPath).size();
        closeWindow(open());
        QCOMPARE(listGenerations(main->data().BackupPath).size(), generations);
        QCOMPARE(fileBytes(path(KamokuFileNames[0])), stored);
        // A change is stored as before.
        TKamokuForm *f = open();
        main->data().KamokuList[0][0].Tanka = 12345;
        closeWindow(f);
        QVERIFY(fileBytes(path(KamokuFileNames[0])) != stored);
    }

    void aFailedSaveIsReportedAndKeepsTheEntries()
    {
        QDir(dir.path()).mkdir("kmk_mae.dat"); // a folder where a file must go
        TKamokuForm *f = open();
        grid(f)->SetCells(1, 1, QString()); // nothing typed: the seeded lists stay
        closeWindow(f);
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.last().title, QStringLiteral("エラー"));
        QVERIFY(shown.last().text.contains(QStringLiteral("このまま使えます")));
        QCOMPARE(main->data().KamokuList[6].size(), size_t(10));
        // Opening again keeps what is in memory rather than seeding afresh.
        main->data().KamokuList[6].pop_back();
        main->menuItem("KamokuMenu")->trigger();
        QCOMPARE(main->data().KamokuList[6].size(), size_t(9));
    }
};

QTEST_MAIN(KamokuFormTest)
#include "kamoku_form_qtest.moc"
