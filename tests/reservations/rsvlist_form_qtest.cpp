// The reservation list window on a temporary program directory with a fixed
// clock: the menu commands that open it, the date controls, the rows, the
// clicks, new bill, room split and deletion.

#include "billing/meisai_form.h"
#include "controls/string_grid_ex.h"
#include "reservations/rsvlist_form.h"
#include "app/main_form.h"
#include "shell/message_box.h"
#include "storage/clock.h"
#include "storage/cp932.h"
#include "storage/ini_file.h"

#include <QAction>
#include <QCalendarWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {

const QDateTime kNow(QDate(2014, 3, 21), QTime(10, 30, 0));

TReserveData rec(uint32_t meiNo, const char *day, const char *name, const char *room, int32_t tanka = 0,
                 int32_t suryou = 0)
{
    TReserveData r{};
    r.MeiNo = meiNo;
    setFieldText(r.Rsvday, QString::fromUtf8(day));
    setFieldText(r.Name, QString::fromUtf8(name));
    setFieldText(r.Room, QString::fromUtf8(room));
    setFieldText(r.Regday, QStringLiteral("R%1").arg(meiNo % 100000));
    r.Stay = 1;
    r.Stayx = 1;
    r.Kubun = 1601001;
    r.Tanka = tanka;
    r.Suryou = suryou;
    return r;
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

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class RsvlistFormTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QList<ShownMessage> shown;
    QList<QMessageBox::StandardButton> answers; // scripted, then Yes

    void writeReserve(const std::vector<TReserveData> &records)
    {
        writeFile(dir.filePath("reserve.dat"), bytesOf(records));
    }
    void writeUrikake(const std::vector<TUrikakeData> &records)
    {
        writeFile(dir.filePath("urikake.dat"), bytesOf(records));
    }
    // The list opened by a menu command of a shown main window.
    TRsvlistForm *open(TMainForm &form, const char *command = "RsvList")
    {
        form.show();
        form.menuItem(command)->trigger();
        return qobject_cast<TRsvlistForm *>(form.findChildWindow("RsvlistForm"));
    }
    static QStringList column(TRsvlistForm *list, int col)
    {
        QStringList c;
        for (int r = 1; r < list->Grid()->RowCount(); ++r)
            c << list->Grid()->Cells(col, r);
        return c;
    }
    static void click(TRsvlistForm *list, int col, int row, Qt::MouseButton button = Qt::LeftButton)
    {
        TStringGridEx *g = list->Grid();
        const QRect cell = g->CellRect(col, row);
        QVERIFY2(!cell.isEmpty(), "cell not shown");
        QTest::mouseClick(g->viewport(), button, {}, cell.center());
    }
    QStringList texts() const
    {
        QStringList t;
        for (const auto &m : shown)
            t << m.text;
        return t;
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
        // A complete program directory, so that no first-run hint interferes.
        TBaseData base{};
        writeFile(dir.filePath("base.dat"), QByteArray(reinterpret_cast<const char *>(&base), sizeof base));
        AppData data;
        data.ExePath = dir.path() + QLatin1Char('/');
        seedDefaultKamoku(data.KamokuList);
        QVERIFY(saveKamokuLists(data, TLibrary(), nullptr));
        writeReserve({});
    }
    void cleanup()
    {
        SetMessageResponder({});
        Clock::setFixed({});
    }

    void windowHasItsControls()
    {
        TMainForm form(dir.path());
        TRsvlistForm *list = open(form);
        QVERIFY(list);
        QCOMPARE(list->windowTitle(), QStringLiteral("予約一覧"));
        QCOMPARE(list->findChild<QLabel *>("DateLabel")->text(), QStringLiteral("2014年03月21日(金)"));
        QCOMPARE(list->findChild<QToolButton *>("SpeedButton1")->toolTip(), QStringLiteral("前日へ"));
        QCOMPARE(list->findChild<QToolButton *>("SpeedButton2")->toolTip(), QStringLiteral("翌日へ"));
        auto *fetch = list->findChild<QPushButton *>("Button1");
        QCOMPARE(fetch->text(), QStringLiteral("サーバーからデータを取得"));
        QCOMPARE(fetch->toolTip(), QStringLiteral("Norvelオンライン予約システムからデータを取得します"));
        QVERIFY(!fetch->isEnabled()); // no online-service settings
        QCOMPARE(list->findChild<QPushButton *>("Button2")->text(), QStringLiteral("明細新規作成"));
        QCOMPARE(list->Grid()->toolTip(), QStringLiteral("右クリックすると明細削除･新規登録ができます"));
        auto *cal = list->findChild<QCalendarWidget *>("Calendar");
        QCOMPARE(cal->maximumDate(), QDate(2015, 3, 21)); // a year ahead, for bills made ahead
        QCOMPARE(cal->minimumDate(), QDate(2013, 3, 21));
        QCOMPARE(cal->selectedDate(), QDate(2014, 3, 21));

        const QStringList captions{"清算日", "請求番号", "予約番号", "名前", "プラン名", "部屋", "総泊数", "泊目", "料金計"};
        const QList<int> widths{70, 73, 78, 115, 222, 87, 45, 39, 2};
        QCOMPARE(list->Grid()->ColCount(), 9);
        for (int c = 0; c < 9; ++c) {
            QCOMPARE(list->Grid()->GridColumns()[c]->Caption(), captions[c]);
            QCOMPARE(list->Grid()->ColWidths(c), widths[c]);
            QVERIFY(!list->Grid()->GridColumns()[c]->CanEdit());
        }
        QCOMPARE(list->Grid()->RowHeights(1), 20);
        QCOMPARE(list->Grid()->LeftCol(), 0); // 清算日 shows, not scrolled away
        // A ten-digit bill number and a date fit their columns.
        const QFontMetrics fm(list->Grid()->font());
        QVERIFY(fm.horizontalAdvance("1395370001") <= 73 - 4);
        QVERIFY(fm.horizontalAdvance("2014/03/21") <= 70 - 4);
        // A day without bills: the heading and one empty row; clicking it does nothing.
        QCOMPARE(list->Grid()->RowCount(), 2);
        QCOMPARE(list->Grid()->Rows(1).join(QString()), QString());
        click(list, 1, 1);
        click(list, 5, 1);
        QVERIFY(shown.isEmpty());

        const QStringList popup{"明細新規作成", "", "明細を削除する(※注意　取消不可)", "", "宿泊者名簿を開く", "",
                                "ポップアップメニューを閉じる"};
        QStringList items;
        for (QAction *a : list->PopupMenu()->actions())
            items << a->text();
        QCOMPARE(items, popup);
    }

    void fetchNeedsAllFourServiceSettings_data()
    {
        QTest::addColumn<int>("blank");
        QTest::newRow("all set") << -1;
        QTest::newRow("no account") << 0;
        QTest::newRow("no domain") << 1;
        QTest::newRow("no ID") << 2;
        QTest::newRow("no password") << 3;
    }
    void fetchNeedsAllFourServiceSettings()
    {
        QFETCH(int, blank);
        TBaseData base{};
        setFieldText(base.Acount, QStringLiteral("inn"));
        setFieldText(base.Domain, QStringLiteral("example.jp"));
        setFieldText(base.IDCode, QStringLiteral("id"));
        setFieldText(base.Passwd, QStringLiteral("pw"));
        char *fields[] = {base.Acount, base.Domain, base.IDCode, base.Passwd};
        if (blank >= 0)
            fields[blank][0] = 0;
        writeFile(dir.filePath("base.dat"), QByteArray(reinterpret_cast<const char *>(&base), sizeof base));
        TMainForm form(dir.path());
        TRsvlistForm *list = open(form);
        QCOMPARE(list->findChild<QPushButton *>("Button1")->isEnabled(), blank < 0);
    }

    void menuOpensOneListAndBringsItForward()
    {
        TMainForm form(dir.path());
        TRsvlistForm *list = open(form);
        QVERIFY(list);
        QCOMPARE(list->ListDate(), kNow);
        QVERIFY(form.menuItem("N1")->isEnabled());
        // With another window in front, the menu brings the one list forward on the day asked.
        form.menuItem("About2")->trigger();
        QVERIFY(form.mdiArea()->activeSubWindow()->widget() != list);
        form.menuItem("Seikyu")->trigger();
        QCOMPARE(form.mdiArea()->subWindowList().size(), 2);
        QCOMPARE(form.mdiArea()->activeSubWindow()->widget(), list);
        QCOMPARE(list->ListDate(), kNow.addDays(-1));
        form.findChildWindow("AboutBox")->close();

        QPointer<TRsvlistForm> guard(list);
        list->close();
        QTRY_VERIFY(guard.isNull());
        QVERIFY(IniFile(dir.filePath("norvelreceipt.ini")).contains("RsvlistForm", "t"));
        QVERIFY(QFileInfo(dir.filePath("reserve.dat")).size() == 0); // nothing written

        list = open(form, "Seikyu");
        QVERIFY(list);
        QCOMPARE(list->ListDate(), kNow.addDays(-1));
        QCOMPARE(list->findChild<QLabel *>("DateLabel")->text(), QStringLiteral("2014年03月20日(木)"));
    }

    void arrowsMoveByDaysWithinTheCalendar()
    {
        TMainForm form(dir.path());
        TRsvlistForm *list = open(form, "Seikyu");
        auto *prev = list->findChild<QToolButton *>("SpeedButton1");
        auto *next = list->findChild<QToolButton *>("SpeedButton2");
        auto *cal = list->findChild<QCalendarWidget *>("Calendar");
        QVERIFY(next->isEnabled());
        next->click();
        QCOMPARE(list->ListDate(), kNow);
        QVERIFY(next->isEnabled()); // on, up to a year ahead
        prev->click();
        QCOMPARE(list->ListDate(), kNow.addDays(-1));
        QVERIFY(next->isEnabled());
        QCOMPARE(cal->selectedDate(), QDate(2014, 3, 20));

        // → stops a year ahead.
        cal->setSelectedDate(QDate(2015, 3, 20));
        QVERIFY(next->isEnabled());
        next->click();
        QCOMPARE(list->ListDate().date(), QDate(2015, 3, 21));
        QVERIFY(!next->isEnabled());

        // A day picked in the calendar keeps the time of day.
        cal->setSelectedDate(QDate(2014, 3, 2));
        QCOMPARE(list->ListDate(), QDateTime(QDate(2014, 3, 2), kNow.time()));
        QCOMPARE(list->findChild<QLabel *>("DateLabel")->text(), QStringLiteral("2014年03月02日(日)"));
        QVERIFY(next->isEnabled());
        cal->setSelectedDate(QDate(2014, 3, 21));
        QVERIFY(next->isEnabled());

        // ← stops at the oldest day the calendar offers.
        cal->setSelectedDate(QDate(2013, 3, 22));
        QVERIFY(prev->isEnabled());
        prev->click();
        QCOMPARE(list->ListDate().date(), QDate(2013, 3, 21));
        QVERIFY(!prev->isEnabled());
        QCOMPARE(cal->selectedDate(), QDate(2013, 3, 21));
        next->click();
        QVERIFY(prev->isEnabled());
    }

    void rowsOfTheDaySortedAndBanded()
    {
        writeReserve({
            rec(1395370003, "2014/03/21", "鈴木", "201", 9000, 2),
            rec(1395370003, "2014/03/21", "鈴木", "201", 500, 1), // further line: no row
            rec(1395370001, "2014/03/20", "佐藤", "101"),         // other day
            rec(1395370001, "2014/03/21", "佐藤", "102", 8000, 1),
            rec(1395370001, "2014/03/21", "佐藤", "101", 8000, 1),
            rec(1395370002, "2014/03/21", "田中", "301", 7000, 3),
        });
        TMainForm form(dir.path());
        TRsvlistForm *list = open(form);
        QCOMPARE(column(list, 1), (QStringList{"1395370001", "1395370001", "1395370002", "1395370003"}));
        QCOMPARE(column(list, 5), (QStringList{"102", "101", "301", "201"}));
        QCOMPARE(column(list, 8), (QStringList{"8000", "8000", "21000", "18000"}));
        QCOMPARE(list->Grid()->Rows(3), (QStringList{"", "1395370002", "R70002", "田中", "", "301", "1", "1", "21000"}));
        const QColor tint(0xFF, 0xFF, 0xE1), white(Qt::white);
        QCOMPARE(list->RowColor(1), tint);
        QCOMPARE(list->RowColor(2), tint);
        QCOMPARE(list->RowColor(3), white);
        QCOMPARE(list->RowColor(4), tint);

        // What the window paints: band colours, the heading's colour.
        const QImage img = list->Grid()->viewport()->grab().toImage();
        const QRect r1 = list->Grid()->CellRect(3, 1), r3 = list->Grid()->CellRect(3, 3), h = list->Grid()->CellRect(3, 0);
        QCOMPARE(QColor(img.pixel(r1.right() - 2, r1.bottom() - 1)), tint);
        QCOMPARE(QColor(img.pixel(r3.right() - 2, r3.bottom() - 1)), white);
        QCOMPARE(QColor(img.pixel(h.right() - 4, h.bottom() - 3)), QColor(0xD8, 0xE4, 0xF8));
    }

    void activationShowsWhatChangedMeanwhile()
    {
        TMainForm form(dir.path());
        TRsvlistForm *list = open(form);
        QCOMPARE(column(list, 1), QStringList{""});
        form.data().ReserveList.push_back(rec(1395370009, "2014/03/21", "高橋", "105"));
        auto *other = new QWidget;
        form.openChildWindow("AboutBox", [&] { return other; });
        QTRY_COMPARE(form.mdiArea()->activeSubWindow()->widget(), other);
        form.mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(list->parentWidget()));
        QCOMPARE(column(list, 1), QStringList{"1395370009"});
    }

    void newBillFromTheButtonAndThePopup()
    {
        std::vector<TReserveData> records;
        for (int i = 0; i < 57; ++i)
            records.push_back(rec(1000 + uint32_t(i), "2014/01/05", "過去", "1"));
        writeReserve(records);
        TMainForm form(dir.path());
        const uint32_t next = form.data().NextMeiNo;
        TRsvlistForm *list = open(form);
        list->findChild<QPushButton *>("Button2")->click();
        QCOMPARE(list->Grid()->Rows(1),
                 (QStringList{"", QString::number(next), "a000000057", "", "", "", "1", "1", "0"}));
        QCOMPARE(form.data().NextMeiNo, next + 1);

        click(list, 3, 1, Qt::RightButton);
        QTRY_VERIFY(list->PopupMenu()->isVisible());
        QCOMPARE(list->Grid()->Col(), 1);
        QCOMPARE(list->Grid()->Row(), 1);
        list->PopupMenu()->findChild<QAction *>("NewBill1")->trigger();
        list->PopupMenu()->close();
        QCOMPARE(column(list, 2), (QStringList{"a000000057", "a000000058"}));
        QCOMPARE(column(list, 1)[1], QString::number(next + 1));
        // Each new bill is on disk at once, before any bill is stored.
        QCOMPARE(fileBytes(dir.filePath("reserve.dat")).size(), qsizetype((records.size() + 2) * sizeof(TReserveData)));
        QCOMPARE(fileBytes(dir.filePath("reserve.dat")),
                 QByteArray(reinterpret_cast<const char *>(form.data().ReserveList.data()),
                            qsizetype(form.data().ReserveList.size() * sizeof(TReserveData))));
    }

    void keyboardDoesWhatTheMouseDoes()
    {
        writeReserve({
            rec(1395370001, "2014/03/21", "佐藤", "101", 8000, 1),
            rec(1395370001, "2014/03/21", "佐藤", "102", 8000, 1),
        });
        TMainForm form(dir.path());
        TRsvlistForm *list = open(form);
        list->Grid()->FocusCell(5, 2);
        answers = {QMessageBox::No};
        QTest::keyClick(list->Grid(), Qt::Key_Return);
        QCOMPARE(texts(), QStringList{"この部屋単独の請求明細を作成しますか？"});
        QCOMPARE(shown[0].defaultButton, QMessageBox::No); // Enter does not split the bill
        QTest::keyClick(list->Grid(), Qt::Key_F10, Qt::ShiftModifier);
        QTRY_VERIFY(list->PopupMenu()->isVisible());
        QCOMPARE(list->Grid()->Col(), 1);
        QCOMPARE(list->Grid()->Row(), 2);
        QVERIFY(list->PopupMenu()->findChild<QAction *>("DeleteBill1")->isEnabled());
        list->PopupMenu()->close();
    }

    void popupOnAnEmptyListOffersNoDeletion()
    {
        TMainForm form(dir.path());
        TRsvlistForm *list = open(form);
        click(list, 4, 1, Qt::RightButton);
        QTRY_VERIFY(list->PopupMenu()->isVisible());
        QVERIFY(!list->PopupMenu()->findChild<QAction *>("DeleteBill1")->isEnabled());
        list->PopupMenu()->close();
        list->DeleteBillClick();
        QVERIFY(shown.isEmpty());
    }

    void splittingARoomAsksAndHandsOutANewNumber()
    {
        const std::vector<TReserveData> records{
            rec(1395370001, "2014/03/21", "佐藤", "101", 8000, 1),
            rec(1395370001, "2014/03/21", "佐藤", "102", 8000, 1),
            rec(1395370001, "2014/03/22", "佐藤", "102", 8000, 1),
        };
        writeReserve(records);
        TMainForm form(dir.path());
        const uint32_t next = form.data().NextMeiNo;
        TRsvlistForm *list = open(form);

        answers = {QMessageBox::No};
        click(list, 5, 2);
        QCOMPARE(texts(), QStringList{"この部屋単独の請求明細を作成しますか？"});
        QCOMPARE(shown.last().title, QStringLiteral("確認"));
        QCOMPARE(shown.last().buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(column(list, 1), (QStringList{"1395370001", "1395370001"}));

        click(list, 5, 2);
        QCOMPARE(column(list, 1), (QStringList{"1395370001", QString::number(next)}));
        QCOMPARE(form.data().ReserveList[2].MeiNo, next); // the room's line on the next day too
        QCOMPARE(form.data().ReserveList[0].MeiNo, 1395370001u);
        QCOMPARE(form.data().NextMeiNo, next + 1);
        // The split-off room opened in the bill window.
        QVERIFY(form.billWindow());
        QCOMPARE(form.billWindow()->billNo(), next);
        QCOMPARE(form.billWindow()->bill().RoomEdit, QStringLiteral("102"));
        // The split is on disk at once: the bill window is not needed to keep it.
        const QByteArray stored = fileBytes(dir.filePath("reserve.dat"));
        QCOMPARE(stored.size(), qsizetype(3 * sizeof(TReserveData)));
        TReserveData second{};
        std::memcpy(&second, stored.constData() + sizeof(TReserveData), sizeof second);
        QCOMPARE(second.MeiNo, next);
    }

    void oneBillWindowAtATime()
    {
        writeReserve({
            rec(1395370001, "2014/03/21", "佐藤", "101", 8000, 1),
            rec(1395370001, "2014/03/21", "佐藤", "102", 8000, 1),
            rec(1395370002, "2014/03/21", "田中", "301", 7000, 1),
        });
        TMainForm form(dir.path());
        TRsvlistForm *list = open(form);
        click(list, 1, 3);
        TMeisaiForm *bill = form.billWindow();
        QVERIFY(bill);
        QCOMPARE(bill->billNo(), 1395370002u);
        QVERIFY(shown.isEmpty());

        // The same bill again: the open window comes to the front.
        form.mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(list->parentWidget()));
        click(list, 1, 3);
        QCOMPARE(form.mdiArea()->activeSubWindow()->widget(), bill);
        QVERIFY(shown.isEmpty());
        QCOMPARE(form.mdiArea()->subWindowList().size(), 2);

        // Another bill, a room split, deleting the open bill: close the open bill first.
        click(list, 1, 1);
        click(list, 5, 1);
        list->Grid()->FocusCell(1, 3);
        list->DeleteBillClick();
        QCOMPARE(texts(), (QStringList{"別の請求明細が開いています。\n開いている明細を閉じてから操作してください。",
                                       "別の請求明細が開いています。\n開いている明細を閉じてから操作してください。",
                                       "この請求明細は明細画面で開いています。\n明細画面を閉じてから削除してください。"}));
        QCOMPARE(shown[0].title, QStringLiteral("注意"));
        QCOMPARE(form.billWindow(), bill);
        QCOMPARE(form.data().ReserveList.size(), 3u);
        QCOMPARE(form.mdiArea()->subWindowList().size(), 2);

        // Closing the bill window stores the bill; the list shows it at once.
        bill->findChild<QLineEdit *>("NameEdit")->setText(QStringLiteral("田中一郎"));
        QPointer<TMeisaiForm> guard(bill);
        QVERIFY(form.closeBillWindow());
        QTRY_VERIFY(guard.isNull());
        QCOMPARE(list->Grid()->Cells(3, 3), QStringLiteral("田中一郎"));
    }

    void deletingABillAsksTwiceAndWritesBothFiles()
    {
        std::vector<TReserveData> records{
            rec(1395370001, "2014/03/21", "佐藤", "101", 8000, 1),
            rec(1395370002, "2014/03/21", "田中", "301", 7000, 1),
            rec(1395370001, "2014/03/22", "佐藤", "102", 8000, 1),
            rec(1395370001, "2014/03/21", "佐藤", "103", 8000, 1),
        };
        writeReserve(records);
        std::vector<TUrikakeData> receivables(3);
        receivables[0].MeiNo = 1395370001;
        receivables[1].MeiNo = 1395370002;
        receivables[2].MeiNo = 1395370001;
        writeUrikake(receivables);
        TMainForm form(dir.path());
        TRsvlistForm *list = open(form);
        list->Grid()->FocusCell(1, 1);

        for (auto refusal : {QList{QMessageBox::No}, QList{QMessageBox::Yes, QMessageBox::No}}) {
            shown.clear();
            answers = refusal;
            list->DeleteBillClick();
            QCOMPARE(shown.size(), refusal.size());
            QCOMPARE(form.data().ReserveList.size(), 4u);
        }
        QCOMPARE(texts(), (QStringList{"1395370001 佐藤様の伝票データを削除します",
                                       "削除すると元には戻せません　本当によろしいですか？"}));
        QCOMPARE(shown[0].title, QStringLiteral("警告"));
        QCOMPARE(shown[1].title, QStringLiteral("警告"));
        QCOMPARE(fileBytes(dir.filePath("reserve.dat")), bytesOf(records));

        shown.clear();
        list->DeleteBillClick();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(fileBytes(dir.filePath("reserve.dat")), bytesOf(std::vector<TReserveData>{records[1]}));
        QCOMPARE(fileBytes(dir.filePath("urikake.dat")),
                 bytesOf(std::vector<TUrikakeData>{receivables[1], receivables[2]}));
        QCOMPARE(column(list, 1), QStringList{"1395370002"});
    }

    // Deleting is the one thing the list cannot take back: Enter answers
    // いいえ to both questions, and a bill typed without a name yet is named
    // by its number and room, not as "… 様".
    void deletionQuestionsNameTheBillAndDefaultToNo_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("room");
        QTest::addColumn<QString>("question");
        QTest::newRow("named") << "佐藤" << "101" << "1395370001 佐藤様の伝票データを削除します";
        QTest::newRow("no name") << "" << "201" << "請求番号1395370001（部屋 201）の伝票データを削除します";
        QTest::newRow("no name, no room") << "" << "" << "請求番号1395370001の伝票データを削除します";
    }
    void deletionQuestionsNameTheBillAndDefaultToNo()
    {
        QFETCH(QString, name);
        QFETCH(QString, room);
        QFETCH(QString, question);
        writeReserve({rec(1395370001, "2014/03/21", name.toUtf8().constData(), room.toUtf8().constData(), 8000, 1)});
        TMainForm form(dir.path());
        TRsvlistForm *list = open(form);
        list->Grid()->FocusCell(1, 1);
        answers = {QMessageBox::Yes, QMessageBox::No};
        list->DeleteBillClick();
        QCOMPARE(texts(), (QStringList{question, "削除すると元には戻せません　本当によろしいですか？"}));
        for (const ShownMessage &m : shown)
            QCOMPARE(m.defaultButton, QMessageBox::No);
        QCOMPARE(form.data().ReserveList.size(), 1u);
    }

    void failedDeletionSaysSoAndKeepsTheBill()
    {
        const std::vector<TReserveData> records{rec(1395370001, "2014/03/21", "佐藤", "101", 8000, 1)};
        writeReserve(records);
        TMainForm form(dir.path());
        TRsvlistForm *list = open(form);
        QVERIFY(QDir(dir.path()).mkpath("urikake.dat/x"));
        list->Grid()->FocusCell(1, 1);
        list->DeleteBillClick();
        QCOMPARE(shown.size(), 3);
        QVERIFY(shown.last().text.startsWith(QStringLiteral("データの削除に失敗しました。再起動してください。")));
        QCOMPARE(shown.last().title, QStringLiteral("警告"));
        QCOMPARE(column(list, 1), QStringList{"1395370001"});
        QCOMPARE(fileBytes(dir.filePath("reserve.dat")), bytesOf(records));
    }
};

QTEST_MAIN(RsvlistFormTest)
#include "rsvlist_form_qtest.moc"
