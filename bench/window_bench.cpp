// What the clerk waits for, through the real windows (run it offscreen:
// QT_QPA_PLATFORM=offscreen), on a program directory that holds a
// reserve.dat made by reserve_gen:
//
//   window_bench --data_dir=DIR [--reps=N]      the times, in ms
//   window_bench --data_dir=DIR --memory        the resident size with every window open
//
// The settings and the default item master are written into DIR first (the
// lines are left as they are); the clock is fixed on a day near the end of
// the lines, so that 本日分 lists the bills of a busy day. Each action is timed
// from the user's click or key to the moment the window that shows its
// result has painted it:
//
//   startup     the main window constructed (all data loaded) and painted
//   empty       the same on a directory whose reserve.dat is empty (both
//               after one untimed start that pays what only a process's
//               first window pays: the font database, the style)
//   list        予約データ一覧 → 本日分, to the list's grid painted
//   open        a click on a bill number in the list, to the bill window painted
//   line        a click on an empty 摘要 cell, an item picked, its quantity typed
//               and Enter, to ご請求金額 painted
//   save        the bill window closed (its bill saved), to the list painted again
//   preview     印刷プレビュー → 領収書, to the preview's page painted
//   pdf         the preview's "PDFで保存", to the file written
//   month:NAME  a month window opened from the menu, to its grid painted
//   csv:NAME    its "CSV保存", to the file written
//
// Every action runs N times (default 5; a different bill of the day each
// time); the output has one line per action: its name, then the smallest
// and the median time. --memory prints "rss_kb N" and "file_kb N" instead.

#include "billing/meisai_form.h"
#include "controls/sa_num_edit.h"
#include "controls/string_grid_ex.h"
#include "printing/print_dialogs.h"
#include "reports/month_bar_form.h"
#include "reservations/rsvlist_form.h"
#include "app/main_form.h"
#include "shell/message_box.h"
#include "storage/clock.h"
#include "storage/record_date.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGraphicsView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

QString dataDir;
QString outDir; // PDF and CSV files

[[noreturn]] void fail(const QString &what)
{
    std::fprintf(stderr, "window_bench: %s\n", what.toLocal8Bit().constData());
    std::exit(1);
}

// Paint events seen on a target widget or any widget inside it.
class PaintWatch : public QObject {
public:
    QPointer<QWidget> target;
    bool seen = false;
    std::function<void()> onPaint; // runs once, after the first paint seen

    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() == QEvent::Paint && target && o->isWidgetType()) {
            auto *w = static_cast<QWidget *>(o);
            if (w == target || target->isAncestorOf(w)) {
                if (!seen && onPaint)
                    QTimer::singleShot(0, target, std::exchange(onPaint, {}));
                seen = true;
            }
        }
        return false;
    }
};
PaintWatch *watch = nullptr;

void watchFor(QWidget *target)
{
    watch->target = target;
    watch->seen = false;
}

// What the event loop does between two events, closed windows' deletion included.
void pump()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Runs the event loop until the watched widget has painted.
void waitPainted(const char *what)
{
    QElapsedTimer t;
    t.start();
    while (!watch->seen) {
        pump();
        if (t.elapsed() > 60000)
            fail(QStringLiteral("%1: nothing painted within a minute").arg(QLatin1String(what)));
    }
}

std::map<std::string, std::vector<double>> samples;
std::vector<std::string> order;

void record(const std::string &name, qint64 ns)
{
    if (!samples.count(name))
        order.push_back(name);
    samples[name].push_back(double(ns) / 1e6);
}

void report()
{
    for (const std::string &name : order) {
        std::vector<double> v = samples[name];
        std::sort(v.begin(), v.end());
        const double median = v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
        std::printf("%s %.3f %.3f\n", name.c_str(), v.front(), median);
    }
    std::fflush(stdout);
}

// The settings and the default item master beside the lines.
void writeProgramDirectory(const QString &dir)
{
    AppData data;
    TLibrary lib;
    data.ExePath = dir + QLatin1Char('/');
    setDefaultBaseData(data.BaseData);
    data.BaseData.Service = 10;
    data.BaseData.ServiceKubun = 1;
    data.BaseData.Nyutouzei = 150;
    data.BaseData.DayNyutouzei = 75;
    data.BaseData.Nyutou_Kubun = 1;
    data.BaseData.TaxKubun = 1;
    seedDefaultKamoku(data.KamokuList);
    QString error;
    if (!saveBaseData(data, lib, &error) || !saveKamokuLists(data, lib, &error))
        fail(error);
}

// "Today": the day of a line near the end of the file, where the bills are
// still open.
QDateTime deskDay()
{
    QFile f(dataDir + QStringLiteral("/reserve.dat"));
    if (!f.open(QIODevice::ReadOnly))
        fail(QStringLiteral("no reserve.dat in %1").arg(dataDir));
    const qint64 n = f.size() / qint64(sizeof(TReserveData));
    if (n == 0)
        fail(QStringLiteral("reserve.dat is empty"));
    TReserveData r{};
    f.seek((n - 1 - n / 50) * qint64(sizeof(TReserveData)));
    f.read(reinterpret_cast<char *>(&r), sizeof r);
    const FieldDate d = fieldDate(r.Rsvday);
    return QDateTime(QDate(d.year, d.month, d.day), QTime(9, 0));
}

std::unique_ptr<TMainForm> startUp(const QString &dir)
{
    auto main = std::make_unique<TMainForm>(dir);
    watchFor(main.get());
    main->show();
    main->activateWindow();
    waitPainted("main window");
    return main;
}

// Start-ups on the empty directory and on the lines, alternately, after one
// untimed start that pays what only the first window of a process pays
// (the font database, the style): both figures are of a start-up proper.
void timeStartUps(const QString &emptyDir, int reps)
{
    startUp(emptyDir);
    for (int i = 0; i < reps; ++i) {
        for (const auto &[dir, name] : {std::pair{emptyDir, "empty"}, std::pair{dataDir, "startup"}}) {
            QElapsedTimer t;
            t.start();
            auto main = startUp(dir);
            record(name, t.nsecsElapsed());
            main.reset();
            pump();
        }
    }
}

TStringGrid *gridOf(QWidget *w)
{
    auto *g = w ? w->findChild<TStringGrid *>(QStringLiteral("Grid")) : nullptr;
    if (!g)
        fail(QStringLiteral("a window without its grid"));
    return g;
}

void click(TStringGrid *g, int col, int row)
{
    const QRect cell = g->CellRect(col, row);
    if (cell.isEmpty())
        fail(QStringLiteral("cell %1,%2 not shown").arg(col).arg(row));
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, cell.center());
}

struct MonthWindow {
    const char *menu, *window, *name;
    bool csv;
};
const MonthWindow monthWindows[] = {
    {"N3", "NyutouzeiForm", "bathing", true},    {"N4", "GetujiForm", "sales", true},
    {"UrikakePrn", "UrikakeForm", "receivables", true}, {"OptPrn", "GetujioptForm", "items", true},
    {"debug1", "debugForm", "debug", false},     {"debuguri1", "debuguriForm", "debuguri", false},
};

// The work of a day at the desk, each step timed.
void timeDesk(int reps)
{
    QElapsedTimer t;
    auto main = startUp(dataDir);

    // 本日分: the list window opened, and closed again before the next sample.
    TRsvlistForm *list = nullptr;
    for (int i = 0; i < reps; ++i) {
        if (QWidget *open = main->findChildWindow(QStringLiteral("RsvlistForm"))) {
            open->parentWidget()->close(); // its frame in the main window
            pump();
        }
        watchFor(main.get());
        t.start();
        main->menuItem(QStringLiteral("RsvList"))->trigger();
        list = qobject_cast<TRsvlistForm *>(main->findChildWindow(QStringLiteral("RsvlistForm")));
        if (!list)
            fail(QStringLiteral("本日分 opened no list"));
        watchFor(list->Grid());
        waitPainted("list");
        record("list", t.nsecsElapsed());
    }
    if (list->Grid()->RowCount() < reps + 1 || list->Grid()->Cells(1, 1).isEmpty())
        fail(QStringLiteral("the day lists too few bills"));

    const QString pdfPath = outDir + QStringLiteral("/receipt.pdf");
    printing::setPdfPathChooser([&](QWidget *, const QString &) { return pdfPath; });
    for (int i = 0; i < reps; ++i) {
        // A click on the bill number.
        const int row = 1 + i % (list->Grid()->RowCount() - 1);
        list->Grid()->SetTopRow(std::max(list->Grid()->FixedRows(), row));
        pump();
        t.start();
        click(list->Grid(), 1, row);
        QPointer<TMeisaiForm> bill = main->billWindow();
        if (!bill)
            fail(QStringLiteral("a click on a bill number opened no bill window"));
        TStringGrid *grid = gridOf(bill);
        watchFor(grid);
        waitPainted("bill window");
        record("open", t.nsecsElapsed());

        // The receipt in the preview, until its page is painted.
        printing::setPreviewHook([&](QWidget *dialog) {
            auto *dlg = static_cast<QDialog *>(dialog);
            QTimer::singleShot(0, dlg, [&, dlg] {
                auto *view = dlg->findChild<QGraphicsView *>();
                if (!view)
                    fail(QStringLiteral("a preview without its page view"));
                watchFor(view->viewport());
                watch->onPaint = [&, dlg] {
                    record("preview", t.nsecsElapsed());
                    dlg->reject();
                };
            });
        });
        t.start();
        main->menuItem(QStringLiteral("PrintRyousyu"))->trigger();
        watch->onPaint = {};
        // Saved as PDF from the preview.
        printing::setPreviewHook([&](QWidget *dialog) {
            auto *dlg = static_cast<QDialog *>(dialog);
            QTimer::singleShot(0, dlg, [&, dlg] {
                QAction *save = dlg->findChild<QAction *>(QStringLiteral("SavePdfAction"));
                if (!save)
                    fail(QStringLiteral("a preview without its PDF button"));
                QFile::remove(pdfPath);
                QElapsedTimer p;
                p.start();
                save->trigger();
                record("pdf", p.nsecsElapsed());
                if (QFileInfo(pdfPath).size() == 0)
                    fail(QStringLiteral("no receipt PDF written"));
                dlg->reject();
            });
        });
        main->menuItem(QStringLiteral("PrintRyousyu"))->trigger();
        printing::setPreviewHook({});

        // A line: the first empty 摘要 cell, an item picked, its quantity typed.
        int empty = 1;
        while (empty <= BillPageLines && !grid->Cells(2, empty).isEmpty())
            ++empty;
        if (empty > BillPageLines)
            fail(QStringLiteral("a bill without an empty line on its first page"));
        auto *picker = bill->findChild<QComboBox *>(QStringLiteral("TekiyoCombo"));
        auto *total = bill->findChild<TSaNumEdit *>(QStringLiteral("SaNumEdit7"));
        if (!picker || !total)
            fail(QStringLiteral("a bill window without its item picker or total"));
        const QString before = total->Text();
        t.start();
        click(grid, 2, empty);
        const int index = picker->findText(QStringLiteral("ビール"));
        if (!picker->isVisible() || index < 0)
            fail(QStringLiteral("no item picker over an empty line"));
        picker->setCurrentIndex(index);
        emit picker->activated(index);
        grid->FocusCell(4, empty);
        QTest::keyClick(grid, '2');
        if (!grid->InplaceEditor() || !grid->InplaceEditor()->isVisible())
            fail(QStringLiteral("no editor on 数量"));
        QTest::keyClick(grid->InplaceEditor(), Qt::Key_Return);
        watchFor(total);
        waitPainted("totals");
        record("line", t.nsecsElapsed());
        if (total->Text() == before)
            fail(QStringLiteral("the line did not change the total"));

        // Closed, which saves the bill; the list shows it again.
        t.start();
        watchFor(list->Grid());
        if (!main->closeBillWindow())
            fail(QStringLiteral("the bill window did not close"));
        while (bill)
            pump();
        waitPainted("list after the save");
        record("save", t.nsecsElapsed());
    }

    // The month windows, each opened from its menu and closed again; the
    // month shown is the desk day's.
    setCsvPathChooser([](QWidget *, const QString &suggested) {
        return outDir + QLatin1Char('/') + QFileInfo(suggested).fileName();
    });
    for (int i = 0; i < reps; ++i) {
        for (const MonthWindow &m : monthWindows) {
            watchFor(main.get());
            t.start();
            main->menuItem(QLatin1String(m.menu))->trigger();
            QWidget *w = main->findChildWindow(QLatin1String(m.window));
            if (!w)
                fail(QStringLiteral("%1 opened no window").arg(QLatin1String(m.menu)));
            watchFor(gridOf(w)->viewport());
            waitPainted(m.name);
            record(std::string("month:") + m.name, t.nsecsElapsed());
            if (m.csv) {
                auto *button = w->findChild<QPushButton *>(QStringLiteral("CsvButton"));
                if (!button)
                    fail(QStringLiteral("%1 without its CSV button").arg(QLatin1String(m.window)));
                t.start();
                button->click();
                record(std::string("csv:") + m.name, t.nsecsElapsed());
            }
            w->parentWidget()->close();
            pump();
        }
    }
    setCsvPathChooser({});
    printing::setPdfPathChooser({});
}

long residentKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').front().toLong();
    return -1;
}

// The resident size with the main window, the list, a bill window and every
// month window open.
void measureMemory()
{
    auto main = startUp(dataDir);
    main->menuItem(QStringLiteral("RsvList"))->trigger();
    auto *list = qobject_cast<TRsvlistForm *>(main->findChildWindow(QStringLiteral("RsvlistForm")));
    if (!list)
        fail(QStringLiteral("本日分 opened no list"));
    watchFor(list->Grid());
    waitPainted("list");
    for (const MonthWindow &m : monthWindows) {
        main->menuItem(QLatin1String(m.menu))->trigger();
        QWidget *w = main->findChildWindow(QLatin1String(m.window));
        if (!w)
            fail(QStringLiteral("%1 opened no window").arg(QLatin1String(m.menu)));
        watchFor(gridOf(w)->viewport());
        waitPainted(m.name);
    }
    // The bill last: opening a month window closes the bill window.
    list->parentWidget()->showNormal();
    main->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(list->parentWidget()));
    pump();
    list->Grid()->SetTopRow(list->Grid()->FixedRows());
    pump();
    click(list->Grid(), 1, 1);
    if (!main->billWindow())
        fail(QStringLiteral("a click on a bill number opened no bill window"));
    watchFor(gridOf(main->billWindow()));
    waitPainted("bill window");
    std::printf("rss_kb %ld\n", residentKb());
    std::printf("file_kb %lld\n", QFileInfo(dataDir + QStringLiteral("/reserve.dat")).size() / 1024);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    int reps = 5;
    bool memory = false;
    bool startOnly = false; // for profiling: the start-ups alone
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--data_dir=", 11) == 0)
            dataDir = QString::fromLocal8Bit(argv[i] + 11);
        else if (std::strncmp(argv[i], "--reps=", 7) == 0)
            reps = std::max(1, std::atoi(argv[i] + 7));
        else if (std::strcmp(argv[i], "--memory") == 0)
            memory = true;
        else if (std::strcmp(argv[i], "--startup") == 0)
            startOnly = true;
        else {
            std::fprintf(stderr, "usage: %s --data_dir=DIR [--reps=N] [--memory | --startup]\n", argv[0]);
            return 2;
        }
    }
    if (dataDir.isEmpty() || !QFileInfo::exists(dataDir + QStringLiteral("/reserve.dat"))) {
        std::fprintf(stderr, "%s: --data_dir=DIR must name a directory holding reserve.dat\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                     : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    PaintWatch paints;
    watch = &paints;
    app.installEventFilter(&paints);
    // Every question is answered yes (keep going), every notice taken.
    SetMessageResponder([](const ShownMessage &) { return QMessageBox::Yes; });

    dataDir = QDir(dataDir).absolutePath();
    writeProgramDirectory(dataDir);
    Clock::setFixed(deskDay());
    QDir(dataDir).mkpath(QStringLiteral("out"));
    outDir = dataDir + QStringLiteral("/out");

    if (memory) {
        measureMemory();
        return 0;
    }
    // The same program directory with no lines: the start-up of the window itself.
    const QString emptyDir = dataDir + QStringLiteral("/empty");
    QDir(emptyDir).removeRecursively();
    QDir().mkpath(emptyDir);
    writeProgramDirectory(emptyDir);
    QFile(emptyDir + QStringLiteral("/reserve.dat")).open(QIODevice::WriteOnly);
    timeStartUps(emptyDir, reps);
    if (!startOnly)
        timeDesk(reps);
    report();
    return 0;
}
