#include "printing/register_documents.h"

#include "printing/ruled_table.h"
#include "register/country_list.h"

#include <algorithm>
#include <functional>

namespace printing {

namespace {

// The list on the paper:
//
//   宿泊者名簿                                         inn's name
//   期間 2026年12月01日～2026年12月31日  12名
//   +--------+--------+-----+------+------------+ ...
//   | 到着日 | 出発日 | ... | 氏名 | 住所       |      headings, filled
//   +--------+--------+-----+------+------------+
//   | ...    |        |     |      | wrapped    |      one guest a row; the
//   |        |        |     |      | address    |      row grows with its text
//   +--------+--------+-----+------+------------+
//                          1 / 3
constexpr qreal kMargin = 10.0;
constexpr qreal kTableTop = kMargin + 15.0;
constexpr qreal kFooterHeight = 8.0; // the page number below the table
constexpr qreal kPadX = 1.0;
constexpr qreal kPadY = 0.8;
constexpr qreal kFixedMaxWidth = 32.0;

const QString kDateFormat = QStringLiteral("yyyy/MM/dd");
const QString kDateTimeFormat = QStringLiteral("yyyy/MM/dd HH:mm");

struct Column {
    QString key;     // the item name of its cells
    QString heading;
    bool fixed;      // as wide as its widest text (dates, numbers); else shares the rest
    qreal minWidth;  // a shared column's least width
    qreal weight;    // a shared column's share of the room left
    Qt::Alignment align;
    std::function<QString(const RegisterEntry &)> value;
    qreal width = 0;
};

QString dateText(const QDateTime &when, const QDate &day, bool withTime)
{
    if (withTime && when.isValid())
        return when.toString(kDateTimeFormat);
    return day.toString(kDateFormat);
}

QString nationalityText(const QString &code)
{
    const Country *c = countryByCode(code);
    return c ? c->japanese : code;
}

std::vector<Column> columnsFor(const RegisterFields &f)
{
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignTop;
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignTop;
    const bool times = f.arrivalTimes;
    std::vector<Column> c = {
        {QStringLiteral("Arrival"), times ? QStringLiteral("到着日時") : QStringLiteral("到着日"), true, 0, 0, left,
         [times](const RegisterEntry &e) { return dateText(e.arrival, e.firstNight, times); }},
        {QStringLiteral("Departure"), times ? QStringLiteral("出発日時") : QStringLiteral("出発日"), true, 0, 0, left,
         [times](const RegisterEntry &e) { return dateText(e.departure, e.departureDate(), times); }},
        {QStringLiteral("MeiNo"), QStringLiteral("請求番号"), true, 0, 0, right,
         [](const RegisterEntry &e) { return e.meiNo ? QString::number(e.meiNo) : QString(); }},
        {QStringLiteral("Room"), QStringLiteral("部屋"), true, 0, 0, left,
         [](const RegisterEntry &e) { return e.room; }},
        {QStringLiteral("Name"), QStringLiteral("氏名"), false, 24, 2, left,
         [](const RegisterEntry &e) { return e.name; }},
        {QStringLiteral("Reading"), QStringLiteral("フリガナ"), false, 20, 1.5, left,
         [](const RegisterEntry &e) { return e.reading; }},
        {QStringLiteral("Address"), QStringLiteral("住所"), false, 34, 4, left,
         [](const RegisterEntry &e) { return e.address; }},
        {QStringLiteral("Contact"), QStringLiteral("連絡先"), false, 22, 1.5, left,
         [](const RegisterEntry &e) { return e.contact; }},
        {QStringLiteral("Nationality"), QStringLiteral("国籍"), false, 12, 0.5, left,
         [](const RegisterEntry &e) { return nationalityText(e.nationality); }},
        {QStringLiteral("PassportNo"), QStringLiteral("旅券番号"), true, 0, 0, left,
         [](const RegisterEntry &e) { return e.passportNo; }},
    };
    if (f.age)
        c.push_back({QStringLiteral("Age"), QStringLiteral("年齢"), true, 0, 0, right,
                     [](const RegisterEntry &e) { return e.age; }});
    if (f.sex)
        c.push_back({QStringLiteral("Sex"), QStringLiteral("性別"), true, 0, 0, left,
                     [](const RegisterEntry &e) { return e.sex; }});
    if (f.previousStay)
        c.push_back({QStringLiteral("PreviousStay"), QStringLiteral("前泊地"), false, 18, 1, left,
                     [](const RegisterEntry &e) { return e.previousStay; }});
    if (f.nextStay)
        c.push_back({QStringLiteral("NextStay"), QStringLiteral("行先地"), false, 18, 1, left,
                     [](const RegisterEntry &e) { return e.nextStay; }});
    return c;
}

FontSpec cellFont() { return font(kPGothic, 7.5); }
FontSpec headingFont() { return font(kPGothic, 7.5, true); }

// Widths for the columns across the paper's width; false when even their
// least widths do not fit it.
bool fitColumns(std::vector<Column> &cols, const std::vector<RegisterEntry> &entries, qreal across,
                const TextMeasure &measure)
{
    qreal least = 0, weights = 0;
    for (Column &c : cols) {
        if (c.fixed) {
            qreal w = measure.width(headingFont(), c.heading);
            for (const RegisterEntry &e : entries)
                w = std::max(w, measure.width(cellFont(), c.value(e)));
            c.width = std::min(w + 2 * kPadX + 0.5, kFixedMaxWidth);
        } else {
            c.width = c.minWidth;
            weights += c.weight;
        }
        least += c.width;
    }
    if (least > across) {
        // Too many columns even for landscape: everything narrows alike and
        // the texts wrap.
        for (Column &c : cols)
            c.width *= across / least;
        return false;
    }
    for (Column &c : cols)
        if (!c.fixed)
            c.width += (across - least) * c.weight / weights;
    return true;
}

void addText(Page &page, const QString &name, const QRectF &rect, const QString &text, const FontSpec &f,
             Qt::Alignment align, bool clip = false)
{
    TextItem t;
    t.name = name;
    t.rect = rect;
    t.text = text;
    t.font = f;
    t.align = align;
    t.clip = clip;
    page.items.append(t);
}

void addRule(Page &page, const QPointF &from, const QPointF &to, qreal width = 0.15)
{
    LineItem l;
    l.name = QStringLiteral("Rule");
    l.from = from;
    l.to = to;
    l.pen.widthMm = width;
    page.items.append(l);
}

struct CellLines {
    QList<QStringList> lines; // per column
    int count = 1;            // the most lines of any cell
};

} // namespace

QStringList registerPrintColumns(const RegisterFields &fields)
{
    QStringList out;
    for (const Column &c : columnsFor(fields))
        out << c.heading;
    return out;
}

QString registerListName(const QDate &from, const QDate &to)
{
    const QString f = QStringLiteral("yyyy年MM月dd日");
    return QStringLiteral("宿泊者名簿 %1～%2").arg(from.toString(f), to.toString(f));
}

PageModel registerListPages(const std::vector<RegisterEntry> &entries, const QDate &from, const QDate &to,
                            const QString &innName, const RegisterFields &fields, const TextMeasure &measure)
{
    installFontSubstitutions();
    PageModel model;
    model.setup.size = QPageSize::A4;
    model.setup.leftMm = model.setup.topMm = model.setup.rightMm = model.setup.bottomMm = kMargin;

    std::vector<Column> cols = columnsFor(fields);
    model.setup.orientation = QPageLayout::Portrait;
    if (!fitColumns(cols, entries, model.setup.paperMm().width() - 2 * kMargin, measure)) {
        model.setup.orientation = QPageLayout::Landscape;
        cols = columnsFor(fields);
        fitColumns(cols, entries, model.setup.paperMm().width() - 2 * kMargin, measure);
    }
    const QSizeF paper = model.setup.paperMm();
    const qreal tableRight = paper.width() - kMargin;
    const qreal tableBottom = paper.height() - kMargin - kFooterHeight;
    const qreal lineHeight = measure.lineHeight(cellFont());
    const qreal headingHeight = measure.lineHeight(headingFont()) + 2 * kPadY;
    const int mostLines = std::max(1, int((tableBottom - kTableTop - headingHeight - 2 * kPadY) / lineHeight));

    // Every row's cells broken into lines first: the rows then go onto pages.
    std::vector<CellLines> rows;
    rows.reserve(entries.size());
    for (const RegisterEntry &e : entries) {
        CellLines r;
        for (const Column &c : cols) {
            QStringList l = measure.wrapLines(cellFont(), c.value(e), c.width - 2 * kPadX);
            if (l.size() > mostLines) {
                // Taller than a page: cut with a visible mark.
                l = l.mid(0, mostLines);
                l.last() = measure.elide(cellFont(), l.last() + QStringLiteral("…………"), c.width - 2 * kPadX);
            }
            r.count = std::max(r.count, int(l.size()));
            r.lines << l;
        }
        rows.push_back(r);
    }

    const auto rowHeight = [&](const CellLines &r) { return r.count * lineHeight + 2 * kPadY; };
    // Rows split into pages: the index of each page's first row.
    std::vector<std::size_t> firstRows{0};
    qreal y = kTableTop + headingHeight;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const qreal h = rowHeight(rows[i]);
        if (y + h > tableBottom && i > firstRows.back()) {
            firstRows.push_back(i);
            y = kTableTop + headingHeight;
        }
        y += h;
    }

    const int pageCount = int(firstRows.size());
    const QString f = QStringLiteral("yyyy年MM月dd日");
    const QString period = QStringLiteral("期間 %1～%2　%3名")
                               .arg(from.toString(f), to.toString(f))
                               .arg(entries.size());
    for (int p = 0; p < pageCount; ++p) {
        Page page;
        const qreal across = tableRight - kMargin;
        addText(page, QStringLiteral("Title"), QRectF(kMargin, kMargin, across / 2, 8),
                QStringLiteral("宿泊者名簿"), font(kPGothic, 16, true), Qt::AlignLeft | Qt::AlignTop);
        addText(page, QStringLiteral("InnName"), QRectF(kMargin + across / 2, kMargin + 1.5, across / 2, 6),
                measure.elide(font(kPGothic, 11), innName, across / 2), font(kPGothic, 11),
                Qt::AlignRight | Qt::AlignTop);
        addText(page, QStringLiteral("Period"), QRectF(kMargin, kMargin + 9, across, 5), period,
                font(kPGothic, 9), Qt::AlignLeft | Qt::AlignTop);

        // Headings.
        RectItem fill;
        fill.name = QStringLiteral("HeadingFill");
        fill.rect = QRectF(kMargin, kTableTop, across, headingHeight);
        fill.fill = kHeadingFill;
        page.items.append(fill);
        qreal x = kMargin;
        for (const Column &c : cols) {
            addText(page, QStringLiteral("Heading"), QRectF(x + kPadX, kTableTop + kPadY, c.width - 2 * kPadX,
                                                            headingHeight - 2 * kPadY),
                    measure.elide(headingFont(), c.heading, c.width - 2 * kPadX), headingFont(),
                    Qt::AlignHCenter | Qt::AlignTop);
            x += c.width;
        }
        addRule(page, {kMargin, kTableTop}, {tableRight, kTableTop}, 0.25);
        y = kTableTop + headingHeight;
        addRule(page, {kMargin, y}, {tableRight, y}, 0.25);

        // Rows.
        const std::size_t end = p + 1 < pageCount ? firstRows[p + 1] : rows.size();
        for (std::size_t i = firstRows[p]; i < end; ++i) {
            const CellLines &r = rows[i];
            const qreal h = rowHeight(r);
            x = kMargin;
            for (std::size_t col = 0; col < cols.size(); ++col) {
                const Column &c = cols[col];
                addText(page, c.key,
                        QRectF(x + kPadX, y + kPadY, c.width - 2 * kPadX, r.lines[int(col)].size() * lineHeight),
                        r.lines[int(col)].join(QLatin1Char('\n')), cellFont(), c.align, true);
                x += c.width;
            }
            y += h;
            addRule(page, {kMargin, y}, {tableRight, y}, i + 1 == end ? 0.25 : 0.1);
        }
        // Upright rules once across the headings and every row.
        x = kMargin;
        for (std::size_t col = 0; col <= cols.size(); ++col) {
            const bool outer = col == 0 || col == cols.size();
            addRule(page, {x, kTableTop}, {x, y}, outer ? 0.25 : 0.1);
            if (col < cols.size())
                x += cols[col].width;
        }
        if (entries.empty())
            addText(page, QStringLiteral("Empty"), QRectF(kMargin, y + 3, across, 6),
                    QStringLiteral("この期間の記載はありません。"), font(kPGothic, 9), Qt::AlignHCenter | Qt::AlignTop);

        addText(page, QStringLiteral("PageNo"), QRectF(kMargin, paper.height() - kMargin - 5, across, 5),
                pageOfPages(p + 1, pageCount), font(kPGothic, 9), Qt::AlignHCenter | Qt::AlignTop);
        model.pages.append(page);
    }
    return model;
}

QString recoveryKeySheetName(const QDate &made)
{
    return QStringLiteral("宿泊者名簿 回復キー %1").arg(made.toString(QStringLiteral("yyyy年MM月dd日")));
}

PageModel recoveryKeyPages(const QString &innName, const QDate &made, const QString &recoveryKey)
{
    installFontSubstitutions();
    const TextMeasure measure;
    PageModel model;
    model.setup.size = QPageSize::A4;
    model.setup.orientation = QPageLayout::Portrait;
    model.setup.leftMm = model.setup.topMm = model.setup.rightMm = model.setup.bottomMm = 20;
    const qreal left = 20, across = model.setup.paperMm().width() - 40;
    Page page;
    addText(page, QStringLiteral("Title"), QRectF(left, 25, across, 12), QStringLiteral("宿泊者名簿 回復キー"),
            font(kPGothic, 20, true), Qt::AlignHCenter | Qt::AlignTop);
    addText(page, QStringLiteral("InnName"), QRectF(left, 42, across, 8),
            measure.elide(font(kPGothic, 13), innName, across), font(kPGothic, 13), Qt::AlignHCenter | Qt::AlignTop);
    addText(page, QStringLiteral("Date"), QRectF(left, 51, across, 6),
            QStringLiteral("作成日 %1").arg(made.toString(QStringLiteral("yyyy年MM月dd日"))), font(kPGothic, 10),
            Qt::AlignHCenter | Qt::AlignTop);

    // The key four groups a line, in a face whose letters all have one width
    // and whose 0 and O, 1 and I differ.
    QStringList groups = recoveryKey.split(QLatin1Char('-'), Qt::SkipEmptyParts);
    QStringList lines;
    for (qsizetype i = 0; i < groups.size(); i += 4)
        lines << groups.mid(i, 4).join(QStringLiteral("  "));
    const FontSpec keyFont = font(kGothic, 22);
    const qreal keyLine = measure.lineHeight(keyFont) * 1.5;
    const qreal keyTop = 72;
    RectItem frame;
    frame.name = QStringLiteral("KeyFrame");
    frame.rect = QRectF(left + 10, keyTop - 6, across - 20, lines.size() * keyLine + 12 - (keyLine - measure.lineHeight(keyFont)));
    frame.pen = Pen{Qt::black, 0.4};
    page.items.append(frame);
    for (int i = 0; i < lines.size(); ++i)
        addText(page, QStringLiteral("Key"), QRectF(left + 10, keyTop + i * keyLine, across - 20, keyLine), lines[i], keyFont,
                Qt::AlignHCenter | Qt::AlignTop);

    const QString note = QStringLiteral(
        "・この紙は金庫など、鍵のかかる場所に保管してください。\n"
        "・合言葉を忘れたときは、この回復キーで宿泊者名簿を開くことができます。"
        "回復キーを知る人は誰でも名簿を開けますので、人に見せたり写真に撮ったりしないでください。\n"
        "・合言葉を変えると新しい回復キーが作られ、この回復キーは使えなくなります。"
        "そのときは新しい回復キーを印刷して、この紙と取り替えてください（古い紙は細かく破いて捨ててください）。\n"
        "・合言葉と回復キーの両方を失うと、宿泊者名簿は誰にも開けなくなります。");
    const FontSpec noteFont = font(kPGothic, 11);
    const qreal noteTop = frame.rect.bottom() + 14;
    const QStringList noteLines = measure.wrapLines(noteFont, note, across);
    addText(page, QStringLiteral("Note"),
            QRectF(left, noteTop, across, noteLines.size() * measure.lineHeight(noteFont) + 1),
            noteLines.join(QLatin1Char('\n')), noteFont, Qt::AlignLeft | Qt::AlignTop);
    model.pages.append(page);
    return model;
}

PrintOutcome outputRegisterDocumentWith(MessageFunction message, QWidget *parent, const PageModel &model,
                                        const QString &documentName, RegisterOutput how,
                                        const BeforeOutput &beforeOutput)
{
    switch (how) {
    case RegisterOutput::Preview:
        return previewDocumentWith(message, parent, model, documentName, beforeOutput);
    case RegisterOutput::Print:
        return printDocumentWith(message, parent, model, 1, documentName, beforeOutput);
    case RegisterOutput::Pdf:
        break;
    }
    return savePdfWith(message, parent, model, documentName, beforeOutput);
}

} // namespace printing
