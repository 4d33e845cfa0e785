// The fetch button of the reservation list: against the stand-in booking
// service the day's reservations appear as rows; against a server that never
// answers the window keeps repainting, the button stays disabled and the
// window open until the time-out message.

#include "controls/string_grid_ex.h"
#include "reservations/rsvlist_form.h"
#include "app/main_form.h"
#include "shell/message_box.h"
#include "storage/clock.h"
#include "storage/cp932.h"

#include <QAction>
#include <QElapsedTimer>
#include <QMdiSubWindow>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const QDateTime kNow(QDate(2014, 3, 21), QTime(9, 5, 3));

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// Counts paint events of a widget.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

class RsvlistFetchTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QList<ShownMessage> shown;

    void pointAt(quint16 port)
    {
        writeFile(dir.filePath("norvelreceipt.ini"),
                  QStringLiteral("[Online]\r\nHost=127.0.0.1\r\nPort=%1\r\n").arg(port).toLatin1());
    }
    TRsvlistForm *open(TMainForm &form)
    {
        form.show();
        form.menuItem("RsvList")->trigger();
        return qobject_cast<TRsvlistForm *>(form.findChildWindow("RsvlistForm"));
    }
    static QStringList column(TRsvlistForm *list, int col)
    {
        QStringList c;
        for (int r = 1; r < list->Grid()->RowCount(); ++r)
            c << list->Grid()->Cells(col, r);
        return c;
    }

private slots:
    void init()
    {
        QVERIFY(dir.isValid());
        QDir(dir.path()).removeRecursively();
        QDir().mkpath(dir.path());
        shown.clear();
        Clock::setFixed(kNow);
        SetMessageResponder([this](const ShownMessage &m) {
            shown.append(m);
            return QMessageBox::Ok;
        });
        // A complete program directory with the online-service settings filled in.
        TBaseData base{};
        setFieldText(base.Acount, QStringLiteral("inn"));
        setFieldText(base.Domain, QStringLiteral("example.jp"));
        setFieldText(base.IDCode, QStringLiteral("abc"));
        setFieldText(base.Passwd, QStringLiteral("pw"));
        writeFile(dir.filePath("base.dat"), QByteArray(reinterpret_cast<const char *>(&base), sizeof base));
        QByteArray items(88, 0);
        items[8] = 'x';
        writeFile(dir.filePath("kmk_syu.dat"), items);
        writeFile(dir.filePath("reserve.dat"), {});
    }
    void cleanup()
    {
        SetMessageResponder({});
        Clock::setFixed({});
    }

    void fetchButtonAddsTheDaysRows()
    {
        QTemporaryDir serviceDir;
        writeFile(serviceDir.filePath("r.txt"),
                  QStringLiteral("2014/03/21;R001;山田;素泊まり;101;2;1;1601001;大人宿泊料金;8000;2;1601102;ビール;800;1;\n"
                                 "2014/03/22;R001;山田;素泊まり;101;2;2;1601001;大人宿泊料金;8000;2;\n"
                                 "2014/03/21;R002;鈴木;朝食付;102;1;1;1601001;大人;9000;1;\n"
                                 "2014/03/20;R000;前日;p;1;1;1;1601001;x;1;1;\n")
                      .toUtf8());
        QProcess service;
        service.start(QStringLiteral(NORVEL_BINARY_DIR "/bin/booking_standin"),
                      {"--port", "0", "--id", "abc", "--password", "pw", serviceDir.filePath("r.txt")});
        QVERIFY(service.waitForReadyRead(10000));
        pointAt(quint16(service.readLine().trimmed().split(':').last().toInt()));

        TMainForm form(dir.path());
        TRsvlistForm *list = open(form);
        QVERIFY(list);
        auto *fetch = list->findChild<QPushButton *>("Button1");
        QVERIFY(fetch->isEnabled());
        const uint32_t first = form.data().NextMeiNo;
        QTest::mouseClick(fetch, Qt::LeftButton);

        QVERIFY2(shown.isEmpty(), qPrintable(shown.isEmpty() ? QString() : shown[0].text));
        QCOMPARE(column(list, 2), (QStringList{"R001", "R002"}));
        QCOMPARE(column(list, 3), (QStringList{"山田", "鈴木"}));
        QCOMPARE(column(list, 1), (QStringList{QString::number(first), QString::number(first + 1)}));
        QCOMPARE(column(list, 8), (QStringList{"16000", "9000"})); // the first line of each bill on the day
        QCOMPARE(form.data().ReserveList.size(), size_t(4));
        QVERIFY(fetch->isEnabled());

        // The next day shows the second night; fetching the day again adds nothing.
        list->SetListDate(QDateTime(QDate(2014, 3, 22), kNow.time()));
        QCOMPARE(column(list, 7), (QStringList{"2"}));
        list->SetListDate(kNow);
        QTest::mouseClick(fetch, Qt::LeftButton);
        QVERIFY(shown.isEmpty());
        QCOMPARE(form.data().ReserveList.size(), size_t(4));
        service.kill();
        service.waitForFinished();
    }

    void windowStaysUsableWhileTheServerKeepsSilent()
    {
        // A listener that never accepts: the system completes the connection
        // and nobody ever answers.
        const int silent = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        QCOMPARE(::bind(silent, reinterpret_cast<sockaddr *>(&a), sizeof a), 0);
        QCOMPARE(::listen(silent, 4), 0);
        socklen_t len = sizeof a;
        ::getsockname(silent, reinterpret_cast<sockaddr *>(&a), &len);
        pointAt(ntohs(a.sin_port));

        TMainForm form(dir.path());
        QPointer<TRsvlistForm> list = open(form);
        QVERIFY(list);
        FetchOptions quick;
        quick.timeouts.readMs = 800;
        list->SetFetchOptions(quick);
        auto *fetch = list->findChild<QPushButton *>("Button1");
        PaintCounter painted;
        list->Grid()->viewport()->installEventFilter(&painted);

        int ticks = 0, busyTicks = 0, enabledTicks = 0;
        bool closeTried = false;
        QTimer timer;
        connect(&timer, &QTimer::timeout, this, [&] {
            ++ticks;
            if (list && list->Fetching()) {
                ++busyTicks;
                enabledTicks += fetch->isEnabled();
                list->Grid()->viewport()->update();
                if (!closeTried) {
                    closeTried = true;
                    qobject_cast<QMdiSubWindow *>(list->parentWidget())->close();
                }
            }
        });
        timer.start(50);
        const int paintsBefore = painted.paints;
        QTest::mouseClick(fetch, Qt::LeftButton);
        timer.stop();

        QVERIFY(busyTicks >= 5);      // the event loop ran all along
        QCOMPARE(enabledTicks, 0);    // the button was disabled while it did
        QVERIFY(painted.paints > paintsBefore);
        QVERIFY(closeTried);
        QVERIFY(list);                // the close was refused during the fetch, saying why
        QVERIFY(!list->Fetching());
        QVERIFY(fetch->isEnabled());
        QCOMPARE(shown.size(), 3);
        QCOMPARE(shown[0].title, QStringLiteral("注意"));
        QCOMPARE(shown[0].text, QStringLiteral("サーバーからデータを取得しています。\n取得が終わってから閉じてください。"));
        QCOMPARE(shown[1].title, QStringLiteral("エラー"));
        QVERIFY2(shown[1].text.contains(QStringLiteral("0.8 秒間")), qPrintable(shown[1].text));
        QCOMPARE(shown[2].text, QStringLiteral("受信データはありませんでした"));
        QVERIFY(form.data().ReserveList.empty());
        // Once the fetch is over the window closes as usual.
        qobject_cast<QMdiSubWindow *>(list->parentWidget())->close();
        QTRY_VERIFY(!list);
        ::close(silent);
    }

    void quittingDuringAFetchGivesItUpAtOnce()
    {
        const int silent = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        QCOMPARE(::bind(silent, reinterpret_cast<sockaddr *>(&a), sizeof a), 0);
        QCOMPARE(::listen(silent, 4), 0);
        socklen_t len = sizeof a;
        ::getsockname(silent, reinterpret_cast<sockaddr *>(&a), &len);
        pointAt(ntohs(a.sin_port));

        TMainForm form(dir.path());
        TRsvlistForm *list = open(form);
        QVERIFY(list);
        FetchOptions patient; // a minute of silence would be waited for
        patient.timeouts.readMs = 60000;
        list->SetFetchOptions(patient);
        QTimer::singleShot(300, [] { QCoreApplication::exit(0); });
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(list->findChild<QPushButton *>("Button1"), Qt::LeftButton);
        QVERIFY(clock.elapsed() < 10000);
        QVERIFY(!list->Fetching());
        QVERIFY(shown.isEmpty()); // the program is ending: no message boxes
        ::close(silent);
    }
};

QTEST_MAIN(RsvlistFetchTest)
#include "rsvlist_fetch_qtest.moc"
