#pragma once
// Builders for the month report tests: bill lines, card receivables and an
// item master, small enough to read in the test that uses them.

#include "storage/app_data.h"
#include "storage/cp932.h"

#include <QString>

struct Line {
    uint32_t bill;
    const char *seisan;
    uint32_t key;
    int32_t tanka;
    int32_t suryou;
    const char *text = "";
    const char *name = "";
    const char *rsvday = "";
};

inline TReserveData reserveLine(const Line &l)
{
    TReserveData r{};
    r.MeiNo = l.bill;
    setFieldText(r.Seisan, QString::fromUtf8(l.seisan));
    setFieldText(r.Rsvday, QString::fromUtf8(l.rsvday));
    setFieldText(r.Name, QString::fromUtf8(l.name));
    setFieldText(r.Kamoku, QString::fromUtf8(l.text));
    r.Kubun = l.key;
    r.Tanka = l.tanka;
    r.Suryou = l.suryou;
    return r;
}

inline TUrikakeData cardEntry(uint32_t bill, const char *seisan, uint32_t card, int32_t goukei,
                              const char *name = "")
{
    TUrikakeData u{};
    u.MeiNo = bill;
    setFieldText(u.Seisan, QString::fromUtf8(seisan));
    setFieldText(u.Name, QString::fromUtf8(name));
    u.Card = card;
    u.Goukei = goukei;
    return u;
}

// The default item master with its 50 blank entries per category, as loaded.
inline AppData monthData()
{
    AppData d;
    seedDefaultKamoku(d.KamokuList);
    for (auto &list : d.KamokuList)
        list.resize(list.size() + BlankKamokuEntries);
    d.BaseData.Nyutouzei = 150;
    return d;
}
