// The bill window on a temporary program directory with a fixed clock and
// scripted message answers: opening, the grid and its picker, the totals,
// the switches, closing and what reaches the files.

#include "billing/meisai_form.h"
#include "bill_fixtures.h"
#include "controls/sa_num_edit.h"
#include "controls/string_grid_ex.h"
#include "shell/main_form.h"
#include "shell/message_box.h"
#include "storage/clock.h"
#include "storage/ini_file.h"
#include "storage/library.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QDateTime kNow(QDate(2014, 3, 21), QTime(10, 0, 0));
const uint32_t kBill = 1395363600;

TReserveData rec(uint32_t meiNo, uint32_t key, int32_t tanka, int32_t suryou, const char *date, const char *text,
                 const char *name = "山田太郎")
{
    TReserveData r = line(key, tanka, suryou, date, "101", text);
    r.MeiNo = meiNo;
    setFieldText(r.Regday, QStringLiteral("a000000057"));
    setFieldText(r.Name, QString::fromUtf8(name));
    setFieldText(r.Plan, QStringLiteral("一泊二食"));
    r.Stay = 1;
    r.Stayx = 1;
    return r;
}

} // namespace

class MeisaiFormTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QList<ShownMessage> shown;
    QList<QMessageBox::StandardButton> answers; // scripted answers, Ok once they run out

    QString path(const char *name) const { return dir.filePath(QLatin1String(name)); }
    QStringList texts() const
    {
        QStringList t;
        for (const auto &m : shown)
            t << m.text;
        return t;
    }

    // Writes the program directory: settings, the default item master and the reservations.
    void writeProgramDirectory(const std::vector<TReserveData> &reserve, uint8_t paperKubun = 0)
    {
        AppData data;
        TLibrary lib;
        data.ExePath = dir.path() + QLatin1Char('/');
        setDefaultBaseData(data.BaseData);
        data.BaseData = settings(1, 1, 1);
        data.BaseData.PaperKubun = paperKubun;
        seedDefaultKamoku(data.KamokuList);
        data.ReserveList.assign(reserve.begin(), reserve.end());
        QString error;
        QVERIFY(saveBaseData(data, lib, &error));
        QVERIFY(saveKamokuLists(data, lib, &error));
        QVERIFY(saveReserveList(data, lib, &error));
    }

    template <class T> T *child(QWidget *w, const char *name)
    {
        T *c = w->findChild<T *>(QLatin1String(name));
        if (!c)
            qWarning("no control %s", name);
        return c;
    }

private slots:
    void init()
    {
        QVERIFY(dir.isValid());
        QDir(dir.path()).removeRecursively();
        QDir().mkpath(dir.path());
        shown.clear();
        answers.clear();
        Clock::setFixed(kNow);
        SetMessageResponder([this](const ShownMessage &m) {
            shown.append(m);
            return answers.isEmpty() ? QMessageBox::Ok : answers.takeFirst();
        });
    }
    void cleanup()
    {
        SetMessageResponder({});
        Clock::setFixed({});
    }

    void opensAsTheOneBillWindowAndClosesThroughTheMainWindow()
    {
        writeProgramDirectory({rec(kBill, 1601001, 10000, 2, "2014/03/21", "大人宿泊料金")});
        TMainForm main(dir.path());
        main.show();
        QVERIFY(!main.menuItem("Print1")->isEnabled());
        TMeisaiForm *w = main.openBillWindow(kBill);
        QVERIFY(w);
        QCOMPARE(w->objectName(), QStringLiteral("MeisaiForm"));
        QCOMPARE(w->windowTitle(), QStringLiteral("勘定明細"));
        QCOMPARE(w->billNo(), kBill);
        QCOMPARE(main.billWindow(), w);
        QVERIFY(main.menuItem("Print1")->isEnabled());
        QVERIFY(!main.openBillWindow(kBill)); // one at a time
        QCOMPARE(child<QLineEdit>(w, "NameEdit")->text(), QStringLiteral("山田太郎"));
        QCOMPARE(w->bill().SaNumEdit[RowTotal], QStringLiteral("24060"));

        QPointer<TMeisaiForm> guard(w);
        QVERIFY(main.closeBillWindow());
        QVERIFY(!main.billWindow());
        QVERIFY(!main.menuItem("Print1")->isEnabled());
        QTRY_VERIFY(guard.isNull());
        QTRY_COMPARE(main.mdiArea()->subWindowList().size(), 0);
        QVERIFY(shown.isEmpty());
    }
};

QTEST_MAIN(MeisaiFormTest)
#include "meisai_form_qtest.moc"
