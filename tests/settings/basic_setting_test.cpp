// The facility settings as the settings window shows and rebuilds them: all
// of the record or nothing, colours and their defaults, multi-line texts.

#include "settings/basic_setting.h"
#include "settings/face_choices.h"
#include "storage/app_data.h"
#include "storage/cp932.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

bool sameRecord(const TBaseData &a, const TBaseData &b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TBaseData defaults()
{
    TBaseData b{};
    setDefaultBaseData(b);
    return b;
}

TEST(BasicSettingRebuild, DefaultsComeBackWithCrLfComments)
{
    const TBaseData before = defaults();
    BasicSettingValues v = basicSettingValues(before);
    EXPECT_EQ(v.Color[0], QStringLiteral("15792895")); // the first-run colour is shown as it is
    EXPECT_EQ(v.CommentS, QStringLiteral("下記金額をご請求申し上げます\n"));
    TBaseData after = before;
    ASSERT_EQ(rebuildBaseData(v, after), QString());

    TBaseData expected = before;
    setFieldText(expected.CommentS, QStringLiteral("下記金額をご請求申し上げます\r\n"));
    setFieldText(expected.CommentR,
                 QStringLiteral("下記金額を領収いたしました\r\nまたのお越しを心よりお待ち申し上げます\r\n"));
    EXPECT_TRUE(sameRecord(after, expected));
}

TEST(BasicSettingRebuild, EveryFieldFromItsControl)
{
    BasicSettingValues v = basicSettingValues(TBaseData{});
    v.SisetuName = QStringLiteral("湯の宿\n山川荘");
    v.ZipCode = QStringLiteral("123-4567");
    v.CommentS = QStringLiteral("一行目\n二行目");
    v.CommentR = QString();
    v.Service = QStringLiteral("10");
    v.Nyutouzei = QString(); // empty counts as 0
    v.DayNyutouzei = QStringLiteral("75");
    v.ServiceKubun = 1;
    v.TaxKubun = -1; // nothing selected
    v.PaperKubun = 2;
    v.Domain = QStringLiteral("my-own.example.jp");
    v.Color = {QStringLiteral("255"), QString(), QStringLiteral("0"), QStringLiteral("65280")};
    v.FontName = {QStringLiteral("IPAPGothic"), QString(), QStringLiteral("IPAMincho")};
    TBaseData b{};
    ASSERT_EQ(rebuildBaseData(v, b), QString());
    EXPECT_EQ(fieldText(b.SisetuName), QStringLiteral("湯の宿\r\n山川荘"));
    EXPECT_EQ(fieldText(b.ZipCode), QStringLiteral("123-4567"));
    EXPECT_EQ(fieldText(b.CommentS), QStringLiteral("一行目\r\n二行目\r\n"));
    EXPECT_EQ(fieldText(b.CommentR), QString());
    EXPECT_EQ(b.Service, 10);
    EXPECT_EQ(b.Nyutouzei, 0);
    EXPECT_EQ(b.DayNyutouzei, 75);
    EXPECT_EQ(b.ServiceKubun, 1);
    EXPECT_EQ(b.TaxKubun, 255);
    EXPECT_EQ(b.PaperKubun, 2);
    EXPECT_EQ(fieldText(b.Domain), QStringLiteral("my-own.example.jp"));
    EXPECT_EQ(b.Color1, 255u);
    EXPECT_EQ(b.Color2, 15204330u); // empty: the default
    EXPECT_EQ(b.Color3, 14811135u); // 0: the default
    EXPECT_EQ(b.Color4, 65280u);
    EXPECT_EQ(fieldText(b.FontName3), QStringLiteral("IPAMincho"));
    EXPECT_EQ(b.Reserved1[0] | b.Reserved1[1] | b.Reserved1[2] | b.Reserved2[0] | b.Reserved2[1], 0);

    // A stored switch outside its choices shows nothing selected and is kept as 255.
    b.FontKubun = 7;
    EXPECT_EQ(basicSettingValues(b).FontKubun, -1);
    EXPECT_EQ(basicSettingValues(b).SisetuName, QStringLiteral("湯の宿\n山川荘"));
}

TEST(BasicSettingRebuild, AValueThatCannotBeStoredLeavesTheRecordWhole)
{
    const TBaseData before = defaults();
    const struct {
        const char *what;
        void (*change)(BasicSettingValues &);
        const char *message; // start of it
    } cases[] = {
        {"colour text", [](BasicSettingValues &v) { v.Color[3] = QStringLiteral("abc"); }, "色は"},
        {"colour out of range", [](BasicSettingValues &v) { v.Color[1] = QStringLiteral("16777216"); }, "色は"},
        {"negative colour", [](BasicSettingValues &v) { v.Color[0] = QStringLiteral("-1"); }, "色は"},
        {"not in CP932", [](BasicSettingValues &v) { v.Jusyo = QStringLiteral("𠮷野町"); }, "住所に保存できない文字"},
        {"over the field", [](BasicSettingValues &v) { v.Domain = QString(33, QLatin1Char('d')); }, "ドメインは"},
        {"amount", [](BasicSettingValues &v) { v.Service = QStringLiteral("1.5"); }, "サービス料は0から99％まで"},
        {"service charge over 99 %", [](BasicSettingValues &v) { v.Service = QStringLiteral("100"); },
         "サービス料は0から99％までの整数で入力してください"},
        {"bathing tax over 9,999", [](BasicSettingValues &v) { v.Nyutouzei = QStringLiteral("10000"); },
         "入湯税は0円から9,999円までの整数で入力してください"},
        {"negative day bathing tax", [](BasicSettingValues &v) { v.DayNyutouzei = QStringLiteral("-150"); },
         "入湯税は0円から9,999円まで"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        BasicSettingValues v = basicSettingValues(before);
        v.SisetuName = QStringLiteral("changed");
        c.change(v);
        TBaseData b = before;
        EXPECT_TRUE(rebuildBaseData(v, b).startsWith(QString::fromUtf8(c.message)));
        EXPECT_TRUE(sameRecord(b, before));
    }
}

TEST(BasicSettingRebuild, AmountsAtTheEndsOfTheirRanges)
{
    BasicSettingValues v = basicSettingValues(defaults());
    v.Service = QStringLiteral("99");
    v.Nyutouzei = QStringLiteral("9999");
    v.DayNyutouzei = QStringLiteral("0");
    TBaseData b{};
    EXPECT_EQ(rebuildBaseData(v, b), QString());
    EXPECT_EQ(b.Service, 99);
    EXPECT_EQ(b.Nyutouzei, 9999);
    EXPECT_EQ(b.DayNyutouzei, 0);
}

TEST(BasicSettingColours, EmptyOrZeroTakesTheDefault)
{
    const struct {
        int edit;
        const char *text, *checked;
    } cases[] = {
        {1, "", "14811135"}, {2, "0", "15204330"}, {3, "000", "14811135"}, {4, "0", "6710886"},
        {4, "255", "255"},   {4, "abc", "abc"}, // refused elsewhere, not replaced
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(checkedColourText(c.edit, QString::fromUtf8(c.text)), QString::fromUtf8(c.checked));
    }
    EXPECT_TRUE(colourRefusal(QStringLiteral("16777215")).isEmpty());
    EXPECT_TRUE(colourRefusal(QString()).isEmpty());
    for (const char *bad : {"1.5", "0x10", "１２", "-5", "99999999999"})
        EXPECT_FALSE(colourRefusal(QString::fromUtf8(bad)).isEmpty()) << bad;
    EXPECT_EQ(colourOf(0x11, 0x22, 0x33), 0x332211u);
    EXPECT_EQ(redOf(0x332211), 0x11);
    EXPECT_EQ(blueOf(0x332211), 0x33);
}

TEST(BasicSettingTexts, MultiLineTextsCountLineBreaksAsCrLf)
{
    EXPECT_EQ(withCrLf(QStringLiteral("a\nb")), QStringLiteral("a\r\nb"));
    EXPECT_EQ(withCrLf(QStringLiteral("a\r\nb")), QStringLiteral("a\r\nb"));
    BasicSettingValues v = basicSettingValues(TBaseData{});
    TBaseData b{};
    for (const auto &[typed, stored] : {std::pair{"a\nb\n", "a\r\nb\r\n"}, {"\n", "\r\n"}, {"a\n\n", "a\r\n\r\n"}}) {
        v.CommentR = QString::fromUtf8(typed);
        ASSERT_EQ(rebuildBaseData(v, b), QString());
        EXPECT_EQ(fieldBytes(b.CommentR), QByteArray(stored)) << typed;
    }
    // The longest comment the window takes still fits with its last line break.
    v.CommentR = QString(settinglimits::Comment, QLatin1Char('x'));
    ASSERT_EQ(rebuildBaseData(v, b), QString());
    EXPECT_EQ(fieldBytes(b.CommentR).size(), 121);
}

TEST(BasicSettingTexts, PresetDomainsAreEightDistinctNames)
{
    EXPECT_EQ(PresetDomains.size(), 8);
    QStringList once = PresetDomains;
    once.removeDuplicates();
    EXPECT_EQ(once.size(), 8);
    for (const QString &d : PresetDomains)
        EXPECT_LE(cp932::byteLength(d), settinglimits::Domain) << d.toStdString();
}

TEST(FaceChoices, JapaneseFacesComeFirst)
{
    const FaceChoices c = faceChoices({"DejaVu Sans", "IPAGothic", "Arial", "IPAMincho", "Arial"},
                                      {"IPAMincho", "IPAGothic"});
    EXPECT_EQ(c.japanese, QStringList({"IPAGothic", "IPAMincho"}));
    EXPECT_EQ(c.others, QStringList({"Arial", "DejaVu Sans"}));
}

} // namespace
