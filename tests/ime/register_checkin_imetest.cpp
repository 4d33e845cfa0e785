// A check-in of three guests typed into the register window as the clerk
// types them, on a 1024 x 612 screen, through a real input method (fcitx5
// with Mozc) with keys sent through X. Run inside tools/ime-session.
//
// The small inn's 山田 bill holds two adults and a child: the first guest
// comes from the bill, his reading and address are typed in Japanese and his
// telephone as narrow digits with Japanese still on; a guest from abroad
// with his Latin name, nationality, passport number and a copy of the
// passport's page; the child with her name and age. Saved, the register
// holds the three entries as typed. NORVEL_SHOTS=DIR keeps the pictures (the
// conversion open, each guest); register_checkin/ holds them as last taken.

#include "app/main_form.h"
#include "controls/passport_image_view.h"
#include "controls/country_combo.h"
#include "ime/ime_keys.h"
#include "manual/small_inn.h"
#include "register/register_form.h"
#include "register/register_settings.h"
#include "shell/app_setup.h"
#include "shell/message_box.h"
#include "shell/register_session.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void keepShot(const QString &name, QWidget *window = nullptr)
{
    const QString dir = qEnvironmentVariable("NORVEL_SHOTS");
    if (dir.isEmpty())
        return;
    QTest::qWait(300);
    const QPixmap shot = window ? window->grab() : QGuiApplication::primaryScreen()->grabWindow(0, 0, 0, 1024, 612);
    shot.save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

template <class T> T *child(QWidget *w, const char *name)
{
    T *c = w->findChild<T *>(QLatin1String(name));
    if (!c)
        qFatal("no %s", name);
    return c;
}

// Romaji typed with Japanese on, converted with Space (or F7 for katakana)
// and committed with Return.
void convert(QLineEdit *field, const QString &romaji, const QString &key, const QString &want)
{
    field->setFocus();
    QTRY_VERIFY(field->hasFocus());
    japaneseOn(field);
    type(romaji);
    keys({key});
    keys({QStringLiteral("Return")});
    QTRY_COMPARE(field->text(), want);
}

// Typed with whatever the input method is: a field whose input method is off
// takes it as it is.
void typeNarrow(QLineEdit *field, const QString &text)
{
    field->setFocus();
    QTRY_VERIFY(field->hasFocus());
    type(text);
    QTRY_COMPARE(field->text().size(), text.size());
}

} // namespace

class RegisterCheckinTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QStringList shown;

private slots:
    void initTestCase()
    {
        QVERIFY2(!qEnvironmentVariableIsEmpty("IME_SESSION_DIR"), "run inside tools/ime-session");
        setUpApplication(*qApp);
        Clock::setFixed(small_inn::Now);
        small_inn::writeInn(dir.path());
        QVERIFY(!QTest::currentTestFailed());
        // 山田's two nights with a child besides the two adults; the inn asks for the age.
        AppData data;
        TLibrary lib;
        QVERIFY(loadAppData(data, lib, dir.path(), small_inn::Now).isEmpty());
        RecordList<TReserveData> lines;
        for (const TReserveData &r : data.ReserveList) {
            lines.push_back(r);
            if (fieldText(r.Name) == QStringLiteral("山田　太郎") && r.Kubun == 1601001) {
                TReserveData child = r;
                child.Kubun = 1601003;
                setFieldText(child.Kamoku, QStringLiteral("子供宿泊料金"));
                child.Tanka = 9000;
                child.Suryou = 1;
                lines.push_back(child);
            }
        }
        data.ReserveList = ReserveRecords(std::move(lines));
        QString error;
        QVERIFY2(saveBillLists(data, lib, &error), qPrintable(error));
        RegisterSettings settings;
        settings.fields.age = true;
        QVERIFY2(writeRegisterSettings(data.iniPath(), settings, &error), qPrintable(error));
        SetMessageResponder([this](const ShownMessage &m) {
            shown << m.text;
            return QMessageBox::Ok;
        });
    }

    void threeGuestsCheckIn()
    {
        TMainForm main(dir.path());
        main.resize(1024, 612);
        main.show();
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        RegisterSession &session = main.desk().registerSession();
        QString key, error;
        QVERIFY2(session.create("sakura-no-yado-2026", &key, &error), qPrintable(error));
        uint32_t bill = 0;
        for (const TReserveData &r : main.data().ReserveList)
            if (fieldText(r.Name) == QStringLiteral("山田　太郎"))
                bill = r.MeiNo;
        TRegisterForm *form = openRegisterWindow(main.desk(), &main, bill);
        QVERIFY(form);
        QCOMPARE(int(form->guests().size()), 3);

        // The first guest, named after the bill: reading in katakana (F7), address in kanji.
        auto *reading = child<QLineEdit>(form, "ReadingEdit");
        reading->setFocus();
        japaneseOn(reading);
        type(QStringLiteral("yamadatarou"));
        keys({QStringLiteral("F7")});
        keepShot(QStringLiteral("register-ime-converting"));
        keys({QStringLiteral("Return")});
        QTRY_COMPARE(reading->text(), QStringLiteral("ヤマダタロウ"));
        convert(child<QLineEdit>(form, "AddressEdit"), QStringLiteral("yokohama"), QStringLiteral("space"),
                QStringLiteral("横浜"));
        // The telephone: the field's input method is off, so digits come narrow with Japanese on.
        typeNarrow(child<QLineEdit>(form, "ContactEdit"), QStringLiteral("045-123-4567"));
        QCOMPARE(child<QLineEdit>(form, "ContactEdit")->text(), QStringLiteral("045-123-4567"));
        typeNarrow(child<QLineEdit>(form, "AgeEdit"), QStringLiteral("45"));
        keepShot(QStringLiteral("register-ime-guest1"), &main);

        // A guest from abroad: his name as written, Japanese switched off for it.
        form->selectGuest(1);
        auto *name = child<QLineEdit>(form, "NameEdit");
        japaneseOff(name);
        type(QStringLiteral("O'Brien Sean"));
        QTRY_COMPARE(name->text(), QStringLiteral("O'Brien Sean"));
        child<QCheckBox>(form, "AbroadCheck")->setChecked(true);
        child<TCountryCombo>(form, "NationalityCombo")->setCode(QStringLiteral("IE"));
        typeNarrow(child<QLineEdit>(form, "AddressEdit"), QStringLiteral("12 Main St, Dublin"));
        typeNarrow(child<QLineEdit>(form, "ContactEdit"), QStringLiteral("sean@example.ie"));
        // With Japanese on again, the passport number still comes narrow.
        japaneseOn(child<QLineEdit>(form, "ReadingEdit"));
        typeNarrow(child<QLineEdit>(form, "PassportEdit"), QStringLiteral("pa1234567"));
        typeNarrow(child<QLineEdit>(form, "AgeEdit"), QStringLiteral("38"));
        // His passport's page, as a scanner would give it.
        QImage page(500, 350, QImage::Format_RGB32);
        page.fill(QColor(0xe6, 0xee, 0xe0));
        {
            QPainter p(&page);
            p.fillRect(30, 60, 130, 170, QColor(0xb0, 0xb8, 0xc0));
            p.setFont(QFont(QStringLiteral("DejaVu Sans"), 14));
            p.drawText(190, 80, QStringLiteral("PASSPORT  IRL"));
            p.drawText(190, 120, QStringLiteral("O'BRIEN / SEAN"));
            p.drawText(190, 160, QStringLiteral("PA1234567"));
            p.drawText(30, 320, QStringLiteral("P<IRLO<BRIEN<<SEAN<<<<<<<<<<<<<<<<<<"));
        }
        QVERIFY(child<TPassportImageView>(form, "PassportView")->loadImage(page));
        keepShot(QStringLiteral("register-ime-guest2"), &main);

        // The child.
        form->selectGuest(2);
        convert(child<QLineEdit>(form, "NameEdit"), QStringLiteral("yamadahanako"), QStringLiteral("space"),
                QStringLiteral("山田花子"));
        convert(child<QLineEdit>(form, "AddressEdit"), QStringLiteral("yokohama"), QStringLiteral("space"),
                QStringLiteral("横浜"));
        typeNarrow(child<QLineEdit>(form, "ContactEdit"), QStringLiteral("045-123-4567"));
        typeNarrow(child<QLineEdit>(form, "AgeEdit"), QStringLiteral("8"));
        keepShot(QStringLiteral("register-ime-guest3"), &main);

        QVERIFY(form->save());
        QCOMPARE(shown, QStringList());
        const std::vector<RegisterEntry> saved = session.reg().entriesOfBill(bill);
        QCOMPARE(int(saved.size()), 3);
        QCOMPARE(saved[0].name, QStringLiteral("山田　太郎"));
        QCOMPARE(saved[0].reading, QStringLiteral("ヤマダタロウ"));
        QCOMPARE(saved[1].name, QStringLiteral("O'Brien Sean"));
        QCOMPARE(saved[1].nationality, QStringLiteral("IE"));
        QCOMPARE(saved[1].passportNo, QStringLiteral("PA1234567"));
        QVERIFY(saved[1].hasPassportImage);
        QCOMPARE(saved[2].name, QStringLiteral("山田花子"));
        QCOMPARE(saved[2].age, QStringLiteral("8"));
        RegisterFields fields;
        fields.age = true;
        for (const RegisterEntry &e : saved)
            QVERIFY2(entryProblems(e, fields).isEmpty(), qPrintable(entryProblems(e, fields).join(',')));
    }
};

QTEST_MAIN(RegisterCheckinTest)
#include "register_checkin_imetest.moc"
