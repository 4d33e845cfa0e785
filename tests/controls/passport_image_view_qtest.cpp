// The passport copy: taken from a file, a drop, a scanner (SANE's test
// scanner) or a camera; turned, cropped by dragging and undone; kept as a
// JPEG of bounded size; damaged files refused with a message.

#include "controls/passport_image_view.h"
#include "register/scanner.h"
#include "shell/message_box.h"

#include <QBuffer>
#include <QDropEvent>
#include <QCameraDevice>
#include <QMediaDevices>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {

// Four quarters of different colours, to see where each one went:
//   red   | green
//   blue  | white
QImage quarters(int w = 300, int h = 200)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (x < w / 2 && y < h / 2)
                img.setPixel(x, y, qRgb(255, 0, 0));
            else if (y < h / 2)
                img.setPixel(x, y, qRgb(0, 255, 0));
            else if (x < w / 2)
                img.setPixel(x, y, qRgb(0, 0, 255));
        }
    return img;
}

QByteArray encoded(const QImage &img, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, format);
    return bytes;
}

bool near(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) < 40 && std::abs(qGreen(a) - qGreen(b)) < 40
           && std::abs(qBlue(a) - qBlue(b)) < 40;
}

QToolButton *button(TPassportImageView &v, const char *name)
{
    return v.findChild<QToolButton *>(QLatin1String(name));
}

} // namespace

class PassportImageViewTest : public QObject {
    Q_OBJECT

    QStringList shown;
    QTemporaryDir dir;
    // SANE takes its configuration folder once, at its first start.
    QTemporaryDir saneConfig;

    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        QFile f(dir.filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return f.fileName();
    }

private slots:
    void initTestCase() { qputenv("SANE_CONFIG_DIR", saneConfig.path().toLocal8Bit()); }
    void init()
    {
        shown.clear();
        SetMessageResponder([this](const ShownMessage &m) {
            shown << m.text;
            return m.buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
        });
    }
    void cleanup()
    {
        SetMessageResponder({});
        TPassportImageView::setFileChooser({});
    }

    void loadRotateCropUndoRoundTrip()
    {
        const QString path = writeFile(QStringLiteral("passport.png"), encoded(quarters(), "PNG"));
        TPassportImageView view;
        view.resize(500, 420);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QSignalSpy changed(&view, &TPassportImageView::changed);
        TPassportImageView::setFileChooser([&](QWidget *) { return path; });
        button(view, "FileButton")->click();
        QCOMPARE(view.image().size(), QSize(300, 200));
        QCOMPARE(changed.size(), 1);

        button(view, "RotateRightButton")->click();
        QCOMPARE(view.image().size(), QSize(200, 300));
        QVERIFY(near(view.image().pixel(5, 5), qRgb(0, 0, 255))); // blue came up to the top left
        button(view, "RotateLeftButton")->click();
        QVERIFY(near(view.image().pixel(5, 5), qRgb(255, 0, 0)));

        // Drag over the red quarter, then crop to it.
        QWidget *canvas = view.findChild<QWidget *>(QStringLiteral("PassportCanvas"));
        QVERIFY(canvas);
        const qreal s = view.scale();
        const QPointF origin((canvas->width() - 300 * s) / 2, (canvas->height() - 200 * s) / 2);
        const auto at = [&](int x, int y) { return (origin + QPointF(x, y) * s).toPoint(); };
        const auto drag = [&] {
            QTest::mousePress(canvas, Qt::LeftButton, {}, at(20, 10));
            QTest::mouseMove(canvas, at(90, 50));
            QTest::mouseRelease(canvas, Qt::LeftButton, {}, at(140, 90));
        };
        QVERIFY(!button(view, "CropButton")->isEnabled());
        drag();
        QVERIFY(!view.selection().isEmpty());
        QTest::keyClick(canvas, Qt::Key_Escape); // Escape lets go of the rectangle
        QVERIFY(view.selection().isEmpty());
        QVERIFY(!button(view, "CropButton")->isEnabled());
        drag();
        const QRect sel = view.selection();
        QVERIFY2(std::abs(sel.left() - 20) <= 2 && std::abs(sel.right() - 140) <= 2, qPrintable(QString::number(sel.left())));
        QVERIFY(button(view, "CropButton")->isEnabled());
        button(view, "CropButton")->click();
        QCOMPARE(view.image().size(), sel.size());

        // Kept as a JPEG that reads back as the red piece.
        const QByteArray kept = view.encodedImage();
        QVERIFY(kept.startsWith("\xFF\xD8"));
        const QImage back = QImage::fromData(kept);
        QCOMPARE(back.size(), sel.size());
        QVERIFY(near(back.pixel(back.width() / 2, back.height() / 2), qRgb(255, 0, 0)));

        // Every step undone in turn, back to the picture as loaded.
        QCOMPARE(changed.size(), 4);
        while (view.canUndo())
            button(view, "UndoButton")->click();
        QCOMPARE(view.image().size(), QSize(300, 200));
        QVERIFY(near(view.image().pixel(295, 195), qRgb(255, 255, 255)));

        // A kept picture shown again is handed back as it was, unchanged.
        TPassportImageView other;
        QSignalSpy quiet(&other, &TPassportImageView::changed);
        QVERIFY(other.setImage(kept));
        QCOMPARE(other.encodedImage(), kept);
        QCOMPARE(quiet.size(), 0);
        QVERIFY(!other.canUndo());
        QVERIFY(shown.isEmpty());
    }

    void zoomAndTheSizeCap()
    {
        TPassportImageView view;
        view.resize(400, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QVERIFY(view.loadImage(quarters(4000, 3000)));
        QVERIFY(view.fitsView());
        const qreal fitted = view.scale();
        button(view, "ZoomInButton")->click();
        QVERIFY(!view.fitsView());
        QVERIFY(qAbs(view.scale() - fitted * 1.25) < 1e-9);
        button(view, "FitButton")->click();
        QCOMPARE(view.scale(), fitted);
        const QImage kept = QImage::fromData(view.encodedImage());
        QCOMPARE(kept.size(), QSize(TPassportImageView::MaxSide, 1500));
    }

    void dropOfAFileOrOfImageData_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("file") << "file";
        QTest::newRow("image data") << "image";
        QTest::newRow("PNG bytes") << "png";
    }
    void dropOfAFileOrOfImageData()
    {
        QFETCH(QString, kind);
        TPassportImageView view;
        view.resize(400, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        auto *mime = new QMimeData;
        if (kind == QLatin1String("file"))
            mime->setUrls({QUrl::fromLocalFile(writeFile(QStringLiteral("dropped.jpg"), encoded(quarters(), "JPEG")))});
        else if (kind == QLatin1String("image"))
            mime->setImageData(quarters());
        else
            mime->setData(QStringLiteral("image/png"), encoded(quarters(), "PNG"));
        QSignalSpy changed(&view, &TPassportImageView::changed);
        const QPoint middle = view.rect().center();
        QDragEnterEvent enter(middle, Qt::CopyAction, mime, Qt::LeftButton, {});
        QApplication::sendEvent(&view, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(middle, Qt::CopyAction, mime, Qt::LeftButton, {});
        QApplication::sendEvent(&view, &drop);
        QCOMPARE(view.image().size(), QSize(300, 200));
        QCOMPARE(changed.size(), 1);
        QVERIFY(shown.isEmpty());
        delete mime;

        auto *text = new QMimeData;
        text->setText(QStringLiteral("not a picture"));
        QDragEnterEvent refused(middle, Qt::CopyAction, text, Qt::LeftButton, {});
        QApplication::sendEvent(&view, &refused);
        QVERIFY(!refused.isAccepted());
        delete text;
    }

    void damagedFilesAreRefusedWithAMessage_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray png = encoded(quarters(), "PNG");
        const QByteArray jpeg = encoded(quarters(), "JPEG");
        QTest::newRow("not a picture") << "notes.jpg" << QByteArray("passport number TR1234567\n");
        QTest::newRow("PNG cut off") << "cut.png" << png.left(png.size() / 2);
        QTest::newRow("JPEG cut off") << "cut.jpg" << jpeg.left(jpeg.size() * 2 / 3);
        QTest::newRow("PNG with a broken header") << "broken.png" << QByteArray(png).replace(16, 8, QByteArray(8, '\xFF'));
        QTest::newRow("empty file") << "empty.png" << QByteArray();
    }
    void damagedFilesAreRefusedWithAMessage()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        TPassportImageView view;
        QVERIFY(view.loadImage(quarters()));
        QSignalSpy changed(&view, &TPassportImageView::changed);
        QVERIFY(!view.loadFile(writeFile(name, bytes)));
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.first().contains(name), qPrintable(shown.first()));
        QCOMPARE(view.image().size(), QSize(300, 200)); // what it showed stays
        QCOMPARE(changed.size(), 0);
        // A damaged kept picture is refused as well, and nothing changes.
        QVERIFY(!view.setImage(bytes + QByteArray("x")));
        QCOMPARE(view.image().size(), QSize(300, 200));
    }

    void scanThroughSane_data()
    {
        // How SANE's test scanner delivers its colour pattern.
        QTest::addColumn<QByteArray>("settings");
        QTest::newRow("one pass") << QByteArray();
        QTest::newRow("red, green and blue passes") << QByteArray("three-pass true\n");
        QTest::newRow("16 bits a sample") << QByteArray("depth 16\n");
    }
    void scanThroughSane()
    {
        QFETCH(QByteArray, settings);
        // SANE reads its list of scanner drivers from saneConfig: first an
        // empty list (no scanner), then SANE's own test scanner.
        QTemporaryDir &config = saneConfig;
        const auto write = [&](const QString &name, const QByteArray &text) {
            QFile f(config.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(text);
        };
        TPassportImageView view;
        view.resize(400, 300);
        view.show();
        QSignalSpy finished(&view, &TPassportImageView::scanFinished);
        QSignalSpy changed(&view, &TPassportImageView::changed);

        write(QStringLiteral("dll.conf"), "");
        button(view, "ScanButton")->click();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 60000);
        QCOMPARE(shown, QStringList{noScannerMessage()});
        QVERIFY(view.isEmpty());

        shown.clear();
        write(QStringLiteral("dll.conf"), "test\n");
        write(QStringLiteral("test.conf"), "test-picture \"Color pattern\"\n" + settings);
        button(view, "ScanButton")->click();
        QVERIFY(view.isScanning());
        QVERIFY(!button(view, "ScanButton")->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 60000);
        if (shown == QStringList{noScannerMessage()})
            QSKIP("SANE's test scanner driver (libsane1) is not installed");
        QVERIFY2(shown.isEmpty(), qPrintable(shown.join(QLatin1Char('\n'))));
        QCOMPARE(changed.size(), 1);
        QVERIFY(button(view, "ScanButton")->isEnabled());
        // 80 x 100 mm at 300 dpi, in red, green and blue stripes (across
        // or down, as the pattern of each kind is drawn).
        const QImage scanned = view.image();
        QVERIFY2(qAbs(scanned.width() - 945) <= 1 && scanned.height() == 1181,
                 qPrintable(QStringLiteral("%1 x %2").arg(scanned.width()).arg(scanned.height())));
        int red = 0, green = 0, blue = 0, samples = 0;
        for (int y = 0; y < scanned.height(); y += 7)
            for (int x = 0; x < scanned.width(); x += 7, ++samples) {
                const QRgb c = scanned.pixel(x, y);
                red += qRed(c) > 2 * std::max(qGreen(c), qBlue(c)) + 40;
                green += qGreen(c) > 2 * std::max(qRed(c), qBlue(c)) + 40;
                blue += qBlue(c) > 2 * std::max(qRed(c), qGreen(c)) + 40;
            }
        QVERIFY2(red > samples / 10 && green > samples / 10 && blue > samples / 10,
                 qPrintable(QStringLiteral("%1 %2 %3 of %4").arg(red).arg(green).arg(blue).arg(samples)));
        QVERIFY(!view.encodedImage().isEmpty());
    }

    void noCameraIsSaidPlainly()
    {
        if (!QMediaDevices::videoInputs().isEmpty())
            QSKIP("this machine has a camera");
        TPassportImageView view;
        button(view, "CameraButton")->click();
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown.first().startsWith(QStringLiteral("カメラが見つかりません。")));
        QVERIFY(view.isEmpty());
    }

    void clearingAsksAndCanBeUndone()
    {
        TPassportImageView view;
        QVERIFY(view.loadImage(quarters()));
        button(view, "ClearButton")->click();
        QCOMPARE(shown, QStringList{QStringLiteral("旅券の写しを消しますか？")});
        QVERIFY(view.isEmpty());
        QVERIFY(view.encodedImage().isEmpty());
        button(view, "UndoButton")->click();
        QCOMPARE(view.image().size(), QSize(300, 200));
    }
};

QTEST_MAIN(PassportImageViewTest)
#include "passport_image_view_qtest.moc"
