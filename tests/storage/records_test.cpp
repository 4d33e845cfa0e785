// Each record type, written by hand byte for byte, reads into the right
// fields and is written back byte-identical.

#include "storage/cp932.h"
#include "storage/library.h"
#include "storage/records.h"
#include "test_dir.h"

#include <gtest/gtest.h>
#include <cstring>

namespace {

const QByteArray kYamada("\x8e\x52\x93\x63\x91\xbe\x98\x59"); // 山田太郎 in CP932

template <class T> T fromBytes(const QByteArray &b)
{
    EXPECT_EQ(b.size(), qsizetype(sizeof(T)));
    T r;
    std::memcpy(&r, b.constData(), sizeof(T));
    return r;
}

// Writes the record through TLibrary and returns the file's bytes.
template <class T> QByteArray roundTrip(const T &r)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("r.dat"));
    TLibrary lib;
    EXPECT_TRUE(lib.WriteRecords(&r, sizeof(T), path, 1));
    T back{};
    EXPECT_EQ(lib.ReadRecords(&back, sizeof(T), path, 1), 1);
    EXPECT_EQ(std::memcmp(&back, &r, sizeof(T)), 0);
    return readBytes(path);
}

} // namespace

TEST(Records, ReserveDataFromHandWrittenBytes)
{
    QByteArray b(372, 0);
    poke(b, 0, le32(1186630496));
    poke(b, 4, "2007/08/09");
    poke(b, 15, "a000000004");
    poke(b, 26, "2007/08/08");
    poke(b, 37, kYamada);
    poke(b, 101, "Plan A");
    poke(b, 165, "101");
    b[229] = 2;
    b[230] = 1;
    b[231] = 1;
    poke(b, 232, le32(1601001));
    poke(b, 236, "\x91\xe5\x90\x6c\x8f\x68\x94\x91\x97\xbf\x8b\xe0"); // 大人宿泊料金
    poke(b, 364, le32(uint32_t(-12000)));
    poke(b, 368, le32(2));
    // Leftovers after a NUL are not part of the text.
    poke(b, 37 + 9, "xyz");

    const auto r = fromBytes<TReserveData>(b);
    EXPECT_EQ(r.MeiNo, 1186630496u);
    EXPECT_EQ(fieldText(r.Seisan), QStringLiteral("2007/08/09"));
    EXPECT_EQ(fieldText(r.Regday), QStringLiteral("a000000004"));
    EXPECT_EQ(fieldText(r.Rsvday), QStringLiteral("2007/08/08"));
    EXPECT_EQ(fieldText(r.Name), QStringLiteral("山田太郎"));
    EXPECT_EQ(fieldText(r.Plan), QStringLiteral("Plan A"));
    EXPECT_EQ(fieldText(r.Room), QStringLiteral("101"));
    EXPECT_EQ(r.Stay, 2);
    EXPECT_EQ(r.Stayx, 1);
    EXPECT_EQ(r.Decide, 1);
    EXPECT_EQ(r.Kubun, 1601001u);
    EXPECT_EQ(fieldText(r.Kamoku), QStringLiteral("大人宿泊料金"));
    EXPECT_EQ(r.Tanka, -12000);
    EXPECT_EQ(r.Suryou, 2);
    EXPECT_EQ(roundTrip(r), b);
}

TEST(Records, HojoKamokuFromHandWrittenBytes)
{
    QByteArray b(88, 0);
    poke(b, 0, le32(101));
    poke(b, 4, le32(2));
    poke(b, 8, "VISA");
    poke(b, 44, "VISA card");
    poke(b, 80, le32(800));
    const auto k = fromBytes<THojoKamoku>(b);
    EXPECT_EQ(k.KamokuCode, 101u);
    EXPECT_EQ(k.HojoCode, 2u);
    EXPECT_EQ(itemKey(k), 101002u);
    EXPECT_EQ(fieldText(k.Tekiyo), QStringLiteral("VISA"));
    EXPECT_EQ(fieldText(k.ETekiyo), QStringLiteral("VISA card"));
    EXPECT_EQ(k.Tanka, 800);
    EXPECT_EQ(roundTrip(k), b);
}

TEST(Records, UrikakeDataFromHandWrittenBytes)
{
    QByteArray b(88, 0);
    poke(b, 0, le32(1186630496));
    poke(b, 4, "2008/03/31");
    poke(b, 15, kYamada);
    poke(b, 80, le32(101002));
    poke(b, 84, le32(39992));
    const auto u = fromBytes<TUrikakeData>(b);
    EXPECT_EQ(u.MeiNo, 1186630496u);
    EXPECT_EQ(fieldText(u.Seisan), QStringLiteral("2008/03/31"));
    EXPECT_EQ(fieldText(u.Name), QStringLiteral("山田太郎"));
    EXPECT_EQ(u.Card, 101002u);
    EXPECT_EQ(u.Goukei, 39992);
    EXPECT_EQ(roundTrip(u), b);
}

TEST(Records, BaseDataFromHandWrittenBytes)
{
    QByteArray b(1532, 0);
    poke(b, 0, kYamada + "\r\n" + "Inn");
    poke(b, 250, "123-4567");
    b[639] = 1;
    poke(b, 996, le32(10));
    poke(b, 1000, le32(150));
    b[1004] = 1;
    poke(b, 1008, le32(0xE1FFFF));
    poke(b, 1012, le32(0xE7FFEA));
    poke(b, 1016, le32(0xF0FAFF));
    poke(b, 1020, le32(0x666666));
    b[1074] = 2;
    b[1075] = 1;
    poke(b, 1076, le32(100));
    poke(b, 1144, "IPAGothic");
    b[1528] = 1;
    b[1529] = 255;
    const auto d = fromBytes<TBaseData>(b);
    EXPECT_EQ(fieldText(d.SisetuName), QStringLiteral("山田太郎\r\nInn"));
    EXPECT_EQ(fieldText(d.ZipCode), QStringLiteral("123-4567"));
    EXPECT_EQ(d.TaxKubun, 1);
    EXPECT_EQ(d.Service, 10);
    EXPECT_EQ(d.Nyutouzei, 150);
    EXPECT_EQ(d.TojiKubun, 1);
    EXPECT_EQ(d.Color3, 0xE1FFFFu);
    EXPECT_EQ(d.Color2, 0xE7FFEAu);
    EXPECT_EQ(d.Color1, 0xF0FAFFu);
    EXPECT_EQ(d.Color4, 0x666666u);
    EXPECT_EQ(d.PaperKubun, 2);
    EXPECT_EQ(d.FontKubun, 1);
    EXPECT_EQ(d.DayNyutouzei, 100);
    EXPECT_EQ(fieldText(d.FontName1), QStringLiteral("IPAGothic"));
    EXPECT_EQ(d.Nyutou_Kubun, 1);
    EXPECT_EQ(d.ServiceKubun, 255);
    EXPECT_EQ(roundTrip(d), b);
}

TEST(Records, FieldWithoutNulReadsWholeWidth)
{
    TReserveData r{};
    std::memcpy(r.Seisan, "2007/08/09X", 11);
    EXPECT_EQ(fieldText(r.Seisan), QStringLiteral("2007/08/09X"));
}

TEST(Records, TextCutAtFieldSizeKeepsDoubleByteCharactersWhole)
{
    struct Case {
        const char *name;
        QString text;
        QByteArray stored;
    };
    // The field holds 10 bytes of text (11 with its NUL).
    const Case cases[] = {
        {"fits exactly", QStringLiteral("山田太郎ab"), kYamada + "ab"},
        {"double byte across the limit is dropped", QStringLiteral("a山田太郎あ"), "a" + kYamada},
        {"single byte text cut", QStringLiteral("0123456789AB"), "0123456789"},
        {"half-width katakana is one byte", QStringLiteral("ｱｲｳ"), "\xb1\xb2\xb3"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TReserveData r;
        std::memset(&r, 0x55, sizeof r);
        setFieldText(r.Seisan, c.text);
        EXPECT_EQ(fieldBytes(r.Seisan), c.stored);
        // Zeros after the text: no leftovers of earlier contents.
        for (qsizetype i = c.stored.size(); i < 11; ++i)
            EXPECT_EQ(r.Seisan[i], 0);
        EXPECT_EQ(r.Regday[0], 0x55); // the next field is untouched
    }
}

TEST(Cp932, ConvertsCharactersThatShiftJisWouldNot)
{
    // ～, ① and the backslash byte are where CP932 and plain Shift-JIS differ.
    const QString text = QStringLiteral("～①\\髙");
    const QByteArray bytes = cp932::encode(text);
    EXPECT_EQ(bytes, QByteArray("\x81\x60\x87\x40\x5c\xfb\xfc"));
    EXPECT_EQ(cp932::decode(bytes), text);
    EXPECT_EQ(cp932::byteLength(QStringLiteral("大人a")), 5);
    EXPECT_EQ(cp932::truncated(QStringLiteral("大人a"), 3), QStringLiteral("大"));
}
