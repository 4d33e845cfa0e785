#pragma once
// Runs one answer through the parser and into a small reservation list, and
// checks what must hold for any bytes at all. Shared by the corpus test and
// the fuzz target (tools/fuzz).

#include "reservations/fetch_answer.h"
#include "storage/cp932.h"

#include <cstring>
#include <string>

namespace answer_replay {

inline constexpr uint32_t FirstMeiNo = 1000;

template <std::size_t N> bool cleanField(const char (&field)[N])
{
    const void *nul = std::memchr(field, 0, N);
    if (!nul)
        return false;
    const qsizetype length = static_cast<const char *>(nul) - field;
    int replaced = 0;
    const QByteArray again = TAnswerParser::fieldText(field, length, N, &replaced);
    return replaced == 0 && again == QByteArray(field, length);
}

inline AppData startingData()
{
    AppData data;
    TReserveData r{};
    r.MeiNo = 7;
    setFieldBytes(r.Regday, QByteArray("R001"));
    data.ReserveList.push_back(r);
    setFieldBytes(r.Regday, QByteArray("a000000001"));
    data.ReserveList.push_back(r);
    data.NextMeiNo = FirstMeiNo;
    return data;
}

// Empty when every rule holds; otherwise what broke.
inline std::string replay(const char *bytes, std::size_t size, qint64 maxBytes = DefaultMaxAnswerBytes)
{
    TAnswerParser whole(maxBytes), byByte(maxBytes);
    whole.feed(bytes, qsizetype(size));
    for (std::size_t i = 0; i < size && byByte.reading(); ++i)
        byByte.feed(bytes + i, 1);
    if (whole.state() != byByte.state() || whole.lines().size() != byByte.lines().size()
        || whole.skippedLines() != byByte.skippedLines() || whole.dataReceived() != byByte.dataReceived()
        || whole.bytesRead() != byByte.bytesRead())
        return "the answer reads differently in one piece and byte by byte";
    if (whole.bytesRead() > maxBytes)
        return "read past the size limit";

    AppData data = startingData();
    const std::size_t before = data.ReserveList.size();
    // Only whole reservations are taken: complete and of a sane size.
    std::size_t expected = 0;
    for (const TFetchedReservation &r : answerReservations(whole))
        if (r.complete && qsizetype(r.records) <= MaxReservationRecords && r.number != "R001"
            && r.number != "a000000001")
            expected += r.records;
    // A reservation number that comes back later is still one fetch's: count it once per run.
    const auto messages = applyAnswer(data, whole);
    if (data.ReserveList.size() - before != expected)
        return "appended records do not match the complete lines";
    if (data.RsvCount != int(data.ReserveList.size()))
        return "RsvCount is not the list size";
    if (!whole.dataReceived() && (data.NextMeiNo != FirstMeiNo || expected != 0))
        return "an answer without data changed the list or the bill number";
    if (data.NextMeiNo > FirstMeiNo + whole.lines().size() + 1)
        return "bill numbers handed out beyond one per line and one at the end";
    for (std::size_t i = before; i < data.ReserveList.size(); ++i) {
        const TReserveData &r = data.ReserveList[i];
        if (r.MeiNo < FirstMeiNo || r.MeiNo >= data.NextMeiNo)
            return "a record's bill number is not one this fetch handed out";
        if (r.Regday[0] == 0)
            return "a bill stored without a reservation number";
        if (r.Seisan[0] != 0 || r.Decide != 0)
            return "settlement or receipt set by a fetch";
        if (!cleanField(r.Regday) || !cleanField(r.Rsvday) || !cleanField(r.Name) || !cleanField(r.Plan)
            || !cleanField(r.Room) || !cleanField(r.Kamoku))
            return "a text field holds what is not whole CP932 text ended by NUL";
    }
    for (const FetchMessage &m : messages)
        if (m.title.isEmpty() || m.text.isEmpty())
            return "a message without title or text";

    // The same answer again adds nothing.
    const std::size_t afterFirst = data.ReserveList.size();
    applyAnswer(data, whole);
    if (data.ReserveList.size() != afterFirst)
        return "a second fetch of the same answer added records";
    return {};
}

} // namespace answer_replay
