// The logo file: a chosen JPEG or bitmap becomes logo.bmp in one step; a
// picture that cannot be read leaves the old logo as it was.

#include "gui_test_env.h"
#include "printing/logo_file.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QImage picture(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(QColor(200, 30, 40));
    return img;
}

struct LogoFile : ::testing::Test {
    QTemporaryDir dir;
    QString logo() const { return dir.filePath("logo.bmp"); }
};

TEST_F(LogoFile, AJpegOrABitmapBecomesTheBitmapLogo)
{
    const struct {
        const char *name, *format;
        int w, h;
    } cases[] = {{"mark.jpg", "JPG", 232, 160}, {"MARK.JPEG", "JPG", 232, 100}, {"mark.bmp", "BMP", 40, 30}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString source = dir.filePath(c.name);
        ASSERT_TRUE(picture(c.w, c.h).save(source, c.format));
        EXPECT_EQ(storeLogo(source, logo()), QString());
        const QByteArray stored = bytesOf(logo());
        EXPECT_TRUE(stored.startsWith("BM"));
        const QImage back = QImage::fromData(stored, "BMP");
        EXPECT_EQ(back.size(), QSize(c.w, c.h));
        EXPECT_EQ(QColor(back.pixel(c.w / 2, c.h / 2)).red() / 10, 20); // JPEG keeps it near
    }
    EXPECT_EQ(QDir(dir.path()).entryList({"logo*"}, QDir::Files), QStringList{"logo.bmp"});
}

TEST_F(LogoFile, AnUnreadablePictureLeavesTheLogoAsItWas)
{
    ASSERT_TRUE(picture(10, 10).save(dir.filePath("old.bmp"), "BMP"));
    ASSERT_EQ(storeLogo(dir.filePath("old.bmp"), logo()), QString());
    const QByteArray before = bytesOf(logo());

    QFile bad(dir.filePath("broken.jpg"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("this is no picture");
    bad.close();
    ASSERT_TRUE(picture(10, 10).save(dir.filePath("jpeg-named.bmp"), "JPG"));
    for (const char *name : {"broken.jpg", "jpeg-named.bmp", "missing.jpg"}) {
        SCOPED_TRACE(name);
        const QString message = storeLogo(dir.filePath(name), logo());
        EXPECT_TRUE(message.contains(QStringLiteral("ロゴマークは変わっていません"))) << message.toStdString();
        EXPECT_EQ(bytesOf(logo()), before);
    }
}

TEST_F(LogoFile, RemovingTheLogo)
{
    ASSERT_TRUE(picture(10, 10).save(logo(), "BMP"));
    EXPECT_EQ(removeLogo(logo()), QString());
    EXPECT_FALSE(QFile::exists(logo()));
    EXPECT_EQ(removeLogo(logo()), QString()); // nothing to remove
}

} // namespace
