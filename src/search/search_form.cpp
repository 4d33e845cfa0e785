#include "search/search_form.h"

#include "billing/meisai_form.h"
#include "printing/print_form.h"
#include "reports/month_bar_form.h"
#include "shell/front_desk.h"
#include "shell/register_session.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The value a column sorts by: numbers and dates as numbers, texts as shown.
bool lessIn(const BillIndex &index, const ReceiptCounts &receipts, int column, const BillEntry &a, const BillEntry &b)
{
    switch (column) {
    case FindColReceipts: return receipts.of(a.MeiNo) < receipts.of(b.MeiNo);
    case FindColMeiNo: return a.MeiNo < b.MeiNo;
    case FindColFirstNight: return a.firstNight < b.firstNight;
    case FindColNights: return a.nights < b.nights;
    case FindColName: return index.names().key(a.name) < index.names().key(b.name);
    case FindColPlan: return index.plans().text(a.plan) < index.plans().text(b.plan);
    case FindColRoom: return index.rooms().text(a.room) < index.rooms().text(b.room);
    case FindColTotal: return a.total < b.total;
    case FindColSettled: return a.settled < b.settled;
    default: return false;
    }
}

QDate typedDate(const QString &text, bool *ok)
{
    const QString t = text.trimmed();
    *ok = true;
    if (t.isEmpty())
        return {};
    for (const char *format : {"yyyy/M/d", "yyyy-M-d", "yyyyMMdd"}) {
        const QDate d = QDate::fromString(t, QLatin1String(format));
        if (d.isValid())
            return d;
    }
    *ok = false;
    return {};
}

} // namespace

void TBillFoundModel::setBills(const BillIndex *index, const ReceiptCounts *receipts, std::vector<BillEntry> bills)
{
    beginResetModel();
    Index = index;
    Receipts = receipts;
    Bills = std::move(bills);
    endResetModel();
}

int TBillFoundModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(Bills.size()); }

int TBillFoundModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : FindColumns; }

QVariant TBillFoundModel::data(const QModelIndex &index, int role) const
{
    if (!Index || !Receipts || !index.isValid() || std::size_t(index.row()) >= Bills.size())
        return {};
    const int c = index.column();
    if (role == Qt::TextAlignmentRole) {
        const bool number = c == FindColMeiNo || c == FindColNights || c == FindColTotal || c == FindColReceipts;
        return QVariant::fromValue(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
    }
    if (role != Qt::DisplayRole)
        return {};
    const BillEntry &b = Bills[std::size_t(index.row())];
    if (c == FindColTotal)
        return QLocale(QLocale::Japanese).toString(qlonglong(b.total));
    return billSearchCells(*Index, b, *Receipts).value(c);
}

QVariant TBillFoundModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return billSearchHeadings().value(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

void TBillFoundModel::sort(int column, Qt::SortOrder order)
{
    if (!Index || !Receipts)
        return;
    beginResetModel();
    const BillIndex &index = *Index;
    const ReceiptCounts &receipts = *Receipts;
    std::stable_sort(Bills.begin(), Bills.end(), [&](const BillEntry &a, const BillEntry &b) {
        return order == Qt::AscendingOrder ? lessIn(index, receipts, column, a, b) : lessIn(index, receipts, column, b, a);
    });
    endResetModel();
}

TSearchForm::TSearchForm(FrontDesk &desk, QWidget *parent) : QWidget(parent), Desk(desk)
{
    setObjectName(QStringLiteral("SearchForm"));
    setWindowTitle(QStringLiteral("検索"));
    setAttribute(Qt::WA_DeleteOnClose);

    const auto edit = [this](const char *name, const QString &hint) {
        auto *e = new QLineEdit(this);
        e->setObjectName(QLatin1String(name));
        e->setPlaceholderText(hint);
        e->setClearButtonEnabled(true);
        connect(e, &QLineEdit::textChanged, this, &TSearchForm::Find);
        return e;
    };
    FindEdit = edit("FindEdit", QStringLiteral("お名前（ひらがな・カタカナ・ローマ字、どの書き方でも）"));
    BillNoEdit = edit("BillNoEdit", QStringLiteral("請求番号"));
    RoomEdit = edit("RoomEdit", QStringLiteral("部屋"));
    FromEdit = edit("FromEdit", QStringLiteral("2026/01/01"));
    ToEdit = edit("ToEdit", QStringLiteral("2026/12/31"));
    MinEdit = edit("MinEdit", QStringLiteral("下限"));
    MaxEdit = edit("MaxEdit", QStringLiteral("上限"));
    const auto combo = [this](const char *name, const QStringList &items) {
        auto *c = new QComboBox(this);
        c->setObjectName(QLatin1String(name));
        c->addItems(items);
        connect(c, &QComboBox::currentIndexChanged, this, &TSearchForm::Find);
        return c;
    };
    DateKind = combo("DateKind", {QStringLiteral("宿泊日"), QStringLiteral("清算日")});
    StateCombo = combo("StateCombo", {QStringLiteral("すべて"), QStringLiteral("未清算"), QStringLiteral("清算済")});
    CardCombo = combo("CardCombo", {QStringLiteral("すべて")});
    ReceiptCombo = combo("ReceiptCombo", {QStringLiteral("すべて"), QStringLiteral("発行済"), QStringLiteral("未発行")});
    for (const auto &[key, name] : cardCompanies(Desk.data()))
        CardCombo->addItem(name, key);

    CountLabel = new QLabel(this);
    CountLabel->setObjectName(QStringLiteral("CountLabel"));
    CsvButton = makeCsvButton(this);
    CsvButton->setToolTip(QStringLiteral("見つかった請求をCSVファイルに保存します"));
    connect(CsvButton, &QPushButton::clicked, this, &TSearchForm::CsvButtonClick);
    ReissueButton = new QPushButton(QStringLiteral("領収書を再発行(&R)"), this);
    ReissueButton->setObjectName(QStringLiteral("ReissueButton"));
    ReissueButton->setToolTip(QStringLiteral("選んだ請求の領収書を、再発行の印を付けてプレビューに出します"));
    connect(ReissueButton, &QPushButton::clicked, this, &TSearchForm::ReissueClick);

    Model = new TBillFoundModel(this);
    View = new QTableView(this);
    View->setObjectName(QStringLiteral("ResultGrid"));
    View->setModel(Model);
    View->setSelectionBehavior(QAbstractItemView::SelectRows);
    View->setSelectionMode(QAbstractItemView::SingleSelection);
    View->setEditTriggers(QAbstractItemView::NoEditTriggers);
    View->setSortingEnabled(true);
    View->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    View->horizontalHeader()->setStretchLastSection(true);
    View->verticalHeader()->hide();
    View->installEventFilter(this);
    // Only a bill whose receipt was issued has one to reissue.
    connect(View->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex &current) {
        const bool issued = current.isValid() && Receipts.of(Model->bills()[std::size_t(current.row())].MeiNo) > 0;
        ReissueButton->setEnabled(issued);
    });
    connect(View, &QTableView::doubleClicked, this, [this](const QModelIndex &i) { OpenRow(i.row()); });
    FindEdit->installEventFilter(this);

    auto *filters = new QGridLayout;
    const auto label = [this](const QString &text, QWidget *buddy) {
        auto *l = new QLabel(text, this);
        l->setBuddy(buddy);
        return l;
    };
    filters->addWidget(label(QStringLiteral("名前(&N)"), FindEdit), 0, 0);
    filters->addWidget(FindEdit, 0, 1, 1, 5);
    filters->addWidget(label(QStringLiteral("請求番号"), BillNoEdit), 1, 0);
    filters->addWidget(BillNoEdit, 1, 1);
    filters->addWidget(label(QStringLiteral("部屋"), RoomEdit), 1, 2);
    filters->addWidget(RoomEdit, 1, 3);
    filters->addWidget(label(QStringLiteral("状態"), StateCombo), 1, 4);
    filters->addWidget(StateCombo, 1, 5);
    auto *dates = new QHBoxLayout;
    dates->addWidget(FromEdit);
    dates->addWidget(new QLabel(QStringLiteral("～"), this));
    dates->addWidget(ToEdit);
    filters->addWidget(DateKind, 2, 0);
    filters->addLayout(dates, 2, 1, 1, 3);
    filters->addWidget(label(QStringLiteral("カード"), CardCombo), 2, 4);
    filters->addWidget(CardCombo, 2, 5);
    auto *amounts = new QHBoxLayout;
    amounts->addWidget(MinEdit);
    amounts->addWidget(new QLabel(QStringLiteral("～"), this));
    amounts->addWidget(MaxEdit);
    filters->addWidget(label(QStringLiteral("合計"), MinEdit), 3, 0);
    filters->addLayout(amounts, 3, 1, 1, 3);
    filters->addWidget(label(QStringLiteral("領収書"), ReceiptCombo), 3, 4);
    filters->addWidget(ReceiptCombo, 3, 5);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(CountLabel, 1);
    bottom->addWidget(ReissueButton);
    bottom->addWidget(CsvButton);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(View, 1);
    layout->addLayout(bottom);

    // Every activation shows what other windows changed meanwhile.
    connect(Desk.mdiArea(), &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow *sub) {
        if (sub && sub->widget() == this)
            Refresh();
    });
    // Opening or locking the guest register adds or takes away what it finds.
    connect(&Desk.registerSession(), &RegisterSession::lockedChanged, this, &TSearchForm::Find);
    // What a bill window stored shows as soon as it has gone.
    connect(&Desk, &FrontDesk::billWindowChanged, this, [this](QWidget *bill) {
        if (!bill)
            Refresh();
    });
    Refresh();
    FindEdit->setFocus();
}

QSize TSearchForm::sizeHint() const { return {900, 520}; }

BillQuery TSearchForm::Query(QString *problem) const
{
    BillQuery q;
    QStringList wrong;
    q.text = FindEdit->text();
    // The guest register's entries are found too, never while it is locked.
    if (RegisterSession &session = Desk.registerSession(); session.isUnlocked())
        q.registerBills = registerMatches(session.reg(), q.text);
    q.room = RoomEdit->text();
    if (const QString no = BillNoEdit->text().trimmed(); !no.isEmpty()) {
        bool ok = false;
        q.meiNo = no.toUInt(&ok);
        if (!ok || q.meiNo == 0) {
            q.meiNo = 0;
            wrong << QStringLiteral("請求番号");
        }
    }
    bool fromOk, toOk;
    const QDate from = typedDate(FromEdit->text(), &fromOk), to = typedDate(ToEdit->text(), &toOk);
    if (!fromOk || !toOk)
        wrong << QStringLiteral("日付");
    if (DateKind->currentIndex() == 0) {
        q.stayFrom = from;
        q.stayTo = to;
    } else {
        q.settledFrom = from;
        q.settledTo = to;
    }
    for (const auto &[edit, bound] : {std::pair{MinEdit, &q.minTotal}, std::pair{MaxEdit, &q.maxTotal}}) {
        const QString t = edit->text().trimmed().remove(QLatin1Char(','));
        if (t.isEmpty())
            continue;
        bool ok = false;
        const qlonglong v = t.toLongLong(&ok);
        if (ok)
            *bound = v;
        else if (!wrong.contains(QStringLiteral("合計")))
            wrong << QStringLiteral("合計");
    }
    q.card = CardCombo->currentData().toUInt();
    q.receipts = ReceiptCombo->currentIndex() == 1 ? ReceiptFilter::Issued
        : ReceiptCombo->currentIndex() == 2        ? ReceiptFilter::NotIssued
                                                   : ReceiptFilter::Any;
    q.settled = StateCombo->currentIndex() == 1 ? SettledFilter::Open
        : StateCombo->currentIndex() == 2       ? SettledFilter::Settled
                                                : SettledFilter::Any;
    if (problem)
        *problem = wrong.isEmpty() ? QString() : QStringLiteral("%1の書き方が正しくないため、その条件は使っていません").arg(wrong.join(QStringLiteral("・")));
    return q;
}

void TSearchForm::Refresh()
{
    ReceiptIssues issues;
    QString error;
    // Without the record the counts read 0 (the reason on the count's tip); the search itself goes on.
    CountLabel->setToolTip(issues.load(Desk.data(), &error) ? QString() : error);
    Receipts = ReceiptCounts(issues);
    Find();
}

void TSearchForm::Find()
{
    QString problem;
    const BillQuery q = Query(&problem);
    const AppData &data = Desk.data();
    Model->setBills(&data.ReserveList.bills(), &Receipts, findBills(data, q, Receipts));
    // A sort the clerk chose stays.
    const QHeaderView *header = View->horizontalHeader();
    if (header->sortIndicatorSection() >= 0)
        Model->sort(header->sortIndicatorSection(), header->sortIndicatorOrder());
    const QString count = QStringLiteral("%1 件").arg(Model->rowCount());
    CountLabel->setText(problem.isEmpty() ? count : count + QStringLiteral("　") + problem);
    if (Model->rowCount() > 0)
        View->selectRow(0);
    else
        ReissueButton->setEnabled(false);
}

void TSearchForm::OpenRow(int row)
{
    if (row < 0 || row >= Model->rowCount())
        return;
    Desk.showBill(this, Model->bills()[std::size_t(row)].MeiNo);
}

QByteArray TSearchForm::ShownCsv() const
{
    return billSearchCsv(Desk.data().ReserveList.bills(), Model->bills(), Receipts);
}

void TSearchForm::CsvButtonClick()
{
    saveMonthGridCsvFile(this, billSearchGrid(Desk.data().ReserveList.bills(), Model->bills(), Receipts),
                         Desk.programDir() + QStringLiteral("search.csv"));
}

void TSearchForm::ReissueClick()
{
    const QModelIndex current = View->currentIndex();
    if (!current.isValid())
        return;
    const uint32_t billNo = Model->bills()[std::size_t(current.row())].MeiNo;
    // The bill window prints it, so the bill is saved and the issue recorded
    // with it as when the clerk prints from the bill.
    QWidget *window = Desk.isBillOpen(billNo) ? Desk.billWindow() : Desk.showBill(this, billNo);
    auto *bill = qobject_cast<TMeisaiForm *>(window);
    if (!bill)
        return;
    Desk.bringBillWindowToFront();
    bill->runDocument(billPaperOf(Desk.data().BaseData.PaperKubun), KindReceipt, DocumentMode::Preview);
    Refresh();
}

bool TSearchForm::eventFilter(QObject *watched, QEvent *e)
{
    if (e->type() == QEvent::KeyPress) {
        const auto *k = static_cast<QKeyEvent *>(e);
        const bool enter = k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter;
        if (enter && (watched == View || watched == FindEdit)) {
            OpenRow(View->currentIndex().isValid() ? View->currentIndex().row() : 0);
            return true;
        }
        // Down from the name goes to the rows.
        if (watched == FindEdit && k->key() == Qt::Key_Down && Model->rowCount() > 0) {
            View->setFocus();
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}
