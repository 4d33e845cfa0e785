// The basic settings window on a temporary program directory: base.dat
// rewritten on closing, colours and their checks, the logo, fonts, the
// domain, the hidden-menu key and the text checks at entry.

#include "controls/sa_num_edit.h"
#include "settings/basic_setting_form.h"
#include "settings/lodging_tax_form.h"
#include "app/main_form.h"
#include "shell/message_box.h"
#include "storage/clock.h"
#include "storage/generations.h"
#include "storage/cp932.h"
#include "storage/ini_file.h"
#include "storage/money_settings.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QSpinBox>
#include <QTableWidget>
#include <QImage>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

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

TBaseData recordOf(const QByteArray &bytes)
{
    TBaseData b{};
    memcpy(&b, bytes.constData(), std::min<size_t>(sizeof b, size_t(bytes.size())));
    return b;
}

} // namespace

class BasicSettingFormTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QList<ShownMessage> shown;
    QMessageBox::StandardButton answer = QMessageBox::Ok;
    std::unique_ptr<TMainForm> main;
    QDate fromDate;      // the answer to the from-date question; invalid: today
    QStringList asked;   // the from-date questions asked

    TBasicSettingForm *open()
    {
        if (!main) {
            main = std::make_unique<TMainForm>(dir.path());
            main->show();
        }
        main->menuItem("BasicSet")->trigger();
        return qobject_cast<TBasicSettingForm *>(main->findChildWindow("BasicSettingForm"));
    }
    void closeWindow(QWidget *f)
    {
        QPointer<QWidget> guard(f);
        f->close();
        QTRY_VERIFY(guard.isNull());
    }
    template <class T> T *control(QWidget *f, const char *name)
    {
        T *w = f->findChild<T *>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QString path(const char *name) const { return dir.filePath(QLatin1String(name)); }

private slots:
    void init()
    {
        QVERIFY(dir.isValid());
        QDir(dir.path()).removeRecursively();
        QDir().mkpath(dir.path());
        shown.clear();
        answer = QMessageBox::Ok;
        Clock::setFixed(QDateTime(QDate(2007, 8, 9), QTime(10, 0)));
        // A changed amount applies from the day the test names (today unless set).
        fromDate = QDate();
        TBasicSettingForm::FromDateDialog = [this](QWidget *, const QString &what, QDate *from) {
            asked << what;
            if (fromDate.isValid())
                *from = fromDate;
            return true;
        };
        asked.clear();
        SetMessageResponder([this](const ShownMessage &m) {
            if (m.title == QStringLiteral("ナビゲーター"))
                return QMessageBox::Ok;
            shown.append(m);
            return answer;
        });
    }
    void cleanup()
    {
        main.reset();
        SetMessageResponder({});
        Clock::setFixed({});
        TBasicSettingForm::ColourDialog = {};
        TBasicSettingForm::FontDialog = {};
        TBasicSettingForm::LogoFileDialog = {};
    }

    void openingAndClosingRewritesBaseDat()
    {
        TBasicSettingForm *f = open();
        QVERIFY(f);
        QCOMPARE(f->windowTitle(), QStringLiteral("Norvel基本設定"));
        auto *pages = control<QTabWidget>(f, "PageControl1");
        QCOMPARE(pages->currentIndex(), 0);
        QCOMPARE(pages->tabText(0), QStringLiteral("施設基本設定"));
        QCOMPARE(pages->tabText(1), QStringLiteral("ロゴマーク"));
        QCOMPARE(pages->tabText(2), QStringLiteral("印刷設定"));
        QCOMPARE(control<TSaNumEdit>(f, "Nyutouzei")->GetText(), QStringLiteral("150"));
        QCOMPARE(control<QLineEdit>(f, "ColorEdit1")->text(), QStringLiteral("15792895"));
        QCOMPARE(control<QComboBox>(f, "Domain")->count(), 8);
        pages->setCurrentIndex(2); // whatever page is shown
        closeWindow(f);

        const QByteArray stored = fileBytes(path("base.dat"));
        QCOMPARE(stored.size(), 1532);
        TBaseData expected{};
        setDefaultBaseData(expected);
        setFieldText(expected.CommentS, QStringLiteral("下記金額をご請求申し上げます\r\n"));
        setFieldText(expected.CommentR,
                     QStringLiteral("下記金額を領収いたしました\r\nまたのお越しを心よりお待ち申し上げます\r\n"));
        setFieldText(expected.ZipCode, QStringLiteral("   -    "));
        QCOMPARE(stored, QByteArray(reinterpret_cast<const char *>(&expected), sizeof expected));
        QVERIFY(memcmp(&main->data().BaseData, &expected, sizeof expected) == 0);
        QVERIFY(shown.isEmpty());

        // A second round leaves the file as it is, and adds no backup generation.
        const size_t generations = listGenerations(main->data().BackupPath).size();
        closeWindow(open());
        QCOMPARE(fileBytes(path("base.dat")), stored);
        QCOMPARE(listGenerations(main->data().BackupPath).size(), generations);
    }

    void choosingBlackForTheLineColourGivesItsDefault()
    {
        TBasicSettingForm::ColourDialog = [](QWidget *, const QColor &initial, QColor *chosen) {
            *chosen = initial == Qt::white ? QColor(Qt::black) : QColor(0x11, 0x22, 0x33);
            return true;
        };
        TBasicSettingForm *f = open();
        auto *line = control<QLineEdit>(f, "ColorEdit4");
        control<QPushButton>(f, "Button4")->click();
        QCOMPARE(line->text(), QStringLiteral("6710886"));
        // The colour shows in a swatch beside its number; the number stays readable.
        QCOMPARE(control<QFrame>(f, "ColorSwatch4")->palette().color(QPalette::Window), QColor(0x66, 0x66, 0x66));
        QCOMPARE(line->palette().color(QPalette::Base), QApplication::palette(line).color(QPalette::Base));
        QCOMPARE(line->palette().color(QPalette::Text), QApplication::palette(line).color(QPalette::Text));
        control<QPushButton>(f, "Button2")->click(); // the dialog now starts from black
        QCOMPARE(control<QLineEdit>(f, "ColorEdit2")->text(), QString::number(0x332211));

        // Emptying a colour checked on change refills it at once.
        auto *heading = control<QLineEdit>(f, "ColorEdit3");
        heading->setFocus();
        heading->selectAll();
        QTest::keyClick(heading, Qt::Key_Backspace);
        QCOMPARE(heading->text(), QStringLiteral("14811135"));
        // Colour 1 waits until it is left.
        auto *amount = control<QLineEdit>(f, "ColorEdit1");
        amount->setText(QStringLiteral("0"));
        QCOMPARE(amount->text(), QStringLiteral("0"));
        QFocusEvent out(QEvent::FocusOut);
        QApplication::sendEvent(amount, &out);
        QCOMPARE(amount->text(), QStringLiteral("14811135"));

        closeWindow(f);
        const TBaseData b = recordOf(fileBytes(path("base.dat")));
        QCOMPARE(b.Color4, 6710886u);
        QCOMPARE(b.Color2, 0x332211u);
        QCOMPARE(b.Color1, 14811135u);
    }

    void aColourThatIsNoNumberIsRefusedAtEntry()
    {
        TBasicSettingForm *f = open();
        auto *e = control<QLineEdit>(f, "ColorEdit1");
        e->setFocus();
        e->end(false);
        QTest::keyClick(e, Qt::Key_A);
        QCOMPARE(e->text(), QStringLiteral("15792895"));
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.last().title, QStringLiteral("エラー"));
        QVERIFY(shown.last().text.startsWith(QStringLiteral("色は0から16777215までの整数")));

        // Should one get in all the same, closing refuses it and the record stays whole.
        e->setText(QStringLiteral("12ab"));
        const TBaseData before = main->data().BaseData;
        f->close();
        QCOMPARE(shown.size(), 2);
        QVERIFY(main->findChildWindow("BasicSettingForm"));
        QVERIFY(memcmp(&before, &main->data().BaseData, sizeof before) == 0);
        QVERIFY(!QFile::exists(path("base.dat")));
        e->setText(QStringLiteral("255"));
        closeWindow(f);
        QCOMPARE(recordOf(fileBytes(path("base.dat"))).Color1, 255u);
    }

    void aJpegLogoBecomesLogoBmp()
    {
        QImage img(232, 100, QImage::Format_RGB32);
        img.fill(QColor(20, 90, 160));
        const QString jpg = dir.filePath("mark.jpg");
        QVERIFY(img.save(jpg, "JPG"));
        QString chosen = jpg;
        QStringList startFolders;
        TBasicSettingForm::LogoFileDialog = [&](QWidget *, const QString &folder) {
            startFolders << folder;
            return chosen;
        };
        TBasicSettingForm *f = open();
        auto *logo = control<QLabel>(f, "LogoImage");
        QVERIFY(logo->pixmap().isNull());

        control<QPushButton>(f, "BitBtn1")->click();
        const QByteArray bmp = fileBytes(path("logo.bmp"));
        QVERIFY(bmp.startsWith("BM"));
        QCOMPARE(QImage::fromData(bmp, "BMP").size(), QSize(232, 100));
        QCOMPARE(logo->pixmap().size(), QSize(232, 100));
        QVERIFY(shown.isEmpty());
        QCOMPARE(QDir(dir.path()).entryList({"*.jpg"}), QStringList{"mark.jpg"}); // not copied

        // A picture that cannot be read: a message, and the logo stays.
        QFile broken(dir.filePath("broken.jpg"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("no picture");
        broken.close();
        chosen = broken.fileName();
        control<QPushButton>(f, "BitBtn1")->click();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.last().title, QStringLiteral("エラー"));
        QCOMPARE(fileBytes(path("logo.bmp")), bmp);
        QVERIFY(!logo->pixmap().isNull());
        // The dialog starts in the home folder, then where the last picture
        // was chosen, also after the next start (the settings file keeps it).
        QCOMPARE(startFolders, QStringList({QDir::homePath(), dir.path()}));
        QVERIFY(IniFile(path("norvelreceipt.ini")).value("Folders", "Logo") == QDir::toNativeSeparators(dir.path()));

        // Deleting asks first; No keeps it, Yes removes it.
        answer = QMessageBox::No;
        control<QPushButton>(f, "Button5")->click();
        QCOMPARE(shown.last().text, QStringLiteral("ロゴ画像を削除します　よろしいですか？"));
        QCOMPARE(shown.last().title, QStringLiteral("注意"));
        QCOMPARE(shown.last().buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(shown.last().defaultButton, QMessageBox::No);
        QVERIFY(QFile::exists(path("logo.bmp")));
        answer = QMessageBox::Yes;
        control<QPushButton>(f, "Button5")->click();
        QVERIFY(!QFile::exists(path("logo.bmp")));
        QVERIFY(logo->pixmap().isNull());
        control<QPushButton>(f, "Button5")->click();
        QCOMPARE(shown.last().text, QStringLiteral("ロゴ画像は設定されていません"));
        QCOMPARE(shown.last().buttons, QMessageBox::Ok);
    }

    void theHiddenMenuKeyTwiceLeavesTheMenuAsItWas()
    {
        TBasicSettingForm *f = open();
        auto *address = control<QLineEdit>(f, "Jusyo");
        address->setFocus();
        QTest::keyClick(address, TBasicSettingForm::HiddenKey, TBasicSettingForm::HiddenKeyModifiers);
        QVERIFY(main->data().ShowHidden);
        main->resize(1000, 600);
        QTRY_VERIFY(main->menuItem("debug1")->isVisible());
        QTest::keyClick(control<QTabWidget>(f, "PageControl1"), TBasicSettingForm::HiddenKey,
                        TBasicSettingForm::HiddenKeyModifiers);
        QVERIFY(!main->data().ShowHidden);
        main->resize(1024, 612);
        QTRY_VERIFY(!main->menuItem("debug1")->isVisible());
        QVERIFY(!main->menuItem("PrintMitumori")->isVisible());
        QCOMPARE(address->text(), QString()); // the key never reached the field
        closeWindow(f);
        QVERIFY(!main->data().ShowHidden); // not saved, not changed by closing
    }

    void aPresetOrATypedDomainIsStored()
    {
        TBasicSettingForm *f = open();
        auto *domain = control<QComboBox>(f, "Domain");
        domain->setCurrentIndex(2);
        closeWindow(f);
        QCOMPARE(fieldText(main->data().BaseData.Domain), domain == nullptr ? QString() : QStringLiteral("ryokan.norvel-yoyaku.example"));

        f = open();
        domain = control<QComboBox>(f, "Domain");
        QCOMPARE(domain->currentIndex(), 2);
        domain->lineEdit()->selectAll();
        QTest::keyClicks(domain->lineEdit(), QStringLiteral("inn.example.jp"));
        closeWindow(f);
        QCOMPARE(fieldText(recordOf(fileBytes(path("base.dat"))).Domain), QStringLiteral("inn.example.jp"));
    }

    void textsAreCheckedAtEntry()
    {
        TBasicSettingForm *f = open();
        auto *name = control<QPlainTextEdit>(f, "SisetuName");
        name->setFocus();
        typeText(name, QStringLiteral("山𠮷荘"));
        QCOMPARE(name->toPlainText(), QStringLiteral("山荘"));
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown.last().text.contains(QStringLiteral("「𠮷」")));
        QVERIFY(shown.last().text.startsWith(QStringLiteral("施設名")));

        // 130 bytes with line breaks counted as CR LF.
        name->clear();
        name->setPlainText(QString(64, QChar(0x3042)));
        name->moveCursor(QTextCursor::End);
        QTest::keyClick(name, Qt::Key_Return);
        QCOMPARE(name->toPlainText().size(), 65);
        typeText(name, QStringLiteral("x"));
        QCOMPARE(name->toPlainText(), QString(64, QChar(0x3042)) + QLatin1Char('\n'));
        QCOMPARE(shown.last().text, QStringLiteral("施設名は全角65文字（半角130文字）以内で入力してください"));

        auto *zip = control<QLineEdit>(f, "ZipCode");
        zip->setFocus();
        QTRY_COMPARE(zip->cursorPosition(), 0);
        QTest::keyClicks(zip, QStringLiteral("3991234"));
        QCOMPARE(zip->displayText(), QStringLiteral("399-1234"));

        auto *tel = control<QLineEdit>(f, "TelNo");
        QTest::keyClicks(tel, QStringLiteral("0123-45-67890123456"));
        QCOMPARE(tel->text(), QStringLiteral("0123-45-67890123"));

        // The amounts take whole numbers without a sign, within their ranges.
        auto *service = control<TSaNumEdit>(f, "Service");
        service->setFocus();
        shown.clear();
        QTest::keyClicks(service, QStringLiteral("-12.34"));
        QCOMPARE(service->GetText(), QStringLiteral("12"));
        QCOMPARE(shown.size(), 4); // at the sign, the point, the 3 and the 4
        QCOMPARE(shown.last().text, QStringLiteral("サービス料は0から99％までの整数で入力してください"));
        closeWindow(f);
        const TBaseData b = recordOf(fileBytes(path("base.dat")));
        QCOMPARE(b.Service, 12);
        QCOMPARE(fieldText(b.ZipCode), QStringLiteral("399-1234"));
        QCOMPARE(fieldBytes(b.SisetuName), cp932::encode(QString(64, QChar(0x3042)) + QStringLiteral("\r\n")));
    }

    // Changing the bathing tax asks from which day; the past keeps its amount,
    // base.dat the amount of today, the settings file the periods.
    void aChangedBathingTaxAppliesFromTheDayNamed()
    {
        Clock::setFixed(QDateTime(QDate(2026, 12, 10), QTime(10, 0)));
        TBasicSettingForm *f = open();
        auto *nyutouzei = control<TSaNumEdit>(f, "Nyutouzei");
        QCOMPARE(nyutouzei->GetText(), QStringLiteral("150"));
        nyutouzei->SetText(QStringLiteral("200"));
        fromDate = QDate(2026, 12, 16);
        closeWindow(f);
        QCOMPARE(asked, QStringList{QStringLiteral("入湯税(宿泊) 150円 → 200円")});
        const AppData &d = main->data();
        QCOMPARE(d.BaseData.Nyutouzei, 150); // still in force today
        QCOMPARE(d.Money.amountAt(SettingNyutouzei, QDate(2026, 12, 15), d.BaseData), 150);
        QCOMPARE(d.Money.amountAt(SettingNyutouzei, QDate(2026, 12, 16), d.BaseData), 200);
        QCOMPARE(recordOf(fileBytes(path("base.dat"))).Nyutouzei, 150);
        QVERIFY(fileBytes(path("norvelreceipt.ini")).contains("Nyutouzei=150;2026/12/16:200"));

        // Opened again, the window shows today's amount and the periods; nothing changed, nothing asked.
        asked.clear();
        f = open();
        QCOMPARE(control<TSaNumEdit>(f, "Nyutouzei")->GetText(), QStringLiteral("150"));
        QVERIFY(control<QLabel>(f, "DatedSettings")->text().contains(QStringLiteral("200円（2026/12/16から）")));
        closeWindow(f);
        QVERIFY(asked.isEmpty());
    }

    // Closing the program while the window holds what cannot be stored: the
    // reason, then a question whose いいえ (Enter) goes back to the window
    // with everything typed still in it.
    void closingTheProgramWithUnstorableSettingsAsks()
    {
        TBasicSettingForm *f = open();
        control<QLineEdit>(f, "Daihyou")->setText(QStringLiteral("山田太郎"));
        control<QLineEdit>(f, "RegistrationNo")->setText(QStringLiteral("T12"));
        answer = QMessageBox::No;
        QVERIFY(!main->close());
        QVERIFY(main->isVisible());
        QVERIFY(f->isVisible());
        QCOMPARE(control<QLineEdit>(f, "Daihyou")->text(), QStringLiteral("山田太郎"));
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[0].text, QStringLiteral("登録番号は「T」と13桁の数字で入力してください"));
        QVERIFY(shown[1].text.contains(QStringLiteral("保存せずに終了しますか")));
        QCOMPARE(shown[1].defaultButton, QMessageBox::No);
        // はい: the program closes without storing.
        answer = QMessageBox::Yes;
        QVERIFY(main->close());
    }

    void taxTableAndRegistrationNumberAreCheckedOnClosing()
    {
        TBasicSettingForm *f = open();
        auto *reg = control<QLineEdit>(f, "RegistrationNo");
        // Letters other than the leading T cannot be typed.
        reg->setFocus();
        QTest::keyClicks(reg, QStringLiteral("TX70A00012050002"));
        QCOMPARE(reg->text(), QStringLiteral("T7000012050002"));
        // A wrong length is refused.
        reg->setText(QStringLiteral("T700001205000"));
        f->close();
        QVERIFY(f->isVisible());
        QCOMPARE(shown.last().text, QStringLiteral("登録番号は「T」と13桁の数字で入力してください"));
        // A check digit that does not match asks; いいえ keeps the window open.
        reg->setText(QStringLiteral("T8000012050002"));
        answer = QMessageBox::No;
        f->close();
        QVERIFY(f->isVisible());
        QVERIFY(shown.last().text.contains(QStringLiteral("検査用数字")));
        // Dates out of order are refused.
        auto *table = control<QTableWidget>(f, "TaxTable");
        QCOMPARE(table->rowCount(), 2);
        table->item(1, 0)->setText(QStringLiteral("2010/01/01"));
        reg->setText(QStringLiteral("T7000012050002"));
        f->close();
        QVERIFY(f->isVisible());
        QVERIFY(shown.last().text.contains(QStringLiteral("古い順")));
        table->item(1, 0)->setText(QStringLiteral("2019/10/01"));
        control<QCheckBox>(f, "FixedTax")->setChecked(true);
        control<QSpinBox>(f, "FixedRate")->setValue(10);
        closeWindow(f);
        const TMoneySettings &m = main->data().Money;
        QCOMPARE(m.RegistrationNo, QStringLiteral("T7000012050002"));
        QVERIFY(m.FixedTax);
        QCOMPARE(m.FixedRate, 10);
        QVERIFY(m.TaxRates == TMoneySettings::defaultTaxRates());
        QVERIFY(fileBytes(path("norvelreceipt.ini")).contains("RegistrationNo=T7000012050002"));
    }

    // Each amount takes its whole range and nothing past it, typed or
    // pasted; the message names the range.
    void amountsStayInTheirRanges_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<QString>("message");
        const QString service = QStringLiteral("サービス料は0から99％までの整数で入力してください");
        const QString tax = QStringLiteral("入湯税は0円から9,999円までの整数で入力してください");
        QTest::newRow("service 99") << "Service" << "99" << "" << "99" << "";
        QTest::newRow("service 150 typed") << "Service" << "150" << "" << "15" << service;
        QTest::newRow("service 150 pasted") << "Service" << "" << "150" << "10" << service;
        QTest::newRow("bathing tax 9999") << "Nyutouzei" << "9999" << "" << "9999" << "";
        QTest::newRow("bathing tax 15000 typed") << "Nyutouzei" << "15000" << "" << "1500" << tax;
        QTest::newRow("day bathing tax 10000 pasted") << "DayNyutouzei" << "" << "10000" << "10" << tax;
    }
    void amountsStayInTheirRanges()
    {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, pasted);
        QFETCH(QString, kept);
        QFETCH(QString, message);
        TBasicSettingForm *f = open();
        auto *n = control<TSaNumEdit>(f, field.toLatin1().constData());
        n->setFocus();
        n->SelectAll();
        QTest::keyClicks(n, QStringLiteral("10"));
        QCOMPARE(n->GetText(), QStringLiteral("10"));
        if (typed.isEmpty()) {
            QApplication::clipboard()->setText(pasted);
            n->PasteFromClipboard();
        } else {
            n->SelectAll();
            QTest::keyClicks(n, typed);
        }
        QCOMPARE(n->GetText(), kept);
        QCOMPARE(shown.isEmpty() ? QString() : shown.last().text, message);
        closeWindow(f);
        QCOMPARE(QString::number(field == QLatin1String("Service") ? main->data().BaseData.Service
                                 : field == QLatin1String("Nyutouzei") ? main->data().BaseData.Nyutouzei
                                                                       : main->data().BaseData.DayNyutouzei),
                 kept);
    }

    void aChosenFontIsShownInItsFaceAndStoredByName()
    {
        TBasicSettingForm::FontDialog = [](QWidget *, const QFont &, QFont *chosen) {
            *chosen = QFont(QStringLiteral("IPAMincho"), 14, QFont::Bold);
            return true;
        };
        TBasicSettingForm *f = open();
        control<QPushButton>(f, "Button7")->click();
        auto *e = control<QLineEdit>(f, "FontEdit2");
        QCOMPARE(e->text(), QStringLiteral("IPAMincho"));
        QCOMPARE(e->font().family(), QStringLiteral("IPAMincho"));
        QVERIFY(e->font().bold());
        closeWindow(f);
        QCOMPARE(fieldText(main->data().BaseData.FontName2), QStringLiteral("IPAMincho"));
        QCOMPARE(fieldText(main->data().BaseData.FontName1), QString());
    }

    // The accommodation tax: off until turned on; each cell checked as it is
    // typed, the table as a whole on closing; kept in the settings file and
    // shown again in date and bound order.
    void theAccommodationTaxIsSetOnItsOwnPage()
    {
        Clock::setFixed(QDateTime(QDate(2026, 12, 10), QTime(10, 0)));
        TBasicSettingForm *f = open();
        auto *pages = control<QTabWidget>(f, "PageControl1");
        QCOMPARE(pages->tabText(pages->count() - 1), QStringLiteral("宿泊税"));
        auto *enabled = control<QCheckBox>(f, "LodgingEnabled");
        QVERIFY(!enabled->isChecked());
        QCOMPARE(control<QLineEdit>(f, "LodgingName")->text(), QStringLiteral("宿泊税"));
        QCOMPARE(control<QLineEdit>(f, "LodgingNameEn")->text(), QStringLiteral("Accommodation Tax"));
        auto *table = control<QTableWidget>(f, "LodgingTable");
        QCOMPARE(table->rowCount(), 0);
        pages->setCurrentIndex(pages->count() - 1);
        enabled->setChecked(true);

        // Typed into a cell, only digits stand; the row starts today.
        control<QPushButton>(f, "LodgingAdd")->click();
        QCOMPARE(table->item(0, TLodgingTaxPage::ColFrom)->text(), QStringLiteral("2026/12/10"));
        table->setCurrentCell(0, TLodgingTaxPage::ColBound);
        table->editItem(table->item(0, TLodgingTaxPage::ColBound));
        auto *editor = table->viewport()->findChild<QLineEdit *>();
        QVERIFY(editor);
        QTest::keyClicks(editor, QStringLiteral("6a00-0"));
        QCOMPARE(editor->text(), QStringLiteral("6000"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(table->item(0, TLodgingTaxPage::ColBound)->text(), QStringLiteral("6000"));

        // Each cell is checked as it changes: a refused text goes back to the last good one.
        struct Bad {
            int column;
            const char *text;
            const char *message;
        } bad[] = {
            {TLodgingTaxPage::ColFrom, "2026/02/30", "宿泊税の適用開始日は yyyy/mm/dd の形で、正しい日付を入力してください"},
            {TLodgingTaxPage::ColAmount, "1000000", "宿泊税の金額は0円から999,999円までの整数で入力してください"},
        };
        for (const Bad &b : bad) {
            shown.clear();
            const QString before = table->item(0, b.column)->text();
            table->item(0, b.column)->setText(QString::fromUtf8(b.text));
            QCOMPARE(table->item(0, b.column)->text(), before);
            QCOMPARE(shown.size(), 1);
            QCOMPARE(shown.last().text, QString::fromUtf8(b.message));
        }
        table->item(0, TLodgingTaxPage::ColFrom)->setText(QStringLiteral("2026-3-1"));
        QCOMPARE(table->item(0, TLodgingTaxPage::ColFrom)->text(), QStringLiteral("2026/03/01"));
        table->item(0, TLodgingTaxPage::ColAmount)->setText(QStringLiteral("400"));
        // 400 cannot become a percentage.
        auto *unit = qobject_cast<QComboBox *>(table->cellWidget(0, TLodgingTaxPage::ColUnit));
        unit->setCurrentIndex(1);
        QCOMPARE(unit->currentIndex(), 0);
        QCOMPARE(shown.last().text, QStringLiteral("宿泊税の率は0%から100%までの整数で入力してください"));

        // The rest of the table, out of order as a clerk might enter it.
        auto *page = f->findChild<TLodgingTaxPage *>();
        page->addRow(QStringLiteral("2026/03/01"), QStringLiteral("20000"), QStringLiteral("1000"), false);
        page->addRow(QStringLiteral("2026/03/01"), QStringLiteral("0"), QStringLiteral("200"), false);
        page->addRow(QStringLiteral("2018/10/01"), QStringLiteral("0"), QStringLiteral("2"), true);
        page->addRow(QStringLiteral("2018/10/01"), QStringLiteral("0"), QStringLiteral("500"), false);
        // Two tiers with one bound in one period are refused on closing.
        shown.clear();
        f->close();
        QVERIFY(f->isVisible());
        QCOMPARE(pages->currentIndex(), pages->count() - 1);
        QVERIFY(shown.last().text.contains(QStringLiteral("同じ下限を重ねずに")));
        table->item(table->rowCount() - 1, TLodgingTaxPage::ColBound)->setText(QStringLiteral("20000"));
        // A printed name is needed while the tax is on.
        control<QLineEdit>(f, "LodgingName")->clear();
        f->close();
        QVERIFY(f->isVisible());
        QCOMPARE(shown.last().text, QStringLiteral("宿泊税の印刷名を入力してください"));
        control<QLineEdit>(f, "LodgingName")->setText(QStringLiteral("宿泊税"));
        // From 2026/03/01 the price counts the service charge: every row of that period follows.
        qobject_cast<QComboBox *>(table->cellWidget(0, TLodgingTaxPage::ColBasis))->setCurrentIndex(1);
        for (int r = 0; r < table->rowCount(); ++r)
            QCOMPARE(qobject_cast<QComboBox *>(table->cellWidget(r, TLodgingTaxPage::ColBasis))->currentIndex(),
                     table->item(r, TLodgingTaxPage::ColFrom)->text() == QStringLiteral("2026/03/01") ? 1 : 0);
        closeWindow(f);

        const TLodgingTax &t = main->data().Money.Lodging;
        QVERIFY(t.Enabled);
        QCOMPARE(int(t.Periods.at(0).Basis), int(LodgingBasis::Room));
        QCOMPARE(int(t.Periods.at(1).Basis), int(LodgingBasis::RoomService));
        QCOMPARE(lodgingPeriodsText(t.Periods),
                 QStringLiteral("2018/10/01:0=2%,20000=500;2026/03/01:0=200,6000=400,20000=1000"));
        const QByteArray ini = fileBytes(path("norvelreceipt.ini"));
        QVERIFY(ini.contains("LodgingTax=1"));
        QVERIFY(ini.contains("LodgingTaxPeriods=2018/10/01:0=2%,20000=500;2026/03/01:0=200,6000=400,20000=1000"));
        QVERIFY(ini.contains("LodgingTaxPriceBasis=2018/10/01:room;2026/03/01:room+service\r\n"));

        // Opened again: the same setting, rows in date and bound order.
        f = open();
        QVERIFY(control<QCheckBox>(f, "LodgingEnabled")->isChecked());
        table = control<QTableWidget>(f, "LodgingTable");
        QCOMPARE(table->rowCount(), 5);
        QCOMPARE(table->item(2, TLodgingTaxPage::ColFrom)->text(), QStringLiteral("2026/03/01"));
        QCOMPARE(table->item(2, TLodgingTaxPage::ColBound)->text(), QStringLiteral("0"));
        QCOMPARE(qobject_cast<QComboBox *>(table->cellWidget(0, TLodgingTaxPage::ColUnit))->currentText(),
                 QStringLiteral("%"));
        QCOMPARE(qobject_cast<QComboBox *>(table->cellWidget(2, TLodgingTaxPage::ColBasis))->currentIndex(), 1);
        closeWindow(f);
        QVERIFY(main->data().Money.Lodging == t);
    }

    // A town-plus-prefecture tax: each tier's shares typed beside it, checked
    // as typed and, adding up to the tier, on closing; the inn's reasons of
    // exemption edited as one list.
    void sharesPerAuthorityAndTheReasonsOfExemption()
    {
        TBasicSettingForm *f = open();
        auto *pages = control<QTabWidget>(f, "PageControl1");
        pages->setCurrentIndex(pages->count() - 1);
        control<QCheckBox>(f, "LodgingEnabled")->setChecked(true);
        auto *reasons = control<QLineEdit>(f, "LodgingReasons");
        QCOMPARE(reasons->text(), QStringLiteral("修学旅行,年齢,その他"));
        reasons->setText(QStringLiteral("修学旅行, 障害者"));
        auto *page = f->findChild<TLodgingTaxPage *>();
        page->addRow(QStringLiteral("2026/04/01"), QStringLiteral("0"), QStringLiteral("300"), false,
                     LodgingBasis::Room, QStringLiteral("町200+県100"));
        page->addRow(QStringLiteral("2026/04/01"), QStringLiteral("20000"), QStringLiteral("500"), false);
        auto *table = control<QTableWidget>(f, "LodgingTable");
        // A share that is no name and amount goes back to what the cell held.
        shown.clear();
        table->item(1, TLodgingTaxPage::ColShares)->setText(QStringLiteral("町abc"));
        QCOMPARE(table->item(1, TLodgingTaxPage::ColShares)->text(), QString());
        QVERIFY(shown.last().text.contains(QStringLiteral("内訳「町abc」が読めません")));
        // Shares short of the tier are refused on closing.
        table->item(1, TLodgingTaxPage::ColShares)->setText(QStringLiteral("町 400 ＋ 県 50"));
        QCOMPARE(table->item(1, TLodgingTaxPage::ColShares)->text(), QStringLiteral("町400+県50"));
        f->close();
        QVERIFY(f->isVisible());
        QVERIFY(shown.last().text.contains(QStringLiteral("内訳の合計（450円）が税額（500円）と合いません")));
        table->item(1, TLodgingTaxPage::ColShares)->setText(QStringLiteral("町400+県100"));
        closeWindow(f);

        const TLodgingTax &t = main->data().Money.Lodging;
        QCOMPARE(lodgingPeriodSharesText(t.Periods), QStringLiteral("2026/04/01:0=町200+県100,20000=町400+県100"));
        QCOMPARE(t.ExemptReasons, (QStringList{"修学旅行", "障害者"}));
        TMoneySettings back;
        QCOMPARE(readMoneySettings(IniFile(path("norvelreceipt.ini")), &back), QString());
        QVERIFY(back.Lodging == t);
    }

    void everyPageFitsTheMainWindowAtItsFirstSize()
    {
        TBasicSettingForm *f = open();
        QCOMPARE(main->size(), QSize(1024, 612));
        QWidget *frame = f->parentWidget();
        const QRect area = main->mdiArea()->viewport()->rect();
        QVERIFY2(area.contains(frame->geometry()), "the window lies inside the main window");
        auto *pages = control<QTabWidget>(f, "PageControl1");
        for (int i = 0; i < pages->count(); ++i) {
            pages->setCurrentIndex(i);
            auto *scroll = qobject_cast<QScrollArea *>(pages->widget(i));
            QVERIFY(scroll);
            const QSize need = scroll->widget()->minimumSizeHint();
            const QSize room = scroll->viewport()->size();
            QVERIFY2(need.width() <= room.width() && need.height() <= room.height(),
                     qPrintable(QStringLiteral("page %1 needs %2x%3, has %4x%5")
                                    .arg(i)
                                    .arg(need.width())
                                    .arg(need.height())
                                    .arg(room.width())
                                    .arg(room.height())));
        }
    }
};

QTEST_MAIN(BasicSettingFormTest)
#include "basic_setting_form_qtest.moc"
