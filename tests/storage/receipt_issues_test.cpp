// The record of receipts issued: what it reads, what it writes, and that a
// record it cannot trust is never taken for an empty one.

#include "storage/receipt_issues.h"
#include "test_dir.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class ReceiptIssuesTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString exePath() const { return dir.path() + QLatin1Char('/'); }
    QString filePath() const { return exePath() + QLatin1String(ReceiptIssuesFileName); }

    // The record as a commit would write it.
    void write(const ReceiptIssues &issues)
    {
        const RecordFile f = issues.file(exePath());
        EXPECT_EQ(f.path, filePath());
        writeBytes(f.path, QByteArray(static_cast<const char *>(f.buffer), qsizetype(f.recordSize) * qsizetype(f.count)));
    }
};

TEST_F(ReceiptIssuesTest, AMissingFileIsAnEmptyRecord)
{
    ReceiptIssues issues;
    QString error;
    ASSERT_TRUE(issues.load(exePath(), &error)) << error.toStdString();
    EXPECT_EQ(issues.count(100), 0);
    EXPECT_TRUE(issues.of(100).isEmpty());
    EXPECT_EQ(receiptIssuedText(0), QString());
}

TEST_F(ReceiptIssuesTest, IssuesReadBackPerBillInTheOrderIssued)
{
    ReceiptIssues issues;
    const QDateTime first(QDate(2026, 12, 10), QTime(10, 0, 5));
    const QDateTime second(QDate(2026, 12, 11), QTime(8, 41, 30));
    issues.add({100, first, 3, 0});
    issues.add({200, first, 0, 1});
    issues.add({100, second, 1, 1});
    write(issues);

    ReceiptIssues read;
    QString error;
    ASSERT_TRUE(read.load(exePath(), &error)) << error.toStdString();
    EXPECT_EQ(readBytes(filePath()).size(), 3 * 32);
    EXPECT_EQ(read.count(100), 2);
    EXPECT_EQ(read.count(200), 1);
    EXPECT_EQ(read.count(300), 0);
    const QList<TReceiptIssue> mine = read.of(100);
    ASSERT_EQ(mine.size(), 2);
    EXPECT_EQ(mine[0].IssuedAt, first);
    EXPECT_EQ(mine[0].Paper, 3);
    EXPECT_EQ(mine[1].IssuedAt, second);
    EXPECT_EQ(mine[1].Lang, 1);
    EXPECT_EQ(receiptIssuedText(read.count(100)), QStringLiteral("領収書発行済み(2回)"));
    EXPECT_EQ(receiptIssuesDetail(mine), QStringLiteral("発行  2026年12月10日 10:00  A4 請求書＋領収書 日本語\n"
                                                        "再発行1  2026年12月11日 08:41  A4 英語"));
    // The bytes of one record: the bill number, then the time as text.
    const QByteArray bytes = readBytes(filePath());
    EXPECT_EQ(bytes.mid(0, 4), le32(100));
    EXPECT_EQ(bytes.mid(4, 20), QByteArray("2026/12/10 10:00:05", 20));
    EXPECT_EQ(bytes.at(24), 3);
}

// A torn or foreign file would hide issues: the record refuses it, so no
// receipt goes out unmarked because its earlier issues could not be read.
TEST_F(ReceiptIssuesTest, AFileOfBrokenRecordsIsNotRead)
{
    writeBytes(filePath(), QByteArray(45, 'x'));
    ReceiptIssues issues;
    QString error;
    EXPECT_FALSE(issues.load(exePath(), &error));
    EXPECT_TRUE(error.contains(QLatin1String(ReceiptIssuesFileName))) << error.toStdString();
}

} // namespace
