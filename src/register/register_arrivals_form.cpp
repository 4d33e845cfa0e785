#include "register/register_arrivals_form.h"

#include "controls/ime_mode.h"
#include "register/register_form.h"
#include "shell/front_desk.h"
#include "shell/register_session.h"

#include <QDateEdit>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
enum ArrivalColumn { ColMeiNo, ColName, ColRoom, ColNights, ColGuests, ColState, ArrivalColumns };
}

TRegisterArrivalsForm::TRegisterArrivalsForm(FrontDesk &desk, const QDate &day, QWidget *parent)
    : QWidget(parent), Desk(desk)
{
    setObjectName(QStringLiteral("RegisterArrivalsForm"));
    setWindowTitle(QStringLiteral("到着予定と宿泊者名簿"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto *prev = new QToolButton(this);
    prev->setObjectName(QStringLiteral("PrevDay"));
    prev->setText(QStringLiteral("←"));
    auto *next = new QToolButton(this);
    next->setObjectName(QStringLiteral("NextDay"));
    next->setText(QStringLiteral("→"));
    DayEdit = new QDateEdit(day, this);
    DayEdit->setObjectName(QStringLiteral("DayEdit"));
    DayEdit->setDisplayFormat(QStringLiteral("yyyy/MM/dd (ddd)"));
    DayEdit->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
    DayEdit->setCalendarPopup(true);
    ApplyImeMode(DayEdit, imDisable);
    CountLabel = new QLabel(this);
    CountLabel->setObjectName(QStringLiteral("CountLabel"));
    Grid = new QTableWidget(0, ArrivalColumns, this);
    Grid->setObjectName(QStringLiteral("ArrivalGrid"));
    Grid->setHorizontalHeaderLabels({QStringLiteral("請求番号"), QStringLiteral("名前"), QStringLiteral("部屋"),
                                     QStringLiteral("泊数"), QStringLiteral("人数"), QStringLiteral("宿泊者名簿")});
    Grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid->verticalHeader()->hide();
    Grid->horizontalHeader()->setStretchLastSection(true);
    Grid->setColumnWidth(ColMeiNo, 100);
    Grid->setColumnWidth(ColName, 160);
    Grid->setColumnWidth(ColNights, 48);
    Grid->setColumnWidth(ColGuests, 48);
    Grid->installEventFilter(this);

    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("到着日"), this));
    top->addWidget(prev);
    top->addWidget(DayEdit);
    top->addWidget(next);
    top->addWidget(CountLabel, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(top);
    layout->addWidget(Grid, 1);
    layout->addWidget(new QLabel(QStringLiteral("行をダブルクリックするか Enter で、その請求の宿泊者名簿を開きます。"), this));

    connect(prev, &QToolButton::clicked, this, [this] { setDay(DayEdit->date().addDays(-1)); });
    connect(next, &QToolButton::clicked, this, [this] { setDay(DayEdit->date().addDays(1)); });
    connect(DayEdit, &QDateEdit::dateChanged, this, [this] { refresh(); });
    connect(Grid, &QTableWidget::cellDoubleClicked, this, [this](int row) { openRow(row); });
    connect(&Desk.registerSession(), &RegisterSession::aboutToLock, this, &QWidget::close);
    // Back from the register window: the states as they now stand.
    if (QMdiArea *area = Desk.mdiArea())
        connect(area, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow *sub) {
            if (sub && sub->widget() == this)
                refresh();
        });
    resize(720, 400);
    refresh();
}

void TRegisterArrivalsForm::setDay(const QDate &day)
{
    if (DayEdit->date() == day)
        refresh();
    else
        DayEdit->setDate(day); // refreshes
}

void TRegisterArrivalsForm::refresh()
{
    RegisterSession &session = Desk.registerSession();
    if (!session.isUnlocked())
        return;
    const AppData &data = Desk.data();
    Stays = staysArrivingOn(data.ReserveList, data.Money.Lodging, DayEdit->date());
    const RegisterFields fields = session.settings().fields;
    GuestRegister &reg = session.reg();
    int missing = 0;
    Grid->setRowCount(int(Stays.size()));
    for (int r = 0; r < int(Stays.size()); ++r) {
        const RegisterStay &s = Stays[size_t(r)];
        const StayCompleteness c = stayCompleteness(s, reg.entriesOfBill(s.meiNo), fields);
        if (!c.complete())
            ++missing;
        const QString cells[] = {QString::number(s.meiNo), s.name, s.room, QString::number(s.nights),
                                 QString::number(c.guests), c.summary()};
        for (int col = 0; col < ArrivalColumns; ++col) {
            auto *item = new QTableWidgetItem(cells[col]);
            if (col == ColState && !c.complete())
                item->setForeground(QColor(0xb0, 0, 0));
            if (col == ColMeiNo || col == ColNights || col == ColGuests)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            Grid->setItem(r, col, item);
        }
    }
    CountLabel->setText(Stays.empty() ? QStringLiteral("この日に到着する請求はありません")
                                      : QStringLiteral("%1 件　うち記入が済んでいないもの %2 件").arg(Stays.size()).arg(missing));
    if (!Stays.empty() && Grid->currentRow() < 0)
        Grid->setCurrentCell(0, ColName);
}

void TRegisterArrivalsForm::openRow(int row)
{
    if (row < 0 || row >= int(Stays.size()))
        return;
    openRegisterWindow(Desk, this, Stays[size_t(row)].meiNo);
}

bool TRegisterArrivalsForm::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == Grid && e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            openRow(Grid->currentRow());
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}
