#include "receipt_issues.h"

#include "app_data.h"
#include "cp932.h"
#include "record_store.h"

#include <QFile>

#include <algorithm>
#include <cstring>

namespace {
const QString kIssuedAtFormat = QStringLiteral("yyyy/MM/dd HH:mm:ss");
const QString kShownFormat = QStringLiteral("yyyy年MM月dd日 HH:mm");
} // namespace

bool ReceiptIssues::load(const AppData &data, QString *error)
{
    if (!data.Store)
        return load(data.ExePath, error);
    Issues.clear();
    Read = 0;
    if (!data.Store->loadReceiptIssues(&Issues, error))
        return false;
    Read = Issues.size();
    return true;
}

bool ReceiptIssues::load(const QString &exePath, QString *error)
{
    Issues.clear();
    Read = 0;
    const QString path = exePath + QLatin1String(ReceiptIssuesFileName);
    const TLibrary::FileProbe probe = TLibrary::ProbeFile(path);
    if (!probe.exists)
        return true;
    auto fail = [&](const QString &why) {
        if (error)
            *error = QStringLiteral("領収書の発行記録 %1 を読めません。\n%2").arg(path, why);
        return false;
    };
    if (!probe.error.isEmpty())
        return fail(probe.error);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return fail(f.errorString());
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return fail(f.errorString());
    if (bytes.size() % qsizetype(sizeof(TReceiptIssueData)) != 0)
        return fail(QStringLiteral("記録の途中で終わっています（%1 バイト）。").arg(bytes.size()));
    Issues.resize(std::size_t(bytes.size()) / sizeof(TReceiptIssueData));
    if (!Issues.empty())
        std::memcpy(Issues.data(), bytes.constData(), std::size_t(bytes.size()));
    Read = Issues.size();
    return true;
}

QList<TReceiptIssue> ReceiptIssues::of(uint32_t billNo) const
{
    QList<TReceiptIssue> out;
    for (const TReceiptIssueData &d : Issues)
        if (d.MeiNo == billNo)
            out.append({d.MeiNo, QDateTime::fromString(fieldText(d.IssuedAt), kIssuedAtFormat), d.Paper, d.Lang,
                        d.Keisyou, d.Tadashi != 0});
    return out;
}

int ReceiptIssues::count(uint32_t billNo) const
{
    return int(std::count_if(Issues.begin(), Issues.end(),
                             [billNo](const TReceiptIssueData &d) { return d.MeiNo == billNo; }));
}

void ReceiptIssues::add(const TReceiptIssue &issue)
{
    TReceiptIssueData d;
    std::memset(&d, 0, sizeof d);
    d.MeiNo = issue.MeiNo;
    setFieldText(d.IssuedAt, issue.IssuedAt.toString(kIssuedAtFormat));
    d.Paper = uint8_t(issue.Paper);
    d.Lang = uint8_t(issue.Lang);
    d.Keisyou = uint8_t(std::clamp(issue.Keisyou, 0, 255));
    d.Tadashi = issue.Tadashi ? 1 : 0;
    Issues.push_back(d);
}

std::vector<TReceiptIssueData> ReceiptIssues::added() const
{
    return {Issues.begin() + std::ptrdiff_t(std::min(Read, Issues.size())), Issues.end()};
}

RecordFile ReceiptIssues::file(const QString &exePath) const
{
    return {exePath + QLatin1String(ReceiptIssuesFileName), Issues.data(), int(sizeof(TReceiptIssueData)),
            Issues.size()};
}

CommitResult writeBillFilesWithReceipts(const AppData &data, const RecordList<TReserveData> &reserve,
                                        const RecordList<TUrikakeData> &urikake, const TLibrary &lib, QString *error,
                                        const ReceiptIssues &receipts, const std::vector<uint32_t> *bills)
{
    const std::vector<TReceiptIssueData> added = receipts.added();
    if (!data.Store)
        return writeBillFiles(data, reserve, urikake, lib, error,
                              added.empty() ? std::vector<RecordFile>{} : std::vector<RecordFile>{receipts.file(data.ExePath)},
                              bills);
    if (lib.WritesRefused()) {
        if (error)
            *error = storeRefusalText(*data.Store);
        return CommitResult::Unchanged;
    }
    return data.Store->saveBills(data, reserve, urikake, bills, added, error);
}

QString receiptIssuedText(int count)
{
    return count > 0 ? QStringLiteral("領収書発行済み(%1回)").arg(count) : QString();
}

QString receiptIssuesDetail(const QList<TReceiptIssue> &issues)
{
    static const char *papers[] = {"A5", "A4", "B5", "A4 請求書＋領収書"};
    QStringList lines;
    for (int i = 0; i < issues.size(); ++i) {
        const TReceiptIssue &e = issues[i];
        const QString what = i == 0 ? QStringLiteral("発行") : QStringLiteral("再発行%1").arg(i);
        const QString paper = e.Paper >= 0 && e.Paper < 4 ? QString::fromUtf8(papers[e.Paper]) : QString();
        lines << QStringLiteral("%1  %2  %3 %4")
                     .arg(what, e.IssuedAt.toString(kShownFormat), paper,
                          e.Lang ? QStringLiteral("英語") : QStringLiteral("日本語"));
    }
    return lines.join(QLatin1Char('\n'));
}
