#pragma once
// What the backup-generation tests share: the program's clock held at a
// moment for a scope, and a settled one-line bill.

#include "storage/clock.h"
#include "storage/records.h"

#include <QDateTime>
#include <cstdint>
#include <cstring>

struct FixedClock {
    explicit FixedClock(const QDateTime &t) { Clock::setFixed(t); }
    ~FixedClock() { Clock::setFixed({}); }
};

// A line of bill meiNo for ¥1,000 on 2026/03/01, settled on seisan.
inline TReserveData billLine(uint32_t meiNo, const char *seisan)
{
    TReserveData r{};
    r.MeiNo = meiNo;
    std::strncpy(r.Seisan, seisan, sizeof r.Seisan);
    std::strncpy(r.Rsvday, "2026/03/01", sizeof r.Rsvday);
    r.Tanka = 1000;
    r.Suryou = 1;
    return r;
}
