#pragma once
// A month's running sum in checked arithmetic: a sum that would leave the
// 64-bit range is marked as overflowed instead of wrapping, and the report
// says so rather than show a wrong figure.

#include "reports/month_dates.h"

#include <QString>
#include <cstdint>

class MonthSum {
public:
    void add(int64_t v)
    {
        touched = true;
        if (__builtin_add_overflow(sum, v, &sum))
            over = true;
    }
    // Adds a * b, the amount of a line.
    void addProduct(int64_t a, int64_t b)
    {
        int64_t p;
        if (__builtin_mul_overflow(a, b, &p))
            over = true;
        else
            add(p);
        touched = true;
    }
    int64_t value() const { return sum; }
    bool overflowed() const { return over; }
    // True once anything was added, even 0: the cell then shows a figure.
    bool used() const { return touched; }
    // The cell text: the figure, or empty when nothing was added.
    QString cell() const { return touched ? QString::number(sum) : QString(); }

    static QString overflowMessage(const ReportMonth &month)
    {
        return QStringLiteral("%1の合計が大きすぎて集計できません。データを確認してください。").arg(month.title());
    }

private:
    int64_t sum = 0;
    bool over = false;
    bool touched = false;
};
