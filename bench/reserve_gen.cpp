// Writes a reserve.dat of exactly the given number of records that looks like
// years of a small inn's bills: stays of one to three nights and day visits,
// 3 to 12 lines a bill, settled bills with their settlement date and receipt
// status, now and then a service, discount or deposit line at the end.
//
//   reserve_gen RECORDS PATH [SEED]
//
// The same seed gives the same file; a smaller file is not a prefix of a
// larger one, but it covers fewer days the same way.

#include "storage/cp932.h"
#include "storage/records.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

struct Rng {
    uint64_t s;
    uint64_t next()
    {
        uint64_t z = (s += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int n) { return int(next() % uint64_t(n)); }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    bool chance(int percent) { return below(100) < percent; }
};

// Texts are encoded to CP932 once; records get them by memcpy.
std::vector<QByteArray> encoded(std::initializer_list<const char *> utf8)
{
    std::vector<QByteArray> out;
    for (const char *s : utf8)
        out.push_back(cp932::encode(QString::fromUtf8(s)));
    return out;
}

template <std::size_t N> void put(char (&field)[N], const QByteArray &bytes)
{
    const std::size_t n = std::min<std::size_t>(std::size_t(bytes.size()), N - 1);
    std::memcpy(field, bytes.constData(), n);
}
template <std::size_t N> void put(char (&field)[N], const char *text)
{
    const std::size_t n = std::min<std::size_t>(std::strlen(text), N - 1);
    std::memcpy(field, text, n);
}

// Days since 1970-01-01 to "yyyy/mm/dd".
std::string dateText(int64_t days)
{
    days += 719468;
    const int64_t era = days / 146097;
    const int64_t doe = days - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int d = int(doy - (153 * mp + 2) / 5 + 1);
    const int m = int(mp < 10 ? mp + 3 : mp - 9);
    const int y = int(yoe + era * 400 + (m <= 2));
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d/%02d/%02d", y, m, d);
    return buf;
}

struct Item {
    uint32_t key;
    QByteArray text;
    int lo, hi, step; // price range
    int maxQty;
};

class Generator {
public:
    explicit Generator(uint64_t seed) : rng{seed}
    {
        surnames = encoded({"佐藤", "鈴木", "高橋", "田中", "伊藤", "渡辺", "山本", "中村", "小林", "加藤",
                            "吉田", "山田", "佐々木", "山口", "松本", "井上", "木村", "林", "斎藤", "清水",
                            "山崎", "森", "池田", "橋本", "阿部", "石川", "山下", "中島", "石井", "小川",
                            "前田", "岡田", "長谷川", "藤田", "後藤", "近藤", "村上", "遠藤", "青木", "坂本"});
        givenNames = encoded({"太郎", "花子", "一郎", "健太", "翔太", "美咲", "陽子", "大輔", "直樹", "由美",
                              "裕子", "誠", "浩二", "恵", "さくら", "葵", "蓮", "結衣", "拓也", "真由美"});
        companies = encoded({"株式会社山田商事", "有限会社中村建設", "株式会社東海トラベル", "○○大学 山岳部",
                             "株式会社サンライズ企画", "医療法人 青葉会", "ＡＢＣ観光株式会社"});
        foreigners = {"SMITH JOHN", "MUELLER ANNA", "LEE MINHO", "CHEN WEI", "GARCIA MARIA", "BROWN DAVID"};
        plans = encoded({"1泊2食付 スタンダードプラン", "素泊まりプラン", "朝食付きプラン",
                         "【早割30】1泊2食付 会席料理プラン", "連泊割引プラン 夕朝食付",
                         "記念日プラン ～ケーキ付き～", "カップル限定 貸切風呂付プラン",
                         "【楽天限定】ポイント10倍 2食付", "ビジネスプラン（朝食付）"});
        dayPlans = encoded({"日帰り入浴プラン", "日帰り 昼食付プラン", "宴会プラン（日帰り）"});
        rooms = encoded({"桔梗", "萩", "紅葉", "松", "竹", "梅", "離れ 月見", "101号室", "102号室", "103号室",
                         "201号室", "202号室", "203号室", "205号室", "301号室", "302号室"});
        auto item = [](uint32_t key, const char *text, int lo, int hi, int step, int maxQty) {
            return Item{key, cp932::encode(QString::fromUtf8(text)), lo, hi, step, maxQty};
        };
        adult = {item(1601001, "大人宿泊料金", 9000, 28000, 500, 4), item(1601002, "大人宿泊料金", 8000, 20000, 500, 2)};
        child = {item(1601003, "子供宿泊料金", 5000, 14000, 500, 2),
                 item(1601004, "幼児(布･食あり)宿泊料金", 3000, 8000, 500, 1),
                 item(1601008, "乳児(布･食なし)宿泊料金", 0, 1000, 500, 1)};
        options = {item(1601101, "追加料理等オプション", 1500, 6000, 500, 2), item(1601102, "ビール", 800, 800, 1, 6),
                   item(1601103, "日本酒(1合)", 800, 800, 1, 4), item(1601104, "ワイン", 3000, 6000, 1000, 1),
                   item(1601105, "ジュース", 250, 250, 1, 4), item(1601106, "その他オプション", 300, 3000, 100, 2),
                   item(1106001, "電話代", 10, 300, 10, 1), item(1106002, "タバコ代", 250, 250, 1, 3)};
        dayUse = {item(1601801, "大人日帰り利用料金", 3000, 6000, 500, 6),
                  item(1601803, "子供日帰り利用料金", 1500, 3000, 500, 3)};
        service = item(1601990, "サービス料", 0, 0, 1, 1);
        discounts = {item(1602001, "じゃらんポイント利用", -5000, -500, 100, 1),
                     item(1602002, "楽天ポイント利用", -5000, -500, 100, 1),
                     item(1602004, "割引クーポン利用", -3000, -1000, 500, 1),
                     item(1602005, "その他値引き", -2000, -500, 100, 1)};
        deposits = {item(1105001, "ご予約金", 5000, 30000, 1000, 1), item(102001, "クーポン", 5000, 20000, 1000, 1),
                    item(102002, "楽天事前決済", 10000, 40000, 1000, 1)};
    }

    // Fills out with exactly count records.
    void generate(std::vector<TReserveData> &out, std::size_t count)
    {
        out.clear();
        out.reserve(count);
        // About 15 bills a day from 2009/04/01 on: a million records make 20 years.
        int64_t day = 14335;
        const double perDay = 15.0;
        const int64_t days = int64_t(double(count) / 7.0 / perDay) + 1;
        const int64_t today = day + days;
        for (; out.size() < count; ++day) {
            const int bills = std::max(1, int(perDay) + rng.between(-8, 8));
            for (int b = 0; b < bills && out.size() < count; ++b) {
                const std::size_t left = count - out.size();
                int lines = rng.chance(60) ? rng.between(3, 7) : rng.between(3, 12);
                if (left <= 12)
                    lines = int(left);
                else if (left - std::size_t(lines) < 3)
                    lines = int(left) - 3;
                addBill(out, day, today, lines);
            }
        }
    }

private:
    int price(const Item &it) { return it.lo + rng.below((it.hi - it.lo) / it.step + 1) * it.step; }
    const Item &pick(const std::vector<Item> &v) { return v[std::size_t(rng.below(int(v.size())))]; }

    uint32_t uniqueMeiNo(int64_t checkIn)
    {
        // Created when the booking came in, up to two months ahead, in office hours.
        int64_t secs = (checkIn - rng.between(0, 60)) * 86400 + rng.between(8 * 3600, 21 * 3600) - 32400;
        uint32_t n = uint32_t(secs);
        while (!meiNos.insert(n).second)
            ++n;
        return n;
    }

    void addBill(std::vector<TReserveData> &out, int64_t checkIn, int64_t today, int lines)
    {
        const bool dayVisit = rng.chance(10);
        const int nights = dayVisit ? 0 : (rng.chance(72) ? 1 : rng.chance(75) ? 2 : 3);
        const int64_t checkOut = checkIn + std::max(nights, 0);

        TReserveData h{};
        h.MeiNo = uniqueMeiNo(checkIn);
        if (checkOut < today - 2 || (checkOut <= today && rng.chance(50))) {
            put(h.Seisan, dateText(checkOut).c_str());
            const int r = rng.below(100);
            h.Decide = r < 70 ? 1 : r < 73 ? 2 : 0;
        }
        char regday[16];
        if (rng.chance(35))
            std::snprintf(regday, sizeof regday, "a%09u", unsigned(out.size() % 1000000000u));
        else
            std::snprintf(regday, sizeof regday, "%010llu",
                          static_cast<unsigned long long>(rng.next() % 10000000000ull));
        put(h.Regday, regday);
        const int who = rng.below(100);
        if (who < 80) {
            QByteArray name = surnames[std::size_t(rng.below(int(surnames.size())))];
            if (rng.chance(60))
                name += "\x81\x40" + givenNames[std::size_t(rng.below(int(givenNames.size())))]; // full-width space
            put(h.Name, name);
        } else if (who < 93) {
            put(h.Name, companies[std::size_t(rng.below(int(companies.size())))]);
        } else {
            put(h.Name, foreigners[std::size_t(rng.below(int(foreigners.size())))]);
        }
        const auto &planList = dayVisit ? dayPlans : plans;
        put(h.Plan, planList[std::size_t(rng.below(int(planList.size())))]);
        const QByteArray &room = rooms[std::size_t(rng.below(int(rooms.size())))];
        const QByteArray &room2 = rooms[std::size_t(rng.below(int(rooms.size())))];
        const bool twoRooms = !dayVisit && rng.chance(8);
        put(h.Room, room);
        h.Stay = uint8_t(nights);
        h.Stayx = 1;

        // Closing lines first, so that the ordinary lines fill what is left.
        std::vector<std::pair<const Item *, int>> closing;
        if (!dayVisit && rng.chance(12))
            closing.push_back({&service, 0});
        if (rng.chance(18)) {
            const Item &d = pick(discounts);
            closing.push_back({&d, price(d)});
        }
        if (rng.chance(22)) {
            const Item &d = pick(deposits);
            closing.push_back({&d, price(d)});
        }
        while (int(closing.size()) > lines - 2)
            closing.pop_back();
        const int ordinary = lines - int(closing.size());

        const std::size_t first = out.size();
        const int adults = rng.between(1, 4);
        const bool children = rng.chance(25);
        const int adultPrice = price(adult[0]);
        int64_t total = 0;
        for (int i = 0; i < ordinary; ++i) {
            TReserveData r = h;
            const int night = nights > 0 ? std::min(i / (children ? 2 : 1), nights - 1) : 0;
            const Item *it;
            int qty = 1;
            if (dayVisit) {
                it = i == 0 || !rng.chance(50) ? &dayUse[0] : &dayUse[1];
                qty = i == 0 ? adults : rng.between(1, it->maxQty);
                if (i > 1 && rng.chance(60)) {
                    it = &pick(options);
                    qty = rng.between(1, it->maxQty);
                }
            } else if (i < nights * (children ? 2 : 1)) {
                it = (children && i % 2 == 1) ? &child[std::size_t(rng.below(3))] : &adult[0];
                qty = it->key == 1601001 ? adults : rng.between(1, it->maxQty);
            } else {
                it = &pick(options);
                qty = rng.between(1, it->maxQty);
            }
            put(r.Rsvday, dateText(checkIn + (it->key < 1601101 ? night : rng.below(std::max(nights, 1)))).c_str());
            if (twoRooms && i % 2 == 1)
                put(r.Room, room2);
            r.Kubun = it->key;
            put(r.Kamoku, it->text);
            r.Tanka = it == &adult[0] ? adultPrice : price(*it);
            r.Suryou = qty;
            total += int64_t(r.Tanka) * qty;
            out.push_back(r);
        }
        for (auto [it, amount] : closing) {
            TReserveData r = h;
            std::memcpy(r.Rsvday, out[first].Rsvday, sizeof r.Rsvday);
            r.Kubun = it->key;
            put(r.Kamoku, it->text);
            r.Tanka = it == &service ? int32_t(total / 10) : it->key == 102002 ? int32_t(total) : amount;
            r.Suryou = 1;
            out.push_back(r);
        }
    }

    Rng rng;
    std::unordered_set<uint32_t> meiNos;
    std::vector<QByteArray> surnames, givenNames, companies, foreigners, plans, dayPlans, rooms;
    std::vector<Item> adult, child, options, dayUse, discounts, deposits;
    Item service;
};

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s RECORDS PATH [SEED]\n", argv[0]);
        return 2;
    }
    const long long count = std::atoll(argv[1]);
    if (count < 0) {
        std::fprintf(stderr, "%s: bad record count %s\n", argv[0], argv[1]);
        return 2;
    }
    const uint64_t seed = argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 20091201;

    std::vector<TReserveData> records;
    Generator(seed).generate(records, std::size_t(count));

    std::FILE *f = std::fopen(argv[2], "wb");
    if (!f) {
        std::perror(argv[2]);
        return 1;
    }
    const std::size_t written = std::fwrite(records.data(), sizeof(TReserveData), records.size(), f);
    if (written != records.size() || std::fclose(f) != 0) {
        std::perror(argv[2]);
        return 1;
    }
    return 0;
}
