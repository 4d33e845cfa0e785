#include "reports/month_dates.h"

#include <cstdio>

ReportMonth::ReportMonth(int year, int month)
{
    const QDate first(year, month, 1);
    if (year < 1 || year > 9999 || !first.isValid())
        return;
    y = year;
    m = month;
    days = first.daysInMonth();
    std::snprintf(prefix, sizeof prefix, "%04d/%02d", year, month);
}

QString ReportMonth::title() const
{
    return QStringLiteral("%1年%2月分").arg(y, 4, 10, QLatin1Char('0')).arg(m, 2, 10, QLatin1Char('0'));
}

int ReportMonth::dayOf(const char *f, std::size_t size) const
{
    // Ten characters exactly: the eleventh byte, when the field has one, is the NUL.
    if (days == 0 || size < 10 || (size > 10 && f[10] != '\0'))
        return 0;
    for (int i = 0; i < 7; ++i)
        if (f[i] != prefix[i])
            return 0;
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (f[7] != '/' || !digit(f[8]) || !digit(f[9]))
        return 0;
    const int day = (f[8] - '0') * 10 + (f[9] - '0');
    return day >= 1 && day <= days ? day : 0;
}

QString weekdayName(const QDate &date)
{
    static const char16_t names[] = u"日月火水木金土";
    return QString(QChar(names[date.dayOfWeek() % 7]));
}
