#include "reports/report_month.h"

namespace reports {

QString dayLabel(const QDate &date)
{
    return QString::number(date.day()) + QLatin1Char('(') + weekdayName(date) + QLatin1Char(')');
}

QString rowLabel(const ReportMonth &month, int r)
{
    if (r == TotalsRow)
        return QStringLiteral("合計");
    return r < month.dayCount() ? dayLabel(month.date(r + 1)) : QString();
}

QDateTime stepMonth(const QDateTime &shown, int delta)
{
    // addMonths keeps the time and clamps the day (03/31 back is 02/28 or 29).
    return shown.addMonths(delta);
}

bool forwardAllowed(const QDateTime &shown, const QDateTime &now)
{
    const QDate s = shown.date(), n = now.date();
    return s.year() * 12 + s.month() < n.year() * 12 + n.month();
}

} // namespace reports
