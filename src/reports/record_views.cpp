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

template <class T, class Cells>
MonthGrid recordsGrid(const RecordList<T> &list, QStringList headings, Cells cells)
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

QStringList reserveRecordCells(const TReserveData &r)
{
    return {QString::number(r.MeiNo),
            fieldText(r.Seisan),
            fieldText(r.Regday),
            fieldText(r.Rsvday),
            fieldText(r.Name),
            fieldText(r.Plan),
            fieldText(r.Room),
            QString::number(r.Stay),
            QString::number(r.Stayx),
            r.Decide == 1 ? QStringLiteral("true") : QStringLiteral("false"),
            QString::number(r.Kubun),
            fieldText(r.Kamoku),
            QString::number(r.Tanka),
            QString::number(r.Suryou)};
}

MonthGrid reserveRecordsGrid(const RecordList<TReserveData> &list)
{
    return recordsGrid(list, reserveRecordHeadings(), reserveRecordCells);
}

QStringList urikakeRecordHeadings()
{
    return padded({"MeiNo", "Seisan", "Name", "Card", "Goukei"});
}

QStringList urikakeRecordCells(const TUrikakeData &u)
{
    return {QString::number(u.MeiNo), fieldText(u.Seisan), fieldText(u.Name), QString::number(u.Card),
            QString::number(u.Goukei)};
}

MonthGrid urikakeRecordsGrid(const RecordList<TUrikakeData> &list)
{
    return recordsGrid(list, urikakeRecordHeadings(), urikakeRecordCells);
}
