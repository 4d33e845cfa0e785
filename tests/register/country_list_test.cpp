// The country list: every ISO 3166-1 country once, found by code or name,
// and the same countries the register accepts as a nationality.

#include "register/country_list.h"
#include "register/guest_register.h"

#include <gtest/gtest.h>

#include <QSet>

TEST(CountryList, EveryCountryOnceInCodeOrder)
{
    const auto &l = countries();
    EXPECT_EQ(l.size(), 250u); // 249 of the standard and Kosovo
    QSet<QString> seen;
    for (std::size_t i = 0; i < l.size(); ++i) {
        SCOPED_TRACE(l[i].code.toStdString());
        EXPECT_EQ(l[i].code.size(), 2);
        EXPECT_FALSE(l[i].japanese.isEmpty());
        EXPECT_FALSE(l[i].english.isEmpty());
        EXPECT_FALSE(seen.contains(l[i].code));
        seen.insert(l[i].code);
        if (i > 0) {
            EXPECT_LT(l[i - 1].code, l[i].code);
        }
    }
}

TEST(CountryList, AgreesWithTheRegistersNationalityCheck)
{
    for (char a = 'A'; a <= 'Z'; ++a) {
        for (char b = 'A'; b <= 'Z'; ++b) {
            const QString code = QString(QChar(a)) + QChar(b);
            SCOPED_TRACE(code.toStdString());
            EXPECT_EQ(isCountryCode(code), countryByCode(code) != nullptr);
        }
    }
}

TEST(CountryList, Lookups)
{
    struct Case {
        const char *text;
        const char *code; // "" : none
    };
    const Case cases[] = {
        {"JP", "JP"},           {"de", "DE"},          {" vn ", "VN"},
        {"日本", "JP"},         {"ドイツ", "DE"},      {"台湾", "TW"},
        {"germany", "DE"},      {"United Kingdom", "GB"}, {"Côte d'Ivoire", "CI"},
        {"", ""},               {"XX", ""},            {"JPN", ""},
        {"Deutschland", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        const Country *found = countryByText(QString::fromUtf8(c.text));
        EXPECT_EQ(found ? found->code : QString(), QString::fromLatin1(c.code));
    }
    ASSERT_NE(countryByCode(QStringLiteral("jp")), nullptr);
    EXPECT_EQ(countryByCode(QStringLiteral("jp"))->english, QStringLiteral("Japan"));
    EXPECT_EQ(countryByCode(QStringLiteral("日本")), nullptr);
}
