#include "reports/debug_form.h"

#include "controls/string_grid_ex.h"
#include "reports/record_views.h"
#include "shell/front_desk.h"

TdebugForm::TdebugForm(FrontDesk &desk, QWidget *parent)
    : TMonthWindow(desk, QStringLiteral("debugForm"), QStringLiteral("debug"), true, false, parent)
{
    // The print button is there, as in the other month windows, and does nothing.
    addToTop(new QWidget(this), 1);
    QList<MonthGridColumn> columns;
    for (int w : {37, 89, 100, 86, 70, 69, 71, 70, 68, 81, 50, 50, 50, 50})
        columns.append({w, taLeftJustify, ""});
    setColumns(reserveRecordHeadings(), columns);
    // A million lines would be fourteen million texts held: each is made when painted.
    setLazyRows([this] { return int(Desk.data().ReserveList.size()); },
                [this](int col, int row) {
                    const RecordList<TReserveData> &list = Desk.data().ReserveList;
                    return size_t(row) < list.size() ? reserveRecordCell(list[size_t(row)], col) : QString();
                });
    resize(sizeHint());
    Refresh();
}

MonthGrid TdebugForm::compute()
{
    return {reserveRecordHeadings(), {}, {}};
}

TdebuguriForm::TdebuguriForm(FrontDesk &desk, QWidget *parent)
    : TMonthWindow(desk, QStringLiteral("debuguriForm"), QStringLiteral("debug"), true, false, parent)
{
    addToTop(new QWidget(this), 1);
    QList<MonthGridColumn> columns;
    for (int w : {37, 89, 100, 86, 70})
        columns.append({w, taLeftJustify, ""});
    setColumns(urikakeRecordHeadings(), columns);
    setLazyRows([this] { return int(Desk.data().UrikakeList.size()); },
                [this](int col, int row) {
                    const RecordList<TUrikakeData> &list = Desk.data().UrikakeList;
                    return size_t(row) < list.size() ? urikakeRecordCell(list[size_t(row)], col) : QString();
                });
    resize(sizeHint());
    Refresh();
}

MonthGrid TdebuguriForm::compute()
{
    return {urikakeRecordHeadings(), {}, {}};
}
