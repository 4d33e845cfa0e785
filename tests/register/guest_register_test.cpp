// The guest register at rest: sealed round trips, a wrong pass phrase, a
// flipped byte or a cut file refused whole, the recovery key, a change of pass
// phrase, retention, and no guest's name or passport number in plain bytes
// anywhere in the data folder or its backups.

#include "register/guest_register.h"
#include "register/register_csv.h"
#include "register/register_settings.h"
#include "register/register_store.h"
#include "storage/generations.h"
#include "storage/inn_files.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

const QDateTime kNow(QDate(2026, 12, 11), QTime(10, 0));
const QByteArray kPass("ふじの間 2026");
// A name and a passport number that must never be found in plain bytes.
const QString kName = QStringLiteral("Nguyễn Thị Müller-O'Brien");
const QString kPassport = QStringLiteral("TZ4817593");

RegisterEntry guest(const QString &name, quint32 meiNo, const QDate &firstNight)
{
    RegisterEntry e;
    e.meiNo = meiNo;
    e.room = QStringLiteral("松");
    e.firstNight = firstNight;
    e.nights = 2;
    e.name = name;
    e.reading = QStringLiteral("グエン");
    e.address = QStringLiteral("12 Rue de Rivoli, Paris");
    e.contact = QStringLiteral("+33 1 23 45 67 89");
    e.livesAbroad = true;
    e.nationality = QStringLiteral("VN");
    e.passportNo = kPassport;
    return e;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// Every file under dir that holds needle, in any of the encodings a program
// might write it in.
QStringList filesHolding(const QString &dir, const QString &needle)
{
    const QList<QByteArray> forms{needle.toUtf8(), QByteArray(reinterpret_cast<const char *>(needle.utf16()),
                                                              needle.size() * 2)};
    QStringList found;
    QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QByteArray bytes = readAll(path);
        for (const QByteArray &form : forms)
            if (bytes.contains(form))
                found << path;
    }
    return found;
}

class Register : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QString recovery, error;
        GuestRegister reg(store);
        ASSERT_TRUE(reg.create(kPass, &recovery, &error)) << error.toStdString();
        recoveryKey = recovery;
        reg.put(guest(kName, 100, QDate(2026, 12, 11)), kNow);
        reg.put(guest(QStringLiteral("山田 花子"), 101, QDate(2026, 12, 12)), kNow);
        ASSERT_TRUE(reg.setPassportImage(1, QByteArray("\x89PNG fake passport picture of ") + kName.toUtf8(), &error));
        reg.addLog(kNow, QStringLiteral("閲覧"), QStringLiteral("請求番号 100"));
        ASSERT_TRUE(reg.save(&error)) << error.toStdString();
    }
    QString path(const char *name) const { return dir.path() + QLatin1Char('/') + QLatin1String(name); }

    QTemporaryDir dir;
    RegisterFileStore store{dir.path()};
    QString recoveryKey;
};

TEST_F(Register, RoundTripKeepsEveryFieldAndTheLatinNameAsWritten)
{
    GuestRegister reg(store);
    QString error;
    ASSERT_TRUE(reg.unlock(kPass, &error)) << error.toStdString();
    ASSERT_EQ(reg.entries().size(), 2u);
    RegisterEntry expected = guest(kName, 100, QDate(2026, 12, 11));
    expected.id = 1;
    expected.created = kNow;
    expected.hasPassportImage = true;
    EXPECT_EQ(reg.entries()[0], expected);
    EXPECT_EQ(reg.entries()[0].name, QStringLiteral("Nguyễn Thị Müller-O'Brien"));
    QByteArray image;
    ASSERT_TRUE(reg.passportImage(1, &image, &error));
    EXPECT_TRUE(image.endsWith(kName.toUtf8()));
    ASSERT_EQ(reg.log().size(), 1u);
    EXPECT_EQ(reg.log()[0].what, QStringLiteral("閲覧"));
    EXPECT_EQ(reg.arrivalsOn(QDate(2026, 12, 12)).size(), 1u);
    EXPECT_EQ(reg.entriesOfBill(100).size(), 1u);
}

TEST_F(Register, FilesAreTheOwnersOnlyAndHoldNoPlainName)
{
    for (const QString &name : registerFileNames()) {
        SCOPED_TRACE(name.toStdString());
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(dir.path() + QLatin1Char('/') + name).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
    }
    EXPECT_EQ(filesHolding(dir.path(), kName), QStringList());
    EXPECT_EQ(filesHolding(dir.path(), kPassport), QStringList());
    EXPECT_EQ(filesHolding(dir.path(), QStringLiteral("山田 花子")), QStringList());
}

TEST_F(Register, AWrongPassPhraseIsRefusedAndTheRegisterStaysLocked)
{
    GuestRegister reg(store);
    QString error;
    EXPECT_FALSE(reg.unlock("ふじの間 2025", &error));
    EXPECT_EQ(error, registerLockedMessage());
    EXPECT_FALSE(reg.isUnlocked());
    EXPECT_TRUE(reg.entries().empty());
}

// Any change to any file of the register, a flipped byte anywhere or a cut
// end, and the register does not open at all.
TEST_F(Register, AFlippedByteOrACutFileIsRefusedWhole)
{
    for (const QString &name : registerFileNames()) {
        const QString file = dir.path() + QLatin1Char('/') + name;
        const QByteArray good = readAll(file);
        ASSERT_FALSE(good.isEmpty());
        struct Damage {
            const char *what;
            QByteArray bytes;
        };
        QByteArray flippedStart = good, flippedMiddle = good, flippedEnd = good;
        flippedStart[0] = char(flippedStart[0] ^ 0x01);
        flippedMiddle[good.size() / 2] = char(flippedMiddle[good.size() / 2] ^ 0x40);
        flippedEnd[good.size() - 1] = char(flippedEnd[good.size() - 1] ^ 0x80);
        for (const Damage &d : {Damage{"first byte flipped", flippedStart}, Damage{"middle byte flipped", flippedMiddle},
                                Damage{"last byte flipped", flippedEnd}, Damage{"cut by one byte", good.chopped(1)},
                                Damage{"cut in half", good.left(good.size() / 2)}, Damage{"empty", QByteArray()}}) {
            SCOPED_TRACE(name.toStdString() + ": " + d.what);
            writeAll(file, d.bytes);
            GuestRegister reg(store);
            QString error;
            bool opened = reg.unlock(kPass, &error);
            // The copies are read when one is first asked for: then refused too.
            QByteArray image;
            if (opened && name == QLatin1String("passport.dat"))
                opened = reg.passportImage(1, &image, &error);
            EXPECT_FALSE(opened);
            EXPECT_FALSE(error.isEmpty());
            EXPECT_TRUE(image.isEmpty());
        }
        writeAll(file, good);
    }
    // Two sealed files swapped: each is bound to its own name.
    const QByteArray data = readAll(path("register.dat")), images = readAll(path("passport.dat"));
    writeAll(path("register.dat"), images);
    GuestRegister reg(store);
    QString error;
    EXPECT_FALSE(reg.unlock(kPass, &error));
    writeAll(path("register.dat"), data);
    EXPECT_TRUE(reg.unlock(kPass, &error)) << error.toStdString();
}

// Damaged copies are never saved over: a new copy is refused and the file
// stays as found, for a restore from a backup.
TEST_F(Register, NoCopyIsAddedOverDamagedCopies)
{
    QByteArray damaged = readAll(path("passport.dat"));
    damaged[damaged.size() - 5] = char(damaged[damaged.size() - 5] ^ 0x10);
    writeAll(path("passport.dat"), damaged);
    GuestRegister reg(store);
    QString error;
    ASSERT_TRUE(reg.unlock(kPass, &error)) << error.toStdString();
    EXPECT_FALSE(reg.setPassportImage(2, "another picture", &error));
    EXPECT_TRUE(error.contains(QStringLiteral("passport.dat")));
    reg.remove(1);
    ASSERT_TRUE(reg.save(&error)) << error.toStdString();
    EXPECT_EQ(readAll(path("passport.dat")), damaged);
}

TEST_F(Register, TheRecoveryKeyOpensItAndAChangedPassPhraseReSealsEverything)
{
    ASSERT_EQ(recoveryKey.size(), 64 + 15);
    GuestRegister reg(store);
    QString error;
    EXPECT_FALSE(reg.unlockWithRecoveryKey(QString(recoveryKey).replace(0, 1, recoveryKey[0] == QLatin1Char('0') ? "1" : "0"), &error));
    ASSERT_TRUE(reg.unlockWithRecoveryKey(recoveryKey.toLower().remove(QLatin1Char('-')), &error)) << error.toStdString();

    const QByteArray oldData = readAll(path("register.dat")), oldImages = readAll(path("passport.dat"));
    QString newRecovery;
    ASSERT_TRUE(reg.changePassphrase("新しい合言葉", &newRecovery, &error)) << error.toStdString();
    EXPECT_NE(newRecovery, recoveryKey);
    EXPECT_NE(readAll(path("register.dat")), oldData);
    EXPECT_NE(readAll(path("passport.dat")), oldImages);

    GuestRegister again(store);
    EXPECT_FALSE(again.unlock(kPass, &error));
    EXPECT_FALSE(again.unlockWithRecoveryKey(recoveryKey, &error));
    ASSERT_TRUE(again.unlock("新しい合言葉", &error)) << error.toStdString();
    EXPECT_EQ(again.entries().size(), 2u);
    QByteArray image;
    ASSERT_TRUE(again.passportImage(1, &image, &error));
    EXPECT_FALSE(image.isEmpty());
    GuestRegister byRecovery(store);
    EXPECT_TRUE(byRecovery.unlockWithRecoveryKey(newRecovery, &error));
}

// Kept three years from the day an entry was made: on the day three years
// on it stays, a day later it goes with its passport copy, and the log says so.
TEST_F(Register, RetentionRemovesEntriesOlderThanThreeYearsAndLogsIt)
{
    GuestRegister reg(store);
    QString error;
    ASSERT_TRUE(reg.unlock(kPass, &error));
    const QDateTime later = kNow.addYears(3).addSecs(60);
    reg.put(guest(QStringLiteral("Later Guest"), 300, later.date()), later);
    EXPECT_EQ(reg.expiredCount(kNow.addYears(3), 3), 0);
    EXPECT_EQ(reg.expiredCount(kNow.addYears(3).addDays(1), 3), 2);
    EXPECT_EQ(reg.expiredCount(kNow.addYears(3).addDays(1), 4), 0);
    EXPECT_EQ(reg.removeExpired(kNow.addYears(3).addDays(1), 3), 2);
    ASSERT_TRUE(reg.save(&error)) << error.toStdString();

    GuestRegister again(store);
    ASSERT_TRUE(again.unlock(kPass, &error));
    ASSERT_EQ(again.entries().size(), 1u);
    EXPECT_EQ(again.entries()[0].name, QStringLiteral("Later Guest"));
    QByteArray image;
    ASSERT_TRUE(again.passportImage(1, &image, &error));
    EXPECT_TRUE(image.isEmpty());
    ASSERT_EQ(again.log().size(), 2u);
    EXPECT_EQ(again.log()[1].what, QStringLiteral("削除"));
    EXPECT_EQ(again.log()[1].when, kNow.addYears(3).addDays(1));
    EXPECT_TRUE(again.log()[1].detail.contains(QStringLiteral("2 件")));
}

// Backups keep the register's files as they keep the others, sealed, and a
// restore puts them back.
TEST_F(Register, BackupsHoldTheSealedFilesOnlyAndARestorePutsThemBack)
{
    QTemporaryDir backups;
    QString made, error;
    ASSERT_TRUE(backupDataFolder(dir.path(), backups.path(), kNow, &made, &error)) << error.toStdString();
    for (const QString &name : registerFileNames())
        EXPECT_EQ(readAll(made + QLatin1Char('/') + name), readAll(dir.path() + QLatin1Char('/') + name));
    for (const QString &name : registerFileNames())
        EXPECT_TRUE(isInnFile(name)) << name.toStdString();
    EXPECT_EQ(filesHolding(backups.path(), kName), QStringList());
    EXPECT_EQ(filesHolding(backups.path(), kPassport), QStringList());

    {
        GuestRegister reg(store);
        ASSERT_TRUE(reg.unlock(kPass, &error));
        reg.remove(1);
        ASSERT_TRUE(reg.save(&error));
    }
    const Generation g = readGeneration(made);
    ASSERT_TRUE(restoreGeneration(g, dir.path(), &error)) << error.toStdString();
    GuestRegister reg(store);
    ASSERT_TRUE(reg.unlock(kPass, &error)) << error.toStdString();
    EXPECT_EQ(reg.entries().size(), 2u);
}

TEST(RegisterEntryRules, RequiredFieldsByKindOfGuestAndPassportForm)
{
    RegisterEntry japanese;
    japanese.name = QStringLiteral("山田 太郎");
    japanese.address = QStringLiteral("長野県松本市");
    japanese.contact = QStringLiteral("0263-00-0000");
    EXPECT_EQ(entryProblems(japanese, {}), QStringList());
    RegisterFields extra;
    extra.age = extra.sex = true;
    EXPECT_EQ(entryProblems(japanese, extra), (QStringList{QStringLiteral("年齢"), QStringLiteral("性別")}));

    RegisterEntry foreign = japanese;
    foreign.livesAbroad = true;
    EXPECT_EQ(entryProblems(foreign, {}), (QStringList{QStringLiteral("国籍"), QStringLiteral("旅券番号")}));
    foreign.nationality = QStringLiteral("DE");
    foreign.passportNo = QStringLiteral("C01X00T47");
    EXPECT_EQ(entryProblems(foreign, {}), QStringList());
    foreign.nationality = QStringLiteral("XX");
    EXPECT_EQ(entryProblems(foreign, {}), QStringList{QStringLiteral("国籍")});

    struct Case {
        const char *text;
        bool ok;
    };
    for (const Case &c : {Case{"TZ1234567", true}, Case{"tz 1234567", true}, Case{"C01X00T47", true},
                          Case{"123456", true}, Case{"ABCDEFGH", false}, Case{"TZ12", false},
                          Case{"TZ12345678901", false}, Case{"TZ-123456", false}, Case{"", false}}) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(isPassportNumber(QString::fromUtf8(c.text)), c.ok);
    }
}

TEST(RegisterCsv, WritesTheColumnsAndReadsBackWhatItWrote)
{
    RegisterEntry a = guest(QStringLiteral("O'Brien, \"Sean\""), 100, QDate(2026, 4, 1));
    a.age = QStringLiteral("34");
    a.sex = QStringLiteral("男");
    a.previousStay = QStringLiteral("京都市");
    a.nextStay = QStringLiteral("金沢市");
    RegisterEntry b = guest(QStringLiteral("山田 花子"), 0, QDate(2026, 4, 2));
    b.livesAbroad = false;
    b.nationality.clear();
    b.passportNo.clear();
    b.address = QStringLiteral("長野県松本市\n中央 1-2-3");
    const QByteArray csv = registerCsv({a, b});
    EXPECT_TRUE(csv.startsWith("\xEF\xBB\xBF"
                               "到着日,出発日,請求番号,部屋,氏名,フリガナ,住所,連絡先,国籍,旅券番号,年齢,性別,前泊地,行先地\r\n"));
    EXPECT_TRUE(csv.contains("2026/04/01,2026/04/03,100,松,\"O'Brien, \"\"Sean\"\"\",グエン,"));
    std::vector<RegisterEntry> read;
    QString error;
    ASSERT_TRUE(parseRegisterCsv(csv, kNow, &read, &error)) << error.toStdString();
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].name, a.name);
    EXPECT_EQ(read[1].address, b.address);
    EXPECT_EQ(read[0].created, QDateTime(QDate(2026, 4, 1), QTime(0, 0)));
    EXPECT_EQ(registerCsv(read), csv);
    // Without the byte-order mark and with plain line ends it reads the same.
    QByteArray plain = csv.mid(3);
    plain.replace("\r\n", "\n");
    ASSERT_TRUE(parseRegisterCsv(plain, kNow, &read, &error)) << error.toStdString();
    EXPECT_EQ(registerCsv(read), csv);
}

TEST(RegisterCsv, ARowItCannotTakeIsNamedByItsLineAndNothingIsTaken)
{
    const QByteArray head = "到着日,出発日,請求番号,部屋,氏名,フリガナ,住所,連絡先,国籍,旅券番号,年齢,性別,前泊地,行先地\r\n";
    const QByteArray good = "2026/04/01,2026/04/02,,,山田,,,,,,,,,\r\n";
    struct Case {
        const char *name;
        QByteArray text;
        const char *message;
    };
    for (const Case &c : {Case{"bad heading", "到着日,出発日\r\n" + good, "1 行目"},
                          Case{"bad date", head + good + "2026/13/01,2026/04/02,,,山田,,,,,,,,,\r\n", "3 行目: 到着日"},
                          Case{"departure first", head + "2026/04/03,2026/04/02,,,山田,,,,,,,,,\r\n", "2 行目: 出発日"},
                          Case{"no name", head + good + good + "2026/04/01,2026/04/02,,,,,,,,,,,,\r\n", "4 行目: 氏名"},
                          Case{"bad country", head + "2026/04/01,2026/04/02,,,Anna,,,,Germany,,,,,\r\n", "2 行目: 国籍"},
                          Case{"bad passport", head + "2026/04/01,2026/04/02,,,Anna,,,,DE,12,,,,\r\n", "2 行目: 旅券番号"},
                          Case{"bill number", head + "2026/04/01,2026/04/02,12a,,Anna,,,,,,,,,\r\n", "2 行目: 請求番号"},
                          Case{"too few", head + "2026/04/01,2026/04/02,,,Anna\r\n", "2 行目: 列が"},
                          Case{"open quote", head + good + "2026/04/01,2026/04/02,,,\"Anna,,,,,,,,,\r\n", "3 行目: 引用符"},
                          Case{"not UTF-8", head + QByteArray("2026/04/01,2026/04/02,,,\x8E\x52\x93\x63,,,,,,,,,\r\n"),
                               "UTF-8"}}) {
        SCOPED_TRACE(c.name);
        std::vector<RegisterEntry> read{RegisterEntry{}};
        QString error;
        EXPECT_FALSE(parseRegisterCsv(c.text, kNow, &read, &error));
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.message))) << error.toStdString();
        EXPECT_EQ(read.size(), 1u); // untouched
    }
}

} // namespace

namespace {

TEST(RegisterSettingsFile, DefaultsAtLeastThreeYearsAndTheExtraFieldsRoundTrip)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("norvelreceipt.ini"));
    RegisterSettings s = readRegisterSettings(ini);
    EXPECT_EQ(s.retentionYears, 3);
    EXPECT_EQ(s.lockMinutes, 10);
    EXPECT_FALSE(s.fields.age);

    QFile f(ini);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Other]\r\nKeep=1\r\n[register]\r\nRetentionYears=2\r\nLockMinutes=abc\r\nsex=1\r\n");
    f.close();
    s = readRegisterSettings(ini);
    EXPECT_EQ(s.retentionYears, 3);
    EXPECT_EQ(s.lockMinutes, 10);
    EXPECT_TRUE(s.fields.sex);
    EXPECT_FALSE(s.fields.age);

    s.retentionYears = 5;
    s.lockMinutes = 3;
    s.fields.previousStay = s.fields.nextStay = true;
    QString error;
    ASSERT_TRUE(writeRegisterSettings(ini, s, &error)) << error.toStdString();
    const RegisterSettings back = readRegisterSettings(ini);
    EXPECT_EQ(back.retentionYears, 5);
    EXPECT_EQ(back.lockMinutes, 3);
    EXPECT_TRUE(back.fields.sex && back.fields.previousStay && back.fields.nextStay && !back.fields.arrivalTimes);
    EXPECT_TRUE(readAll(ini).startsWith("[Other]\r\nKeep=1\r\n"));
}

} // namespace
