#pragma once
// TRsvlistForm "予約一覧": the bills that have a line on one date, one row
// per bill and room, rebuilt from the main window's ReserveList whenever the
// window becomes active. From here the clerk opens a bill, creates an empty
// one, splits one room off a bill, deletes a bill and fetches the day's
// reservations. The rules live in reservation_list.h; this window binds them.

#include "reservations/fetch_reservations.h"

#include <QDateTime>
#include <QWidget>
#include <cstdint>
#include <vector>

class QCalendarWidget;
class QLabel;
class QMenu;
class QAction;
class QPainter;
class QPushButton;
class QToolButton;
class FrontDesk;
class TStringGridEx;

class TRsvlistForm : public QWidget {
    Q_OBJECT
public:
    explicit TRsvlistForm(FrontDesk &desk, QWidget *parent = nullptr);
    ~TRsvlistForm() override;
    QSize sizeHint() const override;

    QDateTime ListDate() const { return FListDate; }
    // Shows the date (the time of day is kept for the fetch) and refreshes.
    void SetListDate(const QDateTime &date);
    void RefreshList();

    // Handlers of the window's controls.
    void SpeedButton1Click();   // ← previous day
    void SpeedButton2Click();   // → next day
    void CalendarClick();       // a day picked in the calendar
    void FetchButtonClick();    // サーバーからデータを取得
    // True while a fetch runs: the window keeps repainting, the fetch button
    // is disabled and the window does not close.
    bool Fetching() const { return FFetching; }
    // Time-outs and size limit of the fetch (tests shorten them).
    void SetFetchOptions(const FetchOptions &options) { FFetchOptions = options; }
    void NewBillClick();        // 明細新規作成 (button and pop-up)
    void DeleteBillClick();     // 明細を削除する (pop-up), for the selected row
    void RegisterClick();       // 宿泊者名簿 (button and pop-up), for the selected row
    // A mouse button pressed on a grid cell; true when the list acted on it.
    bool GridMouseDown(Qt::MouseButton button, int col, int row);

    TStringGridEx *Grid() const { return FGrid; }
    QMenu *PopupMenu() const { return FPopup; }
    // Band colour of a data row (by bill, alternating).
    QColor RowColor(int row) const;

signals:
    // The list has closed (the menu may offer it again).
    void listClosed();

protected:
    void closeEvent(QCloseEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    // What a grid row was made from, for clicks after the list has changed.
    struct Row {
        uint32_t MeiNo;
        QByteArray Room;
        bool Band; // painted in the band colour rather than white
    };

    void UpdateButtons();
    // A bill made or split off here goes to disk at once; a failed write is said.
    void storeBills();
    void OpenBill(uint32_t billNo);
    void SplitRoom(int row);
    void GridDrawCell(QPainter *p, int col, int row, const QRect &rect);
    const Row *RowAt(int row) const;

    FrontDesk &Desk;
    QDateTime FListDate;
    QLabel *DateLabel = nullptr;
    QToolButton *SpeedButton1 = nullptr;
    QToolButton *SpeedButton2 = nullptr;
    QCalendarWidget *Calendar = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;
    QPushButton *RegisterButton = nullptr;
    TStringGridEx *FGrid = nullptr;
    QMenu *FPopup = nullptr;
    QAction *DeleteItem = nullptr;
    QAction *RegisterItem = nullptr;
    std::vector<size_t> FIndices; // scratch of RefreshList, kept for its capacity
    std::vector<Row> FRows;       // grid row r is FRows[r - 1]
    bool FSelecting = false;      // the calendar's selection is being set by the list
    bool FFetching = false;
    FetchOptions FFetchOptions;
};
