#include "billing/guest_history_form.h"

#include "search/bill_search.h"
#include "shell/front_desk.h"

#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QShortcut>

TGuestHistory::TGuestHistory(FrontDesk &desk, QLineEdit *nameEdit, std::function<uint32_t()> billNo, QWidget *window)
    : QLabel(window), Desk(desk), NameEdit(nameEdit), BillNo(std::move(billNo)), FMenu(new QMenu(this))
{
    setObjectName(QStringLiteral("GuestHistory"));
    setToolTip(QStringLiteral("F8 またはクリックで過去のご利用を一覧します"));
    setCursor(Qt::PointingHandCursor);
    FMenu->setObjectName(QStringLiteral("GuestHistoryMenu"));
    hide();
    auto *key = new QShortcut(QKeySequence(Qt::Key_F8), window);
    key->setContext(Qt::WidgetWithChildrenShortcut);
    connect(key, &QShortcut::activated, this, &TGuestHistory::ShowStays);
    connect(nameEdit, &QLineEdit::textChanged, this, &TGuestHistory::nameChanged);
}

void TGuestHistory::nameChanged()
{
    const AppData &data = Desk.data();
    const BillIndex &index = data.ReserveList.bills();
    const uint32_t no = BillNo();
    // Stays before this bill's first night; every other stay while it has none.
    const int64_t own = index.find(no);
    const uint32_t before = own >= 0 ? index.entries()[std::size_t(own)].firstNight : 0;
    const std::vector<BillEntry> stays = guestBills(data, NameEdit->text(), no, before);
    FStays.clear();
    const QLocale japanese(QLocale::Japanese);
    for (const BillEntry &b : stays)
        FStays << QStringLiteral("%1　%2泊　%3　%4円　（請求番号 %5）")
                      .arg(packedDateText(b.firstNight))
                      .arg(b.nights)
                      .arg(index.rooms().text(b.room), japanese.toString(qlonglong(b.total)))
                      .arg(b.MeiNo);
    setText(guestHistoryText(index, stays));
    setVisible(!stays.empty());
}

bool TGuestHistory::ShowStays()
{
    if (FStays.isEmpty())
        return false;
    FMenu->clear();
    for (const QString &s : FStays)
        FMenu->addAction(s);
    FMenu->popup(mapToGlobal(QPoint(0, height())));
    return true;
}

void TGuestHistory::mousePressEvent(QMouseEvent *e)
{
    ShowStays();
    QLabel::mousePressEvent(e);
}
