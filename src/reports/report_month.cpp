#include "reports/report_month.h"

namespace reports {

QString monthText(int year, int month)
{
    return QStringLiteral("%1/%2").arg(year, 4, 10, QLatin1Char('0')).arg(month, 2, 10, QLatin1Char('0'));
}

QString monthTitle(const QDate &date)
{
    return QStringLiteral("%1年%2月分")
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(date.month(), 2, 10, QLatin1Char('0'));
}

QString dayLabel(const QDate &date)
{
    static const char16_t names[] = u"日月火水木金土";
    return QString::number(date.day()) + QLatin1Char('(') + QChar(names[date.dayOfWeek() % 7])
        + QLatin1Char(')');
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

MonthFilter::MonthFilter(int year, int month)
{
    const QByteArray text = monthText(year, month).toLatin1();
    if (text.size() == 7)
        std::memcpy(prefix, text.constData(), 7);
    else
        std::memset(prefix, 0x7F, 7); // a year outside 0..9999 matches nothing
    days = QDate(year, month, 1).daysInMonth();
}

QString overflowMessage(int year, int month)
{
    return QStringLiteral("%1の集計は扱える金額の範囲を超えるため、表示できません。")
        .arg(monthTitle(QDate(year, month, 1)));
}

} // namespace reports
