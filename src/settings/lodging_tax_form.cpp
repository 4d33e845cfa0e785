#include "lodging_tax_form.h"

#include "controls/ime_mode.h"
#include "controls/text_guard.h"
#include "shell/message_box.h"
#include "storage/clock.h"
#include "storage/money_settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include <map>

namespace {

const QString kError = QStringLiteral("エラー");
// Bytes of the printed names: they stand in row 4's label beside the bathing tax.
constexpr int NameBytes = 20;
constexpr int NameEnBytes = 30;

QString yen(int v) { return QLocale(QLocale::Japanese).toString(v); }

// Only what a cell can hold can be typed: digits, and slashes in a date.
class TierDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QWidget *w = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto *e = qobject_cast<QLineEdit *>(w)) {
            static const char *const forms[] = {"[0-9/-]{0,10}", "[0-9]{0,9}", "[0-9]{0,6}"};
            if (index.column() < TLodgingTaxPage::ColUnit)
                e->setValidator(new QRegularExpressionValidator(
                    QRegularExpression(QString::fromLatin1(forms[index.column()])), e));
            ApplyImeMode(e, index.column() == TLodgingTaxPage::ColShares ? imHira : imDisable);
        }
        return w;
    }
};

// Why a cell's text cannot stand (percent: the row's unit); empty when it can.
QString cellProblem(int column, const QString &text, bool percent)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return {};
    bool ok = false;
    const qlonglong v = t.toLongLong(&ok);
    switch (column) {
    case TLodgingTaxPage::ColFrom:
        return moneyDate(t).isValid() ? QString()
                                      : QStringLiteral("宿泊税の適用開始日は yyyy/mm/dd の形で、正しい日付を入力してください");
    case TLodgingTaxPage::ColBound:
        return ok && v >= 0 && v <= TLodgingTax::MaxPrice
            ? QString()
            : QStringLiteral("宿泊税の料金の下限は0円から%1円までの整数で入力してください").arg(yen(TLodgingTax::MaxPrice));
    case TLodgingTaxPage::ColAmount:
        if (percent)
            return ok && v >= 0 && v <= 100 ? QString() : QStringLiteral("宿泊税の率は0%から100%までの整数で入力してください");
        return ok && v >= 0 && v <= TLodgingTax::MaxAmount
            ? QString()
            : QStringLiteral("宿泊税の金額は0円から%1円までの整数で入力してください").arg(yen(TLodgingTax::MaxAmount));
    case TLodgingTaxPage::ColShares: {
        std::vector<TLodgingShare> shares;
        return readLodgingShares(t, &shares);
    }
    default:
        return {};
    }
}

} // namespace

TLodgingTaxPage::TLodgingTaxPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("LodgingTaxPage"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    Enabled = new QCheckBox(QStringLiteral("宿泊税を計算する（請求書の宿泊の行から1人1泊ごとに計算し、立替金として請求します）"), this);
    Enabled->setObjectName(QStringLiteral("LodgingEnabled"));
    layout->addWidget(Enabled);

    auto *names = new QGroupBox(QStringLiteral("印刷名"), this);
    auto *form = new QFormLayout(names);
    Name = new QLineEdit(names);
    Name->setObjectName(QStringLiteral("LodgingName"));
    ApplyImeMode(Name, imHira);
    GuardTextEntry(Name, QStringLiteral("宿泊税の印刷名"), NameBytes);
    NameEn = new QLineEdit(names);
    NameEn->setObjectName(QStringLiteral("LodgingNameEn"));
    ApplyImeMode(NameEn, imDisable);
    GuardTextEntry(NameEn, QStringLiteral("宿泊税の英語の印刷名"), NameEnBytes);
    form->addRow(QStringLiteral("印刷名"), Name);
    form->addRow(QStringLiteral("印刷名(英語)"), NameEn);
    Reasons = new QLineEdit(names);
    Reasons->setObjectName(QStringLiteral("LodgingReasons"));
    ApplyImeMode(Reasons, imHira);
    Reasons->setToolTip(QStringLiteral("請求明細で免除の人泊に付ける理由。「,」で区切ります（例: 修学旅行,年齢,その他）"));
    form->addRow(QStringLiteral("免除の理由"), Reasons);
    layout->addWidget(names);

    auto *tiers = new QGroupBox(QStringLiteral("税額（適用開始日ごとに、1人1泊の料金の下限と税額）"), this);
    auto *t = new QVBoxLayout(tiers);
    Table = new QTableWidget(0, Columns, tiers);
    Table->setObjectName(QStringLiteral("LodgingTable"));
    Table->setHorizontalHeaderLabels({QStringLiteral("適用開始日"), QStringLiteral("料金の下限(円)"),
                                      QStringLiteral("税額"), QStringLiteral("単位"),
                                      QStringLiteral("1人1泊の料金に含めるもの（食事代は含めない）"),
                                      QStringLiteral("内訳（例: 町200+県100）")});
    Table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    Table->horizontalHeader()->setMinimumSectionSize(Table->fontMetrics().horizontalAdvance(QStringLiteral("999,999,999")) + 16);
    Table->verticalHeader()->setVisible(false);
    Table->setItemDelegate(new TierDelegate(Table));
    Table->setMinimumHeight(Table->fontMetrics().height() * 8);
    t->addWidget(Table);
    auto *buttons = new QHBoxLayout;
    auto *add = new QPushButton(QStringLiteral("行を追加"), tiers);
    add->setObjectName(QStringLiteral("LodgingAdd"));
    auto *remove = new QPushButton(QStringLiteral("行を削除"), tiers);
    remove->setObjectName(QStringLiteral("LodgingDelete"));
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addWidget(new QLabel(QStringLiteral("（同じ適用開始日の行が一つの期間です。閉じるときに日付と下限の順に並べます）"), tiers));
    buttons->addStretch();
    t->addLayout(buttons);
    layout->addWidget(tiers);
    layout->addStretch();

    connect(add, &QPushButton::clicked, this, [this] {
        // A new row continues the period above it, or starts one today.
        const int last = Table->rowCount() - 1;
        const QString from = last >= 0 && Table->item(last, ColFrom) ? Table->item(last, ColFrom)->text()
                                                                     : moneyDateText(Clock::now().date());
        const auto *basis = last >= 0 ? qobject_cast<QComboBox *>(Table->cellWidget(last, ColBasis)) : nullptr;
        addRow(from, QString(), QString(), false, basis ? LodgingBasis(basis->currentIndex()) : LodgingBasis::Room);
        Table->setCurrentCell(Table->rowCount() - 1, ColBound);
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        if (Table->currentRow() >= 0)
            Table->removeRow(Table->currentRow());
    });
    connect(Table, &QTableWidget::itemChanged, this, &TLodgingTaxPage::cellChanged);
}

void TLodgingTaxPage::addRow(const QString &from, const QString &bound, const QString &amount, bool percent,
                             LodgingBasis basis, const QString &shares)
{
    Checking = true;
    const int row = Table->rowCount();
    Table->insertRow(row);
    const QString texts[] = {from, bound, amount};
    for (int c = 0; c < ColUnit; ++c) {
        auto *item = new QTableWidgetItem(texts[c]);
        item->setData(Qt::UserRole, texts[c]); // the last accepted text
        if (c != ColFrom)
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        Table->setItem(row, c, item);
    }
    auto *unit = new QComboBox(Table);
    unit->setObjectName(QStringLiteral("LodgingUnit"));
    unit->addItems({QStringLiteral("円"), QStringLiteral("%")});
    unit->setCurrentIndex(percent ? 1 : 0);
    unit->setProperty("accepted", unit->currentIndex());
    connect(unit, &QComboBox::currentIndexChanged, this, [this, unit] { unitChanged(unit); });
    Table->setCellWidget(row, ColUnit, unit);
    auto *counted = new QComboBox(Table);
    counted->setObjectName(QStringLiteral("LodgingBasis"));
    counted->addItems({QStringLiteral("宿泊料金のみ"), QStringLiteral("宿泊料金＋サービス料"),
                       QStringLiteral("宿泊料金＋サービス料＋消費税")});
    counted->setCurrentIndex(int(basis));
    connect(counted, &QComboBox::currentIndexChanged, this, [this, counted] { basisChanged(counted); });
    Table->setCellWidget(row, ColBasis, counted);
    auto *split = new QTableWidgetItem(shares);
    split->setData(Qt::UserRole, shares);
    Table->setItem(row, ColShares, split);
    Checking = false;
}

void TLodgingTaxPage::basisChanged(QComboBox *basis)
{
    if (Checking)
        return;
    // One period counts its price one way: the rows of its start date follow.
    int row = -1;
    for (int r = 0; r < Table->rowCount(); ++r)
        if (Table->cellWidget(r, ColBasis) == basis)
            row = r;
    const QString from = row >= 0 && Table->item(row, ColFrom) ? Table->item(row, ColFrom)->text() : QString();
    Checking = true;
    for (int r = 0; r < Table->rowCount(); ++r)
        if (auto *other = qobject_cast<QComboBox *>(Table->cellWidget(r, ColBasis));
            other && Table->item(r, ColFrom) && Table->item(r, ColFrom)->text() == from)
            other->setCurrentIndex(basis->currentIndex());
    Checking = false;
}

int TLodgingTaxPage::rowOfUnit(const QComboBox *unit) const
{
    for (int r = 0; r < Table->rowCount(); ++r)
        if (Table->cellWidget(r, ColUnit) == unit)
            return r;
    return -1;
}

void TLodgingTaxPage::cellChanged(QTableWidgetItem *item)
{
    if (Checking || item->column() == ColUnit || item->column() == ColBasis)
        return;
    const auto *unit = qobject_cast<QComboBox *>(Table->cellWidget(item->row(), ColUnit));
    const QString problem = cellProblem(item->column(), item->text(), unit && unit->currentIndex() == 1);
    Checking = true;
    if (problem.isEmpty()) {
        QString t = item->text().trimmed();
        if (item->column() == ColFrom && !t.isEmpty()) {
            t = moneyDateText(moneyDate(t)); // 2026-3-1 is shown as it is stored
        } else if (item->column() == ColShares) {
            std::vector<TLodgingShare> shares;
            readLodgingShares(t, &shares);
            t = lodgingSharesText(shares);
        } else if (!t.isEmpty())
            t = QString::number(t.toLongLong()); // no leading zeros
        item->setText(t);
        item->setData(Qt::UserRole, t);
    } else {
        item->setText(item->data(Qt::UserRole).toString());
    }
    Checking = false;
    if (!problem.isEmpty())
        ShowMessage(this, kError, problem);
}

void TLodgingTaxPage::unitChanged(QComboBox *unit)
{
    if (Checking)
        return;
    const int row = rowOfUnit(unit);
    const QTableWidgetItem *amount = row >= 0 ? Table->item(row, ColAmount) : nullptr;
    const QString problem = amount ? cellProblem(ColAmount, amount->text(), unit->currentIndex() == 1) : QString();
    if (problem.isEmpty()) {
        unit->setProperty("accepted", unit->currentIndex());
        return;
    }
    Checking = true;
    unit->setCurrentIndex(unit->property("accepted").toInt());
    Checking = false;
    ShowMessage(this, kError, problem);
}

void TLodgingTaxPage::fill(const TLodgingTax &tax)
{
    Enabled->setChecked(tax.Enabled);
    Name->setText(tax.Name);
    NameEn->setText(tax.NameEn);
    Reasons->setText(tax.ExemptReasons.join(QLatin1Char(',')));
    Table->setRowCount(0);
    for (const TLodgingPeriod &p : tax.Periods) {
        const QString from = moneyDateText(p.From);
        if (p.Tiers.empty())
            addRow(from, QString(), QString(), false, p.Basis); // no tax from that date
        for (const TLodgingTier &t : p.Tiers)
            addRow(from, QString::number(t.From), QString::number(t.Amount), t.Percent, p.Basis,
                   lodgingSharesText(t.Shares));
    }
}

QString TLodgingTaxPage::read(TLodgingTax *tax) const
{
    TLodgingTax read = *tax;
    read.Enabled = Enabled->isChecked();
    read.Name = Name->text().trimmed();
    read.NameEn = NameEn->text().trimmed();
    if (const QString p = readLodgingExemptReasons(Reasons->text(), &read.ExemptReasons); !p.isEmpty())
        return p;
    // Rows of one start date make one period; within it the tiers go by bound.
    std::map<QDate, TLodgingPeriod> periods;
    for (int row = 0; row < Table->rowCount(); ++row) {
        const auto text = [&](int col) { return Table->item(row, col) ? Table->item(row, col)->text().trimmed() : QString(); };
        const auto *unit = qobject_cast<QComboBox *>(Table->cellWidget(row, ColUnit));
        const bool percent = unit && unit->currentIndex() == 1;
        if (text(ColFrom).isEmpty() && text(ColBound).isEmpty() && text(ColAmount).isEmpty())
            continue; // a row added and left empty
        const QDate from = moneyDate(text(ColFrom));
        if (!from.isValid())
            return QStringLiteral("宿泊税の%1行目の適用開始日を yyyy/mm/dd の形で入力してください").arg(row + 1);
        for (int c : {ColBound, ColAmount, ColShares})
            if (const QString p = cellProblem(c, text(c), percent); !p.isEmpty())
                return p + QStringLiteral("（%1行目）").arg(row + 1);
        TLodgingPeriod &p = periods[from];
        if (!p.From.isValid()) { // the period's first row says how its price is counted
            const auto *basis = qobject_cast<QComboBox *>(Table->cellWidget(row, ColBasis));
            p.Basis = basis ? LodgingBasis(basis->currentIndex()) : LodgingBasis::Room;
        }
        p.From = from;
        if (text(ColBound).isEmpty() && text(ColAmount).isEmpty())
            continue; // the date alone: no tax from then on
        if (text(ColAmount).isEmpty())
            return QStringLiteral("宿泊税の%1行目の税額を入力してください").arg(row + 1);
        TLodgingTier tier{text(ColBound).toInt(), text(ColAmount).toInt(), percent, {}};
        readLodgingShares(text(ColShares), &tier.Shares);
        p.Tiers.push_back(tier);
    }
    read.Periods.clear();
    for (auto &[date, p] : periods) {
        std::stable_sort(p.Tiers.begin(), p.Tiers.end(),
                         [](const TLodgingTier &a, const TLodgingTier &b) { return a.From < b.From; });
        read.Periods.push_back(p);
    }
    if (const QString problem = checkLodgingTax(read); !problem.isEmpty())
        return problem;
    *tax = read;
    return {};
}
