#include "bill_layout.h"

#include "printing/fonts.h"

BillLayout BillLayout::a5()
{
    BillLayout l;
    l.size = QPageSize::A5;
    l.orientation = QPageLayout::Portrait;
    l.itemsRight = 127.8;
    l.topMarkX = 74.5, l.topMarkY0 = 5.3, l.topMarkY1 = 6.6;
    l.leftMarkY = 105.1, l.leftMarkX0 = 5.8, l.leftMarkX1 = 7.1;
    l.pageNoRight = 137.8, l.pageNoTop = 11.9;

    l.headerHeight = 42.3;
    l.midashi = {0.0, 0.0, 22};
    l.titleRule = {0.0, 5.8, 63.8, 6.1};
    l.date = {34.4, 4.2, 11};
    l.guest = {0.0, 11.6, 14};
    l.nameRule = {0.0, 14.8, 63.8, 6.1};
    l.memo = {0.0, 21.2, 9};
    l.memoWidth = 55.8;
    l.amountBox = {0.0, 28.6, 63.8, 12.4};
    l.caption = {1.1, 29.6, 12};
    l.amount = {56.6, 32.3, 14};
    l.currency = {57.7, 33.9, 9};
    l.currencyXEnglish = 20.6;
    l.payment = {61.4, 38.1, 6};
    l.logo = {66.1, 0.0, 61.4, 42.3};
    l.facility = {66.7, 0.5, 60.7, 25.0};
    l.facilityPt = 14;
    l.zip = {66.7, 26.2, 8};
    l.jusyo = {66.7, 29.4, 8};
    l.tel = {66.7, 32.5, 8};
    l.fax = {92.6, 32.5, 8};
    l.url = {66.7, 35.7, 8};
    l.email = {66.7, 38.9, 8};

    l.columnHeight = 10.3;
    // The plan's underline stands 1.6 mm above the table's top, apart from it.
    l.plan = {0.3, 0.0, 8};
    l.roomName = QStringLiteral("QRLabel3");
    l.room = {85.2, 0.0, 8};
    l.roomFollowsPlan = true;
    l.underlineY = 0.9, l.underlineH = 5.0;
    l.stay = {127.8, 0.6, 7};
    l.cells = {{{0.0, 9.5}, {9.5, 66.4}, {75.1, 18.3}, {93.1, 11.9}, {104.8, 23.0}}};
    l.cellTop = 5.0;
    l.headingY = 6.1, l.headingPt = 8;

    l.rowHeight = 5.3;
    l.detailY = 1.1;
    l.detailPt = 9;
    l.atdatePt = 9;
    l.tekiyouX = 10.1, l.tekiyouWidth = 64.6;
    l.tankaRight = 91.0, l.suryouRight = 103.5, l.totalRight = 127.2;
    l.totalPt = 9;
    l.fontKubunApplies = true;

    l.footerHeight = 42.6;
    l.rowTop = {0.0, 5.3, 10.6, 15.9, 21.2, 26.5, 32.3, 37.6};
    l.totalsRowHeight = 5.3;
    l.labelCellX = 40.7, l.labelCellW = 64.3, l.label7CellW = 64.6;
    l.amountCellX = 104.8, l.amountCellW = 23.0;
    l.labelX = 41.8, l.label7X = 41.8, l.labelDy = 1.1, l.labelPt = 9;
    l.amountRight = 127.2;
    l.stampBox = {9.5, 9.0, 22.0, 24.9};
    l.proviso = {0.0, 7.8, 39.2, 0.0};
    l.provisoPt = 9;
    return l;
}

BillLayout BillLayout::a4()
{
    BillLayout l = a5();
    l.size = QPageSize::A4;
    l.itemsRight = 190.0;
    l.pageNoRight = 199.5, l.pageNoTop = 11.6;

    l.headerHeight = 59.0;
    l.midashi = {0.0, 0.5, 27};
    l.titleRule = {0.0, 8.5, 92.6, 6.1};
    l.date = {46.6, 3.2, 16};
    l.guest = {0.0, 14.8, 19};
    l.nameRule = {0.0, 19.6, 92.6, 6.1};
    l.memo = {0.0, 25.4, 14};
    l.memoWidth = 95.5;
    l.amountBox = {0.0, 36.5, 74.3, 20.9};
    l.caption = {1.6, 38.1, 17};
    l.amount = {63.8, 45.5, 19};
    l.currency = {66.1, 46.6, 14};
    l.currencyXEnglish = 18.5;
    l.currencyFace = printing::kPGothic;
    l.payment = {71.4, 53.4, 8};
    l.logo = {108.0, 0.0, 82.0, 58.2};
    l.facility = {109.5, 1.1, 77.5, 33.1};
    l.facilityPt = 18;
    l.zip = {110.1, 33.9, 12};
    l.jusyo = {110.1, 38.6, 12};
    l.tel = {110.1, 43.4, 12};
    l.fax = {148.2, 43.4, 12};
    l.url = {110.1, 47.6, 12};
    l.email = {110.1, 52.4, 12};

    l.columnHeight = 16.4;
    l.plan = {0.0, 1.6, 12};
    l.room = {123.6, 1.6, 12};
    l.underlineY = 3.7, l.underlineH = 5.0;
    l.stay = {189.4, 1.1, 12};
    l.cells = {{{0.0, 15.1}, {14.8, 95.2}, {110.1, 22.5}, {132.3, 25.4}, {157.7, 31.0}}};
    l.cellTop = 8.5;
    l.headingY = 9.5, l.headingPt = 14;

    l.rowHeight = 7.9;
    l.detailY = 1.1;
    l.detailPt = 14;
    l.atdatePt = 14;
    l.tekiyouX = 15.9, l.tekiyouWidth = 92.9;
    l.tankaRight = 129.6, l.suryouRight = 156.6, l.totalRight = 186.8;
    l.totalPt = 14;
    l.fontKubunApplies = false;

    l.footerHeight = 63.5;
    l.rowTop = {0.0, 7.9, 15.9, 23.8, 31.8, 39.7, 47.6, 55.6};
    l.totalsRowHeight = 7.9;
    l.labelCellX = 40.7, l.labelCellW = 91.5, l.label7CellW = 91.5;
    l.amountCellX = 132.3, l.amountCellW = 56.4;
    l.labelX = 42.3, l.label7X = 42.3, l.labelDy = 1.6, l.labelPt = 14;
    l.amountRight = 186.8;
    l.stampBox = {9.5, 20.1, 22.0, 24.9};
    l.proviso = {0.0, 17.0, 38.7, 0.0};
    l.provisoPt = 12;
    l.knowsEstimate = false;
    return l;
}

BillLayout BillLayout::b5()
{
    BillLayout l = a5();
    l.size = QPageSize::JisB5;
    l.itemsRight = 161.9;
    l.topMarkX = 91.3, l.topMarkY0 = 5.6, l.topMarkY1 = 6.9;

    l.headerHeight = 44.5;
    l.midashi = {0.0, 0.0, 22};
    l.titleRule = {0.0, 5.7, 90.2, 6.2};
    l.date = {56.4, 2.9, 13};
    l.guest = {0.0, 11.6, 14};
    l.nameRule = {0.0, 14.8, 90.2, 6.2};
    l.memo = {0.0, 20.6, 9};
    l.memoWidth = 55.8;
    l.amountBox = {0.0, 28.5, 90.1, 14.8};
    l.caption = {1.1, 29.6, 12};
    l.amount = {74.9, 32.8, 18};
    l.currency = {77.3, 34.9, 12};
    l.currencyXEnglish = 36.0;
    l.currencyFace = printing::kPGothic;
    l.payment = {88.4, 39.2, 10};
    l.logo = {99.5, 0.5, 61.4, 43.3};
    l.facility = {100.5, 0.5, 60.9, 24.9};
    l.facilityPt = 14;
    l.zip = {100.5, 25.9, 8};
    l.jusyo = {100.5, 29.6, 8};
    l.tel = {100.5, 33.6, 8};
    l.fax = {134.4, 33.9, 8};
    l.url = {100.5, 36.5, 8};
    l.email = {100.5, 39.2, 8};

    l.columnHeight = 19.1;
    l.plan = {0.3, 7.1, 12};
    l.room = {100.0, 0.5, 16};
    l.roomFollowsPlan = false;
    l.stay = {161.4, 7.1, 12};
    l.cells = {{{0.0, 11.2}, {10.9, 73.3}, {83.8, 24.3}, {108.0, 24.3}, {132.1, 29.8}}};
    l.cellTop = 12.2;
    l.headingY = 13.8, l.headingPt = 12;

    // 16 rows fill the 110.2 mm between the column header and the footer.
    l.rowHeight = 6.8875;
    l.detailY = 1.3;
    l.detailPt = 12;
    l.atdatePt = 10;
    l.tekiyouX = 11.6, l.tekiyouWidth = 64.7;
    l.tankaRight = 106.9, l.suryouRight = 131.2, l.totalRight = 161.4;
    l.totalPt = 9;
    l.fontKubunApplies = true;

    l.footerHeight = 53.2;
    l.rowTop = {0.0, 6.6, 13.2, 19.8, 26.5, 33.1, 39.7, 46.3};
    l.totalsRowHeight = 6.6;
    l.labelCellX = 46.3, l.labelCellW = 86.0, l.label7CellW = 86.0;
    l.amountCellX = 132.1, l.amountCellW = 29.8;
    l.labelX = 48.2, l.label7X = 47.4, l.labelDy = 0.8, l.labelPt = 12;
    l.amountRight = 161.2;
    l.stampBox = {10.6, 8.9, 21.8, 24.8};
    l.proviso = {0.0, 7.8, 44.3, 0.0};
    l.provisoPt = 10;
    return l;
}

BillLayout BillLayout::combinedA4()
{
    BillLayout l = a5();
    l.size = QPageSize::A4;
    l.orientation = QPageLayout::Landscape;
    l.combined = true;
    l.knowsEstimate = false;
    l.topMarkX = 74.0, l.topMarkY0 = 2.6, l.topMarkY1 = 3.9;
    l.leftMarkY = 105.1, l.leftMarkX0 = 2.6, l.leftMarkX1 = 3.9;

    l.roomName = QStringLiteral("QRLabel25");
    l.room = {84.7, 0.0, 8};
    l.currency = {57.7, 34.4, 9};
    l.currencyXEnglish = 23.3;
    l.zip = {66.9, 25.7, 8};
    l.jusyo = {66.9, 28.8, 8};
    l.tel = {66.7, 32.0, 8};
    l.fax = {92.9, 32.0, 8};
    l.url = {66.9, 35.2, 8};
    l.email = {66.9, 38.4, 8};
    l.amount = {56.6, 32.8, 14};
    l.logo.x = 66.7;
    l.totalRight = 125.2;
    l.amountRight = 125.4;
    l.headingY = 5.8;
    l.paymentLine = false;

    ReceiptHalfLayout &r = l.receipt;
    r.dividerX = 148.7;
    r.title = {203.5, 34.9, 28};
    r.addressee = {164.0, 60.3, 14};
    r.date = {247.1, 62.4, 11};
    r.nameRule = {163.5, 64.0, 63.8, 6.1};
    r.memo = {163.5, 74.1, 9};
    r.memoWidth = 55.8;
    r.amountBox = {163.5, 85.2, 113.0, 23.3};
    r.caption = {165.1, 87.3, 12};
    r.amount = {242.4, 92.6, 18};
    r.taxLine = {217.0, 99.5, 6};
    r.payment = {273.1, 104.2, 6};
    r.tadashiMark = {167.2, 111.9, 9};
    r.tadashi = {174.1, 111.9, 9};
    r.tadashiWidth = 100.5;
    r.tadashiRule = {167.2, 116.4, 106.4, 0.0};
    r.blankBox = {175.2, 134.4, 22.0, 24.9};
    r.logo = {214.8, 124.9, 61.4, 42.3};
    r.facility = {214.8, 124.9, 61.6, 26.2};
    r.facilityPt = 14;
    r.zip = {214.8, 150.8, 8};
    r.jusyo = {214.8, 154.0, 8};
    r.tel = {214.8, 157.4, 8};
    r.fax = {240.8, 157.2, 8};
    r.url = {214.8, 160.3, 8};
    r.email = {214.8, 163.5, 8};
    return l;
}
