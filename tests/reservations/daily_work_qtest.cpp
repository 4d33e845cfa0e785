// A day at the front desk, end to end, on a temporary program directory with
// a fixed clock and scripted answers: the list of 2014/03/21, a bill created
// and filled in the bill window, a two-room bill split, a bill deleted; what
// reserve.dat and urikake.dat hold afterwards, byte for byte.

#include "billing/meisai_form.h"
#include "controls/sa_num_edit.h"
#include "controls/string_grid_ex.h"
#include "reservations/rsvlist_form.h"
#include "app/main_form.h"
#include "shell/message_box.h"
#include "storage/clock.h"
#include "storage/cp932.h"

#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QDateTime kNow(QDate(2014, 3, 21), QTime(9, 15, 0));
const char *kDay = "2014/03/21";

// One stored bill line with its header.
struct Header {
    uint32_t meiNo;
    const char *regday, *name, *plan, *room;
    const char *seisan = "";
    uint8_t stay = 1, stayx = 1;
};
TReserveData line(const Header &h, const char *date, uint32_t key, const char *text, int32_t tanka, int32_t suryou)
{
    TReserveData r{};
    r.MeiNo = h.meiNo;
    setFieldText(r.Seisan, QString::fromUtf8(h.seisan));
    setFieldText(r.Regday, QString::fromUtf8(h.regday));
    setFieldText(r.Rsvday, QString::fromUtf8(date));
    setFieldText(r.Name, QString::fromUtf8(h.name));
    setFieldText(r.Plan, QString::fromUtf8(h.plan));
    setFieldText(r.Room, QString::fromUtf8(h.room));
    r.Stay = h.stay;
    r.Stayx = h.stayx;
    r.Kubun = key;
    setFieldText(r.Kamoku, QString::fromUtf8(text));
    r.Tanka = tanka;
    r.Suryou = suryou;
    return r;
}

TUrikakeData receivable(uint32_t meiNo, const char *seisan, const char *name, uint32_t card, int32_t goukei)
{
    TUrikakeData u{};
    u.MeiNo = meiNo;
    setFieldText(u.Seisan, QString::fromUtf8(seisan));
    setFieldText(u.Name, QString::fromUtf8(name));
    u.Card = card;
    u.Goukei = goukei;
    return u;
}

template <class T> QByteArray bytesOf(const std::vector<T> &records)
{
    return QByteArray(reinterpret_cast<const char *>(records.data()), qsizetype(records.size() * sizeof(T)));
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class DailyWorkTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QList<ShownMessage> shown;
    QList<QMessageBox::StandardButton> answers; // scripted, then Yes

    // Settings with everything added on top: service 10 %, bathing tax 150 a
    // night, consumption tax; the default item master; the given bill lines.
    void writeProgramDirectory(const std::vector<TReserveData> &reserve, const std::vector<TUrikakeData> &urikake)
    {
        AppData data;
        TLibrary lib;
        data.ExePath = dir.path() + QLatin1Char('/');
        setDefaultBaseData(data.BaseData);
        data.BaseData.Service = 10;
        data.BaseData.ServiceKubun = 1;
        data.BaseData.Nyutouzei = 150;
        data.BaseData.DayNyutouzei = 75;
        data.BaseData.Nyutou_Kubun = 1;
        data.BaseData.TaxKubun = 1;
        seedDefaultKamoku(data.KamokuList);
        data.ReserveList.edit().assign(reserve.begin(), reserve.end());
        data.UrikakeList.assign(urikake.begin(), urikake.end());
        QVERIFY(saveBaseData(data, lib, nullptr));
        QVERIFY(saveKamokuLists(data, lib, nullptr));
        QVERIFY(saveReserveList(data, lib, nullptr));
        QVERIFY(saveUrikakeList(data, lib, nullptr));
    }

    static void click(TStringGrid *g, int col, int row, Qt::MouseButton button = Qt::LeftButton)
    {
        const QRect cell = g->CellRect(col, row);
        QVERIFY2(!cell.isEmpty(), "cell not shown");
        QTest::mouseClick(g->viewport(), button, {}, cell.center());
    }
    // Types into a grid cell as the clerk does: the first key opens the
    // editor, Enter writes the row back.
    static void typeCell(TStringGrid *g, int col, int row, const QString &text)
    {
        g->FocusCell(col, row);
        QCOMPARE(g->Col(), col);
        QTest::keyClick(g, text.at(0).toLatin1());
        TInplaceEdit *editor = g->InplaceEditor();
        QVERIFY(editor && editor->isVisible());
        QTest::keyClicks(editor, text.mid(1));
        QTest::keyClick(editor, Qt::Key_Return);
    }
    // Picks an item for a line from the picker over its empty 摘要 cell.
    static void pick(TMeisaiForm *bill, TStringGrid *g, int row, const QString &item)
    {
        click(g, 2, row);
        auto *picker = bill->findChild<QComboBox *>("TekiyoCombo");
        QVERIFY(picker->isVisible());
        const int index = picker->findText(item);
        QVERIFY(index >= 0);
        picker->setCurrentIndex(index);
        emit picker->activated(index);
    }
    static QStringList column(TRsvlistForm *list, int col)
    {
        QStringList c;
        for (int r = 1; r < list->Grid()->RowCount(); ++r)
            c << list->Grid()->Cells(col, r);
        return c;
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
            return answers.isEmpty() ? QMessageBox::Yes : answers.takeFirst();
        });
    }
    void cleanup()
    {
        SetMessageResponder({});
        Clock::setFixed({});
    }

    void newBillFilledInTheBillWindowReachesBothFiles()
    {
        // 57 lines of earlier bills.
        std::vector<TReserveData> earlier;
        for (int i = 0; i < 57; ++i) {
            const Header h{1395000000u + uint32_t(i / 3), "a000000001", "過去の客", "素泊まり", "201", "2014/03/02"};
            earlier.push_back(line(h, "2014/03/01", 1601001, "大人宿泊料金", 6000, 1));
        }
        writeProgramDirectory(earlier, {});
        TMainForm form(dir.path());
        form.show();
        const uint32_t billNo = form.data().NextMeiNo;
        form.menuItem("RsvList")->trigger();
        auto *list = qobject_cast<TRsvlistForm *>(form.findChildWindow("RsvlistForm"));
        QVERIFY(list);
        QCOMPARE(list->ListDate(), kNow);

        // A new bill on the list's date.
        list->findChild<QPushButton *>("Button2")->click();
        QCOMPARE(list->Grid()->Rows(1),
                 (QStringList{"", QString::number(billNo), "a000000057", "", "", "", "1", "1", "0"}));

        // Opened by its number.
        click(list->Grid(), 1, 1);
        TMeisaiForm *bill = form.billWindow();
        QVERIFY(bill);
        QCOMPARE(bill->billNo(), billNo);
        auto *grid = bill->findChild<TStringGrid *>("Grid");
        QVERIFY(grid);
        QCOMPARE(grid->Cells(1, 1), QString::fromUtf8(kDay));
        // Japanese text arrives from the input method, committed whole.
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("山田太郎"));
        QApplication::sendEvent(bill->findChild<QLineEdit *>("NameEdit"), &commit);
        QCOMPARE(bill->findChild<QLineEdit *>("NameEdit")->text(), QStringLiteral("山田太郎"));

        // The dated line becomes the room charge: 12,000 yen for two.
        pick(bill, grid, 1, QStringLiteral("大人宿泊料金"));
        typeCell(grid, 3, 1, QStringLiteral("12000"));
        typeCell(grid, 4, 1, QStringLiteral("2"));
        // ビール under it: its key, price and one bottle, the line's date, the cursor on 数量.
        pick(bill, grid, 2, QStringLiteral("ビール"));
        QCOMPARE(grid->Rows(2).mid(0, 5), (QStringList{"1601102", kDay, "ビール", "800", "1"}));
        QCOMPARE(grid->Col(), 4);
        QCOMPARE(grid->Row(), 2);
        typeCell(grid, 4, 2, QStringLiteral("3"));
        QCOMPARE(grid->Rows(2).mid(0, 5), (QStringList{"1601102", kDay, "ビール", "800", "3"}));

        // The eight summary rows: charges 26,400, service 2,640, tax on 29,040,
        // bathing tax for two guests one night.
        const QStringList labels{"サービス料10%", "", "料金計", "消費税（8%）", "入湯税(2名様×150円×1泊)", "ご利用額合計", "", "ご請求金額"};
        const QStringList amounts{"2640", "", "29040", "2324", "300", "31664", "", "31664"};
        for (int row = 0; row < 8; ++row) {
            if (auto *g = bill->findChild<QLineEdit *>(QStringLiteral("GEdit%1").arg(row)))
                QCOMPARE(g->text(), labels[row]);
            QCOMPARE(bill->findChild<TSaNumEdit *>(QStringLiteral("SaNumEdit%1").arg(row))->Text(), amounts[row]);
        }
        QCOMPARE(bill->findChild<QComboBox *>("NebikiCombo")->currentText(), QStringLiteral("*****"));
        QCOMPARE(bill->findChild<QComboBox *>("CouponCombo")->currentText(), QStringLiteral("*****"));

        // Paid by card: the card amount takes the balance.
        auto *card = bill->findChild<QComboBox *>("SiharaiCombo");
        card->setCurrentIndex(card->findText(QStringLiteral("VISA")));
        QCOMPARE(bill->findChild<TSaNumEdit *>("SaNumEdit8")->Text(), QStringLiteral("31664"));

        QPointer<TMeisaiForm> guard(bill);
        QVERIFY(form.closeBillWindow());
        QTRY_VERIFY(guard.isNull());
        QVERIFY2(shown.isEmpty(), qPrintable(shown.isEmpty() ? QString() : shown.first().text));

        const Header h{billNo, "a000000057", "山田太郎", "", ""};
        std::vector<TReserveData> reserve = earlier;
        reserve.push_back(line(h, kDay, 1601001, "大人宿泊料金", 12000, 2));
        reserve.push_back(line(h, kDay, 1601102, "ビール", 800, 3));
        reserve.push_back(line(h, kDay, 1601990, "サービス料10%", 2640, 1));
        QCOMPARE(fileBytes(dir.filePath("reserve.dat")), bytesOf(reserve));
        QCOMPARE(fileBytes(dir.filePath("urikake.dat")),
                 bytesOf(std::vector<TUrikakeData>{receivable(billNo, "", "山田太郎", 101002, 31664)}));

        // The list shows the stored bill as soon as the bill window has gone.
        QCOMPARE(list->Grid()->Rows(1), (QStringList{"", QString::number(billNo), "a000000057", "山田太郎", "", "",
                                                     "1", "1", "24000"}));
    }

    void twoRoomBillSplitAndStored()
    {
        const Header h{1395360000, "0123456789", "鈴木一郎", "一泊二食", ""};
        Header h101 = h, h102 = h;
        h101.room = "101";
        h102.room = "102";
        const std::vector<TReserveData> records{
            line(h101, kDay, 1601001, "大人宿泊料金", 10000, 2),
            line(h101, kDay, 1601102, "ビール", 800, 1),
            line(h102, kDay, 1601001, "大人宿泊料金", 9000, 1),
            line(h102, kDay, 1601102, "ビール", 800, 2),
        };
        writeProgramDirectory(records, {});
        TMainForm form(dir.path());
        form.show();
        const uint32_t newNo = form.data().NextMeiNo;
        form.menuItem("RsvList")->trigger();
        auto *list = qobject_cast<TRsvlistForm *>(form.findChildWindow("RsvlistForm"));
        QCOMPARE(column(list, 1), (QStringList{"1395360000", "1395360000"}));
        QCOMPARE(column(list, 5), (QStringList{"101", "102"}));

        click(list->Grid(), 5, 2);
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral("この部屋単独の請求明細を作成しますか？"));
        QCOMPARE(column(list, 1), (QStringList{"1395360000", QString::number(newNo)}));
        TMeisaiForm *bill = form.billWindow();
        QVERIFY(bill);
        QCOMPARE(bill->billNo(), newNo);
        QCOMPARE(bill->findChild<QLineEdit *>("RoomEdit")->text(), QStringLiteral("102"));
        QCOMPARE(bill->findChild<TSaNumEdit *>("SaNumEdit7")->Text(), QStringLiteral("12743"));

        QPointer<TMeisaiForm> guard(bill);
        QVERIFY(form.closeBillWindow());
        QTRY_VERIFY(guard.isNull());
        QCOMPARE(shown.size(), 1);
        Header split = h102;
        split.meiNo = newNo;
        const std::vector<TReserveData> expected{
            records[0],
            records[1],
            line(split, kDay, 1601001, "大人宿泊料金", 9000, 1),
            line(split, kDay, 1601102, "ビール", 800, 2),
            line(split, kDay, 1601990, "サービス料10%", 1060, 1),
        };
        QCOMPARE(fileBytes(dir.filePath("reserve.dat")), bytesOf(expected));
        QCOMPARE(column(list, 1), (QStringList{"1395360000", QString::number(newNo)}));
    }

    void billDeletedFromTheList()
    {
        const Header a{1395360000, "0000000001", "佐藤花子", "素泊まり", "201"};
        const Header b{1395360001, "0000000002", "田中健太", "素泊まり", "202"};
        const std::vector<TReserveData> records{
            line(a, "2014/03/20", 1601001, "大人宿泊料金", 6000, 1),
            line(b, kDay, 1601001, "大人宿泊料金", 6000, 1),
            line(a, kDay, 1601001, "大人宿泊料金", 6000, 1),
            line(a, kDay, 1601102, "ビール", 800, 1),
        };
        const std::vector<TUrikakeData> receivables{
            receivable(a.meiNo, "", "佐藤花子", 101001, 100),
            receivable(b.meiNo, "", "田中健太", 101002, 200),
            receivable(a.meiNo, "", "佐藤花子", 101003, 300),
        };
        writeProgramDirectory(records, receivables);
        TMainForm form(dir.path());
        form.show();
        form.menuItem("RsvList")->trigger();
        auto *list = qobject_cast<TRsvlistForm *>(form.findChildWindow("RsvlistForm"));
        QCOMPARE(column(list, 3), (QStringList{"佐藤花子", "田中健太"}));

        click(list->Grid(), 4, 1, Qt::RightButton);
        QTRY_VERIFY(list->PopupMenu()->isVisible());
        list->PopupMenu()->findChild<QAction *>("DeleteBill1")->trigger();
        list->PopupMenu()->close();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[0].text, QStringLiteral("1395360000 佐藤花子様の伝票データを削除します"));
        QCOMPARE(fileBytes(dir.filePath("reserve.dat")), bytesOf(std::vector<TReserveData>{records[1]}));
        QCOMPARE(fileBytes(dir.filePath("urikake.dat")),
                 bytesOf(std::vector<TUrikakeData>{receivables[1], receivables[2]}));
        QCOMPARE(column(list, 3), QStringList{"田中健太"});
    }
};

QTEST_MAIN(DailyWorkTest)
#include "daily_work_qtest.moc"
