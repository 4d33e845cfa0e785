#include "register/register_csv.h"

#include "reports/month_grid.h"
#include "storage/safe_file.h"

#include <QDir>

namespace {

const QString DateFormat = QStringLiteral("yyyy/MM/dd");

QDate readDate(const QString &text)
{
    for (const QString &format : {DateFormat, QStringLiteral("yyyy-MM-dd"), QStringLiteral("yyyy/M/d")}) {
        const QDate d = QDate::fromString(text.trimmed(), format);
        if (d.isValid())
            return d;
    }
    return {};
}

// Splits CSV text into records of fields; each record with the line it
// starts on. False at a quote left open.
bool splitCsv(const QString &text, std::vector<std::pair<int, QStringList>> *records, int *badLine)
{
    QStringList fields;
    QString field;
    bool quoted = false, wasQuoted = false;
    int line = 1, start = 1;
    const auto endField = [&] {
        fields << field;
        field.clear();
        wasQuoted = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == QLatin1Char('\n'))
                    ++line;
                field += c;
            }
        } else if (c == QLatin1Char('"') && field.isEmpty() && !wasQuoted) {
            quoted = wasQuoted = true;
        } else if (c == QLatin1Char(',')) {
            endField();
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
            endField();
            if (!(fields.size() == 1 && fields[0].isEmpty()))
                records->push_back({start, fields});
            fields.clear();
            start = ++line;
        } else {
            field += c;
        }
    }
    if (quoted) {
        *badLine = start;
        return false;
    }
    if (!field.isEmpty() || !fields.isEmpty()) {
        endField();
        records->push_back({start, fields});
    }
    return true;
}

} // namespace

QStringList registerCsvColumns()
{
    return {QStringLiteral("到着日"), QStringLiteral("出発日"), QStringLiteral("請求番号"), QStringLiteral("部屋"),
            QStringLiteral("氏名"),   QStringLiteral("フリガナ"), QStringLiteral("住所"),   QStringLiteral("連絡先"),
            QStringLiteral("国籍"),   QStringLiteral("旅券番号"), QStringLiteral("年齢"),   QStringLiteral("性別"),
            QStringLiteral("前泊地"), QStringLiteral("行先地")};
}

QByteArray registerCsv(const std::vector<RegisterEntry> &entries)
{
    MonthGrid grid;
    grid.headings = registerCsvColumns();
    grid.rows.reserve(entries.size());
    for (const RegisterEntry &e : entries)
        grid.rows.push_back({e.firstNight.toString(DateFormat), e.departureDate().toString(DateFormat),
                             e.meiNo ? QString::number(e.meiNo) : QString(), e.room, e.name, e.reading, e.address,
                             e.contact, e.nationality, e.passportNo, e.age, e.sex, e.previousStay, e.nextStay});
    return monthGridCsv(grid);
}

bool parseRegisterCsv(const QByteArray &bytes, const QDateTime &now, std::vector<RegisterEntry> *entries,
                      QString *error)
{
    QByteArray body = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    const QString text = QString::fromUtf8(body);
    if (text.toUtf8() != body) {
        *error = QStringLiteral("UTF-8 の文字でない部分があります。UTF-8 で保存した CSV を指定してください。");
        return false;
    }
    std::vector<std::pair<int, QStringList>> records;
    int badLine = 0;
    if (!splitCsv(text, &records, &badLine)) {
        *error = QStringLiteral("%1 行目: 引用符 \" が閉じていません。").arg(badLine);
        return false;
    }
    const QStringList columns = registerCsvColumns();
    if (records.empty() || records.front().second != columns) {
        *error = QStringLiteral("1 行目: 見出しが違います。次の列をこの順に並べてください: %1")
                     .arg(columns.join(QLatin1Char(',')));
        return false;
    }
    std::vector<RegisterEntry> read;
    for (std::size_t r = 1; r < records.size(); ++r) {
        const int line = records[r].first;
        const QStringList &f = records[r].second;
        const auto fail = [&](const QString &what) {
            *error = QStringLiteral("%1 行目: %2").arg(line).arg(what);
            return false;
        };
        if (f.size() != columns.size())
            return fail(QStringLiteral("列が %1 個あります（%2 個のはずです）。").arg(f.size()).arg(columns.size()));
        RegisterEntry e;
        e.firstNight = readDate(f[0]);
        if (!e.firstNight.isValid())
            return fail(QStringLiteral("到着日「%1」が日付ではありません（2026/04/01 のように書いてください）。").arg(f[0]));
        const QDate departure = readDate(f[1]);
        if (!departure.isValid() || departure < e.firstNight)
            return fail(QStringLiteral("出発日「%1」が日付でないか、到着日より前です。").arg(f[1]));
        e.nights = int(e.firstNight.daysTo(departure));
        if (!f[2].trimmed().isEmpty()) {
            bool ok = false;
            const qulonglong no = f[2].trimmed().toULongLong(&ok);
            if (!ok || no == 0 || no > 0xFFFFFFFFull)
                return fail(QStringLiteral("請求番号「%1」が番号ではありません。").arg(f[2]));
            e.meiNo = quint32(no);
        }
        e.room = f[3];
        e.name = f[4];
        if (e.name.trimmed().isEmpty())
            return fail(QStringLiteral("氏名がありません。"));
        e.reading = f[5];
        e.address = f[6];
        e.contact = f[7];
        e.nationality = f[8].trimmed().toUpper();
        if (!e.nationality.isEmpty() && !isCountryCode(e.nationality))
            return fail(QStringLiteral("国籍「%1」が国名コード（JP、US など ISO 3166 の 2 文字）ではありません。").arg(f[8]));
        e.passportNo = f[9].trimmed().isEmpty() ? QString() : normalizedPassportNumber(f[9]);
        if (!e.passportNo.isEmpty() && !isPassportNumber(e.passportNo))
            return fail(QStringLiteral("旅券番号「%1」が旅券番号の形（英字と数字 6〜9 文字）ではありません。").arg(f[9]));
        e.livesAbroad = !e.passportNo.isEmpty() || (!e.nationality.isEmpty() && e.nationality != QLatin1String("JP"));
        e.age = f[10];
        e.sex = f[11];
        e.previousStay = f[12];
        e.nextStay = f[13];
        const QDateTime made(e.firstNight, QTime(0, 0));
        e.created = made < now ? made : now;
        read.push_back(e);
    }
    *entries = std::move(read);
    return true;
}

RegisterExport exportRegisterRange(GuestRegister &reg, const QDate &from, const QDate &to, const QString &outFile,
                                   const QDateTime &now, const QString &how, QString *error)
{
    const std::vector<RegisterEntry> entries = reg.entriesBetween(from, to);
    reg.addLog(now, QStringLiteral("書き出し"),
               QStringLiteral("%1～%2 の %3 件を %4 へ%5")
                   .arg(from.toString(QStringLiteral("yyyy/MM/dd")), to.toString(QStringLiteral("yyyy/MM/dd")))
                   .arg(entries.size())
                   .arg(QDir::toNativeSeparators(outFile), how));
    if (!reg.save(error))
        return RegisterExport::LogNotStored;
    const QByteArray csv = registerCsv(entries);
    if (!writeFileAtomically(outFile, csv.constData(), std::size_t(csv.size()), error)) {
        *error = error->simplified();
        return RegisterExport::FileNotWritten;
    }
    return RegisterExport::Written;
}
