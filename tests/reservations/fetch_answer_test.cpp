// The booking service's answer read from bytes: records, bill numbers,
// fetched-before reservations, and every way an answer can be wrong.

#include "answer_replay.h"
#include "reservations/fetch_answer.h"
#include "reservations/online_request.h"
#include "storage/cp932.h"
#include "storage/ini_file.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QByteArray kHeader = "HTTP/1.0 200 OK\r\n\r\n";
const QString kR001 = QStringLiteral("2014/03/21;R001;山田;素泊まり;101;2;1;1601001;大人宿泊料金;8000;2;1601102;ビール;800;1;\n");
constexpr uint32_t kMeiNo = 1395370000;

QByteArray sj(const QString &s) { return cp932::encode(s); }
QByteArray answer(const QString &body) { return kHeader + "[" + sj(body) + "]"; }

struct Fetch {
    AppData data;
    std::vector<FetchMessage> messages;
    Fetch() { data.NextMeiNo = kMeiNo; }
    // One fetch of the bytes, as the connection would deliver them.
    TAnswerParser run(const QByteArray &bytes, qint64 limit = DefaultMaxAnswerBytes)
    {
        TAnswerParser p(limit);
        p.feed(bytes);
        messages = applyAnswer(data, p);
        return p;
    }
    const TReserveData &rec(std::size_t i) const { return data.ReserveList.at(i); }
};

TEST(FetchAnswer, OneReservationBecomesOneBillWithALinePerCharge)
{
    Fetch f;
    f.run(answer(kR001));
    ASSERT_EQ(f.data.ReserveList.size(), 2u);
    EXPECT_TRUE(f.messages.empty());
    for (std::size_t i = 0; i < 2; ++i) {
        const TReserveData &r = f.rec(i);
        EXPECT_EQ(r.MeiNo, kMeiNo);
        EXPECT_EQ(fieldBytes(r.Rsvday), "2014/03/21");
        EXPECT_EQ(fieldBytes(r.Regday), "R001");
        EXPECT_EQ(fieldText(r.Name), QStringLiteral("山田"));
        EXPECT_EQ(fieldText(r.Plan), QStringLiteral("素泊まり"));
        EXPECT_EQ(fieldBytes(r.Room), "101");
        EXPECT_EQ(r.Stay, 2);
        EXPECT_EQ(r.Stayx, 1);
        EXPECT_EQ(fieldBytes(r.Seisan), "");
        EXPECT_EQ(r.Decide, 0);
    }
    EXPECT_EQ(f.rec(0).Kubun, 1601001u);
    EXPECT_EQ(fieldText(f.rec(0).Kamoku), QStringLiteral("大人宿泊料金"));
    EXPECT_EQ(f.rec(0).Tanka, 8000);
    EXPECT_EQ(f.rec(0).Suryou, 2);
    EXPECT_EQ(f.rec(1).Kubun, 1601102u);
    EXPECT_EQ(fieldText(f.rec(1).Kamoku), QStringLiteral("ビール"));
    EXPECT_EQ(f.rec(1).Tanka, 800);
    EXPECT_EQ(f.rec(1).Suryou, 1);
    EXPECT_EQ(f.data.NextMeiNo, kMeiNo + 1);
    EXPECT_EQ(f.data.RsvCount, 2);
}

TEST(FetchAnswer, SameAnswerAgainAddsNothingAndSaysNothing)
{
    Fetch f;
    f.run(answer(kR001));
    f.run(answer(kR001));
    EXPECT_EQ(f.data.ReserveList.size(), 2u);
    EXPECT_TRUE(f.messages.empty());
    EXPECT_EQ(f.data.NextMeiNo, kMeiNo + 2); // the end of a fetch with data always takes one
}

TEST(FetchAnswer, EachChangeOfReservationNumberStartsABill)
{
    const QString r002 = QStringLiteral("2014/03/21;R002;鈴木;朝食付;102;1;1;1601001;大人;9000;1;\n");
    Fetch two;
    two.run(answer(kR001 + r002));
    ASSERT_EQ(two.data.ReserveList.size(), 3u);
    EXPECT_EQ(two.rec(0).MeiNo, kMeiNo);
    EXPECT_EQ(two.rec(1).MeiNo, kMeiNo);
    EXPECT_EQ(two.rec(2).MeiNo, kMeiNo + 1);
    EXPECT_EQ(two.data.NextMeiNo, kMeiNo + 2);

    // R001 coming back after R002 is a third bill: only neighbours are compared.
    Fetch three;
    three.run(answer(kR001 + r002 + kR001));
    ASSERT_EQ(three.data.ReserveList.size(), 5u);
    EXPECT_EQ(three.rec(3).MeiNo, kMeiNo + 2);
    EXPECT_EQ(fieldBytes(three.rec(3).Regday), "R001");
    EXPECT_EQ(three.data.NextMeiNo, kMeiNo + 3);
}

TEST(FetchAnswer, TwoNightsOfOneReservationAreOneBill)
{
    Fetch f;
    f.run(answer(QStringLiteral("2014/03/21;R010;森;二泊;201;2;1;1601001;大人;9000;1;\n"
                                "2014/03/22;R010;森;二泊;201;2;2;1601001;大人;9000;1;\n")));
    ASSERT_EQ(f.data.ReserveList.size(), 2u); // the second line is not "fetched before"
    EXPECT_EQ(f.rec(1).MeiNo, kMeiNo);
    EXPECT_EQ(f.rec(1).Stayx, 2);
    EXPECT_EQ(fieldBytes(f.rec(1).Rsvday), "2014/03/22");
}

TEST(FetchAnswer, EmptyPriceAndQuantityKeepThoseOfTheGroupBefore)
{
    Fetch f;
    f.run(answer(QStringLiteral("2014/03/21;R003;田中;二食付;103;1;1;1601001;大人;;;1601002;大人2;12000;2;"
                                "1601003;追加;;;1601101;夕食;;3;1601102;酒;500;;\n")));
    ASSERT_EQ(f.data.ReserveList.size(), 5u);
    const int expected[5][2] = {{0, 0}, {12000, 2}, {12000, 2}, {12000, 3}, {500, 3}};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(f.rec(size_t(i)).Tanka, expected[i][0]);
        EXPECT_EQ(f.rec(size_t(i)).Suryou, expected[i][1]);
    }
}

TEST(FetchAnswer, AnswerWithoutDataSaysSoAndTakesNoNumber)
{
    for (const QByteArray &bytes : {kHeader + "[]", kHeader + "[\n]", QByteArray(), kHeader,
                                    QByteArray("HTTP/1.0 403 Forbidden\r\n\r\nno ] access;\n")}) {
        SCOPED_TRACE(bytes.toStdString());
        Fetch f;
        f.run(bytes);
        EXPECT_TRUE(f.data.ReserveList.empty());
        EXPECT_EQ(f.data.NextMeiNo, kMeiNo);
        ASSERT_EQ(f.messages.size(), 1u);
        EXPECT_EQ(f.messages[0], (FetchMessage{QStringLiteral("メッセージ"), QStringLiteral("受信データはありませんでした")}));
    }
}

TEST(FetchAnswer, LineNotEndedBeforeTheEndMarkOrTheCloseAddsNothing)
{
    const QByteArray cut = sj(QStringLiteral("2014/03/21;R004;途中;プラン;1;1;1;1601001;大人;100;1;"));
    for (const QByteArray &bytes : {answer(kR001) .chopped(1) + cut + "]", kHeader + "[" + sj(kR001) + cut}) {
        Fetch f;
        const TAnswerParser p = f.run(bytes);
        EXPECT_EQ(f.data.ReserveList.size(), 2u);
        // Closed in R004's first line: R004 is named, the next fetch takes it.
        if (p.state() == TAnswerParser::State::EndMark) {
            EXPECT_TRUE(f.messages.empty());
        } else {
            ASSERT_EQ(f.messages.size(), 1u);
            EXPECT_TRUE(f.messages[0].text.contains(QStringLiteral("予約 R004（途中様）"))) << f.messages[0].text.toStdString();
        }
    }
}

TEST(FetchAnswer, EndMarkOnlyWhereAFieldBegins)
{
    // "]" and "[" inside text, and "]" in the headers, are ordinary bytes; a
    // trail byte 0x5D (ゾ) never starts a field.
    Fetch f;
    f.run("HTTP/1.0 200 OK\r\nX-Note: a] ]\r\n\r\n["
          + sj(QStringLiteral("2014/03/21;R[9];a]b;[plan];ゾーン;1;1;1601001;x]y;100;1;\r\n")) + "]"
          + sj(QStringLiteral("2014/03/21;R999;後;p;1;1;1;1601001;x;1;1;\n")));
    ASSERT_EQ(f.data.ReserveList.size(), 1u);
    EXPECT_EQ(fieldBytes(f.rec(0).Regday), "R[9]");
    EXPECT_EQ(fieldBytes(f.rec(0).Name), "a]b");
    EXPECT_EQ(fieldBytes(f.rec(0).Plan), "[plan]");
    EXPECT_EQ(fieldText(f.rec(0).Room), QStringLiteral("ゾーン"));
    EXPECT_EQ(fieldBytes(f.rec(0).Kamoku), "x]y");
    EXPECT_TRUE(f.messages.empty()) << f.messages[0].text.toStdString();
}

TEST(FetchAnswer, IncompleteLinesAreSkippedAndCounted)
{
    Fetch f;
    f.run(answer(QStringLiteral("2014/03/21;R006;名前;\n"                                  // 3 fields
                                "2014/03/21;R007;名前;プラン;1;1;1;1601001;大人;100;\n"     // 10 fields
                                "no fields at all\n") + kR001));
    EXPECT_EQ(f.data.ReserveList.size(), 2u);
    EXPECT_EQ(f.rec(0).MeiNo, kMeiNo); // skipped lines take no bill number
    ASSERT_EQ(f.messages.size(), 1u);
    EXPECT_EQ(f.messages[0].title, QStringLiteral("注意"));
    EXPECT_TRUE(f.messages[0].text.contains(QStringLiteral("3 行")));
}

TEST(FetchAnswer, OverlongTextsAreCutWithoutSplittingACharacter)
{
    Fetch f;
    f.run(answer(QStringLiteral("2014/03/21x;R00812345678;") + QString(80, QChar(u'長')) + ";"
                 + QString(100, QLatin1Char('P')) + ";a" + QString(70, QChar(u'室')) + ";2;1;1601001;"
                 + QString(100, QChar(u'摘')) + ";100;1;\n"));
    ASSERT_EQ(f.data.ReserveList.size(), 1u);
    const TReserveData &r = f.rec(0);
    EXPECT_EQ(fieldBytes(r.Rsvday), "2014/03/21");
    EXPECT_EQ(fieldBytes(r.Regday), "R008123456");
    EXPECT_EQ(fieldText(r.Name), QString(31, QChar(u'長'))); // 62 of 63 bytes: no half character
    EXPECT_EQ(fieldBytes(r.Plan), QByteArray(63, 'P'));
    EXPECT_EQ(fieldText(r.Room), "a" + QString(31, QChar(u'室')));
    EXPECT_EQ(fieldText(r.Kamoku), QString(63, QChar(u'摘')));
    ASSERT_EQ(f.messages.size(), 1u);
    EXPECT_EQ(f.messages[0].title, QStringLiteral("注意"));
    EXPECT_TRUE(f.messages[0].text.contains(QStringLiteral("6 件"))) << f.messages[0].text.toStdString();
}

TEST(FetchAnswer, NulAndBytesThatAreNoCharacterBecomeQuestionMarks)
{
    Fetch f;
    static const char bytes[] = "[2014/03/21;R\x00" "1;\x82\xa0\x82;\xff\x80;a\x1b" "b;1;1;1601001;\x81;1;1;\n]";
    f.run(kHeader + QByteArray(bytes, sizeof bytes - 1));
    ASSERT_EQ(f.data.ReserveList.size(), 1u);
    const TReserveData &r = f.rec(0);
    EXPECT_EQ(fieldBytes(r.Regday), "R?1");
    EXPECT_EQ(fieldBytes(r.Name), "\x82\xa0?"); // あ, then a lead byte without its trail
    EXPECT_EQ(fieldBytes(r.Plan), "??");
    EXPECT_EQ(fieldBytes(r.Room), "a?b");
    EXPECT_EQ(fieldBytes(r.Kamoku), "?");
    ASSERT_EQ(f.messages.size(), 1u);
    EXPECT_TRUE(f.messages[0].text.contains(QStringLiteral("6 バイト"))) << f.messages[0].text.toStdString();
}

TEST(FetchAnswer, NumberThatIsNoIntegerStopsTheReadAndKeepsWhatCameBefore)
{
    struct Case { const char *name; QString field; } cases[] = {
        {"letters in nights", QStringLiteral("2014/03/21;R005;名;プ;1;x2;1;1601001;大人;8000;2;")},
        {"price too large", QStringLiteral("2014/03/21;R005;名;プ;1;1;1;1601001;大人;2147483648;2;")},
        {"negative item key", QStringLiteral("2014/03/21;R005;名;プ;1;1;1;-1;大人;8000;2;")},
        {"blank in quantity", QStringLiteral("2014/03/21;R005;名;プ;1;1;1;1601001;大人;8000; 2;")},
        {"bad price in the second group", QStringLiteral("2014/03/21;R005;名;プ;1;1;1;1601001;大人;8000;2;1601002;子供;八千;1;")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Fetch f;
        const TAnswerParser p = f.run(answer(kR001 + c.field + "\n" + kR001));
        EXPECT_EQ(p.state(), TAnswerParser::State::BadNumber);
        EXPECT_EQ(f.data.ReserveList.size(), 2u); // R001 before the bad line; nothing of it or after
        // R001 took kMeiNo, the bad line's change of number kMeiNo + 1: the next is above both.
        EXPECT_EQ(f.data.NextMeiNo, kMeiNo + 1);
        ASSERT_GE(f.messages.size(), 1u);
        EXPECT_EQ(f.messages[0].title, QStringLiteral("エラー"));
        EXPECT_TRUE(f.messages[0].text.contains(QStringLiteral("2 行目"))) << f.messages[0].text.toStdString();
    }
    Fetch f;
    f.run(answer(QStringLiteral("2014/03/21;R005;名;プ;1;1;1;1601001;大人;八千円;2;\n")));
    EXPECT_TRUE(f.messages[0].text.contains(QStringLiteral("「八千円」")));
    EXPECT_EQ(f.data.NextMeiNo, kMeiNo + 1); // data arrived: the number is spent
}

TEST(FetchAnswer, NumbersAtTheEdgesOfTheirFields)
{
    Fetch f;
    f.run(answer(QStringLiteral("2014/03/21;R011;名;プ;1;258;-1;4294967295;最大;-2147483648;+2147483647;\n")));
    ASSERT_EQ(f.data.ReserveList.size(), 1u);
    EXPECT_EQ(f.rec(0).Stay, 2);     // low 8 bits
    EXPECT_EQ(f.rec(0).Stayx, 255);
    EXPECT_EQ(f.rec(0).Kubun, 4294967295u);
    EXPECT_EQ(f.rec(0).Tanka, INT32_MIN);
    EXPECT_EQ(f.rec(0).Suryou, INT32_MAX);
}

TEST(FetchAnswer, AnswerLargerThanTheLimitStopsTheRead)
{
    Fetch f;
    const QString r002 = QStringLiteral("2014/03/21;R002;鈴木;朝食付;102;1;1;1601001;大人;9000;1;\n");
    const QByteArray endless = answer(kR001 + r002).chopped(1) + QByteArray(1000, 'x');
    const TAnswerParser p = f.run(endless, 500);
    EXPECT_EQ(p.state(), TAnswerParser::State::TooLarge);
    EXPECT_EQ(p.bytesRead(), 500);
    // R001 is whole (R002 followed it); R002 may have had another night to come.
    EXPECT_EQ(f.data.ReserveList.size(), 2u);
    ASSERT_EQ(f.messages.size(), 2u);
    EXPECT_EQ(f.messages[0].title, QStringLiteral("エラー"));
    EXPECT_TRUE(f.messages[0].text.contains(QStringLiteral("500 バイト")));
    EXPECT_TRUE(f.messages[1].text.contains(QStringLiteral("予約 R002（鈴木様）")));
}

TEST(FetchAnswer, MoreChargesThanAnyDayCouldHoldStopTheRead)
{
    // Four bytes per charge: without a limit 4 MB would become 372 MB of records.
    QByteArray many = kHeader + "[" + sj(kR001) + "2014/03/21;R002;n;p;r;1;1;";
    for (qsizetype i = 0; i < MaxAnswerRecords; ++i)
        many += "1;;;;";
    Fetch f;
    const TAnswerParser p = f.run(many + "\n]");
    EXPECT_EQ(p.state(), TAnswerParser::State::TooLarge);
    EXPECT_EQ(f.data.ReserveList.size(), 2u); // R001; not the line that went over
    ASSERT_EQ(f.messages.size(), 2u);
    EXPECT_TRUE(f.messages[0].text.contains(QStringLiteral("50000 件"))) << f.messages[0].text.toStdString();
    EXPECT_TRUE(f.messages[1].text.contains(QStringLiteral("予約 R002（n様）"))) << f.messages[1].text.toStdString();
}

// R010, two nights: a reservation spans one answer line per night.
const QString kR010Night1 = QStringLiteral("2014/03/21;R010;森;二泊;201;2;1;1601001;大人;9800;2;\n");
const QString kR010Night2 = QStringLiteral("2014/03/22;R010;森;二泊;201;2;2;1601001;大人;9800;2;\n");
const QString kR011 = QStringLiteral("2014/03/21;R011;林;素泊;202;1;1;1601001;大人;7000;1;\n");

TEST(FetchAnswer, AReservationCutBetweenItsNightsIsNotStoredAndTheNextFetchTakesIt)
{
    struct Case {
        const char *name;
        QByteArray bytes;
    } cases[] = {
        {"closed after night 1", kHeader + "[" + sj(kR001 + kR010Night1)},
        {"closed within night 2", kHeader + "[" + sj(kR001 + kR010Night1) + sj(kR010Night2).left(30)},
        {"unreadable number in night 2",
         answer(kR001 + kR010Night1 + QStringLiteral("2014/03/22;R010;森;二泊;201;2;2;1601001;大人;9,800;2;\n"))},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Fetch f;
        f.run(c.bytes);
        // R001 came whole; of R010 nothing is kept.
        ASSERT_EQ(f.data.ReserveList.size(), 2u);
        EXPECT_EQ(fieldBytes(f.rec(1).Regday), "R001");
        bool named = false;
        for (const FetchMessage &m : f.messages)
            named = named || m.text.contains(QStringLiteral("予約 R010（森様）"));
        EXPECT_TRUE(named);
        // Served whole, the next fetch takes both nights, under one bill.
        f.run(answer(kR001 + kR010Night1 + kR010Night2 + kR011));
        EXPECT_TRUE(f.messages.empty()) << f.messages[0].text.toStdString();
        ASSERT_EQ(f.data.ReserveList.size(), 5u);
        EXPECT_EQ(fieldBytes(f.rec(2).Regday), "R010");
        EXPECT_EQ(fieldBytes(f.rec(3).Rsvday), "2014/03/22");
        EXPECT_EQ(f.rec(3).MeiNo, f.rec(2).MeiNo);
        EXPECT_EQ(int64_t(f.rec(2).Tanka) * f.rec(2).Suryou + int64_t(f.rec(3).Tanka) * f.rec(3).Suryou, 39200);
        EXPECT_NE(f.rec(4).MeiNo, f.rec(2).MeiNo);
    }
}

TEST(FetchAnswer, TheNextReservationOrTheEndMarkShowsAReservationWhole)
{
    // Cut in R011's first line: R010 before it is whole.
    Fetch f;
    f.run(kHeader + "[" + sj(kR010Night1 + kR010Night2) + sj(kR011).left(20));
    EXPECT_EQ(f.data.ReserveList.size(), 2u);
    ASSERT_EQ(f.messages.size(), 1u);
    EXPECT_TRUE(f.messages[0].text.contains(QStringLiteral("予約 R011"))) << f.messages[0].text.toStdString();
    EXPECT_FALSE(f.messages[0].text.contains(QStringLiteral("R010")));
}

TEST(FetchAnswer, OneReservationRepeatedBeyondASaneSizeIsRefused)
{
    QString repeated;
    for (qsizetype i = 0; i <= MaxReservationRecords; ++i)
        repeated += kR010Night1;
    Fetch f;
    f.run(answer(kR001 + repeated + kR011));
    // R001 and R011 are taken; R010's thousand and one charges are not.
    ASSERT_EQ(f.data.ReserveList.size(), 3u);
    EXPECT_EQ(fieldBytes(f.rec(2).Regday), "R011");
    ASSERT_EQ(f.messages.size(), 1u);
    EXPECT_EQ(f.messages[0].title, QStringLiteral("エラー"));
    EXPECT_TRUE(f.messages[0].text.contains(QStringLiteral("予約 R010（森様）"))) << f.messages[0].text.toStdString();
    EXPECT_TRUE(f.messages[0].text.contains(QStringLiteral("1000 件")));

    // A stay of many nights and rooms stays well inside.
    QString large;
    for (int night = 0; night < 30; ++night)
        large += QStringLiteral("2014/03/21;R020;団体;p;1;30;1;1601001;a;1;1;1601002;b;1;1;1601101;c;1;1;\n");
    Fetch group;
    group.run(answer(large));
    EXPECT_EQ(group.data.ReserveList.size(), 90u);
}

TEST(FetchAnswer, AReservationWithoutANumberGetsABillAndANumberOfItsOwn)
{
    const QString unnumbered = QStringLiteral("2014/03/21;;番号無;素泊;301;1;1;1601001;大人;5000;1;\n");
    Fetch f;
    f.run(answer(kR001 + unnumbered + kR011));
    ASSERT_EQ(f.data.ReserveList.size(), 4u);
    const TReserveData &own = f.rec(2);
    EXPECT_EQ(fieldText(own.Name), QStringLiteral("番号無"));
    EXPECT_NE(own.MeiNo, f.rec(0).MeiNo);
    EXPECT_NE(own.MeiNo, f.rec(3).MeiNo); // not merged into the next guest's bill
    const QByteArray number = fieldBytes(own.Regday);
    EXPECT_TRUE(number.startsWith('n') && number.size() == 10) << number.toStdString();
    ASSERT_EQ(f.messages.size(), 1u);
    EXPECT_EQ(f.messages[0].title, QStringLiteral("注意"));
    EXPECT_TRUE(f.messages[0].text.contains(QString::fromLatin1(number))) << f.messages[0].text.toStdString();
    EXPECT_TRUE(f.messages[0].text.contains(QStringLiteral("番号無様")));

    // The same answer again adds nothing: the number is the same.
    f.run(answer(kR001 + unnumbered + kR011));
    EXPECT_EQ(f.data.ReserveList.size(), 4u);
    EXPECT_TRUE(f.messages.empty());

    // Two guests without numbers are two bills.
    Fetch two;
    two.run(answer(unnumbered + QStringLiteral("2014/03/21;;別人;素泊;302;1;1;1601001;大人;5000;1;\n")));
    ASSERT_EQ(two.data.ReserveList.size(), 2u);
    EXPECT_NE(two.rec(0).MeiNo, two.rec(1).MeiNo);
    EXPECT_NE(fieldBytes(two.rec(0).Regday), fieldBytes(two.rec(1).Regday));
}

TEST(FetchAnswer, FetchedBeforeMeansPresentBeforeThisFetch)
{
    Fetch f;
    TReserveData hand{};
    hand.MeiNo = 5;
    setFieldBytes(hand.Regday, QByteArray("R002"));
    f.data.ReserveList.push_back(hand);
    f.data.RsvCount = 1;
    TReserveData probe{};
    setFieldBytes(probe.Regday, QByteArray("R002"));
    EXPECT_TRUE(IsFetched(f.data, probe));
    setFieldBytes(probe.Regday, QByteArray("R001"));
    EXPECT_FALSE(IsFetched(f.data, probe));

    f.run(answer(kR001 + QStringLiteral("2014/03/21;R002;鈴木;朝食付;102;1;1;1601001;大人;9000;1;\n")));
    ASSERT_EQ(f.data.ReserveList.size(), 3u); // R002 was there: left as it was
    EXPECT_EQ(f.rec(0).MeiNo, 5u);
    EXPECT_EQ(f.data.NextMeiNo, kMeiNo + 2); // its bill number was still passed over
    EXPECT_TRUE(IsFetched(f.data, probe));    // RsvCount now covers this fetch's records
}

TEST(FetchAnswer, ReadingByteByByteGivesTheSameAsInOnePiece)
{
    // And the whole rule set of answer_replay, which the fuzzer checks too.
    for (const QByteArray &bytes : {answer(kR001), answer(kR001 + kR001), kHeader + "[\r\n]\r\n",
                                    kHeader + "[" + sj(kR001 + kR010Night1), answer(QStringLiteral("2014/03/21;;a;b;1;1;1;1;x;1;1;\n"))})
        EXPECT_EQ(answer_replay::replay(bytes.constData(), size_t(bytes.size())), "");
}

TEST(FetchAnswer, SeedCorpusReplays)
{
    // The fuzzer's seeds and every input that once broke the reader.
    const QDir dir(QStringLiteral(NORVEL_TEST_DATA "/answer_corpus"));
    const QStringList files = dir.entryList(QDir::Files);
    ASSERT_GE(files.size(), 10);
    for (const QString &name : files) {
        SCOPED_TRACE(name.toStdString());
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        for (qint64 limit : {DefaultMaxAnswerBytes, qint64(64)})
            EXPECT_EQ(answer_replay::replay(bytes.constData(), size_t(bytes.size()), limit), "");
    }
}

TEST(FetchRequest, EncodeLoginFollowsMinuteAndSecond)
{
    const QDateTime at0503(QDate(2014, 3, 21), QTime(10, 5, 3));
    const QDateTime at0000(QDate(2014, 3, 21), QTime(0, 0, 0));
    EXPECT_EQ(EncodeLogin("abc", at0503), "606364");
    EXPECT_EQ(EncodeLogin("abcde", at0000), "6762636471");
    EXPECT_EQ(EncodeLogin("", at0000), "");
    EXPECT_EQ(EncodeLogin("\x01\xff", at0000), "-29-37"); // bytes are signed
}

TEST(FetchRequest, RequestLineByteForByte)
{
    const QDateTime at(QDate(2014, 3, 21), QTime(9, 5, 3));
    EXPECT_EQ(buildFetchRequest(at, "abc", "pw", QStringLiteral("1.0.4.0")),
              "GET /PalvaneScript/getrsv.php?yy=2014&mm=03&dd=21&hh=09&ii=05&ss=03&ai=606364&ap=7584&ver=1.0.4.0"
              " HTTP/1.0\r\n\r\n");
}

TEST(FetchRequest, ServiceAddressFromTheSettingsFile)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath("norvelreceipt.ini");
    struct Case { const char *text; const char *host; int port; bool error; } cases[] = {
        {"", "", 80, true},
        {"[Online]\r\nHost=rsv.example.jp\r\n", "rsv.example.jp", 80, false},
        {"[MainForm]\r\nt=1\r\n[online]\r\nhost= 127.0.0.1 \r\nport=8080\r\n", "127.0.0.1", 8080, false},
        {"[Online]\r\nHost=h\r\nPort=0\r\n", "h", 80, true},
        {"[Online]\r\nHost=h\r\nPort=http\r\n", "h", 80, true},
        {"[Online]\r\nHost=h h\r\n", "h h", 80, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        QFile f(ini);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(c.text);
        f.close();
        const OnlineService s = readOnlineService(ini);
        EXPECT_EQ(s.error.isEmpty(), !c.error) << s.error.toStdString();
        if (!c.error) {
            EXPECT_EQ(s.host, QLatin1String(c.host));
            EXPECT_EQ(s.port, c.port);
        }
    }
}

} // namespace
