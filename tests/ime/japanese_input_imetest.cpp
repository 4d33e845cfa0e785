// Japanese typed at the bill window as the clerk types it: through a real
// input method (fcitx5 with Mozc) on a virtual screen, keys sent through X.
// Run inside tools/ime-session, which starts Xvfb, a private D-Bus bus, Mozc
// and fcitx5.
//
// Romaji go into the name and a line's description, are converted and
// committed, and reach reserve.dat as CP932; the amount fields and the date
// column take ASCII digits although Mozc is on (their input method is off),
// and full-width digits typed anyway are taken as narrow ones.

#include "billing/bill_fixtures.h"
#include "billing/kamoku_form.h"
#include "settings/basic_setting_form.h"
#include "billing/bill_state.h"
#include "billing/meisai_form.h"
#include "controls/sa_num_edit.h"
#include "controls/string_grid_ex.h"
#include "shell/app_setup.h"
#include "app/main_form.h"
#include "shell/message_box.h"
#include "storage/clock.h"
#include "storage/cp932.h"
#include "storage/library.h"
#include "ime/ime_keys.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QInputMethodQueryEvent>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTableWidget>
#include <QElapsedTimer>
#include <cstring>
#include <xcb/xcb.h>
#include <QLineEdit>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QDateTime kNow(QDate(2014, 3, 21), QTime(10, 0, 0));
const uint32_t kBill = 1395363600;
// Columns of the bill's lines.
enum { ColDate = 1, ColText = 2, ColTanka = 3, ColSuryou = 4 };

// Puts the full-width digits １ ２ ３ on three spare keys (F13 to F15) for
// good. xdotool would otherwise map each onto a key only for the moment of
// the key press, and the toolkit, reading the keyboard map after that moment,
// would find nothing on the key.
void mapFullWidthDigits()
{
    auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    QVERIFY(x11);
    const xcb_keysym_t syms[] = {0x100ff11, 0x100ff12, 0x100ff13};
    xcb_change_keyboard_mapping(x11->connection(), 3, 191, 1, syms);
    xcb_flush(x11->connection());
    QTest::qWait(200); // the toolkit reads the new map when told of it
}

QByteArray bytes(const char *cp932) { return QByteArray(cp932); }

// Brings forward the tab page a field is on, so that it can take focus.
void showPageOf(QWidget *field)
{
    for (QWidget *w = field; w && w->parentWidget(); w = w->parentWidget())
        if (auto *stack = qobject_cast<QStackedWidget *>(w->parentWidget()))
            stack->setCurrentWidget(w);
}

// Whether the widget tells the input method it takes Japanese.
bool takesInputMethod(QWidget *w)
{
    QInputMethodQueryEvent query(Qt::ImEnabled);
    QCoreApplication::sendEvent(w, &query);
    return query.value(Qt::ImEnabled).toBool();
}

// A grid cell typed into while the grid itself has the focus (no editor
// open yet), as the clerk types after moving there with the arrows.
void typeIntoCell(TStringGridEx *grid, int col, const QString &text, const QString &want)
{
    grid->setFocus();
    grid->FocusCell(col, 1);
    QTRY_VERIFY(grid->hasFocus());
    type(text);
    QTRY_VERIFY(grid->InplaceEditor() && grid->InplaceEditor()->isVisible());
    QTRY_COMPARE(grid->InplaceEditor()->Text(), want);
    QTest::keyClick(grid->InplaceEditor(), Qt::Key_Return);
}

} // namespace

class JapaneseInputTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QStringList shown;

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QVERIFY2(!qEnvironmentVariableIsEmpty("IME_SESSION_DIR"), "run inside tools/ime-session");
        setUpApplication(*qApp);
        Clock::setFixed(kNow);
        SetMessageResponder([this](const ShownMessage &m) {
            shown << m.text;
            return QMessageBox::Ok;
        });
        // One bill with one night's charge and no name yet.
        AppData data;
        TLibrary lib;
        data.ExePath = dir.path() + QLatin1Char('/');
        data.BaseData = settings(1, 1, 1);
        seedDefaultKamoku(data.KamokuList);
        TReserveData r = line(1601001, 10000, 1, "2014/03/21", "101", "大人宿泊料金");
        r.MeiNo = kBill;
        setFieldText(r.Regday, QStringLiteral("a000000057"));
        r.Stay = 1;
        r.Stayx = 1;
        data.ReserveList.push_back(r);
        QString error;
        QVERIFY(saveBaseData(data, lib, &error));
        QVERIFY(saveKamokuLists(data, lib, &error));
        QVERIFY(saveReserveList(data, lib, &error));
    }

    void typedJapaneseReachesTheFileAndNumbersStayNarrow()
    {
        TMainForm main(dir.path());
        main.resize(1024, 740);
        main.show();
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        TMeisaiForm *w = main.openBillWindow(kBill);
        QVERIFY(w);
        auto *name = w->findChild<QLineEdit *>(QStringLiteral("NameEdit"));
        auto *grid = w->findChild<TStringGridEx *>(QStringLiteral("Grid"));
        auto *deposit = w->findChild<TSaNumEdit *>(QStringLiteral("SaNumEdit%1").arg(RowDeposit));
        QVERIFY(name && grid && deposit);

        // The name: Japanese switched on, "yamada", Space converts, Return commits.
        name->setFocus();
        QVERIFY(waitIm(QStringLiteral("keyboard-us")));
        keys({QStringLiteral("ctrl+space")});
        QVERIFY(waitIm(QStringLiteral("mozc")));
        type(QStringLiteral("yamada"));
        keys({QStringLiteral("space")});
        // NORVEL_SHOT=FILE.png keeps a picture of the screen with the conversion
        // still open, and FILE-committed.png after it.
        const QString shot = qEnvironmentVariable("NORVEL_SHOT");
        if (!shot.isEmpty()) {
            QTest::qWait(500);
            QGuiApplication::primaryScreen()->grabWindow(0).save(shot);
        }
        keys({QStringLiteral("Return")});
        QTRY_COMPARE(name->text(), QStringLiteral("山田"));
        if (!shot.isEmpty())
            main.grab().save(QString(shot).replace(QStringLiteral(".png"), QStringLiteral("-committed.png")));

        // The line's description, typed over the item's text.
        grid->setFocus();
        grid->FocusCell(ColText, 1);
        grid->ShowEditor();
        QVERIFY(grid->InplaceEditor());
        grid->InplaceEditor()->SelectAll();
        QTRY_VERIFY(!currentIm().isEmpty());
        if (currentIm() != QLatin1String("mozc")) {
            keys({QStringLiteral("ctrl+space")});
            QVERIFY(waitIm(QStringLiteral("mozc")));
        }
        type(QStringLiteral("onsen"));
        keys({QStringLiteral("space")});
        keys({QStringLiteral("Return")});
        QTRY_COMPARE(grid->InplaceEditor()->Text(), QStringLiteral("温泉"));
        QTest::keyClick(grid->InplaceEditor(), Qt::Key_Return);
        QCOMPARE(fieldText(w->bill().Lines[0].Kamoku), QStringLiteral("温泉"));

        // The unit price and the date: their editor has no input method, so
        // the digits arrive as typed, narrow, with Mozc still on for the window.
        grid->FocusCell(ColTanka, 1);
        grid->ShowEditor();
        grid->InplaceEditor()->SelectAll();
        type(QStringLiteral("12000"));
        QTRY_COMPARE(grid->InplaceEditor()->Text(), QStringLiteral("12000"));
        QTest::keyClick(grid->InplaceEditor(), Qt::Key_Return);
        QCOMPARE(w->bill().Lines[0].Tanka, 12000);

        grid->FocusCell(ColDate, 1);
        grid->ShowEditor();
        grid->InplaceEditor()->SelectAll();
        type(QStringLiteral("2014/03/22"));
        QTRY_COMPARE(grid->InplaceEditor()->Text(), QStringLiteral("2014/03/22"));
        QTest::keyClick(grid->InplaceEditor(), Qt::Key_Return);
        QCOMPARE(fieldText(w->bill().Lines[0].Rsvday), QStringLiteral("2014/03/22"));

        // The deposit (of a kind chosen first): ASCII digits, and full-width
        // ones typed anyway are narrowed.
        auto *kind = w->findChild<QComboBox *>(QStringLiteral("CouponCombo"));
        QVERIFY(kind && kind->count() > 1);
        kind->setCurrentIndex(1);
        deposit->setFocus();
        QTRY_VERIFY(deposit->hasFocus());
        type(QStringLiteral("500"));
        QTRY_COMPARE(deposit->Text(), QStringLiteral("500"));
        deposit->SetText(QString());
        mapFullWidthDigits();
        keys({QStringLiteral("0x100ff11"), QStringLiteral("0x100ff12"), QStringLiteral("0x100ff13")}); // １２３
        QTRY_COMPARE(deposit->Text(), QStringLiteral("123"));

        // Closing saves: the texts are stored as CP932 bytes.
        QVERIFY(main.closeBillWindow());
        QCOMPARE(shown, QStringList());
        const QByteArray file = fileBytes(dir.filePath(QStringLiteral("reserve.dat")));
        QCOMPARE(file.size() % int(sizeof(TReserveData)), 0);
        bool found = false;
        for (int at = 0; at < file.size(); at += int(sizeof(TReserveData))) {
            TReserveData r;
            std::memcpy(&r, file.constData() + at, sizeof r);
            if (r.MeiNo != kBill || r.Kubun != 1601001)
                continue;
            found = true;
            QCOMPARE(QByteArray(r.Name), bytes("\x8e\x52\x93\x63"));        // 山田
            QCOMPARE(QByteArray(r.Kamoku), bytes("\x89\xb7\x90\xf2"));      // 温泉
            QCOMPARE(QByteArray(r.Rsvday), bytes("2014/03/22"));
            QCOMPARE(r.Tanka, 12000);
        }
        QVERIFY(found);
    }

    // Mozc left on by the name: every field of numbers, dates, amounts and
    // codes in every window takes what is typed as narrow text, and Japanese
    // is on again back in a text field.
    void numberDateAndCodeFieldsTakeNarrowTextWithJapaneseOn()
    {
        TMainForm main(dir.path());
        main.resize(1024, 740);
        main.show();
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        TMeisaiForm *w = main.openBillWindow(kBill);
        QVERIFY(w);
        auto *name = w->findChild<QLineEdit *>(QStringLiteral("NameEdit"));
        auto *seisan = w->findChild<QLineEdit *>(QStringLiteral("SeisanDay"));
        auto *stay = w->findChild<QLineEdit *>(QStringLiteral("StayEdit"));
        auto *grid = w->findChild<TStringGridEx *>(QStringLiteral("Grid"));
        QVERIFY(name && seisan && stay && grid);
        japaneseOn(name);

        // The header's settlement date and nights: 「２０１４・０３・２２」 and 「２月」 no more.
        seisan->setFocus();
        seisan->selectAll();
        type(QStringLiteral("2014/03/22"));
        QTRY_COMPARE(seisan->text(), QStringLiteral("2014/03/22"));
        stay->setFocus();
        stay->selectAll();
        type(QStringLiteral("2"));
        QTRY_COMPARE(stay->text(), QStringLiteral("2"));
        // Back in the name, Japanese is on as it was left.
        name->setFocus();
        QVERIFY(waitIm(QStringLiteral("mozc")));

        // Cells typed into straight from the grid: quantity, date, and
        // full-width digits from a wide keyboard in the unit price.
        typeIntoCell(grid, ColSuryou, QStringLiteral("3"), QStringLiteral("3"));
        QCOMPARE(w->bill().Lines[0].Suryou, 3);
        typeIntoCell(grid, ColDate, QStringLiteral("2014/03/21"), QStringLiteral("2014/03/21"));
        mapFullWidthDigits();
        grid->setFocus();
        grid->FocusCell(ColTanka, 1);
        keys({QStringLiteral("0x100ff11"), QStringLiteral("0x100ff12"), QStringLiteral("0x100ff13")}); // １２３
        QTRY_VERIFY(grid->InplaceEditor() && grid->InplaceEditor()->isVisible());
        QTRY_COMPARE(grid->InplaceEditor()->Text(), QStringLiteral("123"));
        QTest::keyClick(grid->InplaceEditor(), Qt::Key_Return);
        QCOMPARE(w->bill().Lines[0].Tanka, 123);
        // The description column takes Japanese again.
        grid->FocusCell(ColText, 1);
        QVERIFY(waitIm(QStringLiteral("mozc")));
        QVERIFY(main.closeBillWindow());

        // The item master: a price and an English description typed with
        // Japanese on in the Japanese description beside them.
        main.menuItem(QStringLiteral("KamokuMenu"))->trigger();
        auto *items = main.findChildWindow(QStringLiteral("KamokuForm"));
        QVERIFY(items);
        auto *itemGrid = items->findChild<TStringGridEx *>();
        QVERIFY(itemGrid);
        itemGrid->setFocus();
        itemGrid->FocusCell(1, 1);
        japaneseOn(itemGrid);
        typeIntoCell(itemGrid, 2, QStringLiteral("500"), QStringLiteral("500"));
        typeIntoCell(itemGrid, 3, QStringLiteral("Dinner"), QStringLiteral("Dinner"));
        itemGrid->FocusCell(1, 1);
        QVERIFY(waitIm(QStringLiteral("mozc")));
        items->close();

        // The settings: telephone, an amount, the registration number, a
        // rate and a date in the tax table.
        TBasicSettingForm::FromDateDialog = [](QWidget *, const QString &, QDate *) { return true; };
        main.menuItem(QStringLiteral("BasicSet"))->trigger();
        auto *settings = main.findChildWindow(QStringLiteral("BasicSettingForm"));
        QVERIFY(settings);
        auto *address = settings->findChild<QLineEdit *>(QStringLiteral("Jusyo"));
        auto *tel = settings->findChild<QLineEdit *>(QStringLiteral("TelNo"));
        auto *service = settings->findChild<TSaNumEdit *>(QStringLiteral("Service"));
        auto *reg = settings->findChild<QLineEdit *>(QStringLiteral("RegistrationNo"));
        auto *taxes = settings->findChild<QTableWidget *>(QStringLiteral("TaxTable"));
        QVERIFY(address && tel && service && reg && taxes);
        japaneseOn(address);
        tel->setFocus();
        tel->selectAll();
        type(QStringLiteral("0123-45-6789"));
        QTRY_COMPARE(tel->text(), QStringLiteral("0123-45-6789"));
        service->setFocus();
        QTRY_VERIFY(service->hasFocus());
        service->SetText(QString());
        type(QStringLiteral("12"));
        QTRY_COMPARE(service->Text(), QStringLiteral("12"));
        showPageOf(reg);
        reg->setFocus();
        QTRY_VERIFY(reg->hasFocus());
        type(QStringLiteral("T7000012050002"));
        QTRY_COMPARE(reg->text(), QStringLiteral("T7000012050002"));
        QVERIFY(taxes->rowCount() > 0 && taxes->item(0, 1));
        taxes->setFocus();
        taxes->setCurrentCell(0, 1);
        taxes->editItem(taxes->item(0, 1));
        QTRY_VERIFY(qobject_cast<QLineEdit *>(QApplication::focusWidget()));
        auto *rate = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        rate->selectAll();
        type(QStringLiteral("10"));
        QTRY_COMPARE(rate->text(), QStringLiteral("10"));
        showPageOf(address);
        address->setFocus();
        QVERIFY(waitIm(QStringLiteral("mozc")));
        QVERIFY(!takesInputMethod(settings->findChild<QSpinBox *>(QStringLiteral("FixedRate"))));

        // The reservation list's calendar takes a typed date, not Japanese.
        main.menuItem(QStringLiteral("RsvList"))->trigger();
        QWidget *list = main.findChildWindow(QStringLiteral("RsvlistForm"));
        QVERIFY(list);
        auto *calendar = list->findChild<QCalendarWidget *>(QStringLiteral("Calendar"));
        QVERIFY(calendar);
        for (QWidget *part : calendar->findChildren<QAbstractItemView *>())
            QVERIFY(!takesInputMethod(part));
        QCOMPARE(shown, QStringList());
    }
};

QTEST_MAIN(JapaneseInputTest)
#include "japanese_input_imetest.moc"
