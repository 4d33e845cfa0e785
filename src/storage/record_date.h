#pragma once
// What a record's date field holds: "yyyy/mm/dd" and the NUL after it, a
// real day of the years 1 to 9999. Anything else (empty, malformed, an
// impossible day) is no date. The reservation list, the month reports and
// the bill lines' index all read dates by this one rule.

#include <cstdint>
#include <cstring>

struct FieldDate {
    int year = 0, month = 0, day = 0; // all zero for no date
    bool isValid() const { return day != 0; }
};

namespace record_date {

constexpr int daysInMonth(int year, int month)
{
    constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

inline unsigned digit(char c) { return unsigned(static_cast<unsigned char>(c)) - '0'; }

// Reads date fields packed as month key (year * 12 + month - 1) << 5 | day,
// 0 for no date. Fields read one after another mostly share their month, so
// the "yyyy/mm/" part read last is kept and only a different one is read
// again.
struct Reader {
    uint64_t head = 0;
    bool read = false;
    uint32_t key = 0;
    unsigned days = 0; // 0: the part is no month

    uint32_t packed(const char (&f)[11])
    {
        uint64_t h;
        std::memcpy(&h, f, sizeof h);
        if (!read || h != head) {
            read = true;
            head = h;
            days = 0;
            const unsigned y0 = digit(f[0]), y1 = digit(f[1]), y2 = digit(f[2]), y3 = digit(f[3]);
            const unsigned m0 = digit(f[5]), m1 = digit(f[6]);
            if (y0 <= 9 && y1 <= 9 && y2 <= 9 && y3 <= 9 && f[4] == '/' && m0 <= 9 && m1 <= 9 && f[7] == '/') {
                const int year = int(((y0 * 10 + y1) * 10 + y2) * 10 + y3);
                const int month = int(m0 * 10 + m1);
                if (year >= 1 && month >= 1 && month <= 12) {
                    key = uint32_t(year * 12 + month - 1);
                    days = unsigned(daysInMonth(year, month));
                }
            }
        }
        if (days == 0 || f[10] != '\0')
            return 0;
        const unsigned hi = digit(f[8]), lo = digit(f[9]);
        if (hi > 9 || lo > 9)
            return 0;
        const unsigned day = hi * 10 + lo;
        return day >= 1 && day <= days ? key << 5 | day : 0;
    }
};

} // namespace record_date

inline FieldDate fieldDate(const char (&field)[11])
{
    const uint32_t p = record_date::Reader().packed(field);
    if (p == 0)
        return {};
    const int key = int(p >> 5);
    return {key / 12, key % 12 + 1, int(p & 31)};
}
