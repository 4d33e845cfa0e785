#include "fetch_answer.h"

#include "storage/cp932.h"

#include <bitset>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>

const QString NoDataMessage = QStringLiteral("受信データはありませんでした");

namespace {

bool isTrailByte(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

// Which two-byte sequences are CP932 characters, worked out once through the
// converter the rest of the program uses.
const std::bitset<65536> &doubleByteCharacters()
{
    static std::unique_ptr<std::bitset<65536>> table;
    static std::once_flag once;
    std::call_once(once, [] {
        table = std::make_unique<std::bitset<65536>>();
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!cp932::isLeadByte(static_cast<unsigned char>(lead)))
                continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                if (!isTrailByte(static_cast<unsigned char>(trail)))
                    continue;
                const char pair[2] = {char(lead), char(trail)};
                const QString s = cp932::decode(pair, 2);
                if (s.size() == 1 && s[0] != QChar(0xFFFD))
                    table->set(size_t(lead << 8 | trail));
            }
        }
    });
    return *table;
}

// A field's text as the user should see it in a message: readable, and short.
QString shownText(const QByteArray &bytes)
{
    int ignored = 0;
    QString s = cp932::decode(TAnswerParser::fieldText(bytes.constData(), bytes.size(), 4096, &ignored));
    if (s.size() > 40)
        s = s.left(40) + QStringLiteral("…");
    return s;
}

} // namespace

TAnswerParser::TAnswerParser(qint64 maxBytes) : Limit(maxBytes) {}

bool TAnswerParser::readNumber(const QByteArray &text, int64_t low, int64_t high, int64_t *value)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    if (text.isEmpty()) {
        *value = 0;
        return low <= 0 && 0 <= high;
    }
    if (i == text.size())
        return false;
    int64_t v = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
        if (v > (int64_t(1) << 40))
            return false; // far outside every field's range
    }
    if (negative)
        v = -v;
    if (v < low || v > high)
        return false;
    *value = v;
    return true;
}

QByteArray TAnswerParser::fieldText(const char *bytes, qsizetype length, std::size_t size, int *replaced,
                                    bool *cut)
{
    QByteArray out;
    out.reserve(length);
    for (qsizetype i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x20 && c < 0x7F) {
            out.append(char(c));
        } else if (c >= 0xA1 && c <= 0xDF) {
            out.append(char(c)); // half-width katakana
        } else if (cp932::isLeadByte(c) && i + 1 < length
                   && doubleByteCharacters().test(size_t(c << 8 | static_cast<unsigned char>(bytes[i + 1])))) {
            out.append(char(c));
            out.append(bytes[i + 1]);
            ++i;
        } else {
            // NUL, a control, or a byte that starts no character. Only the
            // one byte goes; what follows may still be a character of its own.
            out.append('?');
            ++*replaced;
        }
    }
    QByteArray fitted = cp932::cut(out, qsizetype(size) - 1);
    if (cut)
        *cut = fitted.size() < out.size();
    return fitted;
}

bool TAnswerParser::feed(const char *bytes, qsizetype length)
{
    for (qsizetype i = 0; i < length && State_ == State::Reading; ++i) {
        if (Total == Limit) {
            State_ = State::TooLarge;
            break;
        }
        ++Total;
        const char c = bytes[i];
        if (!Began) {
            // The HTTP status line and headers: nothing in them counts,
            // not even a "]".
            if (c == '[')
                Began = true;
            continue;
        }
        const bool fieldEmpty = Line.size() == (Ends.empty() ? 0 : Ends.back());
        if (fieldEmpty && c == ']') {
            State_ = State::EndMark;
        } else if (c == '\n') {
            endLine();
        } else if (c == ';') {
            DataReceived = true;
            Ends.push_back(Line.size());
        } else {
            Line.append(c);
        }
    }
    return State_ == State::Reading;
}

QByteArray TAnswerParser::field(qsizetype i) const
{
    const qsizetype begin = i == 0 ? 0 : Ends[size_t(i - 1)];
    return Line.mid(begin, Ends[size_t(i)] - begin);
}

void TAnswerParser::endLine()
{
    ++LineNo;
    const qsizetype n = qsizetype(Ends.size());
    // What follows the last ";" (a CR before the LF, for one) belongs to no field.
    const bool blank = n == 0 && (Line.isEmpty() || Line == "\r");
    if (!blank && (n < 7 || (n - 7) % 4 != 0)) {
        ++Skipped;
    } else if (!blank) {
        TFetchedLine line;
        TReserveData r{};
        int replaced = 0;
        int cut = 0;
        auto text = [&](qsizetype i, char *dest, std::size_t size) {
            const QByteArray f = field(i);
            bool wasCut = false;
            const QByteArray t = fieldText(f.constData(), f.size(), size, &replaced, &wasCut);
            cut += wasCut;
            std::memcpy(dest, t.constData(), size_t(t.size()));
        };
        std::memset(&r, 0, sizeof r);
        text(0, r.Rsvday, sizeof r.Rsvday);
        text(1, r.Regday, sizeof r.Regday);
        text(2, r.Name, sizeof r.Name);
        text(3, r.Plan, sizeof r.Plan);
        text(4, r.Room, sizeof r.Room);
        line.reservationNo = cp932::fieldBytes(r.Regday, sizeof r.Regday);

        constexpr int64_t i32min = std::numeric_limits<int32_t>::min();
        constexpr int64_t i32max = std::numeric_limits<int32_t>::max();
        constexpr int64_t u32max = std::numeric_limits<uint32_t>::max();
        int64_t v = 0;
        bool ok = true;
        auto number = [&](qsizetype i, int64_t low, int64_t high) {
            if (!ok)
                return int64_t(0);
            const QByteArray f = field(i);
            if (!readNumber(f, low, high, &v)) {
                ok = false;
                BadText = shownText(f);
                return int64_t(0);
            }
            return v;
        };
        bool tooMany = false;
        r.Stay = uint8_t(number(5, i32min, i32max) & 0xFF);
        r.Stayx = uint8_t(number(6, i32min, i32max) & 0xFF);
        for (qsizetype g = 7; ok && g < n; g += 4) {
            r.Kubun = uint32_t(number(g, 0, u32max));
            std::memset(r.Kamoku, 0, sizeof r.Kamoku);
            text(g + 1, r.Kamoku, sizeof r.Kamoku);
            // An empty price or quantity keeps the one of the group before.
            if (!field(g + 2).isEmpty())
                r.Tanka = int32_t(number(g + 2, i32min, i32max));
            if (!field(g + 3).isEmpty())
                r.Suryou = int32_t(number(g + 3, i32min, i32max));
            if (!ok)
                break;
            if (Records + qsizetype(line.records.size()) == MaxAnswerRecords) {
                tooMany = true;
                break;
            }
            line.records.push_back(r);
        }
        if (ok && tooMany) {
            State_ = State::TooLarge;
            TooManyRecords = true;
        } else if (ok) {
            Records += qsizetype(line.records.size());
            Replaced += replaced;
            Cut += cut;
            Lines.push_back(std::move(line));
        } else {
            BadLine = LineNo;
            State_ = State::BadNumber;
        }
    }
    Line.resize(0);
    Ends.clear();
}

FetchMessage TAnswerParser::failure() const
{
    switch (State_) {
    case State::BadNumber:
        return {fetch_titles::Error,
                QStringLiteral("受信データの %1 行目の数値の欄「%2」は整数として読めません。\n"
                               "この行から後は取り込みませんでした。")
                    .arg(BadLine)
                    .arg(BadText)};
    case State::TooLarge:
        if (TooManyRecords)
            return {fetch_titles::Error,
                    QStringLiteral("受信データの明細が %1 件を超えたため、受信を打ち切りました。\n"
                                   "それまでに最後まで受信した行だけを取り込みました。")
                        .arg(MaxAnswerRecords)};
        return {fetch_titles::Error,
                QStringLiteral("受信データが %1 バイトを超えたため、受信を打ち切りました。\n"
                               "それまでに最後まで受信した行だけを取り込みました。")
                    .arg(Limit)};
    default:
        return {};
    }
}

bool IsFetched(const AppData &data, const TReserveData &record)
{
    const QByteArray regday = cp932::fieldBytes(record.Regday, sizeof record.Regday);
    const std::size_t count = std::min<std::size_t>(std::size_t(std::max(data.RsvCount, 0)), data.ReserveList.size());
    for (std::size_t i = 0; i < count; ++i)
        if (cp932::fieldBytes(data.ReserveList[i].Regday, sizeof record.Regday) == regday)
            return true;
    return false;
}

std::vector<FetchMessage> applyAnswer(AppData &data, const TAnswerParser &answer)
{
    std::vector<FetchMessage> messages;
    if (answer.state() == TAnswerParser::State::BadNumber || answer.state() == TAnswerParser::State::TooLarge)
        messages.push_back(answer.failure());

    data.RsvCount = int(data.ReserveList.size());
    // The reservation numbers present before this fetch, gathered once: the
    // list can hold far more records than a day brings.
    std::unordered_set<std::string> before;
    bool gathered = false;
    auto fetchedBefore = [&](const QByteArray &no) {
        if (!gathered) {
            before.reserve(data.ReserveList.size());
            for (std::size_t i = 0; i < std::size_t(data.RsvCount); ++i) {
                const TReserveData &r = data.ReserveList[i];
                before.emplace(r.Regday, ::strnlen(r.Regday, sizeof r.Regday));
            }
            gathered = true;
        }
        return before.count(std::string(no.constData(), size_t(no.size()))) > 0;
    };

    QByteArray previous;
    for (const TFetchedLine &line : answer.lines()) {
        // Lines of one reservation that follow each other make one bill; a
        // change of reservation number starts the next.
        if (previous.isEmpty())
            previous = line.reservationNo;
        else if (line.reservationNo != previous) {
            ++data.NextMeiNo;
            previous = line.reservationNo;
        }
        if (line.records.empty() || fetchedBefore(line.reservationNo))
            continue;
        for (TReserveData r : line.records) {
            r.MeiNo = data.NextMeiNo;
            data.ReserveList.push_back(r);
        }
    }
    data.RsvCount = int(data.ReserveList.size());

    QStringList notes;
    if (answer.skippedLines() > 0)
        notes << QStringLiteral("受信データのうち %1 行は項目が欠けていたため取り込みませんでした。")
                     .arg(answer.skippedLines());
    if (answer.cutTexts() > 0)
        notes << QStringLiteral("受信データのうち %1 件の文字列は欄に収まらないため、収まる長さまでにしました。")
                     .arg(answer.cutTexts());
    if (answer.replacedBytes() > 0)
        notes << QStringLiteral("受信データのうち %1 バイトは文字として読めなかったため「?」にしました。")
                     .arg(answer.replacedBytes());
    if (!notes.isEmpty())
        messages.push_back({fetch_titles::Notice, notes.join(QLatin1Char('\n'))});

    if (!answer.dataReceived())
        messages.push_back({fetch_titles::Information, NoDataMessage});
    else
        ++data.NextMeiNo;
    return messages;
}
