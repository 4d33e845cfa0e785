#pragma once
// Helpers shared by the storage tests: a temporary program directory and
// whole-file byte access.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

inline QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

// Little-endian bytes of an integer, as the record files hold them.
inline QByteArray le32(uint32_t v)
{
    QByteArray b(4, 0);
    for (int i = 0; i < 4; ++i)
        b[i] = char((v >> (8 * i)) & 0xFF);
    return b;
}

// Puts bytes into a record image at an offset.
inline void poke(QByteArray &record, int offset, const QByteArray &bytes)
{
    record.replace(offset, bytes.size(), bytes);
}
