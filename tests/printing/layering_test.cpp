// The printing library sits below the windows: it takes the message function
// as an argument and never includes a header of the window layer, so that it
// builds and links without it.

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

TEST(PrintingLayer, IncludesNothingOfTheWindowLayer)
{
    const QDir src(QDir::cleanPath(QStringLiteral(NORVEL_TEST_DATA "/../../../src/printing")));
    const QStringList files = src.entryList({QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files);
    ASSERT_FALSE(files.isEmpty()) << src.absolutePath().toStdString();
    const QRegularExpression windowInclude(
        QStringLiteral("#include\\s*[\"<]((shell|controls)/|(billing|reservations|settings|reports)/[a-z_]*_form\\.h)"));
    for (const QString &name : files) {
        QFile f(src.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
        const QString text = QString::fromUtf8(f.readAll());
        const auto m = windowInclude.match(text);
        EXPECT_FALSE(m.hasMatch()) << name.toStdString() << ": " << m.captured(0).toStdString();
    }
}
