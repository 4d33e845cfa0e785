#include "reports/record_views.h"

#include "storage/cp932.h"

namespace {

QStringList padded(std::initializer_list<const char *> names)
{
    QStringList out;
    for (const char *n : names)
        out << QString::fromLatin1(n).leftJustified(6, QLatin1Char('_'));
    return out;
}

template <class T>
QStringList recordCells(const T &r, int columns, QString (*cell)(const T &, int))
{
    QStringList out;
    out.reserve(columns);
    for (int c = 0; c < columns; ++c)
        out << cell(r, c);
    return out;
}

template <class T>
MonthGrid recordsGrid(const RecordList<T> &list, QStringList headings, QStringList (*cells)(const T &))
{
    MonthGrid grid;
    grid.headings = std::move(headings);
    grid.rows.reserve(list.size());
    for (const T &r : list)
        grid.rows.push_back(cells(r));
    return grid;
}

} // namespace

QStringList reserveRecordHeadings()
{
    return padded({"MeiNo", "Seisan", "Regday", "Rsvday", "Name", "Plan", "Room", "Stay", "Stayx", "Decide",
                   "Kubun", "Kamoku", "Tanka", "Suryou"});
}

QString reserveRecordCell(const TReserveData &r, int col)
{
    switch (col) {
    case 0: return QString::number(r.MeiNo);
    case 1: return fieldText(r.Seisan);
    case 2: return fieldText(r.Regday);
    case 3: return fieldText(r.Rsvday);
    case 4: return fieldText(r.Name);
    case 5: return fieldText(r.Plan);
    case 6: return fieldText(r.Room);
    case 7: return QString::number(r.Stay);
    case 8: return QString::number(r.Stayx);
    case 9: return r.Decide == 1 ? QStringLiteral("true") : QStringLiteral("false");
    case 10: return QString::number(r.Kubun);
    case 11: return fieldText(r.Kamoku);
    case 12: return QString::number(r.Tanka);
    case 13: return QString::number(r.Suryou);
    default: return QString();
    }
}

QStringList reserveRecordCells(const TReserveData &r)
{
    return recordCells(r, ReserveRecordColumns, reserveRecordCell);
}

MonthGrid reserveRecordsGrid(const RecordList<TReserveData> &list)
{
    return recordsGrid(list, reserveRecordHeadings(), reserveRecordCells);
}

QStringList urikakeRecordHeadings()
{
    return padded({"MeiNo", "Seisan", "Name", "Card", "Goukei"});
}

QString urikakeRecordCell(const TUrikakeData &u, int col)
{
    switch (col) {
    case 0: return QString::number(u.MeiNo);
    case 1: return fieldText(u.Seisan);
    case 2: return fieldText(u.Name);
    case 3: return QString::number(u.Card);
    case 4: return QString::number(u.Goukei);
    default: return QString();
    }
}

QStringList urikakeRecordCells(const TUrikakeData &u)
{
    return recordCells(u, UrikakeRecordColumns, urikakeRecordCell);
}

MonthGrid urikakeRecordsGrid(const RecordList<TUrikakeData> &list)
{
    return recordsGrid(list, urikakeRecordHeadings(), urikakeRecordCells);
}
