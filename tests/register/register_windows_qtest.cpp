// The guest register as the clerk meets it, with the small inn's data on a
// 1024 x 612 screen: locked at start while billing goes on; made on first
// use with the pass phrase typed twice and the recovery key shown once; a
// wrong pass phrase refused; the register window of a bill with its guests,
// the fields each kind of guest needs and the passport number's form; the
// day's arrivals with who is missing; the warning before a receipt; the lock
// by hand and after the idle minutes (the program's clock); the CSV of a
// range as the command writes it; the deletion offered after the keeping
// years. NORVEL_SHOTS=DIR keeps pictures of the windows.

#include "app/main_form.h"
#include "controls/passport_image_view.h"
#include "controls/country_combo.h"
#include "billing/meisai_form.h"
#include "manual/small_inn.h"
#include "printing/register_documents.h"
#include "register/register_arrivals_form.h"
#include "register/register_command.h"
#include "register/register_form.h"
#include "register/register_settings.h"
#include "shell/app_setup.h"
#include "shell/message_box.h"
#include "shell/register_session.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace {

const QString Phrase = QStringLiteral("sakura-no-yado-2026");

void keepShot(QWidget *w, const QString &name)
{
    const QString dir = qEnvironmentVariable("NORVEL_SHOTS");
    if (!dir.isEmpty())
        w->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

uint32_t billOf(const TMainForm &main, const QString &name)
{
    for (const TReserveData &r : main.data().ReserveList)
        if (fieldText(r.Name) == name)
            return r.MeiNo;
    return 0;
}

// Runs fill on the next modal dialog of that name once it shows (the dialog
// itself decides whether it closes).
void onDialog(const QString &name, std::function<void(QDialog *)> fill)
{
    QTimer::singleShot(0, [name, fill] {
        auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!d || d->objectName() != name) {
            onDialog(name, fill);
            return;
        }
        fill(d);
    });
}

void type(QDialog *d, const char *edit, const QString &text)
{
    auto *e = d->findChild<QLineEdit *>(QLatin1String(edit));
    QVERIFY(e);
    e->setText(text);
}

template <class T> T *child(QWidget *w, const char *name)
{
    T *c = w->findChild<T *>(QLatin1String(name));
    if (!c)
        qFatal("no %s", name);
    return c;
}

void typeInto(QWidget *form, const char *edit, const QString &text)
{
    auto *e = child<QLineEdit>(form, edit);
    e->setFocus();
    e->selectAll();
    e->del();
    // As an input method commits it: names and addresses are rarely plain ASCII.
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QCoreApplication::sendEvent(e, &commit);
}

} // namespace

class RegisterWindowsTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QList<ShownMessage> shown;
    QList<QMessageBox::StandardButton> answers;
    QString recoveryKey; // as shown when the register was made

    QStringList texts() const
    {
        QStringList t;
        for (const ShownMessage &m : shown)
            t << m.text;
        return t;
    }

    // Unlocks through the dialog with phrases tried in turn (the last one right).
    void unlock(TMainForm &main, const QStringList &phrases)
    {
        auto tries = std::make_shared<QStringList>(phrases);
        std::function<void(QDialog *)> next = [tries, &next](QDialog *d) {
            type(d, "PassEdit", tries->takeFirst());
            d->accept();
            if (d->isVisible())
                onDialog(QStringLiteral("RegisterUnlockForm"), next);
        };
        onDialog(QStringLiteral("RegisterUnlockForm"), next);
        main.menuItem(QStringLiteral("RegisterArrivals"))->trigger();
        QVERIFY(main.desk().registerSession().isUnlocked());
    }

private slots:
    void initTestCase()
    {
        setUpApplication(*qApp);
        Clock::setFixed(small_inn::Now);
        small_inn::writeInn(dir.path());
        SetMessageResponder([this](const ShownMessage &m) {
            shown.append(m);
            return answers.isEmpty() ? QMessageBox::Ok : answers.takeFirst();
        });
    }
    void cleanupTestCase()
    {
        SetMessageResponder({});
        Clock::setFixed({});
    }

    void firstUseMakesTheRegisterAndBillingNeverWaitsForIt()
    {
        TMainForm main(dir.path());
        main.show();
        QApplication::setActiveWindow(&main);
        QVERIFY(QTest::qWaitForWindowActive(&main));
        RegisterSession &session = main.desk().registerSession();
        QVERIFY(!session.exists());
        QVERIFY(!session.isUnlocked());
        // A bill opens and closes with no register at all.
        QVERIFY(main.openBillWindow(billOf(main, QStringLiteral("山田　太郎"))));
        QVERIFY(main.closeBillWindow());
        QVERIFY(shown.isEmpty());

        // Too short, then two different ones, then the same twice.
        QStringList warning;
        int round = 0;
        std::function<void(QDialog *)> fill = [&](QDialog *d) {
            warning << child<QLabel>(d, "WarningLabel")->text();
            const QString second[] = {QStringLiteral("short"), Phrase + QLatin1Char('x'), Phrase};
            type(d, "PassEdit1", round == 0 ? QStringLiteral("short") : Phrase);
            type(d, "PassEdit2", second[round]);
            ++round;
            d->accept();
            if (d->isVisible())
                onDialog(QStringLiteral("RegisterPassphraseForm"), fill);
        };
        onDialog(QStringLiteral("RegisterPassphraseForm"), fill);
        main.menuItem(QStringLiteral("RegisterArrivals"))->trigger();
        QCOMPARE(round, 3);
        QVERIFY(warning[0].contains(QStringLiteral("合言葉を忘れると、宿泊者名簿は二度と開けません")));
        QCOMPARE(shown.size(), 3);
        QVERIFY(shown[0].text.contains(QStringLiteral("8文字以上")));
        QVERIFY(shown[1].text.contains(QStringLiteral("二つの合言葉が違います")));
        QCOMPARE(shown[2].title, QStringLiteral("回復キー"));
        QVERIFY(shown[2].text.contains(QStringLiteral("二度と表示しません")));
        recoveryKey = shown[2].text.split(QLatin1Char('\n')).last();
        QVERIFY(!recoveryKey.isEmpty());
        QVERIFY(session.exists());
        QVERIFY(session.isUnlocked());

        // The day's arrivals: 山田 (two guests) and SMITH (two), nobody written yet.
        auto *arrivals = qobject_cast<TRegisterArrivalsForm *>(main.findChildWindow(QStringLiteral("RegisterArrivalsForm")));
        QVERIFY(arrivals);
        QTableWidget *grid = arrivals->grid();
        QCOMPARE(grid->rowCount(), 2);
        QStringList rows;
        for (int r = 0; r < grid->rowCount(); ++r)
            rows << grid->item(r, 1)->text() + QLatin1Char('|') + grid->item(r, 4)->text() + QLatin1Char('|')
                    + grid->item(r, 5)->text();
        QCOMPARE(rows, QStringList({QStringLiteral("山田　太郎|2|未記入 2名"), QStringLiteral("SMITH JOHN|2|未記入 2名")}));
        keepShot(&main, QStringLiteral("register-arrivals"));

        // Enter on a row opens its register window: one row per guest, the first the bill's name.
        grid->setCurrentCell(0, 1);
        QTest::keyClick(grid, Qt::Key_Return);
        auto *form = qobject_cast<TRegisterForm *>(main.findChildWindow(QStringLiteral("RegisterForm")));
        QVERIFY(form);
        QCOMPARE(form->billNo(), billOf(main, QStringLiteral("山田　太郎")));
        QCOMPARE(int(form->guests().size()), 2);
        QCOMPARE(form->guests()[0].name, QStringLiteral("山田　太郎"));
        QVERIFY(form->guests()[1].name.isEmpty());
        QVERIFY(child<QLabel>(form, "ProblemLabel")->text().contains(QStringLiteral("住所、連絡先")));
        QVERIFY(!child<QLabel>(form, "RequiredLabel")->text().contains(QStringLiteral("旅券番号")));

        // Enter goes from field to field, and past the last to the next guest.
        QApplication::setActiveWindow(&main);
        QVERIFY(QTest::qWaitForWindowActive(&main));
        typeInto(form, "AddressEdit", QStringLiteral("東京都千代田区1-1"));
        QTest::keyClick(child<QLineEdit>(form, "AddressEdit"), Qt::Key_Return);
        QVERIFY(child<QLineEdit>(form, "ContactEdit")->hasFocus());
        QTest::keyClicks(child<QLineEdit>(form, "ContactEdit"), "03-1234-5678");
        QVERIFY(child<QLabel>(form, "ProblemLabel")->text().isEmpty());
        QTest::keyClick(child<QLineEdit>(form, "ContactEdit"), Qt::Key_Return);
        QVERIFY(child<QCheckBox>(form, "AbroadCheck")->hasFocus());

        // The second guest lives abroad: nationality and passport become required;
        // a number of the wrong form is refused at saving, nothing lost.
        form->selectGuest(1);
        typeInto(form, "NameEdit", QStringLiteral("Müller Anna"));
        child<QCheckBox>(form, "AbroadCheck")->setChecked(true);
        QVERIFY(child<QLabel>(form, "RequiredLabel")->text().contains(QStringLiteral("国籍・旅券番号")));
        child<TCountryCombo>(form, "NationalityCombo")->setCode(QStringLiteral("DE"));
        typeInto(form, "AddressEdit", QStringLiteral("Hauptstr. 1, Berlin"));
        typeInto(form, "ContactEdit", QStringLiteral("anna@example.de"));
        typeInto(form, "PassportEdit", QStringLiteral("C01X"));
        shown.clear();
        QVERIFY(!form->save());
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown[0].text.contains(QStringLiteral("旅券番号「C01X」")));
        QVERIFY(session.reg().entriesOfBill(form->billNo()).empty());
        typeInto(form, "PassportEdit", QStringLiteral("c01x69 t78"));
        QVERIFY(form->save());
        const std::vector<RegisterEntry> saved = session.reg().entriesOfBill(form->billNo());
        QCOMPARE(int(saved.size()), 2);
        QCOMPARE(saved[1].name, QStringLiteral("Müller Anna"));
        QCOMPARE(saved[1].passportNo, QStringLiteral("C01X69T78"));
        QVERIFY(entryProblems(saved[0], {}).isEmpty());
        QVERIFY(entryProblems(saved[1], {}).isEmpty());
        keepShot(&main, QStringLiteral("register-window"));

        // Back in the list, 山田 is done and SMITH still missing.
        main.desk().bringToFront(arrivals);
        arrivals->refresh();
        QCOMPARE(grid->item(0, 5)->text(), QStringLiteral("済"));
        QCOMPARE(grid->item(1, 5)->text(), QStringLiteral("未記入 2名"));

        // Locking by hand closes the windows that show the register.
        QPointer<QWidget> formGuard(form), listGuard(arrivals);
        main.menuItem(QStringLiteral("RegisterLock"))->trigger();
        QVERIFY(!session.isUnlocked());
        QTRY_VERIFY(formGuard.isNull() && listGuard.isNull());
        main.close();
    }

    void aWrongPassPhraseIsRefusedAndTheRightOneOpens()
    {
        TMainForm main(dir.path());
        main.show();
        shown.clear();
        unlock(main, {QStringLiteral("wrong-pass-phrase"), Phrase});
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, registerLockedMessage());
        QCOMPARE(int(main.desk().registerSession().reg().entries().size()), 2);
        main.close();
    }

    // The bill window warns before the receipt of a stay whose register is
    // not complete; "No" takes the clerk to the register, "Yes" goes on.
    void aReceiptWarnsWhileTheRegisterIsIncomplete()
    {
        TMainForm main(dir.path());
        main.show();
        unlock(main, {Phrase});
        main.mdiArea()->closeAllSubWindows();
        TMeisaiForm *bill = main.openBillWindow(billOf(main, QStringLiteral("SMITH JOHN")));
        QVERIFY(bill);
        // F9 in the bill window opens the bill's register.
        QApplication::setActiveWindow(&main);
        QVERIFY(QTest::qWaitForWindowActive(&main));
        bill->findChild<QLineEdit *>(QStringLiteral("NameEdit"))->setFocus();
        QTest::keyClick(bill->findChild<QLineEdit *>(QStringLiteral("NameEdit")), Qt::Key_F9);
        auto *opened = qobject_cast<TRegisterForm *>(main.findChildWindow(QStringLiteral("RegisterForm")));
        QVERIFY(opened);
        QCOMPARE(opened->billNo(), bill->billNo());
        QVERIFY(opened->close());
        main.desk().bringBillWindowToFront();
        shown.clear();
        answers = {QMessageBox::No};
        QVERIFY(!bill->runDocument(BillPaper::A5, 2, DocumentMode::Print));
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].defaultButton, QMessageBox::No);
        QVERIFY(shown[0].text.contains(QStringLiteral("1人目: 記入なし")));
        QVERIFY(shown[0].text.contains(QStringLiteral("2人目: 記入なし")));
        auto *form = qobject_cast<TRegisterForm *>(main.findChildWindow(QStringLiteral("RegisterForm")));
        QVERIFY(form);
        QCOMPARE(form->billNo(), bill->billNo());
        RegisterStay stay;
        QVERIFY(stayOfBill(main.data().ReserveList, main.data().Money.Lodging, bill->billNo(), &stay));
        answers = {QMessageBox::Yes};
        QVERIFY(registerReadyForCheckout(main.desk(), bill, stay));
        QVERIFY(answers.isEmpty());
        // Day use is no stay: no question.
        RegisterStay dayUse = stay;
        dayUse.nights = 0;
        shown.clear();
        QVERIFY(registerReadyForCheckout(main.desk(), bill, dayUse));
        QVERIFY(shown.isEmpty());
        // 山田's register is complete: no question at all.
        QVERIFY(stayOfBill(main.data().ReserveList, main.data().Money.Lodging, billOf(main, QStringLiteral("山田　太郎")), &stay));
        shown.clear();
        QVERIFY(registerReadyForCheckout(main.desk(), bill, stay));
        QVERIFY(shown.isEmpty());
        QVERIFY(main.closeBillWindow());
        main.close();
    }

    // A passport copy taken for a guest is kept with the entry, closed when
    // the window shows the guest again; opening it is logged.
    void aPassportCopyIsKeptAndOpeningItLogged()
    {
        TMainForm main(dir.path());
        main.show();
        unlock(main, {Phrase});
        const uint32_t bill = billOf(main, QStringLiteral("山田　太郎"));
        TRegisterForm *form = openRegisterWindow(main.desk(), &main, bill);
        QVERIFY(form);
        form->selectGuest(1);
        QImage page(400, 280, QImage::Format_RGB32);
        page.fill(QColor(0xdd, 0xe8, 0xf0));
        QVERIFY(child<TPassportImageView>(form, "PassportView")->loadImage(page));
        QVERIFY(form->save());
        GuestRegister &reg = main.desk().registerSession().reg();
        const RegisterEntry anna = reg.entriesOfBill(bill)[1];
        QVERIFY(anna.hasPassportImage);
        QByteArray kept;
        QString error;
        QVERIFY2(reg.passportImage(anna.id, &kept, &error), qPrintable(error));
        QVERIFY(!kept.isEmpty());
        QVERIFY(form->close());

        form = openRegisterWindow(main.desk(), &main, bill);
        form->selectGuest(1);
        auto *view = child<TPassportImageView>(form, "PassportView");
        QVERIFY(view->isEmpty());
        QVERIFY(!child<QPushButton>(form, "ShowImageButton")->isHidden());
        const size_t before = reg.log().size();
        child<QPushButton>(form, "ShowImageButton")->click();
        QVERIFY(!view->isEmpty());
        QCOMPARE(reg.log().size(), before + 1);
        QCOMPARE(reg.log().back().what, QStringLiteral("閲覧"));
        QVERIFY(reg.log().back().detail.contains(QStringLiteral("2人目の旅券の写し")));
        main.close();
    }

    // The register locks itself after the setting's idle minutes, by the
    // program's clock; anything the clerk does starts the minutes again.
    void theRegisterLocksWhenIdle()
    {
        TMainForm main(dir.path());
        main.show();
        RegisterSettings settings = readRegisterSettings(main.data().iniPath());
        settings.lockMinutes = 5;
        QString settingsError;
        QVERIFY2(writeRegisterSettings(main.data().iniPath(), settings, &settingsError), qPrintable(settingsError));
        unlock(main, {Phrase});
        RegisterSession &session = main.desk().registerSession();
        QVERIFY(main.findChildWindow(QStringLiteral("RegisterArrivalsForm")));
        // A number half typed when the register locks is kept as typed, not lost.
        const uint32_t smith = billOf(main, QStringLiteral("SMITH JOHN"));
        TRegisterForm *form = openRegisterWindow(main.desk(), &main, smith);
        QVERIFY(form);
        typeInto(form, "PassportEdit", QStringLiteral("x1"));
        Clock::setFixed(small_inn::Now.addSecs(4 * 60));
        QVERIFY(!session.lockIfIdle());
        QTest::keyClick(&main, Qt::Key_Shift); // the clerk at work
        Clock::setFixed(small_inn::Now.addSecs(8 * 60));
        QVERIFY(!session.lockIfIdle());
        Clock::setFixed(small_inn::Now.addSecs(9 * 60 + 1));
        QVERIFY(session.lockIfIdle());
        QVERIFY(!session.isUnlocked());
        QTRY_VERIFY(!main.findChildWindow(QStringLiteral("RegisterArrivalsForm")));
        QTRY_VERIFY(!main.findChildWindow(QStringLiteral("RegisterForm")));
        Clock::setFixed(small_inn::Now);
        QString error;
        QVERIFY(session.unlock(Phrase.toUtf8(), &error));
        const std::vector<RegisterEntry> kept = session.reg().entriesOfBill(smith);
        QCOMPARE(int(kept.size()), 1);
        QCOMPARE(kept[0].name, QStringLiteral("SMITH JOHN"));
        QCOMPARE(kept[0].passportNo, QStringLiteral("X1"));
        main.close();
    }

    // The window's CSV of a range is the command's, byte for byte, and both are logged.
    void theWindowsCsvIsTheCommandsAndLogged()
    {
        TMainForm main(dir.path());
        main.show();
        unlock(main, {Phrase});
        TRegisterForm *form = openRegisterWindow(main.desk(), &main, billOf(main, QStringLiteral("山田　太郎")));
        QVERIFY(form);
        child<QDateEdit>(form, "FromDate")->setDate(QDate(2026, 12, 1));
        child<QDateEdit>(form, "ToDate")->setDate(QDate(2026, 12, 31));
        const QString windowCsv = dir.filePath(QStringLiteral("window.csv"));
        TRegisterForm::CsvFileDialog = [&](QWidget *, const QString &) { return windowCsv; };
        QVERIFY(form->exportCsv());
        const QString passFile = dir.filePath(QStringLiteral("pass.txt"));
        QFile pass(passFile);
        QVERIFY(pass.open(QIODevice::WriteOnly));
        pass.write(Phrase.toUtf8() + '\n');
        pass.close();
        main.desk().registerSession().lock();
        const QString commandCsv = dir.filePath(QStringLiteral("command.csv"));
        QString out, error;
        QCOMPARE(runRegisterCommand({QStringLiteral("--export"), QStringLiteral("register"), QStringLiteral("--from"),
                                     QStringLiteral("2026-12-01"), QStringLiteral("--to"), QStringLiteral("2026-12-31"),
                                     QStringLiteral("--out"), commandCsv, QStringLiteral("--passphrase-file"), passFile},
                                    dir.path(), Clock::now(), {}, &out, &error),
                 0);
        QFile a(windowCsv), b(commandCsv);
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        const QByteArray bytes = a.readAll();
        QCOMPARE(bytes, b.readAll());
        QVERIFY(bytes.contains("Müller Anna"));
        unlock(main, {Phrase});
        int exports = 0;
        for (const RegisterLogLine &l : main.desk().registerSession().reg().log())
            exports += l.what == QStringLiteral("書き出し");
        QCOMPARE(exports, 2);
        form = openRegisterWindow(main.desk(), &main, billOf(main, QStringLiteral("山田　太郎")));
        auto *log = child<QTableWidget>(form, "LogGrid");
        QVERIFY(log->rowCount() >= 2);
        QCOMPARE(log->item(0, 1)->text(), QStringLiteral("書き出し"));
        QVERIFY(log->item(0, 2)->text().contains(QStringLiteral("（コマンド）")));

        // The list of the range on paper (here a PDF file), logged.
        const QString pdf = dir.filePath(QStringLiteral("list.pdf"));
        printing::setPdfPathChooser([&](QWidget *, const QString &) { return pdf; });
        child<QDateEdit>(form, "FromDate")->setDate(QDate(2026, 12, 1));
        child<QDateEdit>(form, "ToDate")->setDate(QDate(2026, 12, 31));
        QVERIFY(form->printList(int(printing::RegisterOutput::Pdf)));
        printing::setPdfPathChooser({});
        QVERIFY(QFileInfo(pdf).size() > 0);
        QCOMPARE(log->item(0, 1)->text(), QStringLiteral("印刷"));
        QVERIFY(log->item(0, 2)->text().contains(QStringLiteral("2026/12/01～2026/12/31 の 3 件")));
        main.close();
    }

    // Three years and a day on, the first opening of a run offers the old
    // entries for deletion: No (the default) keeps them, Yes twice deletes and logs.
    void entriesPastTheKeepingYearsAreOfferedForDeletion()
    {
        const QDateTime later = small_inn::Now.addYears(3).addDays(1);
        Clock::setFixed(later);
        {
            TMainForm main(dir.path());
            main.show();
            shown.clear();
            answers = {QMessageBox::No};
            unlock(main, {Phrase});
            QCOMPARE(shown.size(), 1);
            QCOMPARE(shown[0].defaultButton, QMessageBox::No);
            QVERIFY(shown[0].text.contains(QStringLiteral("3 件")));
            main.close();
        }
        TMainForm main(dir.path());
        main.show();
        shown.clear();
        answers = {QMessageBox::Yes, QMessageBox::Yes};
        unlock(main, {Phrase});
        QCOMPARE(shown.size(), 3);
        QCOMPARE(shown[1].defaultButton, QMessageBox::No);
        GuestRegister &reg = main.desk().registerSession().reg();
        QVERIFY(reg.entries().empty());
        QCOMPARE(reg.log().back().what, QStringLiteral("削除"));
        main.desk().registerSession().lock();
        unlock(main, {Phrase});
        QVERIFY(main.desk().registerSession().reg().entries().empty());
        Clock::setFixed(small_inn::Now);
        main.close();
    }

    // A lost pass phrase: the recovery key opens the register, and a new
    // pass phrase (with a new recovery key) replaces the old one, logged.
    void theRecoveryKeyOpensAndThePassPhraseChanges()
    {
        TMainForm main(dir.path());
        main.show();
        shown.clear();
        onDialog(QStringLiteral("RegisterUnlockForm"), [this](QDialog *d) {
            child<QCheckBox>(d, "RecoveryCheck")->setChecked(true);
            type(d, "PassEdit", recoveryKey);
            d->accept();
        });
        main.menuItem(QStringLiteral("RegisterArrivals"))->trigger();
        RegisterSession &session = main.desk().registerSession();
        QVERIFY(session.isUnlocked());
        QVERIFY(shown.last().text.contains(QStringLiteral("合言葉の変更")));
        const QString newPhrase = QStringLiteral("momiji-no-yado-2027");
        onDialog(QStringLiteral("RegisterPassphraseForm"), [&](QDialog *d) {
            type(d, "PassEdit1", newPhrase);
            type(d, "PassEdit2", newPhrase);
            d->accept();
        });
        shown.clear();
        main.menuItem(QStringLiteral("RegisterPassphrase"))->trigger();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].title, QStringLiteral("回復キー"));
        QVERIFY(!shown[0].text.contains(recoveryKey));
        QCOMPARE(session.reg().log().back().what, QStringLiteral("合言葉変更"));
        session.lock();
        QString error;
        QVERIFY(!session.unlock(Phrase.toUtf8(), &error));
        QVERIFY(!session.unlockWithRecoveryKey(recoveryKey, &error));
        QVERIFY2(session.unlock(newPhrase.toUtf8(), &error), qPrintable(error));
        main.close();
    }
};

int main(int argc, char **argv)
{
    // A screen of 1024 x 612 for the offscreen platform the tests run on.
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen")
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" NORVEL_TEST_DATA "/screen_1024x612.json");
    QApplication app(argc, argv);
    RegisterWindowsTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "register_windows_qtest.moc"
