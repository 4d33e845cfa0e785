// The bill window on a temporary program directory with a fixed clock and
// scripted message answers: opening, the grid and its picker, the totals,
// the switches, closing and what reaches the files.

#include "billing/meisai_form.h"
#include "bill_desk.h"
#include "bill_fixtures.h"
#include "controls/sa_num_edit.h"
#include "controls/string_grid_ex.h"
#include "app/main_form.h"
#include "shell/message_box.h"
#include "storage/clock.h"
#include "storage/ini_file.h"
#include "storage/library.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QMenu>
#include <QComboBox>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QDateTime kNow(QDate(2014, 3, 21), QTime(10, 0, 0));
const uint32_t kBill = 1395363600;

TReserveData rec(uint32_t meiNo, uint32_t key, int32_t tanka, int32_t suryou, const char *date, const char *text,
                 const char *name = "山田太郎")
{
    TReserveData r = line(key, tanka, suryou, date, "101", text);
    r.MeiNo = meiNo;
    setFieldText(r.Regday, QStringLiteral("a000000057"));
    setFieldText(r.Name, QString::fromUtf8(name));
    setFieldText(r.Plan, QStringLiteral("一泊二食"));
    r.Stay = 1;
    r.Stayx = 1;
    return r;
}

} // namespace

class MeisaiFormTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QList<ShownMessage> shown;
    QList<QMessageBox::StandardButton> answers; // scripted answers, Ok once they run out

    QString path(const char *name) const { return dir.filePath(QLatin1String(name)); }
    QStringList texts() const
    {
        QStringList t;
        for (const auto &m : shown)
            t << m.text;
        return t;
    }

    // Writes the program directory: settings, the default item master and the reservations.
    void writeProgramDirectory(const std::vector<TReserveData> &reserve, uint8_t paperKubun = 0,
                               uint32_t reducedItem = 0)
    {
        AppData data;
        TLibrary lib;
        data.ExePath = dir.path() + QLatin1Char('/');
        setDefaultBaseData(data.BaseData);
        data.BaseData = settings(1, 1, 1);
        data.BaseData.PaperKubun = paperKubun;
        seedDefaultKamoku(data.KamokuList);
        for (auto &list : data.KamokuList)
            for (THojoKamoku &e : list)
                if (reducedItem != 0 && itemKey(e) == reducedItem)
                    e.Keigen = 1;
        data.ReserveList.edit().assign(reserve.begin(), reserve.end());
        QString error;
        QVERIFY(saveBaseData(data, lib, &error));
        QVERIFY(saveKamokuLists(data, lib, &error));
        QVERIFY(saveReserveList(data, lib, &error));
    }

    template <class T> T *child(QWidget *w, const char *name)
    {
        T *c = w->findChild<T *>(QLatin1String(name));
        if (!c)
            qWarning("no control %s", name);
        return c;
    }

    // The accommodation tax on, 200 under 6,000 and 400 from it, with the items' marks.
    void writeLodgingSettings(const std::map<uint32_t, TLodgingItem> &items = TLodgingTax::defaultItems())
    {
        TMoneySettings money;
        money.Lodging.Enabled = true;
        QCOMPARE(readLodgingPeriods(QStringLiteral("2014/01/01:0=200,6000=400"), &money.Lodging.Periods), QString());
        for (const auto &[key, item] : items)
            money.Lodging.Items[key] = item;
        IniFile ini(path("norvelreceipt.ini"));
        writeMoneySettings(ini, money);
        QVERIFY(ini.save());
    }

    // A line's action from the grid's own menu, opened by keys on line row.
    void lineMenuAction(TMeisaiForm *w, int row, const char *action)
    {
        auto *grid = child<TStringGridEx>(w, "Grid");
        grid->setFocus();
        grid->FocusCell(1, row);
        QTest::keyClick(grid, Qt::Key_F10, Qt::ShiftModifier);
        auto *menu = child<QMenu>(w, "PopupMenu1");
        QTRY_VERIFY(menu->isVisible());
        menu->findChild<QAction *>(action)->trigger();
        menu->close();
    }

private slots:
    void init()
    {
        QVERIFY(dir.isValid());
        QDir(dir.path()).removeRecursively();
        QDir().mkpath(dir.path());
        shown.clear();
        answers.clear();
        Clock::setFixed(kNow);
        SetMessageResponder([this](const ShownMessage &m) {
            shown.append(m);
            return answers.isEmpty() ? QMessageBox::Ok : answers.takeFirst();
        });
    }
    void cleanup()
    {
        SetMessageResponder({});
        Clock::setFixed({});
    }

    void opensAsTheOneBillWindowAndClosesThroughTheMainWindow()
    {
        writeProgramDirectory({rec(kBill, 1601001, 10000, 2, "2014/03/21", "大人宿泊料金")});
        TMainForm main(dir.path());
        main.show();
        QVERIFY(!main.menuItem("Print1")->isEnabled());
        TMeisaiForm *w = main.openBillWindow(kBill);
        QVERIFY(w);
        QCOMPARE(w->objectName(), QStringLiteral("MeisaiForm"));
        QCOMPARE(w->windowTitle(), QStringLiteral("勘定明細"));
        QCOMPARE(w->billNo(), kBill);
        QCOMPARE(main.billWindow(), w);
        QVERIFY(main.menuItem("Print1")->isEnabled());
        QVERIFY(!main.openBillWindow(kBill)); // one at a time
        QCOMPARE(child<QLineEdit>(w, "NameEdit")->text(), QStringLiteral("山田太郎"));
        QCOMPARE(w->bill().SaNumEdit[RowTotal], QStringLiteral("24060"));

        QPointer<TMeisaiForm> guard(w);
        QVERIFY(main.closeBillWindow());
        QVERIFY(!main.billWindow());
        QVERIFY(!main.menuItem("Print1")->isEnabled());
        QTRY_VERIFY(guard.isNull());
        QTRY_COMPARE(main.mdiArea()->subWindowList().size(), 0);
        QVERIFY(shown.isEmpty());
    }

    // Ctrl+W in the bill window closes it as its close button does (it was
    // an ambiguous shortcut, and did nothing).
    void ctrlWClosesTheBillWindow()
    {
        writeProgramDirectory({rec(kBill, 1601001, 10000, 2, "2014/03/21", "大人宿泊料金")});
        TMainForm main(dir.path());
        main.show();
        QApplication::setActiveWindow(&main);
        QVERIFY(QTest::qWaitForWindowActive(&main));
        QPointer<TMeisaiForm> w = main.openBillWindow(kBill);
        QVERIFY(w);
        auto *name = child<QLineEdit>(w, "NameEdit");
        name->setFocus();
        QTest::keyClick(name, Qt::Key_W, Qt::ControlModifier);
        QTRY_VERIFY(w.isNull());
        QVERIFY(!main.billWindow());
        QVERIFY(shown.isEmpty());
    }

    // A bill of today with juice sold to take away holds both rates: row 3
    // names them, and its hint gives each rate's amount and tax.
    void twoRatesShowEachRatesAmountAndTax()
    {
        Clock::setFixed(QDateTime(QDate(2026, 12, 10), QTime(10, 0)));
        writeProgramDirectory({rec(kBill, 1601001, 10000, 1, "2026/12/10", "大人宿泊料金"),
                               rec(kBill, 1601105, 1000, 1, "2026/12/10", "ジュース")},
                              0, 1601105);
        BillDesk desk(dir.path());
        desk.show();
        TMeisaiForm *w = desk.openBillWindow(kBill);
        QVERIFY(w);
        auto *label = child<QLineEdit>(w, "GEdit3");
        auto *amount = child<TSaNumEdit>(w, "SaNumEdit3");
        // The service charge of 1100 follows the items: 100 of it to the juice.
        // 10 % of 11000 is 1100; 8 % of 1100 is 88 (88.0, no tenth to round up).
        QCOMPARE(label->text(), QStringLiteral("消費税（10%・8%）"));
        QCOMPARE(amount->Text(), QStringLiteral("1188"));
        const QString hint = QStringLiteral("消費税（10%・8%）\n10%対象 ¥11,000 消費税 ¥1,100\n8%対象 ¥1,100 消費税 ¥88");
        QCOMPARE(label->toolTip(), hint);
        QCOMPARE(amount->toolTip(), hint);

        // In English as the bill is printed (the lines typed by hand give way to the master's).
        answers << QMessageBox::Yes << QMessageBox::Yes;
        child<QPushButton>(w, "LangButton")->click();
        QVERIFY(label->text().startsWith(QStringLiteral("Consumption Tax")));
        QVERIFY(label->text().contains(QStringLiteral("10%/8%")));
        QCOMPARE(amount->toolTip(),
                 label->text() + QStringLiteral("\nSubject to 10%: JPY 11,000 excl. tax, consumption tax JPY 1,100"
                                                "\nSubject to 8%: JPY 1,100 excl. tax, consumption tax JPY 88"));

        // Without the juice the bill has one rate, named in the label: no amounts in the hint.
        child<QPushButton>(w, "LangButton")->click();
        shown.clear();
        lineMenuAction(w, 2, "DeleteLine");
        QCOMPARE(child<TStringGridEx>(w, "Grid")->Cells(2, 2), QString());
        QCOMPARE(label->text(), QStringLiteral("消費税（10%）"));
        QCOMPARE(label->toolTip(), label->text());
        QVERIFY(amount->toolTip().isEmpty());
        QVERIFY(shown.isEmpty());
    }

    void pickedBeerTakesTheDateAboveAndTheTotalsAndCardFollowToTheFiles()
    {
        writeProgramDirectory({rec(kBill, 1601001, 10000, 2, "2014/03/21", "大人宿泊料金")});
        const QByteArray before = fileBytes(path("reserve.dat"));
        BillDesk desk(dir.path());
        desk.show();
        TMeisaiForm *w = desk.openBillWindow(kBill);
        QVERIFY(w);
        auto *grid = child<TStringGridEx>(w, "Grid");
        auto *picker = child<QComboBox>(w, "TekiyoCombo");
        grid->setFocus();

        // The empty 摘要 cell below the dated row shows the picker.
        grid->FocusCell(2, 2);
        QVERIFY(picker->isVisible());
        const int beer = picker->findText(QStringLiteral("ビール"));
        QVERIFY(beer >= 0);
        picker->setCurrentIndex(beer);
        emit picker->activated(beer);
        QCOMPARE(grid->Rows(2), (QStringList{"1601102", "2014/03/21", "ビール", "800", "1", QString::fromUtf8("¥800")}));
        QCOMPARE(grid->Col(), 4);
        QCOMPARE(grid->Row(), 2);
        QVERIFY(!picker->isVisible());
        QCOMPARE(picker->currentIndex(), -1);

        // A quantity typed and Enter: the line and the totals follow.
        QTest::keyClick(grid, Qt::Key_3);
        QTest::keyClick(grid->InplaceEditor(), Qt::Key_Return);
        QCOMPARE(w->bill().Lines[1].Suryou, 3);
        QCOMPARE(grid->Cells(5, 2), QString::fromUtf8("¥2,400"));
        QCOMPARE(grid->Col(), 5); // Enter into the last column also goes one row down
        QCOMPARE(grid->Row(), 3);

        // The eight summary rows: 22,400 of charges, service 10 % added, tax added, bathing tax on top.
        const QStringList labels{"サービス料10%", "*****", "料金計", "消費税（8%）", "入湯税(2名様×150円×1泊)",
                                 "ご利用額合計", "*****", "ご請求金額"};
        const QStringList amounts{"2240", "", "24640", "1972", "300", "26912", "", "26912"};
        for (int row = 0; row < BillRows; ++row) {
            const QString label = row == RowDiscount ? child<QComboBox>(w, "NebikiCombo")->currentText()
                : row == RowDeposit                  ? child<QComboBox>(w, "CouponCombo")->currentText()
                                                     : child<QLineEdit>(w, qPrintable(QStringLiteral("GEdit%1").arg(row)))->text();
            QCOMPARE(label, labels[row]);
            QCOMPARE(child<TSaNumEdit>(w, qPrintable(QStringLiteral("SaNumEdit%1").arg(row)))->Text(), amounts[row]);
        }

        // A card kind chosen while the card amount is 0 takes the balance.
        auto *card = child<QComboBox>(w, "SiharaiCombo");
        card->setCurrentIndex(card->findText(QStringLiteral("VISA")));
        QCOMPARE(child<TSaNumEdit>(w, "SaNumEdit8")->Text(), QStringLiteral("26912"));
        child<QSpinBox>(w, "CSpinEdit2")->setValue(2);

        QVERIFY(desk.closeBillWindow());
        QVERIFY(shown.isEmpty());

        // reserve.dat: the two lines with the header, then the service line.
        std::vector<TReserveData> expected = {rec(kBill, 1601001, 10000, 2, "2014/03/21", "大人宿泊料金"),
                                              rec(kBill, 1601102, 800, 3, "2014/03/21", "ビール"),
                                              rec(kBill, 1601990, 2240, 1, "2014/03/21", "サービス料10%")};
        QCOMPARE(fileBytes(path("reserve.dat")), listBytes(expected));
        QVERIFY(fileBytes(path("reserve.dat")) != before);
        TUrikakeData u{};
        u.MeiNo = kBill;
        setFieldText(u.Name, QStringLiteral("山田太郎"));
        u.Card = 101002;
        u.Goukei = 26912;
        QCOMPARE(fileBytes(path("urikake.dat")), listBytes(std::vector<TUrikakeData>{u}));
        const IniFile ini(path("norvelreceipt.ini"));
        QCOMPARE(ini.value("Environment", "RyosyuCopies"), QStringLiteral("2"));
        QCOMPARE(ini.value("Environment", "SeikyuCopies"), QStringLiteral("1"));
    }

    void closingWithoutTotalChangesNothing()
    {
        writeProgramDirectory({rec(kBill, 1601001, 10000, 2, "2014/03/21", "大人宿泊料金")});
        const QByteArray before = fileBytes(path("reserve.dat"));
        BillDesk desk(dir.path());
        desk.show();
        TMeisaiForm *w = desk.openBillWindow(kBill + 1); // a bill without lines
        QVERIFY(w);
        QCOMPARE(w->bill().SaNumEdit[RowTotal], QStringLiteral("0"));
        QVERIFY(desk.closeBillWindow());
        QCOMPARE(texts(), QStringList{"合計金額がないので保存しませんでした"});
        QCOMPARE(shown[0].title, QStringLiteral("注意"));
        QCOMPARE(fileBytes(path("reserve.dat")), before);
        QVERIFY(!QFile::exists(path("urikake.dat")));
    }

    void aGuestTypedAheadIsKeptWhenAsked()
    {
        // A bill made with 明細新規作成: one line of the day, nothing charged yet.
        TReserveData made = rec(kBill, 1601001, 0, 0, "2014/03/25", "", "");
        setFieldText(made.Regday, QStringLiteral("a000000001"));
        writeProgramDirectory({made});
        const QByteArray before = fileBytes(path("reserve.dat"));
        TMainForm main(dir.path());
        main.show();
        for (QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Yes}) {
            shown.clear();
            answers = {answer};
            TMeisaiForm *w = main.openBillWindow(kBill);
            QVERIFY(w);
            child<QLineEdit>(w, "NameEdit")->setText(QStringLiteral("鈴木花子"));
            QVERIFY(main.closeBillWindow());
            QCOMPARE(shown.size(), 1);
            QCOMPARE(shown[0].defaultButton, QMessageBox::Yes); // keeping is the default
            QVERIFY2(shown[0].text.contains(QStringLiteral("鈴木花子様")), qPrintable(shown[0].text));
            if (answer == QMessageBox::No)
                QCOMPARE(fileBytes(path("reserve.dat")), before);
        }
        // Kept: stored with its name, and listed on its day.
        AppData data;
        TLibrary lib;
        QVERIFY(loadAppData(data, lib, dir.path(), kNow).isEmpty());
        QVERIFY(!data.ReserveList.empty());
        for (const TReserveData &r : data.ReserveList)
            QCOMPARE(fieldText(r.Name), QStringLiteral("鈴木花子"));
        QCOMPARE(fieldText(data.ReserveList[0].Rsvday), QStringLiteral("2014/03/25"));
    }

    void shutdownDoesNotThrowAwayABillTheSaveRefuses()
    {
        writeProgramDirectory({rec(kBill, 1601001, 10000, 2, "2014/03/21", "大人宿泊料金")});
        const QByteArray before = fileBytes(path("reserve.dat"));
        TMainForm main(dir.path());
        main.show();
        TMeisaiForm *w = main.openBillWindow(kBill);
        QVERIFY(w);
        // A priced line without an item: the save refuses it.
        w->bill().Lines[1] = line(0, 500, 1, "2014/03/21", "101", "手書き");
        w->showPage();
        answers = {QMessageBox::Ok, QMessageBox::No};
        QVERIFY(!main.close());
        QCOMPARE(shown.size(), 2);
        QVERIFY2(shown[0].text.contains(QStringLiteral("保存できません")), qPrintable(shown[0].text));
        QCOMPARE(shown[1].buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(shown[1].defaultButton, QMessageBox::No);
        QCOMPARE(main.billWindow(), w); // the bill stays, in front
        QCOMPARE(static_cast<QWidget *>(main.mdiArea()->activeSubWindow()), w->parentWidget());
        QCOMPARE(fileBytes(path("reserve.dat")), before);

        // Mended, the shutdown stores it.
        shown.clear();
        w->bill().Lines[1] = line(1601102, 500, 1, "2014/03/21", "101", "ビール");
        w->showPage();
        QVERIFY(main.close());
        QVERIFY(shown.isEmpty());
        QVERIFY(fileBytes(path("reserve.dat")) != before);
    }

    void lineDatesAreCheckedWholeOnceAndStoredInOneForm()
    {
        writeProgramDirectory({rec(kBill, 1601001, 10000, 2, "2014/03/21", "大人宿泊料金")});
        TMainForm main(dir.path());
        main.show();
        TMeisaiForm *w = main.openBillWindow(kBill);
        auto *grid = child<TStringGridEx>(w, "Grid");
        grid->setFocus();
        grid->FocusCell(1, 2);
        QTest::keyClick(grid, Qt::Key_3);
        QTest::keyClicks(grid->InplaceEditor(), QStringLiteral("/32"));
        QCOMPARE(grid->Cells(1, 2), QStringLiteral("3/32"));
        QTest::keyClick(grid->InplaceEditor(), Qt::Key_Return);
        QCOMPARE(shown.size(), 1); // said once, and the row stays
        QVERIFY2(shown[0].text.contains(QStringLiteral("2026/12/11")), qPrintable(shown[0].text));
        QCOMPARE(grid->Row(), 2);
        QCOMPARE(fieldText(w->bill().Lines[1].Rsvday), QString());
        // Leaving the cell along the row is refused too, once.
        grid->FocusCell(2, 2);
        QCOMPARE(shown.size(), 2);
        QCOMPARE(grid->Col(), 1);

        // Without the year: the year of the stay.
        shown.clear();
        grid->FocusCell(1, 2);
        grid->ShowEditor();
        grid->InplaceEditor()->selectAll();
        QTest::keyClicks(grid->InplaceEditor(), QStringLiteral("3/22"));
        QTest::keyClick(grid->InplaceEditor(), Qt::Key_Return);
        QVERIFY(shown.isEmpty());
        QCOMPARE(fieldText(w->bill().Lines[1].Rsvday), QStringLiteral("2014/03/22"));

        // Full-width, with hyphens: narrowed as typed, stored and shown as 2014/03/22.
        shown.clear();
        grid->FocusCell(1, 2);
        grid->ShowEditor();
        grid->InplaceEditor()->selectAll();
        for (const QChar c : QStringLiteral("２０１４－０３－２２")) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(grid->InplaceEditor(), &press);
        }
        QCOMPARE(grid->Cells(1, 2), QStringLiteral("2014-03-22"));
        QTest::keyClick(grid->InplaceEditor(), Qt::Key_Return);
        QVERIFY2(shown.isEmpty(), qPrintable(shown.isEmpty() ? QString() : shown[0].text));
        QCOMPARE(fieldText(w->bill().Lines[1].Rsvday), QStringLiteral("2014/03/22"));
        QCOMPARE(grid->Cells(1, 2), QStringLiteral("2014/03/22"));
    }

    void itemsPickedWhileTheBathingTaxIsOffTakeTheExemptKey()
    {
        writeProgramDirectory({rec(kBill, 1601001, 10000, 2, "2014/03/21", "大人宿泊料金")});
        TMainForm main(dir.path());
        main.show();
        TMeisaiForm *w = main.openBillWindow(kBill);
        child<QCheckBox>(w, "CheckBox2")->click();
        QVERIFY(!w->bill().CheckBox2);
        auto *grid = child<TStringGridEx>(w, "Grid");
        auto *picker = child<QComboBox>(w, "TekiyoCombo");
        grid->setFocus();
        grid->FocusCell(2, 2);
        QVERIFY(picker->isVisible());
        const int adult = picker->findText(QStringLiteral("大人宿泊料金"));
        picker->setCurrentIndex(adult);
        emit picker->activated(adult);
        QCOMPARE(grid->Cells(0, 2), QStringLiteral("1601991"));
        QCOMPARE(w->bill().Lines[1].Kubun, 1601991u);
        QVERIFY(main.closeBillWindow());
        AppData data;
        TLibrary lib;
        QVERIFY(loadAppData(data, lib, dir.path(), kNow).isEmpty());
        for (const TReserveData &r : data.ReserveList)
            QVERIFY(r.Kubun != 1601001u); // the statement counts no guest of this bill
    }

    // The accommodation-tax switch beside the bathing tax's: off exempts the
    // bill, and the choice comes back when the bill is opened again.
    void theAccommodationTaxSwitchSurvivesSavingAndReopening()
    {
        writeProgramDirectory({rec(kBill, 1601001, 10000, 2, "2014/03/21", "大人宿泊料金")});
        writeLodgingSettings();
        BillDesk desk(dir.path());
        desk.show();
        const QString charged = QStringLiteral("入湯税(2名様×150円×1泊)及び宿泊税(2人泊×400円)");
        const QString exempt = QStringLiteral("入湯税(2名様×150円×1泊)");
        const struct {
            bool click;          // click the switch after opening
            bool checked;        // then, and after reopening
            const char *label;
            const char *row4, *total;
        } steps[] = {
            {false, true, "charged", "1100", "24860"},
            {true, false, "exempt", "300", "24060"},
            {false, false, "exempt", "300", "24060"},
            {true, true, "charged", "1100", "24860"},
        };
        for (const auto &s : steps) {
            TMeisaiForm *w = desk.openBillWindow(kBill);
            QVERIFY(w);
            auto *lodging = child<QCheckBox>(w, "LodgingCheck");
            QVERIFY(lodging->isVisible());
            QCOMPARE(lodging->text(), QStringLiteral("宿泊税"));
            QCOMPARE(lodging->isChecked(), s.click != s.checked);
            if (s.click)
                lodging->click();
            QCOMPARE(lodging->isChecked(), s.checked);
            QCOMPARE(child<QLineEdit>(w, "GEdit4")->text(), qstrcmp(s.label, "charged") == 0 ? charged : exempt);
            QCOMPARE(child<TSaNumEdit>(w, "SaNumEdit4")->Text(), QString::fromUtf8(s.row4));
            QCOMPARE(child<TSaNumEdit>(w, "SaNumEdit5")->Text(), QString::fromUtf8(s.total));
            // The switch stands whole beside 入湯税's.
            const QRect r(lodging->mapTo(w, QPoint(0, 0)), lodging->size());
            QVERIFY(w->rect().contains(r));
            QVERIFY(lodging->width() >= lodging->sizeHint().width());
            if (const QString shots = qEnvironmentVariable("NORVEL_SHOTS"); !shots.isEmpty())
                w->grab().save(shots + QStringLiteral("/bill_lodging_%1.png").arg(QLatin1String(s.label)));
            QVERIFY(desk.closeBillWindow());
        }
        QVERIFY(shown.isEmpty());

        // While the inn charges no such tax, the switch is not shown.
        desk.data().Money.Lodging.Enabled = false;
        TMeisaiForm *w = desk.openBillWindow(kBill);
        QVERIFY(!child<QCheckBox>(w, "LodgingCheck")->isVisible());
        QCOMPARE(child<TSaNumEdit>(w, "SaNumEdit5")->Text(), QStringLiteral("24060"));
        QVERIFY(desk.closeBillWindow());
    }

    // Two guests at 10,000 (400 a guest-night from 6,000 on). The line's meal
    // part of 5,000 set from its menu makes the tier price 5,000: 200 each.
    // One guest-night exempt for age: 1 x 200. Both come back with the bill;
    // a dropped stay item brings its own meal part from the item master.
    void partOfTheGuestsExemptAndALinesMealPart()
    {
        writeProgramDirectory({rec(kBill, 1601001, 10000, 2, "2014/03/21", "大人宿泊料金")});
        writeLodgingSettings({{1601013, {false, 8800}}});
        BillDesk desk(dir.path());
        desk.show();
        TMeisaiForm *w = desk.openBillWindow(kBill);
        QVERIFY(w);
        auto *exempt = child<QSpinBox>(w, "LodgingExempt");
        auto *reason = child<QComboBox>(w, "LodgingReason");
        QVERIFY(exempt->isVisible() && reason->isVisible());
        QCOMPARE(reason->count(), 3);
        lineMenuAction(w, 1, "LineMeal");
        QInputDialog *ask = nullptr;
        QTRY_VERIFY((ask = w->findChild<QInputDialog *>(QStringLiteral("LineMealDialog"))));
        QCOMPARE(ask->intValue(), 0);
        ask->setIntValue(5000);
        ask->accept();
        const QString bath = QStringLiteral("入湯税(2名様×150円×1泊)及び");
        QCOMPARE(child<QLineEdit>(w, "GEdit4")->text(), bath + QStringLiteral("宿泊税(2人泊×200円)"));
        reason->setCurrentText(QStringLiteral("年齢"));
        exempt->setValue(1);
        QCOMPARE(child<QLineEdit>(w, "GEdit4")->text(), bath + QStringLiteral("宿泊税(1人泊×200円)"));
        QCOMPARE(child<TSaNumEdit>(w, "SaNumEdit4")->Text(), QStringLiteral("500"));
        if (const QString shots = qEnvironmentVariable("NORVEL_SHOTS"); !shots.isEmpty())
            w->grab().save(shots + QStringLiteral("/bill_lodging_exempt.png"));
        QVERIFY(desk.closeBillWindow());

        w = desk.openBillWindow(kBill);
        QCOMPARE(child<QSpinBox>(w, "LodgingExempt")->value(), 1);
        QCOMPARE(child<QComboBox>(w, "LodgingReason")->currentText(), QStringLiteral("年齢"));
        QCOMPARE(LineMeal(w->bill(), 0), 5000);
        QCOMPARE(child<QLineEdit>(w, "GEdit4")->text(), bath + QStringLiteral("宿泊税(1人泊×200円)"));
        QVERIFY(w->dropItem(2, QStringLiteral("1601013,,1泊2食プラン,27500")));
        QCOMPARE(LineMeal(w->bill(), 1), 8800);
        QVERIFY(w->dropItem(3, QStringLiteral("1601001,,大人宿泊料金,10000")));
        QCOMPARE(LineMeal(w->bill(), 2), -1);
        QVERIFY(shown.isEmpty());
    }

    void invalidSettlementDateKeepsTheWindowAndWritesNothing()
    {
        writeProgramDirectory({rec(kBill, 1601001, 10000, 2, "2014/03/21", "大人宿泊料金")});
        const QByteArray before = fileBytes(path("reserve.dat"));
        TMainForm main(dir.path());
        main.show();
        TMeisaiForm *w = main.openBillWindow(kBill);
        child<QSpinBox>(w, "CSpinEdit1")->setValue(3);
        child<QLineEdit>(w, "SeisanDay")->setText(QStringLiteral("2014/02/30"));
        QVERIFY(!main.closeBillWindow());
        QCOMPARE(texts(), QStringList{"清算日は正しい形式で入力してください"});
        QCOMPARE(main.billWindow(), w);
        QVERIFY(main.menuItem("Print1")->isEnabled());
        QCOMPARE(fileBytes(path("reserve.dat")), before);
        QVERIFY(!QFile::exists(path("urikake.dat")));
        QVERIFY(!IniFile(path("norvelreceipt.ini")).contains("Environment", "SeikyuCopies"));

        // Typed in the short form, the date is stored in the long one.
        shown.clear();
        child<QLineEdit>(w, "SeisanDay")->setText(QStringLiteral("2014/3/2"));
        QVERIFY(main.closeBillWindow());
        QVERIFY(shown.isEmpty());
        QCOMPARE(IniFile(path("norvelreceipt.ini")).value("Environment", "SeikyuCopies"), QStringLiteral("3"));
        AppData data;
        TLibrary lib;
        QVERIFY(loadAppData(data, lib, dir.path(), kNow).isEmpty());
        QCOMPARE(fieldText(data.ReserveList[0].Seisan), QStringLiteral("2014/03/02"));
    }

    void billReceiptedInEnglishOpensInEnglishWithoutAsking()
    {
        TReserveData r = rec(kBill, 1601001, 10000, 2, "2014/03/21", "大人宿泊料金");
        r.Decide = 2;
        writeProgramDirectory({r});
        BillDesk desk(dir.path());
        desk.show();
        TMeisaiForm *w = desk.openBillWindow(kBill);
        QVERIFY(shown.isEmpty());
        QCOMPARE(w->bill().LangFlag, uint8_t(1));
        QCOMPARE(child<QPushButton>(w, "LangButton")->text(), QStringLiteral("日本語"));
        QCOMPARE(child<QLabel>(w, "Edit2")->text(), QStringLiteral("Name"));
        QCOMPARE(child<QLabel>(w, "Edit7")->text(), QStringLiteral("Stay"));
        auto *grid = child<TStringGridEx>(w, "Grid");
        QCOMPARE(grid->CellDrawText(2, 0), QStringLiteral("Description"));
        QCOMPARE(grid->Cells(2, 1), QStringLiteral("Charge(ADULT)"));
        QCOMPARE(child<QLineEdit>(w, "GEdit7")->text(), QStringLiteral("Balance"));

        // Back to Japanese: a bill receipted in English does not ask either.
        child<QPushButton>(w, "LangButton")->click();
        QVERIFY(shown.isEmpty());
        QCOMPARE(grid->Cells(2, 1), QStringLiteral("大人宿泊料金"));
    }

    void languageSwitchAsksFirstAndNoLeavesEverything()
    {
        writeProgramDirectory({rec(kBill, 1601001, 10000, 2, "2014/03/21", "大人宿泊料金")});
        BillDesk desk(dir.path());
        desk.show();
        TMeisaiForm *w = desk.openBillWindow(kBill);
        answers << QMessageBox::No;
        child<QPushButton>(w, "LangButton")->click();
        QCOMPARE(texts(), QStringList{"手入力の項目はマスター項目に置き換えられます　よろしいですか"});
        QCOMPARE(shown[0].buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(w->bill().LangFlag, uint8_t(0));
        answers << QMessageBox::Yes;
        child<QPushButton>(w, "LangButton")->click();
        QCOMPARE(w->bill().LangFlag, uint8_t(1));
        QCOMPARE(child<QLabel>(w, "Edit4")->text(), QStringLiteral("Room"));
    }

    void twentyLinesShowOnTwoPages()
    {
        std::vector<TReserveData> lines;
        for (int i = 1; i <= 20; ++i)
            lines.push_back(rec(kBill, 1601102, 100 * i, 1, "2014/03/21", "ビール"));
        writeProgramDirectory(lines);
        BillDesk desk(dir.path());
        desk.show();
        TMeisaiForm *w = desk.openBillWindow(kBill);
        auto *grid = child<TStringGridEx>(w, "Grid");
        auto *prev = child<QPushButton>(w, "PrevButton");
        QCOMPARE(grid->Cells(3, 1), QStringLiteral("100"));
        QCOMPARE(grid->Cells(3, 16), QStringLiteral("1600"));
        QVERIFY(!prev->isEnabled());
        child<QPushButton>(w, "NextButton")->click();
        QCOMPARE(child<QLabel>(w, "PageLabel")->text(), QStringLiteral("2"));
        QCOMPARE(grid->Cells(3, 1), QStringLiteral("1700"));
        QCOMPARE(grid->Cells(3, 4), QStringLiteral("2000"));
        for (int row = 5; row <= 16; ++row)
            QCOMPARE(grid->Rows(row).join(QString()), QString());
        QVERIFY(prev->isEnabled());
        QCOMPARE(grid->Row(), 1);
        // The page keys turn pages as the buttons do.
        QApplication::setActiveWindow(desk.window());
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_PageUp, Qt::ControlModifier);
        QCOMPARE(child<QLabel>(w, "PageLabel")->text(), QStringLiteral("1"));
        QVERIFY(!prev->isEnabled());
        QCOMPARE(grid->Cells(3, 16), QStringLiteral("1600"));
        QCOMPARE(w->bill().SaNumEdit[RowCharge], QStringLiteral("23100")); // 21,000 + service 2,100, all pages
    }

    void nameOutsideCp932IsRefusedAndNothingWritten()
    {
        writeProgramDirectory({rec(kBill, 1601001, 10000, 2, "2014/03/21", "大人宿泊料金")});
        const QByteArray before = fileBytes(path("reserve.dat"));
        BillDesk desk(dir.path());
        desk.show();
        TMeisaiForm *w = desk.openBillWindow(kBill);
        auto *name = child<QLineEdit>(w, "NameEdit");
        name->setFocus();
        name->end(false);
        QApplication::clipboard()->setText(QStringLiteral("😀é"));
        name->paste();
        QCOMPARE(texts(), QStringList{"名前に保存できない文字があります：「😀」「é」\nこの文字は使えません。別の文字で入力してください"});
        QCOMPARE(name->text(), QStringLiteral("山田太郎"));
        QCOMPARE(w->bill().NameEdit, QStringLiteral("山田太郎"));

        // Over the record's 63 bytes: refused as well, naming the limit.
        shown.clear();
        QApplication::clipboard()->setText(QString(30, QChar(0x3042)));
        name->paste();
        QCOMPARE(texts(), QStringList{"名前は全角31文字（半角63文字）以内で入力してください"});
        QCOMPARE(name->text(), QStringLiteral("山田太郎"));
        QCOMPARE(fileBytes(path("reserve.dat")), before);
    }

    // 単価 reads with thousands separators as 計 does; the cell keeps the digits.
    void unitPriceReadsWithSeparators()
    {
        writeProgramDirectory({rec(kBill, 1601001, 10000, 2, "2014/03/21", "大人宿泊料金")});
        BillDesk desk(dir.path());
        desk.show();
        TMeisaiForm *w = desk.openBillWindow(kBill);
        auto *grid = child<TStringGridEx>(w, "Grid");
        QCOMPARE(grid->CellDrawText(3, 1), QStringLiteral("10,000"));
        QCOMPARE(grid->CellDrawText(5, 1), QStringLiteral("¥20,000"));
        QCOMPARE(grid->Cells(3, 1), QStringLiteral("10000"));
    }

    void lineTextOutsideCp932IsRefusedInTheGrid()
    {
        writeProgramDirectory({rec(kBill, 1601001, 10000, 2, "2014/03/21", "大人宿泊料金")});
        BillDesk desk(dir.path());
        desk.show();
        TMeisaiForm *w = desk.openBillWindow(kBill);
        auto *grid = child<TStringGridEx>(w, "Grid");
        grid->setFocus();
        grid->FocusCell(2, 1);
        grid->ShowEditor();
        grid->InplaceEditor()->moveCursor(QTextCursor::End);
        // Committed by the input method, as a typed accented letter arrives.
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("é"));
        QApplication::sendEvent(grid->InplaceEditor(), &commit);
        // The plain letter is offered; declined, the cell keeps what it held.
        QCOMPARE(texts(), QStringList{"摘要に保存できない文字があります：「é」\nこの文字は使えません。別の文字で入力してください"
                                      "\n\nアクセント記号を外して「大人宿泊料金e」と入力できます。"});
        QCOMPARE(shown[0].buttons, QMessageBox::Apply | QMessageBox::Cancel);
        QCOMPARE(grid->Cells(2, 1), QStringLiteral("大人宿泊料金"));
        QCOMPARE(fieldText(w->bill().Lines[0].Kamoku), QStringLiteral("大人宿泊料金"));
        // Taken, the line holds the plain letter.
        answers = {QMessageBox::Apply};
        grid->InplaceEditor()->moveCursor(QTextCursor::End);
        QApplication::sendEvent(grid->InplaceEditor(), &commit);
        QCOMPARE(grid->Cells(2, 1), QStringLiteral("大人宿泊料金e"));
        QCOMPARE(fieldText(w->bill().Lines[0].Kamoku), QStringLiteral("大人宿泊料金e"));
    }

    void lineAmountBeyond32BitsIsRefusedWhereTyped()
    {
        writeProgramDirectory({rec(kBill, 1601001, 10000, 3, "2014/03/21", "大人宿泊料金")});
        BillDesk desk(dir.path());
        desk.show();
        TMeisaiForm *w = desk.openBillWindow(kBill);
        auto *grid = child<TStringGridEx>(w, "Grid");
        grid->setFocus();
        grid->FocusCell(3, 1);
        grid->ShowEditor();
        grid->InplaceEditor()->Deselect();
        // 100,000,000 x 3 still fits; 1,000,000,000 x 3 does not.
        QTest::keyClicks(grid->InplaceEditor(), QStringLiteral("00000"));
        QCOMPARE(texts(), QStringList{"明細の金額（単価×数量）は-2,147,483,648円から2,147,483,647円まででなければなりません"});
        QCOMPARE(w->bill().Lines[0].Tanka, 100000000);
        QCOMPARE(grid->Cells(3, 1), QStringLiteral("100000000"));
        QCOMPARE(w->bill().SaNumEdit[RowCharge], QStringLiteral("330000000"));
    }

    void wrappedTotalIsRefusedAndNeitherPrintedNorPreviewed()
    {
        // Damaged records: four huge lines whose 64-bit sum wraps to exactly the fifth's 10,000.
        std::vector<TReserveData> lines;
        for (int i = 0; i < 4; ++i)
            lines.push_back(rec(kBill, 1601102, -2147483648, -2147483648, "2014/03/21", "ビール"));
        lines.push_back(rec(kBill, 1601102, 10000, 1, "2014/03/21", "ビール"));
        writeProgramDirectory(lines);
        TMainForm main(dir.path());
        main.show();
        TMeisaiForm *w = main.openBillWindow(kBill);
        QVERIFY(w);
        const QString refusal =
            QStringLiteral("1ページ 1行目の明細の金額（単価×数量）が扱える範囲(-2,147,483,648円から2,147,483,647円まで)を超えています。\n"
                           "明細の単価と数量を確認してください");
        QCOMPARE(texts(), QStringList{refusal});
        QVERIFY(w->bill().SaNumEdit[RowTotal] != QStringLiteral("10000"));
        QCOMPARE(child<TSaNumEdit>(w, "SaNumEdit5")->Text(), QString());

        shown.clear();
        child<QPushButton>(w, "PrintRyousyu")->click();
        child<QPushButton>(w, "PrintSeikyu")->click();
        child<QPushButton>(w, "PrintW")->click();
        main.menuItem("PrintRyousyu")->trigger();
        main.menuItem("A41")->trigger();
        QCOMPARE(texts(), QStringList(5, refusal));
        QCOMPARE(w->bill().DecideEdit, QStringLiteral("0"));
        QCOMPARE(w->bill().SeisanDay, QString());
    }

    void printGroupsFollowThePaper_data()
    {
        QTest::addColumn<int>("paper");
        QTest::addColumn<QString>("receipt");
        QTest::addColumn<QString>("bill");
        QTest::newRow("A5") << 0 << "領収書(A5)" << "請求書(A5)";
        QTest::newRow("A4") << 1 << "領収書(A4)" << "請求書(A4)";
        QTest::newRow("B5") << 2 << "領収書(B5)" << "請求書(B5)";
        QTest::newRow("other") << 7 << "領収書(A5)" << "請求書(A5)";
    }
    void printGroupsFollowThePaper()
    {
        QFETCH(int, paper);
        QFETCH(QString, receipt);
        QFETCH(QString, bill);
        writeProgramDirectory({rec(kBill, 1601001, 10000, 2, "2014/03/21", "大人宿泊料金")}, uint8_t(paper));
        BillDesk desk(dir.path());
        desk.show();
        TMeisaiForm *w = desk.openBillWindow(kBill);
        QCOMPARE(child<QGroupBox>(w, "GroupBox1")->title(), receipt);
        QCOMPARE(child<QGroupBox>(w, "GroupBox2")->title(), bill);
        QCOMPARE(child<QGroupBox>(w, "GroupBox3")->title(), QStringLiteral("請求＆領収(A4)"));
        QCOMPARE(child<QCheckBox>(w, "TadashiCheck")->text(), QStringLiteral("但書出力"));
        QCOMPARE(child<QSpinBox>(w, "CSpinEdit1")->maximum(), 10);
    }

    void insertAndDeleteLinesFromThePopup()
    {
        writeProgramDirectory({rec(kBill, 1601001, 10000, 2, "2014/03/21", "大人宿泊料金"),
                               rec(kBill, 1601102, 800, 2, "2014/03/21", "ビール")});
        BillDesk desk(dir.path());
        desk.show();
        TMeisaiForm *w = desk.openBillWindow(kBill);
        auto *grid = child<TStringGridEx>(w, "Grid");
        lineMenuAction(w, 2, "InsertLine");
        QCOMPARE(grid->Cells(2, 2), QString());
        QCOMPARE(grid->Cells(1, 2), QStringLiteral("2014/03/21"));
        QCOMPARE(grid->Cells(2, 3), QStringLiteral("ビール"));
        lineMenuAction(w, 3, "DeleteLine");
        QCOMPARE(grid->Cells(2, 3), QString());
        QCOMPARE(w->bill().SaNumEdit[RowCharge], QStringLiteral("22000"));
    }

    void droppedItemFillsTheRow()
    {
        writeProgramDirectory({rec(kBill, 1601001, 10000, 2, "2014/03/21", "大人宿泊料金")});
        BillDesk desk(dir.path());
        desk.show();
        TMeisaiForm *w = desk.openBillWindow(kBill);
        QVERIFY(w->dropItem(3, QStringLiteral("1601102,,ビール,800")));
        auto *grid = child<TStringGridEx>(w, "Grid");
        QCOMPARE(grid->Rows(3), (QStringList{"1601102", "2014/03/21", "ビール", "800", "", ""}));
    }

    // At 1024 x 612 a filled bill window fits the main window whole: every
    // control inside the window and no caption cut. NORVEL_SCREENSHOT=file.png
    // saves the picture.
    void filledWindowFitsTheMainWindow()
    {
        std::vector<TReserveData> lines = {rec(kBill, 1601001, 12000, 2, "2014/03/21", "大人宿泊料金"),
                                           rec(kBill, 1601102, 800, 3, "2014/03/21", "ビール"),
                                           rec(kBill, 1601001, 12000, 2, "2014/03/22", "大人宿泊料金"),
                                           rec(kBill, 1106001, 540, 1, "2014/03/22", "電話代"),
                                           rec(kBill, 1602005, -2000, 1, "2014/03/21", "その他値引き"),
                                           rec(kBill, 1105001, 10000, 1, "2014/03/21", "ご予約金")};
        for (TReserveData &r : lines)
            r.Stay = 2;
        writeProgramDirectory(lines);
        TMainForm main(dir.path());
        main.resize(1024, 612);
        main.show();
        TMeisaiForm *w = main.openBillWindow(kBill);
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        auto *sub = qobject_cast<QMdiSubWindow *>(w->parentWidget());
        QVERIFY(sub);
        QCOMPARE(sub->pos(), QPoint(0, 0));
        const QSize area = main.mdiArea()->viewport()->size();
        QVERIFY2(sub->width() <= area.width() && sub->height() <= area.height(),
                 qPrintable(QStringLiteral("%1x%2 in %3x%4").arg(sub->width()).arg(sub->height()).arg(area.width()).arg(area.height())));
        QCoreApplication::processEvents();
        for (QWidget *c : w->findChildren<QWidget *>()) {
            if (!c->isVisibleTo(w) || c->objectName().isEmpty() || c->objectName() == QStringLiteral("TekiyoCombo"))
                continue;
            const QRect r(c->mapTo(w, QPoint(0, 0)), c->size());
            QVERIFY2(w->rect().contains(r), qPrintable(c->objectName()));
            if (auto *b = qobject_cast<QAbstractButton *>(c))
                QVERIFY2(b->width() >= b->sizeHint().width() || qobject_cast<QCheckBox *>(c), qPrintable(c->objectName()));
            if (auto *l = qobject_cast<QLabel *>(c))
                QVERIFY2(l->width() >= l->sizeHint().width(), qPrintable(c->objectName()));
        }
        if (const QByteArray shot = qgetenv("NORVEL_SCREENSHOT"); !shot.isEmpty())
            main.grab().save(QString::fromLocal8Bit(shot));
        // In English every caption still fits.
        answers << QMessageBox::Yes;
        child<QPushButton>(w, "LangButton")->click();
        QCoreApplication::processEvents();
        for (QLabel *l : w->findChildren<QLabel *>())
            QVERIFY2(!l->isVisibleTo(w) || l->width() >= l->sizeHint().width(), qPrintable(l->objectName()));
        if (const QByteArray shot = qgetenv("NORVEL_SCREENSHOT_EN"); !shot.isEmpty())
            main.grab().save(QString::fromLocal8Bit(shot));
    }

    // A line picked and typed without the mouse: F4 opens the picker over the
    // empty 摘要 cell, Down and Enter pick, the quantity follows, Enter moves on.
    void aLineByKeysAlone()
    {
        writeProgramDirectory({rec(kBill, 1601001, 10000, 2, "2014/03/21", "大人宿泊料金")});
        BillDesk desk(dir.path());
        desk.show();
        QVERIFY(QTest::qWaitForWindowExposed(desk.window()));
        TMeisaiForm *w = desk.openBillWindow(kBill);
        QApplication::setActiveWindow(desk.window());
        auto *grid = child<TStringGridEx>(w, "Grid");
        auto *picker = child<QComboBox>(w, "TekiyoCombo");
        grid->setFocus();
        grid->FocusCell(1, 2);
        QTest::keyClick(grid, Qt::Key_Right);
        QCOMPARE(grid->Col(), 2);
        QVERIFY(picker->isVisible());
        QTest::keyClick(grid, Qt::Key_F4);
        QTRY_VERIFY(picker->view()->isVisible());
        const int beer = picker->findText(QStringLiteral("ビール"));
        picker->view()->setCurrentIndex(picker->model()->index(beer, 0));
        QTest::keyClick(picker->view(), Qt::Key_Return);
        QTRY_COMPARE(grid->Cells(0, 2), QStringLiteral("1601102"));
        QCOMPARE(grid->Col(), 4);
        QTest::keyClick(grid, Qt::Key_2);
        QTest::keyClick(grid->InplaceEditor(), Qt::Key_Return);
        QCOMPARE(w->bill().Lines[1].Suryou, 2);
        QCOMPARE(grid->Row(), 3);
        QTest::keyClick(grid, Qt::Key_Return); // from 計 on to 摘要 of the same row
        QCOMPARE(grid->Col(), 2);
        QCOMPARE(grid->Row(), 3);
        QVERIFY(picker->isVisible());
        QVERIFY(shown.isEmpty());
    }

    // A filled 摘要 cell takes another item by F4 or Alt+Down as an empty one does.
    void thePickerOpensOnAFilledDescriptionToo()
    {
        writeProgramDirectory({rec(kBill, 1601001, 10000, 2, "2014/03/21", "大人宿泊料金")});
        BillDesk desk(dir.path());
        desk.show();
        QVERIFY(QTest::qWaitForWindowExposed(desk.window()));
        TMeisaiForm *w = desk.openBillWindow(kBill);
        QApplication::setActiveWindow(desk.window());
        auto *grid = child<TStringGridEx>(w, "Grid");
        auto *picker = child<QComboBox>(w, "TekiyoCombo");
        for (const auto &[key, mods] : {std::pair{Qt::Key_F4, Qt::NoModifier}, std::pair{Qt::Key_Down, Qt::AltModifier}}) {
            grid->setFocus();
            grid->FocusCell(1, 1);
            QTest::keyClick(grid, Qt::Key_Right);
            QCOMPARE(grid->Col(), 2);
            QVERIFY(!picker->isVisible()); // the cell holds 大人宿泊料金
            QTest::keyClick(grid, key, mods);
            QTRY_VERIFY(picker->view()->isVisible());
            QTest::keyClick(picker->view(), Qt::Key_Escape);
            QTRY_VERIFY(!picker->view()->isVisible());
            picker->hide();
        }
        QVERIFY(shown.isEmpty());
    }

    // Choosing a discount item brings its amount from the master, as a minus.
    void aDiscountItemFillsItsMasterAmount()
    {
        writeProgramDirectory({rec(kBill, 1601001, 10000, 2, "2014/03/21", "大人宿泊料金")});
        BillDesk desk(dir.path());
        for (auto &list : desk.data().KamokuList)
            for (THojoKamoku &k : list)
                if (k.KamokuCode == 1602 && !fieldText(k.Tekiyo).isEmpty())
                    k.Tanka = 1000;
        TMeisaiForm *w = desk.openBillWindow(kBill);
        auto *kind = child<QComboBox>(w, "NebikiCombo");
        QVERIFY(kind->count() > 1);
        kind->setCurrentIndex(1);
        QCOMPARE(child<TSaNumEdit>(w, QStringLiteral("SaNumEdit%1").arg(RowDiscount).toLatin1().constData())->Text(),
                 QStringLiteral("-1000"));
        QCOMPARE(w->bill().SaNumEdit[RowDiscount], QStringLiteral("-1000"));
    }
};

QTEST_MAIN(MeisaiFormTest)
#include "meisai_form_qtest.moc"
