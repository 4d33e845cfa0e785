// Saves a picture of the whole X screen once what it shows has settled:
// something other than the empty background, unchanged over two looks.
//
//   screen_shot OUT.png [SECONDS]
//
// Used by the package test, which starts the installed program on a virtual
// screen and keeps a picture of what a user would see. Status 1 when the
// screen did not settle within SECONDS (20 by default); the last look is
// saved all the same.

#include <QGuiApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QThread>
#include <cstdio>
#include <cstdlib>

namespace {

bool plain(const QImage &img)
{
    if (img.isNull())
        return true;
    const QRgb first = img.pixel(0, 0);
    for (int y = 0; y < img.height(); y += 7)
        for (int x = 0; x < img.width(); x += 7)
            if (img.pixel(x, y) != first)
                return false;
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: screen_shot OUT.png [SECONDS]\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 20;
    QScreen *screen = QGuiApplication::primaryScreen();
    QImage last;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < seconds * 1000) {
        const QImage now = screen->grabWindow(0).toImage();
        if (!plain(now) && now == last)
            return now.save(out) ? 0 : 1;
        last = now;
        QThread::msleep(400);
    }
    last.save(out);
    std::fprintf(stderr, "screen_shot: the screen did not settle within %d s\n", seconds);
    return 1;
}
