#pragma once
// Where the items of a bill document stand on each paper. The A5, A4 and B5
// documents and the bill half of the combined A4 sheet are one document laid
// out from one of these tables; lengths in millimetres from the top-left
// corner of the band (page items: of the paper), sizes in points.

#include <QPageLayout>
#include <QPageSize>
#include <QString>
#include <array>

struct TextSpot {
    qreal x = 0;  // left edge, or right edge for right-aligned items
    qreal y = 0;  // top
    qreal pt = 9; // type size
};

struct FrameSpot {
    qreal x = 0, y = 0, w = 0, h = 0;
    qreal right() const { return x + w; }
    qreal bottom() const { return y + h; }
};

struct CellSpot {
    qreal left = 0, width = 0;
};

// The receipt half of the combined sheet: positions on the paper.
struct ReceiptHalfLayout {
    qreal dividerX = 0;        // QRShape2, dashed, the height of the sheet
    TextSpot title;            // QRLabel3
    TextSpot addressee;        // QRLabel7
    TextSpot date;             // QRLabel9
    FrameSpot nameRule;        // QRShape6
    TextSpot memo;             // QRMemo2
    qreal memoWidth = 0;
    FrameSpot amountBox;       // QRShape5
    TextSpot caption;          // QRLabel10
    TextSpot amount;           // QRLabel11, right edge
    TextSpot taxLine;          // QRLabel26
    TextSpot payment;          // QRLabel30, right edge
    TextSpot tadashiMark;      // QRLabel29
    TextSpot tadashi;          // TadashiLabel
    qreal tadashiWidth = 0;
    FrameSpot tadashiRule;     // QRShape8
    FrameSpot blankBox;        // QRShape7
    FrameSpot logo;            // QRImage1
    FrameSpot facility;        // Sisetumei2
    qreal facilityPt = 14;
    TextSpot zip, jusyo, tel, fax, url, email; // QRLabel13, 14, 21, 24, 22, 23
};

struct BillLayout {
    // --- paper ---
    QPageSize::PageSizeId size = QPageSize::A5;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    qreal itemsRight = 0;      // right edge of the document's items in the band
    qreal topMarkX = 0, topMarkY0 = 0, topMarkY1 = 0;    // on the paper
    qreal leftMarkY = 0, leftMarkX0 = 0, leftMarkX1 = 0; // on the paper
    qreal pageNoRight = 0, pageNoTop = 0;                // on the paper

    // --- page header ---
    qreal headerHeight = 0;
    TextSpot midashi;          // bold
    FrameSpot titleRule;       // Shape1, a rule through the middle of the box
    TextSpot date;
    TextSpot guest;            // bold
    FrameSpot nameRule;        // Shape2
    TextSpot memo;
    qreal memoWidth = 0;
    FrameSpot amountBox;       // Shape3
    TextSpot caption;          // QRLabel15, bold
    TextSpot amount;           // QRLabel16, right edge, bold
    TextSpot currency;         // QRLabel17; x in Japanese
    qreal currencyXEnglish = 0;
    QString currencyFace;      // empty: the default face
    bool paymentLine = true;   // QRLabel7
    TextSpot payment;          // right edge
    FrameSpot logo;
    FrameSpot facility;        // Sisetumei
    qreal facilityPt = 14;
    TextSpot zip, jusyo, tel, fax, url, email;

    // --- column header ---
    qreal columnHeight = 0;
    TextSpot plan;             // QRLabel20
    QString roomName;          // QRLabel3, or QRLabel25 on the combined sheet
    TextSpot room;
    bool roomFollowsPlan = true; // moved after the plan and underlined with it
    qreal underlineY = 0, underlineH = 0; // QRShape1
    TextSpot stay;             // QRLabel19, right edge
    std::array<CellSpot, 5> cells; // Shape4..8 and Shape9..13
    qreal cellTop = 0;         // of the heading cells, which reach the band's foot
    qreal headingY = 0, headingPt = 8;

    // --- detail ---
    qreal rowHeight = 0;
    qreal detailY = 0;         // top of the texts in the row
    qreal detailPt = 9;        // Atdate, Tekiyou, Tanka, Suryou
    qreal atdatePt = 9;
    qreal tekiyouX = 0, tekiyouWidth = 0;
    qreal tankaRight = 0, suryouRight = 0, totalRight = 0;
    qreal totalPt = 9;         // Total and the eight amounts unless FontKubun rules
    bool fontKubunApplies = true;

    // --- page footer ---
    qreal footerHeight = 0;
    std::array<qreal, 8> rowTop{};
    qreal totalsRowHeight = 0;
    qreal labelCellX = 0, labelCellW = 0, label7CellW = 0;
    qreal amountCellX = 0, amountCellW = 0;
    qreal labelX = 0, label7X = 0, labelDy = 0, labelPt = 9;
    qreal amountRight = 0;
    FrameSpot stampBox;        // QRShape26
    // The proviso of receipts (但 and the text on a rule), left of the
    // totals: the rule's left end, its height in the band, its length.
    FrameSpot proviso;         // x, y: the rule; w: its length
    qreal provisoPt = 9;

    bool knowsEstimate = true;
    bool combined = false;     // the bill half of the combined sheet
    ReceiptHalfLayout receipt; // combined only

    static BillLayout a5();
    static BillLayout a4();
    static BillLayout b5();
    static BillLayout combinedA4();
};
