#include "reports/month_dates.h"

#include <cstdio>
#include <cstring>

ReportMonth::ReportMonth(int year, int month)
{
    const QDate first(year, month, 1);
    if (year < 1 || year > 9999 || !first.isValid())
        return;
    y = year;
    m = month;
    days = first.daysInMonth();
    std::snprintf(prefix, sizeof prefix, "%04d/%02d/", year, month);
    std::memcpy(&key, prefix, 8);
}

QString ReportMonth::title() const
{
    return QStringLiteral("%1年%2月分").arg(y, 4, 10, QLatin1Char('0')).arg(m, 2, 10, QLatin1Char('0'));
}

QString weekdayName(const QDate &date)
{
    static const char16_t names[] = u"日月火水木金土";
    return QString(QChar(names[date.dayOfWeek() % 7]));
}
