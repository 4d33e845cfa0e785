#pragma once
// The booking service's answer to a reservation fetch, read as bytes.
//
// The answer is an HTTP header, then "[", then record lines ended by LF whose
// fields each end in ";", then "]" where a field would begin:
//
//   HTTP/1.0 200 OK\r\n\r\n[2014/03/21;R001;山田;素泊まり;101;2;1;1601001;大人宿泊料金;8000;2;\n]
//
// TAnswerParser turns the bytes into checked lines and knows when to stop
// reading; applyAnswer turns the lines into bills of the reservation list.
// Neither touches a socket, so both run on bytes from anywhere.

#include "storage/app_data.h"
#include "storage/records.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

// A message for the user: shown by the window, in order.
struct FetchMessage {
    QString title;
    QString text;
    bool operator==(const FetchMessage &) const = default;
};

// No day's bookings come anywhere near this; a longer answer is not the service's.
inline constexpr qint64 DefaultMaxAnswerBytes = qint64(4) << 20;
// Nor this many charges: four bytes of answer can make a 372-byte record.
inline constexpr qsizetype MaxAnswerRecords = 50000;
// Nor one reservation this many: a bill of more charges is an answer gone wrong
// (one line repeated), not a stay; it would print thousands of pages.
inline constexpr qsizetype MaxReservationRecords = 1000;

// One record line of the answer: the reservation number and one record per
// charge, with every field but MeiNo filled in.
struct TFetchedLine {
    QByteArray reservationNo; // Regday as stored
    QByteArray key;           // which reservation the line belongs to (reservationKey)
    std::vector<TReserveData> records;
};

// What tells one reservation from the next: its number, or for a line that
// came without one, the guest's name (texts as stored).
QByteArray reservationKey(const QByteArray &number, const QByteArray &name);

class TAnswerParser {
public:
    enum class State {
        Reading,       // more may come
        EndMark,       // "]" arrived where a field would begin
        BadNumber,     // a numeric field was not a decimal integer
        TooLarge,      // more bytes or charges than any day's bookings could be
    };

    explicit TAnswerParser(qint64 maxBytes = DefaultMaxAnswerBytes);

    // Reads received bytes; false once nothing more may be read.
    bool feed(const char *bytes, qsizetype length);
    bool feed(const QByteArray &bytes) { return feed(bytes.constData(), bytes.size()); }

    State state() const { return State_; }
    bool reading() const { return State_ == State::Reading; }
    // True once a ";" arrived in the data part.
    bool dataReceived() const { return DataReceived; }
    // Complete lines, in the order received.
    const std::vector<TFetchedLine> &lines() const { return Lines; }
    // Lines with fewer than seven fields or an incomplete charge group.
    int skippedLines() const { return Skipped; }
    // Bytes of text fields that were NUL, control or not CP932 and became "?".
    int replacedBytes() const { return Replaced; }
    // Texts longer than their record field, cut to fit.
    int cutTexts() const { return Cut; }
    qint64 bytesRead() const { return Total; }
    qint64 maxBytes() const { return Limit; }
    // The message for BadNumber and TooLarge; empty otherwise.
    FetchMessage failure() const;
    // The reservation of the line that was being read when the reading
    // stopped (cut off, refused, over a limit), once its number (and, without
    // one, its name) has arrived: false when no such line or not known.
    bool stoppedLine(QByteArray *number, QByteArray *name) const;

    // Reads a decimal integer field (an empty text is 0); false if it is not one
    // or lies outside [low, high].
    static bool readNumber(const QByteArray &text, int64_t low, int64_t high, int64_t *value);
    // Text for a record field: NUL, control and bytes that are not CP932
    // characters become "?", and the text is cut to size - 1 bytes without
    // splitting a double-byte character (cut tells whether it was).
    static QByteArray fieldText(const char *bytes, qsizetype length, std::size_t size, int *replaced,
                                bool *cut = nullptr);

private:
    void endLine();
    QByteArray field(qsizetype i) const;

    qint64 Limit;
    qint64 Total = 0;
    qsizetype Records = 0;
    bool TooManyRecords = false;
    State State_ = State::Reading;
    bool Began = false;        // the "[" has arrived
    bool DataReceived = false;
    // The current line: its bytes, and where each complete field ends. The
    // bytes after the last end are the field being read.
    QByteArray Line;
    std::vector<qsizetype> Ends;
    qsizetype LineNo = 0;
    std::vector<TFetchedLine> Lines;
    int Skipped = 0;
    int Replaced = 0;
    int Cut = 0;
    QString BadText;
    qsizetype BadLine = 0;
    QByteArray StoppedNumber, StoppedName; // of the line refused or over the limit
};

// Whether a record with the record's Regday was in ReserveList before this
// fetch began (the first RsvCount records).
bool IsFetched(const AppData &data, const TReserveData &record);

// One reservation of an answer: a run of complete lines with the same key.
struct TFetchedReservation {
    QByteArray number; // as received; empty when it came without one
    QByteArray name;
    std::size_t firstLine = 0, lineCount = 0;
    std::size_t records = 0;
    // The next reservation or the end mark came after it: no night of it is
    // missing. The last reservation of an answer cut short is not complete.
    bool complete = false;
};
std::vector<TFetchedReservation> answerReservations(const TAnswerParser &answer);

// The number a reservation that came without one is stored under: "n" and
// nine digits from its first line (date, name, room, plan), so that the next
// fetch of the same answer knows it again. taken: numbers already given in
// this answer (a clash takes the next number).
QByteArray numberForUnnumbered(const TFetchedLine &first, const std::vector<QByteArray> &taken);

// Appends the answer's reservations to ReserveList as bills and ends the
// fetch: one bill number per reservation (a run of lines with the same key),
// only whole reservations (complete, at most MaxReservationRecords charges),
// records of reservations fetched before left out, one without a number
// under a number of its own, RsvCount set before and after, and NextMeiNo
// moved past every number handed out. Returns the messages to show after any
// the connection gave: each reservation left out for being cut off or too
// large, and each given a number, is named.
std::vector<FetchMessage> applyAnswer(AppData &data, const TAnswerParser &answer);

// The titles of the program's message boxes.
namespace fetch_titles {
inline const QString Error = QStringLiteral("エラー");
inline const QString Notice = QStringLiteral("注意");
inline const QString Information = QStringLiteral("メッセージ");
} // namespace fetch_titles

extern const QString NoDataMessage; // 受信データはありませんでした
