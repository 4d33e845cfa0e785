// A bill saved and opened again is the bill that was printed: every sample
// bill, in both languages, receipted and saved, then opened from the saved
// files and printed again on every paper, prints the same texts, the mark
// of the reissue being the one difference.

#include "gui_test_env.h"
#include "bill_document_kinds.h"
#include "sample_bill.h"

#include "billing/bill_storage.h"
#include "billing/bill_window_rules.h"
#include "printing/bill_documents.h"
#include "storage/clock.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const uint32_t kBillNo = 1186628400;

// Every text of a document, page by page, by item name; the reissue mark aside.
QStringList documentTexts(const printing::PageModel &m)
{
    QStringList out;
    for (int p = 0; p < m.pages.size(); ++p)
        for (const printing::PageItem &item : m.pages[p].items)
            if (const auto *t = std::get_if<printing::TextItem>(&item); t && t->name != QLatin1String("Reissue"))
                out << QStringLiteral("%1 %2: %3").arg(p + 1).arg(t->name, t->text);
    return out;
}

class ReopenedBills : public ::testing::Test {
protected:
    QTemporaryDir dir;
    AppData data;
    TLibrary lib;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        Clock::setFixed(QDateTime(QDate(2026, 12, 11), QTime(9, 30)));
        data.ExePath = dir.path() + QLatin1Char('/');
        data.BackupPath = data.ExePath + QStringLiteral("backup/");
        seedDefaultKamoku(data.KamokuList);
        // The sweets to take away are sold at the reduced rate.
        for (auto &list : data.KamokuList)
            for (std::size_t i = 0; i < list.size(); ++i)
                if (itemKey(list[i]) == 1601105) {
                    THojoKamoku k = list[i];
                    k.Keigen |= 1;
                    list[i] = k;
                }
    }
    void TearDown() override { Clock::setFixed({}); }

    // The sample as the clerk enters it into a new bill of the window.
    TBillState entered(const TBillState &s)
    {
        TBillState b;
        OpenBill(b, data, kBillNo); // a bill not in the list: an empty one
        if (s.LangFlag)
            SwitchLanguage(b, data.KamokuList);
        b.NameEdit = s.NameEdit;
        b.PlanEdit = s.PlanEdit;
        b.RoomEdit = s.RoomEdit;
        b.StayEdit = s.StayEdit;
        b.StayLabel = s.StayLabel;
        b.SeisanDay = s.SeisanDay;
        b.RegdayEdit = QStringLiteral("R118662840");
        b.TadashiCheck = s.TadashiCheck;
        b.Lines = s.Lines;
        SetCardKind(b, s.SiharaiCombo.EditText);
        b.SaNumEdit[8] = s.SaNumEdit[8];
        EXPECT_TRUE(CalcTotals(b, data.BaseData, data.Money).isEmpty());
        return b;
    }
};

TEST_F(ReopenedBills, PrintAsTheyDidBeforeSaving)
{
    for (const sample::Case &c : sample::cases()) {
        for (const uint8_t lang : {uint8_t(0), uint8_t(1)}) {
            SCOPED_TRACE(std::string(c.name) + (lang ? " en" : " ja"));
            QFile::remove(data.filePath("reserve.dat"));
            QFile::remove(data.filePath("urikake.dat"));
            QFile::remove(data.filePath(ReceiptIssuesFileName));
            data.ReserveList.clear();
            data.UrikakeList.clear();
            data.BaseData = c.base();
            data.Money = c.money;
            TBillState first = entered(c.make(lang));

            // The receipt is issued: the bill is saved with it.
            const TDocumentRun receipt = makeBillDocument(first, data.BaseData, QString(), BillPaper::A5, KindReceipt);
            ASSERT_TRUE(receipt.ok()) << receipt.error.toStdString();
            applyDocumentRun(first, receipt);
            const TReceiptIssue issue{kBillNo, Clock::now(), 0, int(lang), first.KeisyouCombo.ItemIndex,
                                      first.TadashiCheck};
            const TBillMessage saved = SaveBill(first, data, lib, &issue);
            ASSERT_TRUE(saved.isEmpty()) << saved.text.toStdString();

            TBillState again;
            OpenBill(again, data, kBillNo);
            EXPECT_EQ(again.LangFlag, lang);
            for (const Document &d : kDocuments) {
                SCOPED_TRACE(d.name);
                const QDate reissued = issuesReceipt(d.paper, d.kind) ? Clock::now().date() : QDate();
                const TDocumentRun before = makeBillDocument(first, data.BaseData, QString(), d.paper, d.kind, reissued);
                const TDocumentRun after = makeBillDocument(again, data.BaseData, QString(), d.paper, d.kind, reissued);
                ASSERT_TRUE(before.ok()) << before.error.toStdString();
                ASSERT_TRUE(after.ok()) << after.error.toStdString();
                EXPECT_EQ(documentTexts(after.model), documentTexts(before.model));
                EXPECT_EQ(after.model.pages.size(), before.model.pages.size());
            }
            // Saved again unchanged, the stored bill stays as it was, record for record.
            const std::vector<TReserveData> stored(data.ReserveList.begin(), data.ReserveList.end());
            ASSERT_TRUE(SaveBill(again, data, lib).isEmpty());
            ASSERT_EQ(data.ReserveList.size(), stored.size());
            for (std::size_t i = 0; i < stored.size(); ++i)
                EXPECT_EQ(std::memcmp(&data.ReserveList[i], &stored[i], sizeof(TReserveData)), 0)
                    << "record " << i << " " << fieldText(stored[i].Kamoku).toStdString() << " dated "
                    << fieldText(stored[i].Rsvday).toStdString() << ", now "
                    << fieldText(data.ReserveList[i].Rsvday).toStdString();
        }
    }
}

} // namespace
