#pragma once
// A small inn's bills for the search tests: nine bills whose names are the
// same few guests in different spellings, with dates, rooms, amounts and
// cards chosen so that each filter's answer can be counted by hand.
//
//   bill  first night  nights  name           rooms          total  settled     card
//   1007  2025/08/01   1       ａｂｃ商事      梅の間          5000   2025/08/01
//   1002  2025/12/30   1       ﾔﾏﾀﾞ ﾀﾛｳ       竹の間         12000   open
//   1003  2026/01/05   1       やまだ たろう   松の間         24000   2026/01/06  101001
//   1008  2026/02/14   1       ガイド 花子     梅の間          3000   open
//   1009  2026/03/03   1       Jose Garcia    竹の間          9000   2026/03/04
//   1001  2026/08/08   2       山田 太郎       松の間         61800   2026/08/10      (a 10000 deposit does not count)
//   1006  2026/08/09   1       ＡＢＣ商事      竹の間, 松の間  20000   2026/08/10  101001
//   1004  2026/08/20   2       Muller Hans    梅の間         40000   2026/08/22  101002
//   1005  2026/09/01   1       MULLER hans    ＳＵＩＴＥ１     8000   open
//
// Receipts: bill 1001 twice (once reissued), bill 1003 once.
//
// The records hold CP932, which has no accented Latin letters: accents come
// only from what the clerk types (Müller, José). Bill 1007 has a line at each end of the list (a bill whose lines do not
// follow each other).

#include "storage/app_data.h"
#include "storage/cp932.h"
#include "storage/receipt_issues.h"

#include <QString>
#include <cstring>

namespace search_fixture {

inline TReserveData line(uint32_t meiNo, const char *name, const char *room, const char *night, int stay,
                         const char *seisan, uint32_t kubun, int32_t tanka, int32_t suryou)
{
    TReserveData r{};
    r.MeiNo = meiNo;
    setFieldText(r.Name, QString::fromUtf8(name));
    setFieldText(r.Room, QString::fromUtf8(room));
    setFieldText(r.Plan, QStringLiteral("一泊二食"));
    setFieldText(r.Regday, QStringLiteral("R%1").arg(meiNo));
    std::memcpy(r.Rsvday, night, std::strlen(night));
    std::memcpy(r.Seisan, seisan, std::strlen(seisan));
    r.Stay = uint8_t(stay);
    r.Stayx = 1;
    r.Kubun = kubun;
    r.Tanka = tanka;
    r.Suryou = suryou;
    return r;
}

inline void fill(AppData &data)
{
    const uint32_t room = 1601001, option = 1601101, deposit = 1105001;
    data.ReserveList = {
        line(1007, "ａｂｃ商事", "梅の間", "2025/08/01", 1, "2025/08/01", room, 3000, 1),
        line(1001, "山田 太郎", "松の間", "2026/08/08", 2, "2026/08/10", room, 15000, 2),
        line(1001, "山田 太郎", "松の間", "2026/08/09", 2, "2026/08/10", room, 15000, 2),
        line(1001, "山田 太郎", "松の間", "2026/08/09", 2, "2026/08/10", option, 600, 3),
        line(1001, "山田 太郎", "松の間", "2026/08/09", 2, "2026/08/10", deposit, 10000, 1),
        line(1002, "ﾔﾏﾀﾞ ﾀﾛｳ", "竹の間", "2025/12/30", 1, "", room, 12000, 1),
        line(1003, "やまだ たろう", "松の間", "2026/01/05", 1, "2026/01/06", room, 12000, 2),
        line(1004, "Muller Hans", "梅の間", "2026/08/20", 2, "2026/08/22", room, 10000, 2),
        line(1004, "Muller Hans", "梅の間", "2026/08/21", 2, "2026/08/22", room, 10000, 2),
        line(1005, "MULLER hans", "ＳＵＩＴＥ１", "2026/09/01", 1, "", room, 8000, 1),
        line(1006, "ＡＢＣ商事", "竹の間", "2026/08/09", 1, "2026/08/10", room, 10000, 1),
        line(1006, "ＡＢＣ商事", "松の間", "2026/08/09", 1, "2026/08/10", room, 10000, 1),
        line(1008, "ガイド 花子", "梅の間", "2026/02/14", 1, "", room, 3000, 1),
        line(1009, "Jose Garcia", "竹の間", "2026/03/03", 1, "2026/03/04", room, 9000, 1),
        line(1007, "ａｂｃ商事", "梅の間", "2025/08/01", 1, "2025/08/01", option, 2000, 1),
    };
    const auto card = [](uint32_t meiNo, uint32_t card, int32_t amount) {
        TUrikakeData u{};
        u.MeiNo = meiNo;
        u.Card = card;
        u.Goukei = amount;
        return u;
    };
    data.UrikakeList = {card(1003, 101001, 24000), card(1006, 101001, 20000), card(1004, 101002, 40000)};
    data.KamokuList[6].clear();
    for (const auto &[number, name] : {std::pair<uint32_t, const char *>{1, "VISA"}, {2, "JCB"}}) {
        THojoKamoku k{};
        k.KamokuCode = 101;
        k.HojoCode = number;
        setFieldText(k.Tekiyo, QString::fromUtf8(name));
        data.KamokuList[6].push_back(k);
    }
}

inline ReceiptIssues receipts()
{
    ReceiptIssues issues;
    for (const uint32_t no : {1001u, 1003u, 1001u}) {
        TReceiptIssue issue;
        issue.MeiNo = no;
        issue.IssuedAt = QDateTime(QDate(2026, 8, 10), QTime(10, 0));
        issues.add(issue);
    }
    return issues;
}

// The record of receipts as receipts.dat holds it.
inline QByteArray receiptsFile()
{
    const ReceiptIssues issues = receipts();
    return QByteArray(reinterpret_cast<const char *>(issues.all().data()),
                      qsizetype(issues.all().size() * sizeof(TReceiptIssueData)));
}

} // namespace search_fixture
