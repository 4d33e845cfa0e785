#include "reports/item_sales.h"

#include "reports/month_dates.h"
#include "reports/month_sum.h"
#include "storage/cp932.h"

#include <QHash>

QStringList itemSalesCategoryNames()
{
    return {QStringLiteral("宿泊費明細"), QStringLiteral("オプション明細"), QStringLiteral("日帰り明細")};
}

QStringList itemSalesHeadings()
{
    return {QStringLiteral("科目コード"), QStringLiteral("項目"), QStringLiteral("数量"), QStringLiteral("金額")};
}

MonthGrid itemSalesMonth(const AppData &data, const ReportMonth &month, int category)
{
    MonthGrid grid;
    grid.headings = itemSalesHeadings();
    if (!month.isValid()) {
        grid.error = QStringLiteral("集計する月が正しくありません。");
        return grid;
    }
    if (category < 0 || category >= ItemSalesCategories) {
        grid.error = QStringLiteral("集計する区分が正しくありません（0 宿泊費明細、1 オプション明細、2 日帰り明細）。");
        return grid;
    }

    struct Row {
        uint32_t key;
        QString name;
        MonthSum quantity, amount;
    };
    std::vector<Row> rows;
    QHash<uint32_t, size_t> rowOfKey; // the first listed entry of a key takes its lines
    for (const THojoKamoku &k : data.KamokuList[size_t(category)]) {
        if (k.Tekiyo[0] == '\0')
            continue;
        rows.push_back({itemKey(k), fieldText(k.Tekiyo), {}, {}});
    }
    for (size_t i = rows.size(); i-- > 0;)
        rowOfKey.insert(rows[i].key, i);

    MonthSum quantity, amount;
    for (const RecordDateIndex::Line &settled : data.ReserveList.settlementDates().month(month.year(), month.month())) {
        const TReserveData &r = data.ReserveList[settled.index];
        const auto it = rowOfKey.constFind(r.Kubun);
        if (it == rowOfKey.constEnd())
            continue;
        Row &row = rows[*it];
        row.quantity.add(r.Suryou);
        row.amount.addProduct(r.Tanka, r.Suryou);
        quantity.add(r.Suryou);
        amount.addProduct(r.Tanka, r.Suryou);
    }
    bool overflowed = quantity.overflowed() || amount.overflowed();
    for (const Row &row : rows)
        overflowed = overflowed || row.quantity.overflowed() || row.amount.overflowed();
    if (overflowed) {
        grid.error = MonthSum::overflowMessage(month);
        return grid;
    }

    grid.rows.reserve(rows.size() + 1);
    for (const Row &row : rows)
        grid.rows.push_back({QString::number(row.key), row.name, row.quantity.cell(), row.amount.cell()});
    grid.rows.push_back({QString(), QStringLiteral("合計"), quantity.cell(), amount.cell()});
    blankZeroCells(grid, {2, 3}); // quantity and amount are shown through a picture
    return grid;
}
