#include "print_form.h"

#include "billing/bill_computation.h"
#include "printing/fonts.h"
#include "storage/clock.h"
#include "storage/cp932.h"
#include "storage/library.h"

#include <QDate>
#include <QFileInfo>
#include <QImageReader>

#include <algorithm>

using namespace printing;

namespace {

const QString kDateJa = QStringLiteral("yyyy'年'MM'月'dd'日'");
const QString kDateEn = QStringLiteral("dd/MM/yyyy");
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

// Cell columns of the detail grid: left edge and width.
struct Cell {
    qreal left, width;
};
constexpr Cell kCells[5] = {{0.0, 9.5}, {9.5, 66.4}, {75.1, 18.3}, {93.1, 11.9}, {104.8, 23.0}};

// Totals block rows.
constexpr qreal kRowTop[BillRows] = {0.0, 5.3, 10.6, 15.9, 21.2, 26.5, 32.3, 37.6};
constexpr qreal kRowHeight = 5.3;

} // namespace

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
        for (std::size_t i = p * BillPageLines; i < end; ++i)
            if (lines[i].Kamoku[0] != '\0')
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
    : bill(bill_), base(base_), exePath(exePath_), Kind(kind), english(bill_.LangFlag != 0)
{
    installFontSubstitutions();
    setUpPage();
    setUpHeader();
    setUpColumnHeader();
    setUpDetail();
    setUpFooter();
}

void TPrintForm::setUpPage()
{
    PageSetup &page = rep.page;
    page.size = QPageSize::A5;
    page.orientation = QPageLayout::Portrait;
    page.topMm = 15;
    page.bottomMm = 15;
    const bool left = base.TojiKubun == 1;
    page.leftMm = left ? 15 : 12;
    page.rightMm = left ? 5 : 10;

    // Binding marks and the page number sit on the paper, outside the bands.
    const Pen mark{Qt::black, 0.1, PenStyle::Solid};
    if (base.TojiKubun == 0)
        rep.pageItems.append(ReportItem::vline(QStringLiteral("TopMark"), 74.5, 5.3, 0, 1.3, mark));
    else if (base.TojiKubun == 1)
        rep.pageItems.append(ReportItem::hline(QStringLiteral("LeftMark"), 5.8, 105.1, 1.3, 0, mark));
    rep.pageItems.append(ReportItem::pageNumber(
        QStringLiteral("PageNo"), 137.8, 11.9, font(kPMincho, 7),
        [](int page, int count) { return QString::number(page) + QStringLiteral("/ ") + QString::number(count); },
        true));
}

void TPrintForm::setUpHeader()
{
    Band &b = rep.pageHeader;
    b.height = 42.3;
    const QString face1 = fieldText(base.FontName1);
    const Pen rule{winColor(base.Color4), 0.1, PenStyle::Solid};
    const QColor color1 = winColor(base.Color1);

    b.add(ReportItem::hline(QStringLiteral("Shape1"), 0.0, 5.8, 63.8, 6.1, rule));
    b.add(ReportItem::hline(QStringLiteral("Shape2"), 0.0, 14.8, 63.8, 6.1, rule));
    ReportItem &box = b.add(ReportItem::rect(QStringLiteral("Shape3"), 0.0, 28.6, 63.8, 12.4,
                                             Pen{winColor(base.Color4), 0.2, PenStyle::Solid}, color1));
    box.penInside = true;

    b.add(ReportItem::label(QStringLiteral("Midashi"), 0.0, 0.0, font(face1, 22, true))).supply = [this] {
        return title();
    };
    b.add(ReportItem::label(QStringLiteral("Date"), 34.4, 4.2, font(kMincho, 11))).supply = [this] {
        return dateText;
    };
    // A long name gets smaller rather than run into the facility's name.
    ReportItem guest = ReportItem::label(QStringLiteral("GuestName"), 0.0, 11.6, font(face1, 14, true));
    guest.width = 63.8;
    guest.minPointSize = 7;
    b.add(guest).supply = [this] {
        const QString name = bill.NameEdit;
        const QString honorific = bill.KeisyouCombo.text(bill.LangFlag);
        return english ? honorific + QLatin1Char(' ') + name : name + QLatin1Char(' ') + honorific;
    };
    ReportItem memo = ReportItem::memo(QStringLiteral("QRMemo1"), 0.0, 21.2, 55.8, font(kPMincho, 9));
    b.add(memo).supply = [this] { return messageText; };
    b.add(ReportItem::label(QStringLiteral("QRLabel15"), 1.1, 29.6, font(face1, 12, true))).supply = [this] {
        static const QString ja[] = {QStringLiteral("ご請求金額"), QStringLiteral("領収金額"),
                                     QStringLiteral("お見積金額")};
        static const QString en[] = {QStringLiteral("Bill"), QStringLiteral("Receipt"), QStringLiteral("Estimate")};
        const int k = std::clamp(Kind, 1, 3) - 1;
        return english ? en[k] : ja[k];
    };
    b.add(ReportItem::rightLabel(QStringLiteral("QRLabel16"), 56.6, 32.3, font(face1, 14, true))).supply =
        [this] { return amountText(RowBalance, true); };
    b.add(ReportItem::label(QStringLiteral("QRLabel17"), english ? 20.6 : 57.7, 33.9, font(QString(), 9)))
        .text = english ? QStringLiteral("JPY") : QStringLiteral("\u3000");
    b.add(ReportItem::rightLabel(QStringLiteral("QRLabel7"), 61.4, 38.1, font(kPGothic, 6))).supply = [this] {
        return paymentText();
    };

    // The logo goes under the texts: one 100 pixels high ends a hair below
    // the top of the postal code line, which must stay whole.
    b.add(ReportItem::picture(QStringLiteral("LogoImage"), 66.1, 0.0, 61.4, 42.3, QImage()));
    ReportItem name = ReportItem::label(QStringLiteral("Sisetumei"), 66.7, 0.5, font(kPGothic, 14, true));
    name.width = 60.7;
    name.height = 25.0;
    name.clip = true;
    b.add(name).supply = [this] { return facilityName; };
    const FontSpec address = font(kPGothic, 8);
    b.add(ReportItem::label(QStringLiteral("ZipCode"), 66.7, 26.2, address)).text =
        QStringLiteral("〒") + fieldText(base.ZipCode);
    b.add(ReportItem::label(QStringLiteral("Jusyo"), 66.7, 29.4, address)).text = fieldText(base.Jusyo);
    b.add(ReportItem::label(QStringLiteral("TelNo"), 66.7, 32.5, address)).text =
        QStringLiteral("TEL:") + fieldText(base.TelNo);
    b.add(ReportItem::label(QStringLiteral("FaxNo"), 92.6, 32.5, address)).text =
        QStringLiteral("FAX:") + fieldText(base.FaxNo);
    b.add(ReportItem::label(QStringLiteral("URL"), 66.7, 35.7, address)).text =
        QStringLiteral("URL:") + fieldText(base.URL);
    b.add(ReportItem::label(QStringLiteral("EMail"), 66.7, 38.9, address)).text =
        QStringLiteral("Mail:") + fieldText(base.EMail);
}

void TPrintForm::setUpColumnHeader()
{
    Band &b = rep.columnHeader;
    b.height = 10.3;
    const Pen frame{winColor(base.Color4), 0.1, PenStyle::Solid};
    const QColor color2 = winColor(base.Color2);
    for (int i = 0; i < 5; ++i)
        b.add(ReportItem::rect(QStringLiteral("Shape%1").arg(4 + i), kCells[i].left, 5.0, kCells[i].width, 5.3,
                               frame, color2));

    // Plan, then the room just after it when there is one, underlined together.
    const FontSpec small = font(kPGothic, 8);
    const QString plan = bill.PlanEdit;
    const QString roomCaption = english ? QStringLiteral("Room") : QStringLiteral("部屋");
    const QString room = roomCaption + QStringLiteral("：") + bill.RoomEdit;
    const qreal planWidth = measure.width(small, plan);
    qreal roomLeft = 85.2;
    qreal roomWidth = 0;
    if (!bill.RoomEdit.isEmpty()) {
        roomLeft = 0.3 + planWidth + 0.5;
        roomWidth = measure.width(small, room);
    }
    b.add(ReportItem::hline(QStringLiteral("QRShape1"), 0.0, 1.6, planWidth + roomWidth + 0.5, 5.0,
                            Pen{Qt::black, 0.1, PenStyle::Solid}));
    b.add(ReportItem::label(QStringLiteral("QRLabel20"), 0.3, 0.5, small)).text = plan;
    b.add(ReportItem::label(QStringLiteral("QRLabel3"), roomLeft, 0.5, small)).text = room;
    b.add(ReportItem::rightLabel(QStringLiteral("QRLabel19"), 127.8, 1.1, font(kPGothic, 7))).supply = [this] {
        return stayText();
    };

    static const char *names[5] = {"QRLabel1", "QRLabel2", "QRLabel4", "QRLabel5", "QRLabel6"};
    static const QString ja[5] = {QStringLiteral("日付"), QStringLiteral("摘要"), QStringLiteral("単価"),
                                  QStringLiteral("数量"), QStringLiteral("計")};
    static const QString en[5] = {QStringLiteral("Date"), QStringLiteral("Description"), QStringLiteral("UnitPrice"),
                                  QStringLiteral("Amount"), QStringLiteral("Charge")};
    const FontSpec heading = font(kPGothic, 8, true);
    for (int i = 0; i < 5; ++i)
        b.add(ReportItem::centred(QLatin1String(names[i]), kCells[i].left, kCells[i].width, 6.1, heading)).text =
            english ? en[i] : ja[i];
}

void TPrintForm::setUpDetail()
{
    Band &b = rep.detail;
    b.height = 5.3;
    const Pen frame{winColor(base.Color4), 0.1, PenStyle::Solid};
    for (int i = 0; i < 5; ++i) {
        ReportItem &cell = b.add(ReportItem::rect(QStringLiteral("Shape%1").arg(9 + i), kCells[i].left, 0.0,
                                                  kCells[i].width, 5.3, frame));
        cell.stretch = true;
    }
    const QString face2 = fieldText(base.FontName2);
    const FontSpec text = font(face2, 9);
    const bool large = base.FontKubun == 1;

    b.add(ReportItem::centred(QStringLiteral("Atdate"), kCells[0].left, kCells[0].width, 1.1, text)).supply =
        [this] {
            const TReserveData *l = currentLine();
            return l ? bytesMid(fieldText(l->Rsvday), 6, 5) : QString();
        };
    ReportItem tekiyou = ReportItem::memo(QStringLiteral("Tekiyou"), 10.1, 1.1, 64.6, text);
    tekiyou.grows = true;
    b.add(tekiyou).supply = [this] {
        const TReserveData *l = currentLine();
        return l ? fieldText(l->Kamoku) : QString();
    };
    b.add(ReportItem::rightLabel(QStringLiteral("Tanka"), 91.0, 1.1, text)).supply = [this] {
        const TReserveData *l = currentLine();
        return l && l->Tanka != 0 ? pictureText(l->Tanka, kMaskTanka) : QString();
    };
    b.add(ReportItem::rightLabel(QStringLiteral("Suryou"), 103.5, 1.1, text)).supply = [this] {
        const TReserveData *l = currentLine();
        return l && l->Suryou != 0 ? pictureText(l->Suryou, kMaskSuryou) : QString();
    };
    b.add(ReportItem::rightLabel(QStringLiteral("Total"), 127.2, large ? 0.6 : 1.1, font(face2, large ? 11 : 9)))
        .supply = [this] {
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
    b.afterPrint = [this] {
        if (LineIndex < lines.size())
            ++LineIndex;
        ++RowCount;
    };
}

void TPrintForm::setUpFooter()
{
    Band &b = rep.pageFooter;
    b.height = 42.6;
    const Pen frame{winColor(base.Color4), 0.1, PenStyle::Solid};
    const QString face3 = fieldText(base.FontName3);
    const bool large = base.FontKubun == 1;
    const FontSpec labelFont = font(face3, 9);
    const FontSpec amountFont = font(face3, large ? 11 : 9);

    for (int row = 0; row < BillRows; ++row) {
        std::optional<QColor> fill;
        if (row == RowTotal)
            fill = winColor(base.Color3);
        else if (row == RowBalance)
            fill = winColor(base.Color1);
        const qreal top = kRowTop[row];
        b.add(ReportItem::rect(QStringLiteral("Shape%1").arg(14 + 2 * row), 40.7, top,
                               row == RowBalance ? 64.6 : 64.3, kRowHeight, frame, fill));
        b.add(ReportItem::rect(QStringLiteral("Shape%1").arg(15 + 2 * row), 104.8, top, 23.0, kRowHeight, frame,
                               fill));
    }
    for (int row = 0; row < BillRows; ++row) {
        const qreal top = kRowTop[row];
        FontSpec lf = labelFont;
        lf.bold = row == RowBalance;
        // A long label gets smaller rather than run into its amount.
        ReportItem label = ReportItem::label(QStringLiteral("GLabel%1").arg(row), 41.8, top + 1.1, lf);
        label.width = 40.7 + (row == RowBalance ? 64.6 : 64.3) - 41.8 - 0.4;
        label.minPointSize = 5;
        b.add(label).supply = [this, row] {
            if (row == RowBalance && Kind == KindEstimate)
                return QStringLiteral("お見積金額");
            return bill.rowLabel(row);
        };
        b.add(ReportItem::rightLabel(QStringLiteral("GNum%1").arg(row), 127.2, top + (large ? 0.6 : 1.1),
                                     amountFont))
            .supply = [this, row] { return amountText(row, row == RowBalance); };
    }

    // The box for the revenue stamp of receipts and estimates.
    ReportItem stamp = ReportItem::rect(QStringLiteral("QRShape26"), 9.5, 9.0, 22.0, 24.9,
                                        Pen{QColor(0xC0, 0xC0, 0xC0), 0.2, PenStyle::Dot});
    stamp.visible = Kind == KindReceipt || Kind == KindEstimate;
    b.add(stamp);
}

QString TPrintForm::title() const
{
    static const QString ja[] = {QStringLiteral("請求書"), QStringLiteral("領収書"), QStringLiteral("お見積書")};
    static const QString en[] = {QStringLiteral("Bill"), QStringLiteral("Receipt"), QStringLiteral("Estimate")};
    const int k = std::clamp(Kind, 1, 3) - 1;
    return english ? en[k] : ja[k];
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

QString TPrintForm::paymentText() const
{
    const QString card = bill.cardKind();
    if (Kind != KindReceipt || card.isEmpty())
        return QString();
    int64_t paid = 0;
    if (!readAmount(bill.SaNumEdit[8], &paid))
        paid = 0;
    if (english)
        return QStringLiteral("(Payment Credit ") + card + QStringLiteral("  JPN ") + pictureText(paid, kMaskAmount)
               + QStringLiteral("- )");
    return QStringLiteral("(内 ") + card + QStringLiteral("にて ") + kYen + QString::number(paid)
           + QStringLiteral("- お支払い)");
}

QString TPrintForm::stayText() const
{
    if (nights == 0)
        return QString();
    const QString caption = bill.StayLabel;
    const QString n = QString::number(nights);
    if (english)
        return QStringLiteral("from ") + bytesMid(caption, 11, 2) + QLatin1Char('/') + bytesMid(caption, 7, 2)
               + QStringLiteral("  ") + n + QStringLiteral("Night[s]");
    return bytesMid(caption, 7) + n + QStringLiteral("泊");
}

const TReserveData *TPrintForm::currentLine() const
{
    return LineIndex < lines.size() ? &lines[LineIndex] : nullptr;
}

TDocumentRun TPrintForm::Run()
{
    TDocumentRun run;
    run.documentName = title() + QLatin1Char('_') + bill.MeiNoEdit;
    auto fail = [&](const QString &message) {
        run.error = message;
        return run;
    };

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
    facilityName = logo.isNull() ? settingLines(fieldText(base.SisetuName)) : QString();
    if (Kind == KindEstimate)
        messageText = QStringLiteral("見積有効期限:") + today.addDays(7).toString(kDateJa);
    else
        messageText = settingLines(fieldText(Kind == KindReceipt ? base.CommentR : base.CommentS));
    dateText = date.toString(english ? kDateEn : kDateJa);
    run.keptLines = linesWithoutEmptyPages(bill.Lines);
    lines.assign(bill.Lines.begin(), bill.Lines.begin() + std::ptrdiff_t(run.keptLines));
    rowLines = lines.empty() ? 0 : 1;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const TReserveData &l = lines[i];
        if (l.Rsvday[0] || l.Kamoku[0] || l.Tanka || l.Suryou)
            rowLines = i + 1;
    }

    run.model = rep.layout(measure);

    // After the run, once printed or shown.
    if (Kind == KindReceipt)
        run.decideEdit = QString::number(int(bill.LangFlag) + 1);
    if (bill.SeisanDay.trimmed().isEmpty())
        run.seisanDay = today.toString(QStringLiteral("yyyy/MM/dd"));
    return run;
}
