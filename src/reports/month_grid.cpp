#include "reports/month_grid.h"

namespace {

void appendField(QByteArray &out, const QString &field)
{
    const QByteArray utf8 = field.toUtf8();
    const bool quote = utf8.contains(',') || utf8.contains('"') || utf8.contains('\n')
        || utf8.contains('\r');
    if (!quote) {
        out += utf8;
        return;
    }
    out += '"';
    for (char c : utf8) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

void appendLine(QByteArray &out, const QStringList &fields)
{
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += ',';
        appendField(out, fields[i]);
    }
    out += "\r\n";
}

} // namespace

QByteArray monthGridCsv(const MonthGrid &grid)
{
    QByteArray out("\xEF\xBB\xBF");
    appendLine(out, grid.headings);
    for (const QStringList &row : grid.rows)
        appendLine(out, row);
    return out;
}

void blankZeroCells(MonthGrid &grid, std::initializer_list<int> columns)
{
    for (QStringList &row : grid.rows)
        for (int c : columns)
            if (c < row.size() && row[c] == QLatin1String("0"))
                row[c].clear();
}
