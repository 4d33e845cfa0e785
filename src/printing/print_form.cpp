#include "print_form.h"

#include "billing/bill_computation.h"
#include "printing/fonts.h"
#include "storage/clock.h"
#include "storage/cp932.h"
#include "storage/library.h"

#include <QDate>
#include <QFileInfo>
#include <QImageReader>
#include <QLocale>

#include <algorithm>
#include <cmath>

using namespace printing;

namespace {

const QString kDateJa = QStringLiteral("yyyy'年'MM'月'dd'日'");
// Day, month name and year: "11/12/2026" reads as 12 November to some guests.
const QString kDateEn = QStringLiteral("d MMM yyyy");
const QString kMaskTanka = QStringLiteral("99,999,999");
const QString kMaskSuryou = QStringLiteral("999,999");
const QString kMaskAmount = QStringLiteral("999,999,999");

QColor winColor(uint32_t bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

// Characters from..from+count-1 (from 1) of a text, counted in CP932 bytes.
QString bytesMid(const QString &text, int from, int count = -1)
{
    const QByteArray b = cp932::encode(text);
    return cp932::decode(b.mid(from - 1, count));
}

// Lines of a multi-line settings text. CR LF and LF both end a line, and a
// final line break does not start another line.
QString settingLines(const QString &text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (t.endsWith(QLatin1Char('\n')))
        t.chop(1);
    return t;
}

QDate readDate(const QString &text)
{
    const QString t = text.trimmed();
    QDate d = QDate::fromString(t, QStringLiteral("yyyy/MM/dd"));
    if (!d.isValid())
        d = QDate::fromString(t, QStringLiteral("yyyy/M/d"));
    return d;
}

const Pen kBlack{Qt::black, 0.1, PenStyle::Solid};
constexpr qreal kPad = 0.4; // mm between a cell's frame and its text
constexpr qreal kJoin = 0.6; // mm: totals rows closer than this share a border
constexpr qreal kSmallestLabel = 7; // pt: a totals label takes two lines rather than get smaller
constexpr Qt::Edges kAllEdges = Qt::TopEdge | Qt::LeftEdge | Qt::RightEdge | Qt::BottomEdge;

// Characters of a text whose CP932 bytes lie within from..to (from 1,
// inclusive): a cut never splits a double-byte character.
QString bytesRange(const QString &text, int from, int to)
{
    QString out;
    int pos = 1;
    for (const QChar c : text) {
        const int n = int(cp932::encode(QString(c)).size());
        if (pos >= from && pos + n - 1 <= to)
            out += c;
        pos += n;
    }
    return out;
}

// A label that fits its box: shrinks to minPt, then is cut with an ellipsis.
ReportItem &fitted(ReportItem &item, qreal width, qreal minPt, const QString &group = QString())
{
    item.width = std::max<qreal>(width, 1.0);
    item.minPointSize = minPt;
    item.sizeGroup = group;
    return item;
}

constexpr qreal kSmallestInvoice = 6; // pt: the invoice lines get no smaller
constexpr qreal kPlanStayGap = 3.0; // mm at least between the plan (or room) and the stay date
constexpr qreal kClearOfProviso = 1.5; // mm between the proviso's rule and the invoice lines below it
constexpr qreal kLowestStamp = 6.0; // mm: the stamp's place ends at least this far above the paper's edge
constexpr qreal kAboveAddress = 0.2; // mm between the logo or facility name and the address lines
constexpr qreal kTelFaxGap = 2.0;  // mm at least between the telephone and the fax number
constexpr qreal kSmallestAddress = 6; // pt: a web or mail address gets no smaller, it breaks instead

// A web or mail address broken onto lines of the width: after "/", "." or
// "@" where it can, anywhere in a piece longer than a line. Nothing is cut.
QStringList addressLines(const TextMeasure &m, const FontSpec &f, const QString &text, qreal width)
{
    QStringList pieces;
    QString piece;
    for (const QChar c : text) {
        piece += c;
        if (c == QLatin1Char('/') || c == QLatin1Char('.') || c == QLatin1Char('@')) {
            pieces << piece;
            piece.clear();
        }
    }
    if (!piece.isEmpty())
        pieces << piece;
    QStringList lines;
    QString line;
    for (const QString &p : pieces) {
        if (m.width(f, line + p) <= width + 1e-6) {
            line += p;
            continue;
        }
        if (!line.isEmpty())
            lines << line;
        line.clear();
        for (const QChar c : p) {
            if (!line.isEmpty() && m.width(f, line + c) > width + 1e-6) {
                lines << line;
                line.clear();
            }
            line += c;
        }
    }
    if (!line.isEmpty() || lines.isEmpty())
        lines << line;
    return lines;
}

// A caption and its value, or nothing when there is no value: an empty
// "FAX:" only says the inn has none.
QString labelled(const QString &caption, const QString &value)
{
    return value.trimmed().isEmpty() ? QString() : caption + value;
}

enum AddressRow { AddrZip, AddrJusyo, AddrTel, AddrFax, AddrUrl, AddrMail, AddrCount };

struct AddressLine {
    QString name;
    TextSpot at;
    QString text;
};

// The facility's address lines, one under another, fitted once when the
// document is set up:
//
//   〒419-0101
//   address
//   TEL:055-978-0000   FAX:055-978-0001
//   URL:https://...
//   Mail:info@...
//
// The postal code, address, telephone and fax share one size, smaller when
// one of them needs it; the fax number stands at least kTelFaxGap after the
// telephone number, further right than its place when it must. A web or
// mail address is never cut: it gets smaller type down to kSmallestAddress,
// then breaks after "/", "." or "@", and the lines below it move down. A
// block that then reaches below foot moves up as a whole.
// Returns the top of the block.
qreal addAddressBlock(QList<ReportItem> &out, const TextMeasure &m, const std::array<AddressLine, AddrCount> &a,
                      qreal right, qreal foot)
{
    const qreal nominal = a[AddrZip].at.pt;
    auto f = [](qreal pt) { return font(kPGothic, pt); };
    auto width = [&](int i, qreal pt) { return m.width(f(pt), a[i].text); };
    auto faxLeft = [&](qreal pt) {
        return std::max(a[AddrFax].at.x, a[AddrTel].at.x + width(AddrTel, pt) + kTelFaxGap);
    };
    auto commonFits = [&](qreal pt) {
        return width(AddrZip, pt) <= right - a[AddrZip].at.x + 1e-6
               && width(AddrJusyo, pt) <= right - a[AddrJusyo].at.x + 1e-6
               && width(AddrTel, pt) <= a[AddrFax].at.x - 0.3 - a[AddrTel].at.x + 1e-6
               && width(AddrFax, pt) <= right - faxLeft(pt) + 1e-6;
    };
    qreal common = nominal;
    while (!commonFits(common) && common - 0.5 >= nominal * 0.8 - 1e-6)
        common -= 0.5;

    std::array<ReportItem, AddrCount> items;
    std::array<qreal, AddrCount> extra{}; // height beyond one line
    for (int i = 0; i < AddrCount; ++i) {
        ReportItem item = ReportItem::label(a[i].name, a[i].at.x, a[i].at.y, f(common));
        item.text = a[i].text;
        items[i] = item;
    }
    items[AddrFax].x = faxLeft(common);
    // What still does not fit at the common size is cut at the edge.
    for (int i : {AddrZip, AddrJusyo, AddrFax}) {
        items[i].width = std::max<qreal>(right - items[i].x, 1.0);
        items[i].minPointSize = i == AddrFax ? std::min<qreal>(kSmallestAddress, common) : common;
    }
    for (int i : {AddrUrl, AddrMail}) {
        const qreal w = std::max<qreal>(right - a[i].at.x, 1.0);
        qreal pt = common;
        while (width(i, pt) > w + 1e-6 && pt - 0.5 >= kSmallestAddress - 1e-6)
            pt -= 0.5;
        items[i].font = f(pt);
        items[i].width = w;
        if (width(i, pt) > w + 1e-6) {
            const QStringList lines = addressLines(m, items[i].font, a[i].text, w);
            items[i].text = lines.join(QLatin1Char('\n'));
            items[i].height = m.lineHeight(items[i].font) * lines.size();
            extra[i] = m.lineHeight(items[i].font) * (lines.size() - 1);
        }
    }
    // Smaller type keeps the line's baseline.
    for (ReportItem &item : items)
        item.y += m.ascent(f(nominal)) - m.ascent(item.font);

    // Lines below a broken one move down, then the block up if it must.
    qreal shift = 0;
    for (int i = 0; i < AddrCount; ++i) {
        items[i].y += shift;
        if (i != AddrTel)
            shift += extra[i];
    }
    const ReportItem &last = items[AddrMail];
    const qreal bottom = last.y + (last.height > 0 ? last.height : m.lineHeight(last.font));
    const qreal up = std::max<qreal>(0, bottom - foot);
    for (ReportItem &item : items) {
        item.y -= up;
        out.append(item);
    }
    return items[AddrZip].y;
}

} // namespace

bool hasJapaneseScript(const QString &text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0x3000 && u <= 0x30FF) || (u >= 0x3400 && u <= 0x9FFF) || (u >= 0xF900 && u <= 0xFAFF)
            || (u >= 0xFF00 && u <= 0xFFEF))
            return true;
    }
    return false;
}

QString pictureText(int64_t value, const QString &picture)
{
    const qsizetype digits = picture.count(QLatin1Char('9'));
    const QString plain = QString::number(value < 0 ? -value : value);
    if (plain.size() + (value < 0 ? 1 : 0) <= digits)
        return TLibrary::FormatPicture(value, picture);
    QString grouped;
    for (qsizetype i = 0; i < plain.size(); ++i) {
        if (i > 0 && (plain.size() - i) % 3 == 0)
            grouped += QLatin1Char(',');
        grouped += plain[i];
    }
    return value < 0 ? QStringLiteral("-") + grouped : grouped;
}

std::size_t linesWithoutEmptyPages(const RecordList<TReserveData> &lines)
{
    const std::size_t pages = (lines.size() + BillPageLines - 1) / BillPageLines;
    auto pageEmpty = [&](std::size_t p) {
        const std::size_t end = std::min(lines.size(), (p + 1) * BillPageLines);
        // A line with an item or an amount but no text is still charged.
        for (std::size_t i = p * BillPageLines; i < end; ++i)
            if (lines[i].Kamoku[0] != '\0' || lines[i].Kubun || lines[i].Tanka || lines[i].Suryou)
                return false;
        return true;
    };
    if (pages == 1 && pageEmpty(0))
        return 0;
    // The last described page; later pages are all empty.
    std::size_t keep = pages;
    while (keep > 1 && pageEmpty(keep - 1))
        --keep;
    return keep == pages ? lines.size() : keep * BillPageLines;
}

void applyDocumentRun(TBillState &bill, const TDocumentRun &run)
{
    if (!run.ok())
        return;
    if (run.keptLines < bill.Lines.size())
        bill.Lines.resize(run.keptLines);
    const int pages = int((bill.Lines.size() + BillPageLines - 1) / BillPageLines);
    bill.PageNo = std::clamp(bill.PageNo, 1, std::max(pages, 1));
    if (!run.decideEdit.isEmpty())
        bill.DecideEdit = run.decideEdit;
    if (bill.SeisanDay.trimmed().isEmpty() && !run.seisanDay.isEmpty())
        bill.SeisanDay = run.seisanDay;
}

TPrintForm::TPrintForm(const TBillState &bill_, const TBaseData &base_, const QString &exePath_, int kind)
    : TPrintForm(bill_, base_, exePath_, kind, BillLayout::a5())
{
}

TPrintForm::TPrintForm(const TBillState &bill_, const TBaseData &base_, const QString &exePath_, int kind,
                       const BillLayout &layout)
    : bill(bill_), base(base_), exePath(exePath_), Kind(layout.combined ? int(KindBill) : kind),
      english(bill_.LangFlag != 0),
      invoice(!bill_.RegistrationNo.isEmpty() && (layout.combined || kind != KindEstimate)),
      issuerInText((layout.combined || kind == KindReceipt || invoice) && !fieldText(base_.SisetuName).trimmed().isEmpty()
                   && QFileInfo::exists(exePath_ + QStringLiteral("logo.bmp"))),
      L(layout)
{
    installFontSubstitutions();
    bool ok = false;
    nights = bill.StayEdit.trimmed().toInt(&ok);
    if (!ok)
        nights = 0;
    setUpPage();
    setUpHeader();
    setUpColumnHeader();
    setUpDetail();
    setUpFooter();
    if (L.combined)
        setUpReceiptHalf();
}

void TPrintForm::setUpPage()
{
    PageSetup &page = rep.page;
    page.size = L.size;
    page.orientation = L.orientation;
    page.topMm = 15;
    page.bottomMm = 15;
    const bool left = base.TojiKubun == 1;
    page.leftMm = left ? 15 : 12;
    page.rightMm = left ? 5 : 10;

    // Binding marks and the page number sit on the paper, outside the bands.
    if (base.TojiKubun == 0)
        rep.pageItems.append(ReportItem::vline(QStringLiteral("TopMark"), L.topMarkX, L.topMarkY0, 0,
                                               L.topMarkY1 - L.topMarkY0, kBlack));
    else if (base.TojiKubun == 1)
        rep.pageItems.append(ReportItem::hline(QStringLiteral("LeftMark"), L.leftMarkX0, L.leftMarkY,
                                               L.leftMarkX1 - L.leftMarkX0, 0, kBlack));
    rep.pageItems.append(ReportItem::pageNumber(
        QStringLiteral("PageNo"), L.pageNoRight, L.pageNoTop, font(kPMincho, 7),
        [](int page, int count) { return QString::number(page) + QStringLiteral("/ ") + QString::number(count); },
        true));
}

void TPrintForm::setUpHeader()
{
    Band &b = rep.pageHeader;
    b.height = L.headerHeight;
    const QString face1 = fieldText(base.FontName1);
    const Pen rule{winColor(base.Color4), 0.1, PenStyle::Solid};
    const QColor color1 = winColor(base.Color1);

    b.add(ReportItem::hline(QStringLiteral("Shape1"), L.titleRule.x, L.titleRule.y, L.titleRule.w, L.titleRule.h,
                            rule));
    b.add(ReportItem::hline(QStringLiteral("Shape2"), L.nameRule.x, L.nameRule.y, L.nameRule.w, L.nameRule.h, rule));
    ReportItem &box = b.add(ReportItem::rect(QStringLiteral("Shape3"), L.amountBox.x, L.amountBox.y, L.amountBox.w,
                                             L.amountBox.h, Pen{winColor(base.Color4), 0.2, PenStyle::Solid},
                                             color1));
    box.penInside = true;

    // The title stops short of the date, the date at the end of the rule
    // under both.
    ReportItem midashi = ReportItem::label(QStringLiteral("Midashi"), L.midashi.x, L.midashi.y,
                                           font(face1, L.midashi.pt, true));
    b.add(fitted(midashi, L.date.x - L.midashi.x - 0.5, L.midashi.pt * 0.6)).supply = [this] { return title(); };
    ReportItem date = ReportItem::label(QStringLiteral("Date"), L.date.x, L.date.y, font(kMincho, L.date.pt));
    b.add(fitted(date, L.titleRule.right() - L.date.x, L.date.pt * 0.7)).supply = [this] { return dateText; };
    // A long name gets a little smaller, then takes two lines, always
    // standing on its rule.
    ReportItem guest = ReportItem::label(QStringLiteral("GuestName"), L.guest.x, L.guest.y,
                                         font(face1, L.guest.pt, true));
    fitted(guest, L.nameRule.right() - L.guest.x, L.guest.pt * 0.7);
    guest.maxLines = 2;
    guest.minWrapPointSize = L.guest.pt * 0.5;
    b.add(guest).supply = [this] { return guestText(); };
    // The message stays above the amount box.
    ReportItem memo = ReportItem::memo(QStringLiteral("QRMemo1"), L.memo.x, L.memo.y, L.memoWidth,
                                       font(kPMincho, L.memo.pt));
    memo.height = L.amountBox.y - L.memo.y - 0.2;
    memo.minPointSize = std::min<qreal>(6, L.memo.pt);
    b.add(memo).supply = [this] { return messageText; };
    const FontSpec captionFont = font(face1, L.caption.pt, true);
    b.add(ReportItem::label(QStringLiteral("QRLabel15"), L.caption.x, L.caption.y, captionFont)).supply = [this] {
        return caption();
    };
    // In English "JPY" stands beside the amount, which then has no yen sign.
    ReportItem amount = ReportItem::rightLabel(QStringLiteral("QRLabel16"), L.amount.x, L.amount.y,
                                               font(face1, L.amount.pt, true));
    const qreal captionEnd = L.caption.x + measure.width(captionFont, caption()) + 1.0;
    b.add(fitted(amount, L.amount.x - std::max(captionEnd, L.amountBox.x + kPad), L.amount.pt * 0.6)).supply =
        [this] {
            if (english)
                return amountText(RowBalance, false).trimmed();
            // A received amount closes with "-", so nothing can be written after it.
            const QString yen = amountText(RowBalance, true);
            return Kind == KindReceipt && !yen.isEmpty() ? yen + QStringLiteral("-") : yen;
        };
    b.add(ReportItem::label(QStringLiteral("QRLabel17"), english ? L.currencyXEnglish : L.currency.x, L.currency.y,
                            font(L.currencyFace, L.currency.pt)))
        .text = english ? QStringLiteral("JPY") : QStringLiteral("\u3000");
    if (L.paymentLine) {
        ReportItem pay = ReportItem::rightLabel(QStringLiteral("QRLabel7"), L.payment.x, L.payment.y,
                                                font(kPGothic, L.payment.pt));
        b.add(fitted(pay, L.payment.x - L.amountBox.x - kPad, std::min<qreal>(5, L.payment.pt))).supply = [this] {
            return paymentText(false);
        };
    }

    // A logo too large for the space above the address lines is made
    // smaller (their place is known once they are laid out, below).
    b.add(ReportItem::picture(QStringLiteral("LogoImage"), L.logo.x, L.logo.y, L.logo.w, L.logo.h, QImage()))
        .fitImage = true;
    ReportItem name = ReportItem::label(QStringLiteral("Sisetumei"), L.facility.x, L.facility.y,
                                        font(kPGothic, L.facilityPt, true));
    fitted(name, L.facility.w, L.facilityPt * 0.6);
    name.clip = true;
    b.add(name).supply = [this] { return facilityName; };

    // The logo and the facility name stay above the address lines.
    const qreal addressTop = addAddressBlock(
        b.items, measure,
        {{{QStringLiteral("ZipCode"), L.zip, labelled(QStringLiteral("〒"), fieldText(base.ZipCode))},
          {QStringLiteral("Jusyo"), L.jusyo, fieldText(base.Jusyo)},
          {QStringLiteral("TelNo"), L.tel, labelled(QStringLiteral("TEL:"), fieldText(base.TelNo))},
          {QStringLiteral("FaxNo"), L.fax, labelled(QStringLiteral("FAX:"), fieldText(base.FaxNo))},
          {QStringLiteral("URL"), L.url, labelled(QStringLiteral("URL:"), fieldText(base.URL))},
          {QStringLiteral("EMail"), L.email, labelled(QStringLiteral("Mail:"), fieldText(base.EMail))}}},
        L.itemsRight, L.headerHeight);
    const qreal nameBottom = addRegistrationLine(b.items, QStringLiteral("RegistrationNo"), L.facility.x, L.itemsRight,
                                                 addressTop, L.zip.pt);
    ReportItem *logo = b.item(QStringLiteral("LogoImage"));
    logo->height = std::min(L.logo.h, nameBottom - L.logo.y);
    b.item(QStringLiteral("Sisetumei"))->height = std::min(L.facility.h, nameBottom - L.facility.y);
}

void TPrintForm::setUpColumnHeader()
{
    Band &b = rep.columnHeader;
    b.height = L.columnHeight;
    const Pen frame{winColor(base.Color4), 0.1, PenStyle::Solid};
    const QColor color2 = winColor(base.Color2);
    // One row of cells: each cell's right side is the next one's left, and
    // the first cell alone draws its left side. The cells reach the foot of
    // the band, where the detail rows begin.
    for (int i = 0; i < 5; ++i) {
        const qreal right = i < 4 ? L.cells[i + 1].left : L.cells[i].left + L.cells[i].width;
        ReportItem &cell = b.add(ReportItem::rect(QStringLiteral("Shape%1").arg(4 + i), L.cells[i].left, L.cellTop,
                                                  right - L.cells[i].left, L.columnHeight - L.cellTop, frame,
                                                  color2));
        cell.edges = i == 0 ? kAllEdges : Qt::TopEdge | Qt::RightEdge | Qt::BottomEdge;
    }

    // Plan, then the room just after it when there is one, underlined
    // together; both stop short of the stay line, smaller type first, then
    // the plan is cut.
    const QString plan = bill.PlanEdit;
    const QString room = english ? QStringLiteral("Room: ") + bill.RoomEdit : QStringLiteral("部屋：") + bill.RoomEdit;
    const FontSpec stayFont = font(kPGothic, L.stay.pt);
    const qreal stayLeft = L.stay.x - measure.width(stayFont, stayText());
    if (L.roomFollowsPlan) {
        FontSpec f = font(kPGothic, L.plan.pt);
        const bool hasRoom = !bill.RoomEdit.isEmpty();
        const qreal room0 = L.room.x;
        const bool sameLine = std::abs(L.stay.y - L.plan.y) < measure.lineHeight(f);
        const qreal limit = (sameLine ? stayLeft - kPlanStayGap : L.itemsRight) - L.plan.x;
        auto need = [&](const FontSpec &g) {
            return measure.width(g, plan) + (hasRoom ? 0.5 + measure.width(g, room) : 0);
        };
        while (need(f) > limit && f.pointSize - 0.5 >= L.plan.pt * 0.75 - 1e-6)
            f.pointSize -= 0.5;
        QString planText = plan;
        if (need(f) > limit)
            planText = measure.elide(f, plan, limit - (hasRoom ? 0.5 + measure.width(f, room) : 0));
        const qreal planWidth = measure.width(f, planText);
        qreal roomLeft = room0;
        qreal roomWidth = 0;
        if (hasRoom) {
            roomLeft = L.plan.x + planWidth + 0.5;
            roomWidth = measure.width(f, room);
        }
        const qreal dy = measure.ascent(font(kPGothic, L.plan.pt)) - measure.ascent(f);
        b.add(ReportItem::hline(QStringLiteral("QRShape1"), 0.0, L.underlineY, planWidth + roomWidth + 0.5,
                                L.underlineH, kBlack));
        b.add(ReportItem::label(QStringLiteral("QRLabel20"), L.plan.x, L.plan.y + dy, f)).text = planText;
        // Without a room the caption stays at its place, where it must not
        // run into the stay line either.
        ReportItem roomLabel = ReportItem::label(L.roomName, roomLeft, L.room.y + dy, f);
        if (!hasRoom)
            fitted(roomLabel, (sameLine ? stayLeft - kPlanStayGap : L.itemsRight) - roomLeft, L.room.pt * 0.75);
        b.add(roomLabel).text = room;
    } else {
        // The room stands alone at the top right, the plan on the stay line.
        ReportItem planLabel = ReportItem::label(QStringLiteral("QRLabel20"), L.plan.x, L.plan.y,
                                                 font(kPGothic, L.plan.pt));
        b.add(fitted(planLabel, stayLeft - kPlanStayGap - L.plan.x, L.plan.pt * 0.75)).text = plan;
        ReportItem roomLabel = ReportItem::label(L.roomName, L.room.x, L.room.y, font(kPGothic, L.room.pt));
        b.add(fitted(roomLabel, L.itemsRight - L.room.x, L.room.pt * 0.6)).text = room;
    }
    b.add(ReportItem::rightLabel(QStringLiteral("QRLabel19"), L.stay.x, L.stay.y, stayFont)).supply = [this] {
        return stayText();
    };

    static const char *names[5] = {"QRLabel1", "QRLabel2", "QRLabel4", "QRLabel5", "QRLabel6"};
    static const QString ja[5] = {QStringLiteral("日付"), QStringLiteral("摘要"), QStringLiteral("単価"),
                                  QStringLiteral("数量"), QStringLiteral("計")};
    static const QString en[5] = {QStringLiteral("Date"), QStringLiteral("Description"), QStringLiteral("Unit price"),
                                  QStringLiteral("Qty"), QStringLiteral("Charge")};
    const FontSpec heading = font(kPGothic, L.headingPt, true);
    for (int i = 0; i < 5; ++i) {
        ReportItem h = ReportItem::centred(QLatin1String(names[i]), L.cells[i].left + kPad, L.cells[i].width - 2 * kPad,
                                           L.headingY, heading);
        fitted(h, L.cells[i].width - 2 * kPad, L.headingPt * 0.7, QStringLiteral("headings"));
        b.add(h).text = english ? en[i] : ja[i];
    }
}

void TPrintForm::setUpDetail()
{
    Band &b = rep.detail;
    b.height = L.rowHeight;
    b.growInSteps = true;
    const Pen frame{winColor(base.Color4), 0.1, PenStyle::Solid};
    // Each row frames its right and bottom sides; its top is the row above
    // or the heading cells.
    for (int i = 0; i < 5; ++i) {
        const qreal right = i < 4 ? L.cells[i + 1].left : L.cells[i].left + L.cells[i].width;
        ReportItem &cell = b.add(ReportItem::rect(QStringLiteral("Shape%1").arg(9 + i), L.cells[i].left, 0.0,
                                                  right - L.cells[i].left, L.rowHeight, frame));
        cell.edges = i == 0 ? Qt::LeftEdge | Qt::RightEdge | Qt::BottomEdge : Qt::RightEdge | Qt::BottomEdge;
        cell.stretch = true;
    }
    const QString face2 = fieldText(base.FontName2);
    const FontSpec text = font(face2, L.detailPt);
    const bool large = base.FontKubun == 1;
    const qreal totalPt = L.fontKubunApplies ? (large ? 11 : 9) : L.totalPt;
    const qreal totalY = L.detailY - (L.fontKubunApplies && large ? 0.5 : 0);
    auto cellRight = [&](int i) { return i < 4 ? L.cells[i + 1].left : L.cells[i].left + L.cells[i].width; };

    ReportItem atdate = ReportItem::centred(QStringLiteral("Atdate"), L.cells[0].left + kPad,
                                            cellRight(0) - L.cells[0].left - 2 * kPad, L.detailY,
                                            font(face2, L.atdatePt));
    b.add(fitted(atdate, atdate.width, L.atdatePt * 0.7)).supply = [this] {
        const TReserveData *l = currentLine();
        if (!l)
            return QString();
        // In English the day before the month, as in the document's date: "8 Dec".
        const QDate d = english ? readDate(fieldText(l->Rsvday)) : QDate();
        return d.isValid() ? QLocale(QLocale::English).toString(d, QStringLiteral("d MMM"))
                           : bytesMid(fieldText(l->Rsvday), 6, 5);
    };
    // A long description gets a little smaller; what still does not fit
    // wraps, and its row grows by whole rows.
    ReportItem tekiyou = ReportItem::memo(QStringLiteral("Tekiyou"), L.tekiyouX, L.detailY, L.tekiyouWidth, text);
    tekiyou.wordWrap = false;
    tekiyou.grows = true;
    tekiyou.minPointSize = L.detailPt - 1.5;
    b.add(tekiyou).supply = [this] {
        const TReserveData *l = currentLine();
        if (!l)
            return QString();
        return (invoice && bill.marksReduced(*l) ? QStringLiteral("※") : QString()) + fieldText(l->Kamoku);
    };
    ReportItem tanka = ReportItem::rightLabel(QStringLiteral("Tanka"), L.tankaRight, L.detailY, text);
    b.add(fitted(tanka, L.tankaRight - L.cells[2].left - kPad, L.detailPt * 0.7)).supply = [this] {
        const TReserveData *l = currentLine();
        return l && l->Tanka != 0 ? pictureText(l->Tanka, kMaskTanka) : QString();
    };
    ReportItem suryou = ReportItem::rightLabel(QStringLiteral("Suryou"), L.suryouRight, L.detailY, text);
    b.add(fitted(suryou, L.suryouRight - L.cells[3].left - kPad, L.detailPt * 0.7)).supply = [this] {
        const TReserveData *l = currentLine();
        return l && l->Suryou != 0 ? pictureText(l->Suryou, kMaskSuryou) : QString();
    };
    ReportItem total = ReportItem::rightLabel(QStringLiteral("Total"), L.totalRight, totalY, font(face2, totalPt));
    b.add(fitted(total, L.totalRight - L.cells[4].left - kPad, totalPt * 0.7)).supply = [this] {
        const TReserveData *l = currentLine();
        if (!l || (l->Tanka == 0 && l->Suryou == 0))
            return QString();
        return pictureText(int64_t(l->Tanka) * l->Suryou, kMaskAmount);
    };

    // The lines in list order, then empty rows to the foot of the last page:
    // 16 rows fill a page, fewer when a long description makes its row taller.
    // Blank lines at the end of the list are printed as those empty rows, so
    // that a taller row never pushes mere blank lines onto a page of their own.
    rep.moreRows = [this] { return LineIndex < rowLines; };
    rep.padLastPage = true;
    rep.blankRows = [this](bool on) { blank = on; };
    b.afterPrint = [this] {
        if (LineIndex < lines.size())
            ++LineIndex;
        ++RowCount;
    };
}

void TPrintForm::setUpFooter()
{
    Band &b = rep.pageFooter;
    b.height = L.footerHeight;
    const Pen frame{winColor(base.Color4), 0.1, PenStyle::Solid};
    const QString face3 = fieldText(base.FontName3);
    const bool large = base.FontKubun == 1;
    const qreal amountPt = L.fontKubunApplies ? (large ? 11 : 9) : L.totalPt;
    const qreal amountDy = L.labelDy - (L.fontKubunApplies && large ? 0.5 : 0);

    // Rows that meet share one border: a row reaches the next one's top when
    // the gap is under kJoin (two rules that close read as a smudged double
    // line), and frames its top only when no row ends there.
    for (int row = 0; row < BillRows; ++row) {
        std::optional<QColor> fill;
        if (row == RowTotal)
            fill = winColor(base.Color3);
        else if (row == RowBalance)
            fill = winColor(base.Color1);
        const qreal top = L.rowTop[row];
        qreal height = L.totalsRowHeight;
        if (row + 1 < BillRows && L.rowTop[row + 1] - top <= L.totalsRowHeight + kJoin)
            height = L.rowTop[row + 1] - top;
        const bool joined = row > 0 && std::abs(L.rowTop[row - 1] + L.totalsRowHeight - top) <= kJoin + 1e-6;
        const Qt::Edges edges = joined ? Qt::LeftEdge | Qt::RightEdge | Qt::BottomEdge : kAllEdges;
        ReportItem &label = b.add(ReportItem::rect(QStringLiteral("Shape%1").arg(14 + 2 * row), L.labelCellX, top,
                                                   L.amountCellX - L.labelCellX, height, frame, fill));
        label.edges = edges;
        ReportItem &amount = b.add(ReportItem::rect(QStringLiteral("Shape%1").arg(15 + 2 * row), L.amountCellX, top,
                                                    L.amountCellW, height, frame, fill));
        amount.edges = edges & ~Qt::LeftEdge;
    }
    // Each label keeps its size unless it alone does not fit: then it gets
    // smaller, down to kSmallestLabel, then takes two lines within its row.
    // The amounts of the column share one size.
    for (int row = 0; row < BillRows; ++row) {
        const qreal top = L.rowTop[row];
        const bool last = row == RowBalance;
        const qreal x = last ? L.label7X : L.labelX;
        ReportItem label = ReportItem::label(QStringLiteral("GLabel%1").arg(row), x, top + L.labelDy,
                                             font(face3, L.labelPt, last));
        fitted(label, L.amountCellX - kPad - x, std::min(kSmallestLabel, L.labelPt));
        label.maxLines = 2;
        // Two lines at 7 pt need a hair more than a 5.3 mm row; their boxes
        // may touch its rules, the glyphs stay well inside. Where the row
        // holds two lines at kSmallestLabel (beside the large amounts of A4
        // and B5) the wrapped lines get no smaller than that.
        label.wrapTop = top - 0.05;
        label.wrapHeight =
            std::min(L.totalsRowHeight, row + 1 < BillRows ? L.rowTop[row + 1] - top : L.totalsRowHeight) + 0.1;
        const bool twoLegibleLines = 2 * measure.lineHeight(font(face3, kSmallestLabel)) <= label.wrapHeight;
        label.minWrapPointSize = std::min<qreal>(twoLegibleLines ? kSmallestLabel : 6, L.labelPt);
        b.add(label).supply = [this, row] {
            // The last row says what the document is about: an estimate's
            // total, or on a receipt the amount received (a receipt asks
            // for nothing more).
            if (row == RowBalance && Kind == KindEstimate)
                return english ? QStringLiteral("Estimated total") : QStringLiteral("お見積金額");
            if (row == RowBalance && Kind == KindReceipt)
                return english ? QStringLiteral("Amount received") : QStringLiteral("領収金額");
            // A discount or deposit row the bill does not use prints empty.
            const QString text = bill.rowLabel(row);
            return text.trimmed() == BillPlaceholder ? QString() : text;
        };
        ReportItem amount = ReportItem::rightLabel(QStringLiteral("GNum%1").arg(row), L.amountRight, top + amountDy,
                                                   font(face3, amountPt));
        b.add(fitted(amount, L.amountRight - L.amountCellX - kPad, amountPt * 0.7, QStringLiteral("amounts")))
            .supply = [this, row] { return amountText(row, row == RowBalance && !english); };
    }

    // The proviso of a receipt, when the bill asks for it, in the free
    // space left of the totals and above the stamp box: 但, the text standing
    // on a rule, a little smaller, then on two lines.
    if (!L.combined && Kind == KindReceipt && bill.TadashiCheck) {
        const FontSpec f = font(kPMincho, L.provisoPt);
        const qreal y = L.proviso.y - 0.4 - measure.lineHeight(f);
        b.add(ReportItem::label(QStringLiteral("QRLabel29"), L.proviso.x, y, f)).text = provisoMark();
        const qreal x = L.proviso.x + measure.width(f, provisoMark()) + 1.0;
        ReportItem tadashi = ReportItem::label(QStringLiteral("TadashiLabel"), x, y, f);
        fitted(tadashi, L.proviso.right() - x, std::max(kSmallestLabel, L.provisoPt * 0.75));
        tadashi.maxLines = 2;
        tadashi.minWrapPointSize = 6;
        b.add(tadashi).text = fieldText(base.Tadashi);
        b.add(ReportItem::hline(QStringLiteral("QRShape8"), L.proviso.x, L.proviso.y, L.proviso.w, 0,
                                Pen{winColor(base.Color4), 0.1, PenStyle::Solid}));
    }

    // The invoice of a registered facility (bill or receipt), left of the
    // totals: the tax per rate, the legend of the reduced rate and what is
    // outside the tax, read together as one block below the proviso. On a
    // receipt the stamp's place stays: the block goes above or below it,
    // else the place moves to the foot under the block, else (small paper,
    // English, two rates and a proviso) it reaches into the bottom margin
    // under the block; a stamp may stand anywhere on a receipt, but never
    // goes missing.
    stampAt = L.stampBox;
    if (invoice) {
        const qreal right = L.labelCellX - 1.0;
        const qreal foot = L.footerHeight - 0.3;
        const qreal top = b.item(QStringLiteral("QRShape8")) ? L.proviso.y + kClearOfProviso : 0.2;
        const qreal pt = std::clamp<qreal>(L.provisoPt * 0.7, kSmallestInvoice, 8);
        const QString name = QStringLiteral("Invoice");
        const bool stampPlace = Kind == KindReceipt;
        bool placed = false;
        if (!stampPlace) {
            placed = addInvoiceLines(b.items, name, {{0, top, right, foot - top}}, true, pt);
        } else {
            QList<FrameSpot> aroundStamp;
            if (stampAt.y - 0.5 - top > 0)
                aroundStamp.append({0, top, right, stampAt.y - 0.5 - top});
            aroundStamp.append({0, stampAt.bottom() + 0.5, right, foot - stampAt.bottom() - 0.5});
            placed = addInvoiceLines(b.items, name, aroundStamp, true, pt);
            if (!placed) {
                stampAt.y = foot - stampAt.h;
                placed = addInvoiceLines(b.items, name, {{0, top, right, stampAt.y - 0.5 - top}}, true, pt);
            }
            if (!placed) {
                // Under the block, as high as it can stand.
                const qreal lowest = L.footerHeight + rep.page.bottomMm - kLowestStamp - stampAt.h;
                placed = addInvoiceLines(b.items, name, {{0, top, right, lowest - 0.5 - top}}, false, pt);
                qreal blockBottom = top;
                for (const ReportItem &item : b.items)
                    if (item.name.startsWith(name))
                        blockBottom = std::max(blockBottom, item.y + measure.lineHeight(item.font));
                stampAt.y = std::max(L.stampBox.y, blockBottom + 0.5);
            }
        }
        if (!placed)
            addInvoiceLines(b.items, name, {{0, top, right, 1e6}}, false, kSmallestInvoice);
    }

    // The box for the revenue stamp of receipts and estimates.
    ReportItem stamp = ReportItem::rect(QStringLiteral("QRShape26"), stampAt.x, stampAt.y, stampAt.w, stampAt.h,
                                        Pen{QColor(0xC0, 0xC0, 0xC0), 0.2, PenStyle::Dot});
    stamp.visible = Kind == KindReceipt || Kind == KindEstimate;
    b.add(stamp);
    if (!L.combined && Kind == KindReceipt)
        addStampFrame(b.items, QString(), stampAt.x, stampAt.y, stampAt.w, stampAt.h);
}

// The frame 「収入印紙」 where the stamp goes, in place of the dotted box; Run
// shows it on a receipt that needs a stamp.
void TPrintForm::addStampFrame(QList<ReportItem> &out, const QString &suffix, qreal x, qreal y, qreal w, qreal h)
{
    const QColor grey(0x80, 0x80, 0x80);
    ReportItem frame = ReportItem::rect(QStringLiteral("Stamp") + suffix, x, y, w, h, Pen{grey, 0.2, PenStyle::Solid});
    frame.visible = false;
    out.append(frame);
    const FontSpec f = font(kPGothic, 7);
    ReportItem caption = ReportItem::centred(QStringLiteral("StampCaption") + suffix, x + kPad, w - 2 * kPad,
                                             y + (h - measure.lineHeight(f)) / 2, f);
    caption.text = QStringLiteral("収入印紙");
    caption.color = grey;
    caption.visible = false;
    out.append(caption);
}

// The receipt half of the combined sheet: items on the paper, on every
// sheet, in the layout's own faces and in black.
void TPrintForm::setUpReceiptHalf()
{
    const ReceiptHalfLayout &r = L.receipt;
    QList<ReportItem> &p = rep.pageItems;
    const qreal paperRight = rep.page.paperMm().width() - rep.page.rightMm;

    p.append(ReportItem::vline(QStringLiteral("QRShape2"), r.dividerX, 0, 0, rep.page.paperMm().height(),
                               Pen{Qt::black, 0.1, PenStyle::Dash}));
    p.append(ReportItem::label(QStringLiteral("QRLabel3"), r.title.x, r.title.y, font(kPGothic, r.title.pt)));
    p.last().text = english ? QStringLiteral("Receipt") : QStringLiteral("領収書");
    ReportItem addressee = ReportItem::label(QStringLiteral("QRLabel7"), r.addressee.x, r.addressee.y,
                                             font(kPGothic, r.addressee.pt, true));
    fitted(addressee, r.nameRule.right() - r.addressee.x, r.addressee.pt * 0.7);
    addressee.maxLines = 2;
    addressee.minWrapPointSize = r.addressee.pt * 0.5;
    addressee.supply = [this] { return guestText(); };
    p.append(addressee);
    ReportItem date = ReportItem::label(QStringLiteral("QRLabel9"), r.date.x, r.date.y, font(kMincho, r.date.pt));
    fitted(date, paperRight - r.date.x, r.date.pt * 0.7).supply = [this] { return dateText; };
    p.append(date);
    p.append(ReportItem::hline(QStringLiteral("QRShape6"), r.nameRule.x, r.nameRule.y, r.nameRule.w, r.nameRule.h,
                               kBlack));
    ReportItem memo = ReportItem::memo(QStringLiteral("QRMemo2"), r.memo.x, r.memo.y, r.memoWidth,
                                       font(kPMincho, r.memo.pt));
    memo.height = r.amountBox.y - r.memo.y - 0.2;
    memo.minPointSize = 6;
    memo.supply = [this] { return documentMessage(base.CommentR, true); };
    p.append(memo);
    ReportItem box = ReportItem::rect(QStringLiteral("QRShape5"), r.amountBox.x, r.amountBox.y, r.amountBox.w,
                                      r.amountBox.h, Pen{Qt::black, 0.2, PenStyle::Solid}, winColor(base.Color1));
    box.penInside = true;
    p.append(box);
    const FontSpec captionFont = font(kGothic, r.caption.pt, true);
    const QString captionText = english ? QStringLiteral("Receipt") : QStringLiteral("領収金額");
    p.append(ReportItem::label(QStringLiteral("QRLabel10"), r.caption.x, r.caption.y, captionFont));
    p.last().text = captionText;
    ReportItem amount = ReportItem::rightLabel(QStringLiteral("QRLabel11"), r.amount.x, r.amount.y,
                                               font(kPGothic, r.amount.pt, true));
    const qreal captionEnd = r.caption.x + measure.width(captionFont, captionText) + 1.0;
    fitted(amount, r.amount.x - captionEnd, r.amount.pt * 0.6).supply = [this] { return receivedText(); };
    p.append(amount);
    // The tax breakdown stays legible: at least 6 pt, on two lines above the
    // payment line if it must.
    const qreal taxPt = std::max<qreal>(6, r.taxLine.pt);
    ReportItem tax = ReportItem::label(QStringLiteral("QRLabel26"), r.taxLine.x, r.taxLine.y, font(kPGothic, taxPt));
    fitted(tax, r.amountBox.right() - kPad - r.taxLine.x, taxPt).supply = [this] { return taxBreakdownText(); };
    tax.maxLines = 2;
    tax.minWrapPointSize = 6;
    tax.wrapTop = r.taxLine.y;
    tax.wrapHeight = r.payment.y - r.taxLine.y;
    p.append(tax);
    ReportItem pay = ReportItem::rightLabel(QStringLiteral("QRLabel30"), r.payment.x, r.payment.y,
                                            font(kPGothic, r.payment.pt));
    fitted(pay, r.payment.x - r.amountBox.x - kPad, 5).supply = [this] { return paymentText(true); };
    p.append(pay);
    p.append(ReportItem::label(QStringLiteral("QRLabel29"), r.tadashiMark.x, r.tadashiMark.y,
                               font(kPMincho, r.tadashiMark.pt)));
    p.last().text = provisoMark();
    ReportItem tadashi = ReportItem::label(QStringLiteral("TadashiLabel"), r.tadashi.x, r.tadashi.y,
                                           font(kPMincho, r.tadashi.pt));
    fitted(tadashi, r.tadashiWidth, r.tadashi.pt - 1.5).text =
        bill.TadashiCheck ? fieldText(base.Tadashi) : QString();
    p.append(tadashi);
    p.append(ReportItem::hline(QStringLiteral("QRShape8"), r.tadashiRule.x, r.tadashiRule.y, r.tadashiRule.w,
                               r.tadashiRule.h, kBlack));
    p.append(ReportItem::rect(QStringLiteral("QRShape7"), r.blankBox.x, r.blankBox.y, r.blankBox.w, r.blankBox.h,
                              Pen{QColor(0xC0, 0xC0, 0xC0), 0.2, PenStyle::Dot}));
    addStampFrame(p, QStringLiteral("2"), r.blankBox.x, r.blankBox.y, r.blankBox.w, r.blankBox.h);
    const qreal addressTop = addAddressBlock(
        p, measure,
        {{{QStringLiteral("QRLabel13"), r.zip, labelled(QStringLiteral("〒"), fieldText(base.ZipCode))},
          {QStringLiteral("QRLabel14"), r.jusyo, fieldText(base.Jusyo)},
          {QStringLiteral("QRLabel21"), r.tel, labelled(QStringLiteral("TEL:"), fieldText(base.TelNo))},
          {QStringLiteral("QRLabel24"), r.fax, labelled(QStringLiteral("FAX:"), fieldText(base.FaxNo))},
          {QStringLiteral("QRLabel22"), r.url, labelled(QStringLiteral("URL:"), fieldText(base.URL))},
          {QStringLiteral("QRLabel23"), r.email, labelled(QStringLiteral("Mail:"), fieldText(base.EMail))}}},
        paperRight, rep.page.paperMm().height() - rep.page.bottomMm);
    const qreal nameBottom =
        addRegistrationLine(p, QStringLiteral("RegistrationNo2"), r.facility.x, paperRight, addressTop, r.zip.pt);
    // The tax per rate under the proviso, left of the facility's name and
    // above the stamp box; what does not fit there under the stamp box.
    if (invoice) {
        const qreal right = std::min(r.logo.x, r.facility.x) - 1.0;
        const qreal top = r.tadashiRule.y + 1.0;
        const qreal belowStamp = r.blankBox.bottom() + 0.5;
        const QList<FrameSpot> spaces{{r.tadashiRule.x, top, right - r.tadashiRule.x, r.blankBox.y - 0.5 - top},
                                      {r.tadashiRule.x, belowStamp, right - r.tadashiRule.x,
                                       rep.page.paperMm().height() - rep.page.bottomMm - belowStamp}};
        if (!addInvoiceLines(p, QStringLiteral("Invoice2_"), spaces, false, 7))
            addInvoiceLines(p, QStringLiteral("Invoice2_"), {{spaces.first().x, top, spaces.first().w, 1e6}}, false,
                            kSmallestInvoice);
    }
    ReportItem logo = ReportItem::picture(QStringLiteral("QRImage1"), r.logo.x, r.logo.y, r.logo.w,
                                          std::min(r.logo.h, nameBottom - r.logo.y), QImage());
    logo.fitImage = true;
    p.append(logo);
    ReportItem name = ReportItem::label(QStringLiteral("Sisetumei2"), r.facility.x, r.facility.y,
                                        font(kPGothic, r.facilityPt, true));
    name.height = std::min(r.facility.h, nameBottom - r.facility.y);
    fitted(name, r.facility.w, r.facilityPt * 0.6);
    name.clip = true;
    name.supply = [this] { return facilityName; };
    p.append(name);
}

// 但 before the proviso; in English "For".
QString TPrintForm::provisoMark() const
{
    return english ? QStringLiteral("For") : QStringLiteral("但");
}

// The inn's message for the bill or the receipt. An English document takes
// it as typed when the inn wrote it in English; a Japanese one a guest could
// not read gives way to the usual English words.
template <std::size_t N> QString TPrintForm::documentMessage(const char (&field)[N], bool receipt) const
{
    const QString typed = settingLines(fieldText(field));
    if (!english || !hasJapaneseScript(typed))
        return typed;
    return receipt ? QStringLiteral("Received with thanks the amount below.")
                   : QStringLiteral("Please pay the amount below.");
}

QString TPrintForm::title() const
{
    static const QString ja[] = {QStringLiteral("請求書"), QStringLiteral("領収書"), QStringLiteral("お見積書")};
    static const QString en[] = {QStringLiteral("Bill"), QStringLiteral("Receipt"), QStringLiteral("Estimate")};
    const int k = std::clamp(Kind, 1, 3) - 1;
    return english ? en[k] : ja[k];
}

// The mark of a reissued receipt: 「再発行 2026年12月11日」 (the day of the
// reissue, not the settlement's) framed, on the paper above the title where
// nothing else stands, so it reads as a mark and never takes the title's room.
// On the combined sheet it stands above the receipt half's title.
void TPrintForm::setReissue(const QDate &date)
{
    if (!date.isValid() || !(L.combined || Kind == KindReceipt))
        return;
    const QString text = english ? QStringLiteral("REISSUED ") + QLocale(QLocale::English).toString(date, kDateEn)
                                 : QStringLiteral("再発行 ") + date.toString(kDateJa);
    const FontSpec f = font(kPGothic, std::min<qreal>(L.date.pt, 12), true);
    const qreal pad = 0.8;
    const qreal w = measure.width(f, text) + 2 * pad;
    const qreal h = measure.lineHeight(f) + 2 * pad;
    qreal x = rep.page.leftMm;
    qreal y = rep.page.topMm - h - 1.5;
    if (L.combined) {
        x = L.receipt.amountBox.right() - w;
        y = L.receipt.title.y - h - 1.5;
    }
    rep.pageItems.append(ReportItem::rect(QStringLiteral("ReissueFrame"), x, y, w, h, Pen{Qt::black, 0.3, PenStyle::Solid}));
    ReportItem mark = ReportItem::label(QStringLiteral("Reissue"), x + pad, y + pad, f);
    mark.text = text;
    rep.pageItems.append(mark);
}

QString TPrintForm::caption() const
{
    static const QString ja[] = {QStringLiteral("ご請求金額"), QStringLiteral("領収金額"), QStringLiteral("お見積金額")};
    static const QString en[] = {QStringLiteral("Bill"), QStringLiteral("Receipt"), QStringLiteral("Estimate")};
    const int k = std::clamp(Kind, 1, 3) - 1;
    return english ? en[k] : ja[k];
}

QString TPrintForm::guestText() const
{
    const QString name = bill.NameEdit;
    const QString honorific = bill.KeisyouCombo.text(bill.LangFlag);
    return english ? honorific + QLatin1Char(' ') + name : name + QLatin1Char(' ') + honorific;
}

QString TPrintForm::amountText(int row, bool yen) const
{
    const QString t = bill.SaNumEdit[row].trimmed();
    int64_t v = 0;
    if (t.isEmpty() || !readAmount(t, &v))
        return QString();
    const QString formatted = pictureText(v, kMaskAmount);
    return yen ? kYen + formatted.trimmed() : formatted;
}

// The card payment of a receipt; always: whatever the kind (the receipt
// half of the combined sheet).
QString TPrintForm::paymentText(bool always) const
{
    const QString card = bill.cardKind();
    if ((!always && Kind != KindReceipt) || card.isEmpty())
        return QString();
    int64_t paid = 0;
    if (!readAmount(bill.SaNumEdit[8], &paid))
        paid = 0;
    const QString amount = pictureText(paid, kMaskAmount).trimmed();
    if (english)
        return QStringLiteral("(of which JPY ") + amount + QStringLiteral(" paid by ") + card + QLatin1Char(')');
    return QStringLiteral("(内 ") + card + QStringLiteral("にて ") + kYen + amount + QStringLiteral("- お支払い)");
}

QString TPrintForm::stayText() const
{
    if (nights == 0)
        return QString();
    const QString caption = bill.StayLabel;
    const QString n = QString::number(nights);
    if (english) {
        // The caption reads 2007年08月09日(木)から: "from 9 Aug  2 nights".
        const int month = bytesMid(caption, 7, 2).toInt();
        const int day = bytesMid(caption, 11, 2).toInt();
        const QString from = month >= 1 && month <= 12
                                 ? QString::number(day) + QLatin1Char(' ')
                                       + QLocale(QLocale::English).monthName(month, QLocale::ShortFormat)
                                 : bytesMid(caption, 11, 2) + QLatin1Char('/') + bytesMid(caption, 7, 2);
        return QStringLiteral("from ") + from + QStringLiteral("  ") + n
               + (nights == 1 ? QStringLiteral(" night") : QStringLiteral(" nights"));
    }
    return bytesMid(caption, 7) + n + QStringLiteral("泊");
}

// The received amount of the receipt half: the amount billed with the yen
// sign (or JPY) before it and "-" after it.
QString TPrintForm::receivedText() const
{
    const QString t = bill.SaNumEdit[RowBalance].trimmed();
    int64_t v = 0;
    if (t.isEmpty() || !readAmount(t, &v))
        return QString();
    const QString amount = pictureText(v, kMaskAmount).trimmed();
    return english ? QStringLiteral("JPY ") + amount : kYen + amount + QStringLiteral("-");
}

// "(内 " and the consumption tax and bathing tax in the bill's own words,
// Japanese only. An included tax drops the label's own "(内 " and ")".
QString TPrintForm::taxBreakdownText() const
{
    if (english)
        return QString();
    auto piece = [](const QString &label, bool whole) {
        return (whole ? label : bytesRange(label, 4, int(cp932::encode(label).size()) - 1)).trimmed();
    };
    // Grouped, and apart from the rate before it: "消費税8% 3,703円".
    auto yen = [](const QString &amount) {
        int64_t v = 0;
        return (readAmount(amount, &v) ? pictureText(v, kMaskAmount).trimmed() : amount) + QStringLiteral("円");
    };
    QString t = QStringLiteral("(内 ");
    const QString tax = bill.SaNumEdit[RowTax].trimmed();
    if (!tax.isEmpty())
        t += piece(bill.GEdit[RowTax], base.TaxKubun != 0) + QLatin1Char(' ') + yen(tax) + QLatin1Char(' ');
    const QString bath = bill.SaNumEdit[RowAdvance].trimmed();
    if (!bath.isEmpty())
        // Row 4 is wrapped in "(内 …)" only while it holds an included bathing tax alone.
        t += piece(bill.GEdit[RowAdvance], !bill.GEdit[RowAdvance].startsWith(QStringLiteral("(内 ")))
            + QLatin1Char('=') + yen(bath) + QLatin1Char(' ');
    return t + QLatin1Char(')');
}

// "登録番号 T…" just above the address lines, the facility name and the
// logo above it; returns where they must end.
// Above it, on a receipt with a logo, the facility's name in text: the
// issuer of a receipt is named in words, whatever the picture shows.
qreal TPrintForm::addRegistrationLine(QList<ReportItem> &out, const QString &name, qreal x, qreal right,
                                      qreal addressTop, qreal pt)
{
    qreal top = addressTop;
    auto line = [&](const QString &itemName, const QString &text, bool bold) {
        const FontSpec f = font(kPGothic, pt, bold);
        top -= kAboveAddress + measure.lineHeight(f);
        ReportItem item = ReportItem::label(itemName, x, top, f);
        fitted(item, right - x, std::min<qreal>(6, pt)).text = text;
        out.append(item);
    };
    if (invoice)
        line(name, (english ? QStringLiteral("Registration No. ") : QStringLiteral("登録番号 ")) + bill.RegistrationNo,
             false);
    if (issuerInText)
        line(name == QLatin1String("RegistrationNo") ? QStringLiteral("Issuer") : QStringLiteral("Issuer2"),
             settingLines(fieldText(base.SisetuName)).replace(QLatin1Char('\n'), QLatin1Char(' ')).simplified(), true);
    return top - kAboveAddress;
}

// The lines of the simplified qualified invoice: the taxable amount and the
// tax of each rate, the legend of the ※ mark, and what is outside the tax.
// Each line is one or more pieces: printed on one line when it fits, else as
// many pieces to a line as fit (see joinPieces).
QList<QStringList> TPrintForm::invoiceLines() const
{
    QList<QStringList> out = taxSharePieces(bill.TaxShares, bill.TaxAdded, english);
    int reducedRate = -1;
    for (const TTaxShare &t : bill.TaxShares)
        if (t.Reduced)
            reducedRate = t.Rate;
    if (reducedRate >= 0)
        out << QStringList{(english ? QStringLiteral("※ Reduced tax rate (%1%) item") : QStringLiteral("※印は軽減税率(%1%)対象"))
                               .arg(reducedRate)};
    // Row 4 holds the advances and the bathing tax, and the town's
    // accommodation tax when the bill is charged it.
    int64_t outside = 0;
    if (readAmount(bill.SaNumEdit[RowAdvance].trimmed(), &outside) && outside != 0) {
        const QString town = bill.LodgingName;
        // The town's name as the inn typed it may be long: its words are
        // pieces of their own.
        if (english && town.isEmpty())
            out << QStringList{QStringLiteral("Bathing tax and advances:"), QStringLiteral("not taxable")};
        else if (english)
            out << QStringList{QStringLiteral("Bathing tax,")} + town.split(QLatin1Char(' '), Qt::SkipEmptyParts)
                       + QStringList{QStringLiteral("and advances:"), QStringLiteral("not taxable")};
        else if (town.isEmpty())
            out << QStringList{QStringLiteral("入湯税・立替金は不課税")};
        else
            out << QStringList{QStringLiteral("入湯税・"), town + QStringLiteral("・"), QStringLiteral("立替金は不課税")};
    }
    return out;
}

namespace {
// Two pieces of an invoice line on one printed line: apart by a blank,
// except after Japanese ("入湯税・" "宿泊税・"), which runs on.
QString joinPieces(const QString &left, const QString &right)
{
    if (left.isEmpty())
        return right;
    return left.back().unicode() >= 0x3000 ? left + right : left + QLatin1Char(' ') + right;
}
} // namespace

// The invoice lines as one block, one under another, in the first of the
// free spaces where the block finds room: at the space's foot (fromFoot) or
// its top. A line too wide for its space takes as many printed lines as its
// pieces need. The block takes the largest size from pt down to
// kSmallestInvoice at which it finds room. Returns false (and adds nothing)
// when it finds none even then.
bool TPrintForm::addInvoiceLines(QList<ReportItem> &out, const QString &prefix, const QList<FrameSpot> &spaces,
                                 bool fromFoot, qreal pt)
{
    const QList<QStringList> lines = invoiceLines();
    for (qreal size = pt; size >= kSmallestInvoice - 1e-6; size -= 0.5) {
        const FontSpec f = font(kPGothic, size);
        const qreal step = measure.lineHeight(f);
        for (const FrameSpot &s : spaces) {
            // Each line's pieces as many to a printed line as fit.
            QStringList printed;
            bool tooWide = false;
            for (const QStringList &line : lines) {
                QString row;
                for (const QString &piece : line) {
                    tooWide = tooWide || measure.width(f, piece) > s.w + 1e-6;
                    const QString longer = joinPieces(row, piece);
                    if (!row.isEmpty() && measure.width(f, longer) > s.w + 1e-6) {
                        printed << row;
                        row = piece;
                    } else
                        row = longer;
                }
                printed << row;
            }
            if (tooWide || printed.size() * step > s.h + 1e-6)
                continue;
            const qreal top = fromFoot ? s.bottom() - printed.size() * step : s.y;
            for (int j = 0; j < printed.size(); ++j) {
                out.append(ReportItem::label(prefix + QString::number(j), s.x, top + j * step, f));
                out.last().text = printed[j];
            }
            return true;
        }
    }
    return false;
}

const TReserveData *TPrintForm::currentLine() const
{
    return !blank && LineIndex < lines.size() ? &lines[LineIndex] : nullptr;
}

TDocumentRun TPrintForm::Run()
{
    TDocumentRun run;
    run.documentName = (L.combined ? (english ? QStringLiteral("Bill&Receipt") : QStringLiteral("請求書＆領収書"))
                                   : title())
                       + QLatin1Char('_') + bill.MeiNoEdit;
    auto fail = [&](const QString &message) {
        run.error = message;
        return run;
    };
    if (Kind == KindEstimate && !L.knowsEstimate)
        return fail(QStringLiteral("この用紙には見積書がありません。A5またはB5で印刷してください。"));

    // Everything that can stop the run is checked before anything is laid out.
    const QDate today = Clock::now().date();
    QDate date = today;
    if (!bill.SeisanDay.trimmed().isEmpty()) {
        date = readDate(bill.SeisanDay);
        if (!date.isValid())
            return fail(QStringLiteral("清算日は正しい形式で入力してください"));
    }
    const QString stay = bill.StayEdit.trimmed();
    bool stayOk = true;
    nights = stay.isEmpty() ? 0 : stay.toInt(&stayOk);
    if (!stayOk)
        return fail(QStringLiteral("泊数は正しい形式で入力してください"));

    QImage logo;
    const QString logoPath = exePath + QStringLiteral("logo.bmp");
    if (QFileInfo::exists(logoPath)) {
        QImageReader reader(logoPath);
        reader.setDecideFormatFromContent(true);
        logo = reader.read();
        if (logo.isNull())
            return fail(QStringLiteral("ロゴ画像 %1 を読み込めませんでした。\n%2").arg(logoPath, reader.errorString()));
    }

    // Before each run.
    LineIndex = 0;
    RowCount = 0;
    rep.item(QStringLiteral("LogoImage"))->image = logo;
    if (ReportItem *second = rep.item(QStringLiteral("QRImage1")))
        second->image = logo;
    facilityName = logo.isNull() ? settingLines(fieldText(base.SisetuName)) : QString();
    // An estimate holds for a week from its own date.
    if (Kind == KindEstimate)
        messageText = english ? QStringLiteral("Valid until ") + QLocale(QLocale::English).toString(date.addDays(7), kDateEn)
                              : QStringLiteral("見積有効期限:") + date.addDays(7).toString(kDateJa);
    else
        messageText = documentMessage(Kind == KindReceipt ? base.CommentR : base.CommentS, Kind == KindReceipt);
    dateText = english ? QLocale(QLocale::English).toString(date, kDateEn) : date.toString(kDateJa);
    run.keptLines = linesWithoutEmptyPages(bill.Lines);
    lines.assign(bill.Lines.begin(), bill.Lines.begin() + std::ptrdiff_t(run.keptLines));
    rowLines = lines.empty() ? 0 : 1;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const TReserveData &l = lines[i];
        if (l.Rsvday[0] || l.Kamoku[0] || l.Tanka || l.Suryou)
            rowLines = i + 1;
    }

    // Where the ruled rows end on the totals block, their bottom is its top.
    const qreal rowSpace = rep.page.paperMm().height() - rep.page.topMm - rep.page.bottomMm - L.headerHeight
                           - L.columnHeight - L.footerHeight;
    const bool rowsReachFooter = rowLines > 0 && std::abs(std::fmod(rowSpace + 1e-6, L.rowHeight)) < 0.01;
    for (const char *cell : {"Shape14", "Shape15"}) {
        ReportItem *item = rep.item(QLatin1String(cell));
        item->edges = rowsReachFooter ? item->edges & ~Qt::TopEdge : item->edges | Qt::TopEdge;
    }

    // A receipt that needs a revenue stamp shows where it goes. The totals
    // state the consumption tax; the receipt half of the combined sheet only
    // in Japanese.
    if (L.combined || Kind == KindReceipt)
        run.stamp = receiptRevenueStamp(bill, !(L.combined && english));
    const QString suffix = L.combined ? QStringLiteral("2") : QString();
    for (const QString &name : {QStringLiteral("Stamp"), QStringLiteral("StampCaption")})
        if (ReportItem *item = rep.item(name + suffix))
            item->visible = run.stamp.needed();
    if (ReportItem *box = rep.item(L.combined ? QStringLiteral("QRShape7") : QStringLiteral("QRShape26")))
        box->visible = !run.stamp.needed() && (L.combined || Kind != KindBill);

    run.model = rep.layout(measure);

    // After the run, once printed or shown.
    // The combined sheet's right half is a receipt too.
    if (Kind == KindReceipt || L.combined)
        run.decideEdit = QString::number(int(bill.LangFlag) + 1);
    if (bill.SeisanDay.trimmed().isEmpty())
        run.seisanDay = today.toString(QStringLiteral("yyyy/MM/dd"));
    return run;
}
