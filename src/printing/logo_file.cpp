#include "logo_file.h"

#include "storage/safe_file.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>

QString storeLogo(const QString &source, const QString &logoPath)
{
    const QString suffix = QFileInfo(source).suffix().toLower();
    const bool jpeg = suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg");
    QImageReader reader(source, jpeg ? QByteArrayLiteral("jpg") : QByteArrayLiteral("bmp"));
    // The kind goes by the extension, as the file dialog offers it.
    reader.setAutoDetectImageFormat(false);
    const QImage image = reader.read();
    if (image.isNull())
        return QStringLiteral("画像 %1 を%2として読み込めませんでした。\n%3\nロゴマークは変わっていません。")
            .arg(QDir::toNativeSeparators(source), jpeg ? QStringLiteral("JPEG") : QStringLiteral("ビットマップ"),
                 reader.errorString());

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, QByteArrayLiteral("bmp"));
    // A bitmap without transparency: a transparent part shows the white paper.
    QImage opaque(image.size(), QImage::Format_RGB32);
    opaque.fill(Qt::white);
    {
        QPainter p(&opaque);
        p.drawImage(0, 0, image);
    }
    if (!writer.write(opaque))
        return QStringLiteral("ロゴ画像をビットマップに変換できませんでした。\n%1\nロゴマークは変わっていません。")
            .arg(writer.errorString());
    QString error;
    if (!writeFileAtomically(logoPath, bytes.constData(), std::size_t(bytes.size()), &error))
        return error;
    return {};
}

QString removeLogo(const QString &logoPath)
{
    QFile f(logoPath);
    if (!f.exists() || f.remove())
        return {};
    return QStringLiteral("ロゴ画像 %1 を削除できませんでした。\n%2")
        .arg(QDir::toNativeSeparators(logoPath), f.errorString());
}
