// The search window on a temporary program directory: opened by the menu
// and Ctrl+F, finding as the name is typed, the filters, sorting, opening a
// bill under the one-bill-window rule, its CSV against norvel --find, and
// the guest's earlier stays in the bill window.

#include "app/main_form.h"
#include "billing/guest_history_form.h"
#include "printing/print_dialogs.h"
#include "register/guest_register.h"
#include "reports/month_bar_form.h"
#include "search/search_fixture.h"
#include "search/search_form.h"
#include "shell/front_desk.h"
#include "shell/message_box.h"
#include "shell/register_session.h"
#include "storage/clock.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

template <class T> QByteArray bytesOf(const T *records, std::size_t n)
{
    return QByteArray(reinterpret_cast<const char *>(records), qsizetype(n * sizeof(T)));
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QStringList column(TSearchForm *form, int col)
{
    QStringList c;
    const QAbstractItemModel *m = form->Grid()->model();
    for (int r = 0; r < m->rowCount(); ++r)
        c << m->index(r, col).data().toString();
    return c;
}

// Japanese as an input method commits it, a character at a time.
void typeText(QWidget *w, const QString &text)
{
    for (const QChar c : text) {
        QInputMethodEvent commit;
        commit.setCommitString(QString(c));
        QApplication::sendEvent(w, &commit);
    }
}

} // namespace

class SearchFormTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QList<ShownMessage> shown;

    TSearchForm *open(TMainForm &form)
    {
        form.show();
        QApplication::setActiveWindow(&form);
        if (!QTest::qWaitForWindowActive(&form))
            return nullptr;
        QTest::keyClick(&form, Qt::Key_F, Qt::ControlModifier);
        return qobject_cast<TSearchForm *>(form.findChildWindow("SearchForm"));
    }

private slots:
    void init()
    {
        QVERIFY(dir.isValid());
        shown.clear();
        Clock::setFixed(QDateTime(QDate(2026, 9, 10), QTime(10, 0)));
        SetMessageResponder([this](const ShownMessage &m) {
            shown.append(m);
            return m.buttons & QMessageBox::Yes ? QMessageBox::Yes : QMessageBox::Ok;
        });
        TBaseData base{};
        writeFile(dir.filePath("base.dat"), bytesOf(&base, 1));
        AppData data;
        data.ExePath = dir.path() + QLatin1Char('/');
        seedDefaultKamoku(data.KamokuList);
        search_fixture::fill(data);
        QVERIFY(saveKamokuLists(data, TLibrary(), nullptr));
        writeFile(dir.filePath("reserve.dat"), bytesOf(data.ReserveList.data(), data.ReserveList.size()));
        writeFile(dir.filePath("urikake.dat"), bytesOf(data.UrikakeList.data(), data.UrikakeList.size()));
        writeFile(dir.filePath("receipts.dat"), search_fixture::receiptsFile());
    }
    void cleanup()
    {
        SetMessageResponder({});
        setCsvPathChooser({});
        Clock::setFixed({});
    }

    void opensFromTheMenuAndWithCtrlF()
    {
        TMainForm form(dir.path());
        TSearchForm *search = open(form);
        QVERIFY(search);
        QCOMPARE(search->windowTitle(), QStringLiteral("検索"));
        QCOMPARE(form.menuItem("FindMenu")->text(), QStringLiteral("検索"));
        QCOMPARE(form.menuItem("FindMenu")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
        // Every bill at first, by first night.
        QCOMPARE(column(search, FindColMeiNo),
                 QStringList({"1007", "1002", "1003", "1008", "1009", "1001", "1006", "1004", "1005"}));
        QCOMPARE(search->Grid()->model()->headerData(FindColSettled, Qt::Horizontal).toString(), QStringLiteral("清算日"));
        // The menu again brings the same window, its name field ready.
        form.menuItem("FindMenu")->trigger();
        QCOMPARE(form.findChildren<TSearchForm *>().size(), 1);
        QCOMPARE(QApplication::focusWidget(), search->findChild<QLineEdit *>("FindEdit"));
    }

    void findsAsTheNameIsTypedAndByTheFilters()
    {
        TMainForm form(dir.path());
        TSearchForm *search = open(form);
        QVERIFY(search);
        auto *name = search->findChild<QLineEdit *>("FindEdit");
        auto *count = search->findChild<QLabel *>("CountLabel");
        typeText(name, QStringLiteral("ﾔﾏ"));
        QCOMPARE(column(search, FindColMeiNo), QStringList({"1002", "1003"}));
        QCOMPARE(count->text(), QStringLiteral("2 件"));
        search->findChild<QComboBox *>("StateCombo")->setCurrentIndex(2); // 清算済
        QCOMPARE(column(search, FindColMeiNo), QStringList({"1003"}));
        QCOMPARE(column(search, FindColTotal), QStringList({"24,000"}));

        name->clear();
        search->findChild<QComboBox *>("StateCombo")->setCurrentIndex(0);
        auto *card = search->findChild<QComboBox *>("CardCombo");
        card->setCurrentIndex(card->findText("VISA"));
        QCOMPARE(column(search, FindColMeiNo), QStringList({"1003", "1006"}));
        QCOMPARE(column(search, FindColReceipts), QStringList({"1", "0"}));
        auto *receipts = search->findChild<QComboBox *>("ReceiptCombo");
        receipts->setCurrentIndex(2); // 未発行
        QCOMPARE(column(search, FindColMeiNo), QStringList({"1006"}));
        receipts->setCurrentIndex(0);
        card->setCurrentIndex(0);
        search->findChild<QLineEdit *>("RoomEdit")->setText(QStringLiteral("松"));
        search->findChild<QLineEdit *>("MinEdit")->setText(QStringLiteral("20,000"));
        QCOMPARE(column(search, FindColMeiNo), QStringList({"1003", "1001", "1006"}));
        auto *kind = search->findChild<QComboBox *>("DateKind");
        kind->setCurrentIndex(1); // 清算日
        search->findChild<QLineEdit *>("FromEdit")->setText(QStringLiteral("2026/08/10"));
        QCOMPARE(column(search, FindColMeiNo), QStringList({"1001", "1006"}));
        // A date mistyped is said, and that end left open.
        search->findChild<QLineEdit *>("ToEdit")->setText(QStringLiteral("2026/8/"));
        QVERIFY(count->text().contains(QStringLiteral("日付の書き方が正しくない")));
        QCOMPARE(column(search, FindColMeiNo), QStringList({"1001", "1006"}));
        search->findChild<QLineEdit *>("ToEdit")->setText(QStringLiteral("2026/8/9"));
        QCOMPARE(count->text(), QStringLiteral("0 件"));
    }

    void sortsByAnyColumn()
    {
        TMainForm form(dir.path());
        TSearchForm *search = open(form);
        QVERIFY(search);
        search->Grid()->sortByColumn(FindColTotal, Qt::DescendingOrder);
        QCOMPARE(column(search, FindColMeiNo).mid(0, 3), QStringList({"1001", "1004", "1003"}));
        // The order chosen stays while typing.
        QTest::keyClicks(search->findChild<QLineEdit *>("FindEdit"), QStringLiteral("muller"));
        QCOMPARE(column(search, FindColMeiNo), QStringList({"1004", "1005"}));
        search->Grid()->sortByColumn(FindColMeiNo, Qt::DescendingOrder);
        QCOMPARE(column(search, FindColMeiNo), QStringList({"1005", "1004"}));
    }

    void enterOpensTheBillOneAtATime()
    {
        TMainForm form(dir.path());
        TSearchForm *search = open(form);
        QVERIFY(search);
        QTest::keyClicks(search->findChild<QLineEdit *>("FindEdit"), QStringLiteral("abc"));
        QCOMPARE(column(search, FindColMeiNo), QStringList({"1007", "1006"}));
        search->Grid()->setFocus();
        search->Grid()->selectRow(1);
        QTest::keyClick(search->Grid(), Qt::Key_Return);
        FrontDesk &desk = form.desk();
        QVERIFY(desk.isBillOpen(1006));
        QVERIFY(shown.isEmpty());
        // Another bill waits for the open one to close; the same one comes to the front.
        search->OpenRow(0);
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown[0].text.startsWith(QStringLiteral("別の請求明細が開いています")));
        search->OpenRow(1);
        QCOMPARE(shown.size(), 1);
        QVERIFY(desk.closeBillWindow());
        search->OpenRow(0);
        QVERIFY(desk.isBillOpen(1007));
        QVERIFY(desk.closeBillWindow());
    }

    // A receipt reissued from a result: the bill opens, its receipt is marked
    // and recorded once it goes out, and the result counts it at once. A bill
    // never receipted has nothing to reissue.
    void aResultsReceiptIsReissued()
    {
        const QString pdf = dir.filePath("reissue.pdf");
        printing::setPdfPathChooser([&](QWidget *, const QString &) { return pdf; });
        printing::setPreviewHook([](QWidget *dialog) {
            QTimer::singleShot(0, dialog, [dialog] {
                if (QAction *save = dialog->findChild<QAction *>(QStringLiteral("SavePdfAction")))
                    save->trigger();
                static_cast<QDialog *>(dialog)->reject();
            });
        });
        TMainForm form(dir.path());
        TSearchForm *search = open(form);
        QVERIFY(search);
        auto *reissue = search->findChild<QPushButton *>("ReissueButton");
        QVERIFY(reissue);
        search->findChild<QLineEdit *>("BillNoEdit")->setText(QStringLiteral("1002"));
        QVERIFY(!reissue->isEnabled());
        search->findChild<QLineEdit *>("BillNoEdit")->setText(QStringLiteral("1003"));
        QCOMPARE(column(search, FindColReceipts), QStringList({"1"}));
        QVERIFY(reissue->isEnabled());
        reissue->click();
        printing::setPdfPathChooser({});
        printing::setPreviewHook({});
        QVERIFY(form.desk().isBillOpen(1003));
        QVERIFY(QFile::exists(pdf));
        ReceiptIssues issues;
        QString error;
        QVERIFY(issues.load(dir.path() + QLatin1Char('/'), &error));
        QCOMPARE(issues.count(1003), 2);
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        text.waitForFinished(60000);
        const QString printed = QString::fromUtf8(text.readAllStandardOutput());
        if (!printed.isEmpty())
            QVERIFY2(printed.contains(QStringLiteral("再発行 2026年09月10日")), qPrintable(printed));
        // The bill's lines (they have no text in this fixture) were saved with the receipt, not dropped.
        QVERIFY(form.desk().closeBillWindow());
        QCOMPARE(column(search, FindColReceipts), QStringList({"2"}));
        QCOMPARE(column(search, FindColTotal), QStringList({"24,000"}));
    }

    // With the guest register open, a companion's name or a passport number
    // finds the bill the guest stayed on; locked, the register finds nothing.
    void theUnlockedRegistersGuestsAreFoundToo()
    {
        const QByteArray phrase("kura no kagi 2026");
        {
            RegisterFileStore store(dir.path() + QLatin1Char('/'));
            GuestRegister reg(store);
            QString recovery, error;
            QVERIFY2(reg.create(phrase, &recovery, &error), qPrintable(error));
            RegisterEntry e;
            e.meiNo = 1008;
            e.room = QStringLiteral("梅の間");
            e.firstNight = QDate(2026, 2, 14);
            e.name = QStringLiteral("Nguyễn Văn An");
            e.livesAbroad = true;
            e.nationality = QStringLiteral("VN");
            e.passportNo = QStringLiteral("C1234567");
            reg.put(e, Clock::now());
            QVERIFY2(reg.save(&error), qPrintable(error));
        }
        TMainForm form(dir.path());
        TSearchForm *search = open(form);
        QVERIFY(search);
        QLineEdit *name = search->findChild<QLineEdit *>("FindEdit");
        name->setText(QStringLiteral("nguyen"));
        QCOMPARE(column(search, FindColMeiNo), QStringList());
        QString error;
        QVERIFY2(form.desk().registerSession().unlock(phrase, &error), qPrintable(error));
        QCOMPARE(column(search, FindColMeiNo), QStringList({"1008"}));
        QCOMPARE(column(search, FindColName), QStringList({QStringLiteral("ガイド 花子")}));
        name->setText(QStringLiteral("c 1234"));
        QCOMPARE(column(search, FindColMeiNo), QStringList({"1008"}));
        // The bills' own names are still found beside the register's.
        name->setText(QStringLiteral("ガイド"));
        QCOMPARE(column(search, FindColMeiNo), QStringList({"1008"}));
        form.desk().registerSession().lock();
        name->setText(QStringLiteral("nguyen"));
        QCOMPARE(column(search, FindColMeiNo), QStringList());
    }

    void csvIsWhatFindWrites()
    {
        TMainForm form(dir.path());
        TSearchForm *search = open(form);
        QVERIFY(search);
        typeText(search->findChild<QLineEdit *>("FindEdit"), QStringLiteral("やまだ"));
        search->findChild<QLineEdit *>("FromEdit")->setText(QStringLiteral("2026/01/01"));
        search->findChild<QLineEdit *>("ToEdit")->setText(QStringLiteral("2026/12/31"));
        QByteArray printed;
        QString message;
        QCOMPARE(runFind({"--find", "やまだ", "--from", "2026-01-01", "--to", "2026-12-31"}, dir.path(), &printed, &message), 0);
        QCOMPARE(search->ShownCsv(), printed);

        const QString path = dir.filePath("found.csv");
        setCsvPathChooser([&](QWidget *, const QString &) { return path; });
        search->CsvButtonClick();
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), printed);
    }

    void theBillWindowNamesAGuestsEarlierStays()
    {
        TMainForm form(dir.path());
        form.show();
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        FrontDesk &desk = form.desk();
        QWidget *bill = desk.openBillWindow(1005); // MULLER hans, 2026/09/01
        QVERIFY(bill);
        auto *history = bill->findChild<TGuestHistory *>("GuestHistory");
        QVERIFY(history);
        QVERIFY(history->isVisible());
        QCOMPARE(history->text(), QStringLiteral("過去のご利用 1回 最終 2026/08/20 梅の間"));
        QCOMPARE(history->Stays(), QStringList({"2026/08/20　2泊　梅の間　40,000円　（請求番号 1004）"}));
        bill->findChild<QLineEdit *>("NameEdit")->setFocus();
        QTest::keyClick(bill->findChild<QLineEdit *>("NameEdit"), Qt::Key_F8);
        QVERIFY(history->StaysMenu()->isVisible());
        history->StaysMenu()->hide();
        // Another name: the line goes.
        auto *name = bill->findChild<QLineEdit *>("NameEdit");
        name->selectAll();
        typeText(name, QStringLiteral("ﾔﾏﾀﾞﾀﾛｳ"));
        QCOMPARE(history->text(), QStringLiteral("過去のご利用 2回 最終 2026/01/05 松の間"));
        name->selectAll();
        QTest::keyClicks(name, QStringLiteral("Suzuki"));
        QVERIFY(!history->isVisible());
        QVERIFY(desk.closeBillWindow());
    }
};

QTEST_MAIN(SearchFormTest)
#include "search_form_qtest.moc"
