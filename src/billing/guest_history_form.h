#pragma once
// TGuestHistory: the line under a bill's header that says whether the guest
// has stayed before (「過去のご利用 3回 最終 2026/08/10 松の間」), found by
// the name as it is typed, in any spelling. F8 or a click lists those stays.

#include <QLabel>
#include <QStringList>
#include <cstdint>
#include <functional>

class FrontDesk;
class QLineEdit;
class QMenu;

class TGuestHistory : public QLabel {
    Q_OBJECT
public:
    // Follows nameEdit; billNo gives the bill being written, which is no
    // earlier stay of its own. The list key works anywhere in window.
    TGuestHistory(FrontDesk &desk, QLineEdit *nameEdit, std::function<uint32_t()> billNo, QWidget *window);

    // One text per earlier stay, oldest first.
    const QStringList &Stays() const { return FStays; }
    // Opens the list of the earlier stays (F8); false when there are none.
    bool ShowStays();
    QMenu *StaysMenu() const { return FMenu; }

protected:
    void mousePressEvent(QMouseEvent *e) override;

private:
    void nameChanged();

    FrontDesk &Desk;
    QLineEdit *NameEdit;
    std::function<uint32_t()> BillNo;
    QStringList FStays;
    QMenu *FMenu;
};
