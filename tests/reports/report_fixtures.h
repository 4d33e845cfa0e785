#pragma once
// Builders for the month report tests: bill lines with bill number, dates,
// item, price and quantity; receivables; settings; and grid cell access.

#include "reports/getuji.h"
#include "reports/month_grid.h"
#include "reports/nyutouzei.h"
#include "storage/app_data.h"
#include "storage/cp932.h"
#include "storage/record_list.h"
#include "storage/records.h"

#include <QString>
#include <initializer_list>
#include <ostream>

inline TReserveData billLine(uint32_t meiNo, const char *seisan, const char *rsvday, uint32_t kubun,
                             int32_t tanka, int32_t suryou)
{
    TReserveData r{};
    r.MeiNo = meiNo;
    setFieldText(r.Seisan, QString::fromUtf8(seisan));
    setFieldText(r.Rsvday, QString::fromUtf8(rsvday));
    r.Kubun = kubun;
    r.Tanka = tanka;
    r.Suryou = suryou;
    return r;
}

inline TUrikakeData receivable(uint32_t meiNo, const char *seisan, uint32_t card, int32_t goukei)
{
    TUrikakeData u{};
    u.MeiNo = meiNo;
    setFieldText(u.Seisan, QString::fromUtf8(seisan));
    u.Card = card;
    u.Goukei = goukei;
    return u;
}

inline RecordList<TReserveData> lineList(std::initializer_list<TReserveData> lines)
{
    RecordList<TReserveData> list;
    list.assign(lines.begin(), lines.end());
    return list;
}

inline RecordList<TUrikakeData> receivableList(std::initializer_list<TUrikakeData> entries)
{
    RecordList<TUrikakeData> list;
    list.assign(entries.begin(), entries.end());
    return list;
}

// Bathing tax 150 per night and 100 per day-use guest; the kinds given as
// ServiceKubun, Nyutou_Kubun, TaxKubun (0 included, 1 separate/added).
inline TBaseData reportSettings(uint8_t service = 1, uint8_t bath = 1, uint8_t tax = 1)
{
    TBaseData b{};
    b.Nyutouzei = 150;
    b.DayNyutouzei = 100;
    b.ServiceKubun = service;
    b.Nyutou_Kubun = bath;
    b.TaxKubun = tax;
    return b;
}

inline AppData reportData(const RecordList<TReserveData> &lines, const RecordList<TUrikakeData> &cards,
                          const TBaseData &base)
{
    AppData d;
    d.ReserveList = lines;
    d.UrikakeList = cards;
    d.BaseData = base;
    return d;
}

inline MonthGrid bathing(const RecordList<TReserveData> &lines, const TBaseData &base, int year, int month)
{
    return nyutouzeiMonth(reportData(lines, {}, base), ReportMonth(year, month));
}

inline MonthGrid sales(const RecordList<TReserveData> &lines, const RecordList<TUrikakeData> &cards,
                       const TBaseData &base, int year, int month, QStringList *carried = nullptr)
{
    return getujiMonth(reportData(lines, cards, base), ReportMonth(year, month), carried);
}

// Cell of a grid row below the headings; "?" outside the grid.
inline QString cell(const MonthGrid &g, int row, int col)
{
    if (row < 0 || row >= int(g.rows.size()) || col < 0 || col >= g.rows[row].size())
        return QStringLiteral("?");
    return g.rows[row][col];
}

// Readable QString values in test failures.
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
