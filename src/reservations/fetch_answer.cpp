#include "fetch_answer.h"

#include "storage/cp932.h"

#include <algorithm>
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
        line.key = reservationKey(line.reservationNo, cp932::fieldBytes(r.Name, sizeof r.Name));

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
            StoppedNumber = line.reservationNo;
            StoppedName = cp932::fieldBytes(r.Name, sizeof r.Name);
        } else if (ok) {
            Records += qsizetype(line.records.size());
            Replaced += replaced;
            Cut += cut;
            Lines.push_back(std::move(line));
        } else {
            BadLine = LineNo;
            State_ = State::BadNumber;
            StoppedNumber = line.reservationNo;
            StoppedName = cp932::fieldBytes(r.Name, sizeof r.Name);
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

QByteArray reservationKey(const QByteArray &number, const QByteArray &name)
{
    // A stored text never holds a control character: the marked name cannot
    // be mistaken for a number.
    return number.isEmpty() ? QByteArray("\x01") + name : number;
}

bool TAnswerParser::stoppedLine(QByteArray *number, QByteArray *name) const
{
    if (State_ == State::BadNumber || (State_ == State::TooLarge && TooManyRecords)) {
        *number = StoppedNumber;
        *name = StoppedName;
        return true;
    }
    if (State_ == State::EndMark || Ends.size() < 2)
        return false;
    int ignored = 0;
    const QByteArray no = field(1);
    *number = fieldText(no.constData(), no.size(), sizeof(TReserveData::Regday), &ignored);
    name->clear();
    if (Ends.size() >= 3) {
        const QByteArray nm = field(2);
        *name = fieldText(nm.constData(), nm.size(), sizeof(TReserveData::Name), &ignored);
    }
    return !number->isEmpty() || Ends.size() >= 3;
}

std::vector<TFetchedReservation> answerReservations(const TAnswerParser &answer)
{
    std::vector<TFetchedReservation> out;
    const std::vector<TFetchedLine> &lines = answer.lines();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const TFetchedLine &line = lines[i];
        if (out.empty() || line.key != lines[out.back().firstLine].key) {
            TFetchedReservation r;
            r.number = line.reservationNo;
            if (!line.records.empty())
                r.name = cp932::fieldBytes(line.records.front().Name, sizeof line.records.front().Name);
            else if (line.reservationNo.isEmpty())
                r.name = line.key.mid(1);
            r.firstLine = i;
            r.complete = true; // until it turns out to be the last
            out.push_back(r);
        }
        ++out.back().lineCount;
        out.back().records += line.records.size();
    }
    if (!out.empty() && answer.state() != TAnswerParser::State::EndMark) {
        // Cut short: the last reservation is whole only if the line being read
        // when the reading stopped already belonged to another one.
        QByteArray number, name;
        out.back().complete =
            answer.stoppedLine(&number, &name) && reservationKey(number, name) != lines[out.back().firstLine].key;
    }
    return out;
}

QByteArray numberForUnnumbered(const TFetchedLine &first, const std::vector<QByteArray> &taken)
{
    // FNV-1a over the texts that tell one stay from another.
    uint64_t h = 1469598103934665603ull;
    auto add = [&h](const char *bytes, std::size_t size) {
        for (std::size_t i = 0; i < size && bytes[i]; ++i) {
            h ^= static_cast<unsigned char>(bytes[i]);
            h *= 1099511628211ull;
        }
        h ^= 0xFF; // field separator
        h *= 1099511628211ull;
    };
    if (!first.records.empty()) {
        const TReserveData &r = first.records.front();
        add(r.Rsvday, sizeof r.Rsvday);
        add(r.Name, sizeof r.Name);
        add(r.Room, sizeof r.Room);
        add(r.Plan, sizeof r.Plan);
    }
    uint64_t n = h % 1000000000u;
    for (;;) {
        const QByteArray number = QByteArray("n") + QByteArray::number(qulonglong(n)).rightJustified(9, '0');
        if (std::find(taken.begin(), taken.end(), number) == taken.end())
            return number;
        n = (n + 1) % 1000000000u;
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

    const std::vector<TFetchedLine> &lines = answer.lines();
    const std::vector<TFetchedReservation> reservations = answerReservations(answer);
    auto named = [](const TFetchedReservation &r) {
        const QString name = cp932::decode(r.name);
        const QString number = r.number.isEmpty() ? QStringLiteral("（番号なし）") : cp932::decode(r.number);
        return name.isEmpty() ? QStringLiteral("予約 %1").arg(number)
                              : QStringLiteral("予約 %1（%2様）").arg(number, name);
    };
    QStringList cutOff, tooLarge, numbered;
    std::vector<QByteArray> given;
    for (std::size_t k = 0; k < reservations.size(); ++k) {
        const TFetchedReservation &res = reservations[k];
        // Every reservation takes a bill number of its own, stored or not.
        if (k > 0)
            ++data.NextMeiNo;
        if (!res.complete) {
            cutOff << named(res);
            continue;
        }
        if (qsizetype(res.records) > MaxReservationRecords) {
            tooLarge << named(res);
            continue;
        }
        if (res.records == 0)
            continue;
        QByteArray number = res.number;
        if (number.isEmpty()) {
            number = numberForUnnumbered(lines[res.firstLine], given);
            given.push_back(number);
            if (!fetchedBefore(number))
                numbered << named(res) + QStringLiteral(" → 予約番号 ") + QString::fromLatin1(number);
        }
        if (fetchedBefore(number))
            continue;
        for (std::size_t i = res.firstLine; i < res.firstLine + res.lineCount; ++i) {
            for (TReserveData r : lines[i].records) {
                r.MeiNo = data.NextMeiNo;
                setFieldBytes(r.Regday, number);
                data.ReserveList.push_back(r);
            }
        }
    }
    data.RsvCount = int(data.ReserveList.size());

    // A reservation cut off in its first line is named too: nothing of it came whole.
    if (QByteArray number, name; answer.state() != TAnswerParser::State::EndMark && answer.stoppedLine(&number, &name)
        && (reservations.empty() || reservationKey(number, name) != lines[reservations.back().firstLine].key)) {
        TFetchedReservation stopped;
        stopped.number = number;
        stopped.name = name;
        cutOff << named(stopped);
    }
    if (!cutOff.isEmpty())
        messages.push_back({fetch_titles::Notice,
                            QStringLiteral("次の予約は受信が途中で切れたため取り込みませんでした。\n%1\n"
                                           "もう一度「サーバーからデータを取得」を押すと取り込みます。")
                                .arg(cutOff.join(QLatin1Char('\n')))});
    if (!tooLarge.isEmpty())
        messages.push_back({fetch_titles::Error,
                            QStringLiteral("次の予約は明細が %1 件を超えているため取り込みませんでした。\n%2\n"
                                           "予約サービスの内容を確かめてください。")
                                .arg(MaxReservationRecords)
                                .arg(tooLarge.join(QLatin1Char('\n')))});
    if (!numbered.isEmpty())
        messages.push_back({fetch_titles::Notice,
                            QStringLiteral("次の予約は予約番号がなかったため、それぞれ別の請求明細とし、"
                                           "予約番号を付けました。\n%1")
                                .arg(numbered.join(QLatin1Char('\n')))});

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
