#pragma once
// CP932 (Windows Shift-JIS) text: conversion to and from QString, byte counts,
// and the fixed-size NUL-terminated text fields of the records.

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstring>

namespace cp932 {

// Decodes CP932 bytes; undecodable bytes become U+FFFD.
QString decode(const char *bytes, qsizetype length);
inline QString decode(const QByteArray &bytes) { return decode(bytes.constData(), bytes.size()); }
// Encodes to CP932; characters CP932 cannot hold become "?".
QByteArray encode(const QString &text);
// Length of the text in CP932 bytes.
qsizetype byteLength(const QString &text);
// True for a byte that starts a double-byte character.
inline bool isLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
// The longest prefix of at most maxBytes bytes that does not split a double-byte character.
QByteArray cut(const QByteArray &bytes, qsizetype maxBytes);
// The longest prefix of the text that takes at most maxBytes bytes in CP932.
QString truncated(const QString &text, qsizetype maxBytes);

// Bytes of a field up to its first NUL; a field without a NUL is its whole width.
inline QByteArray fieldBytes(const char *field, std::size_t size)
{
    const void *nul = std::memchr(field, 0, size);
    return QByteArray(field, nul ? static_cast<const char *>(nul) - field : qsizetype(size));
}
// Fills a field of the given size with at most size - 1 bytes of text and zeros after it.
void setFieldBytes(char *field, std::size_t size, const QByteArray &bytes);

} // namespace cp932

// Text of a record field.
template <std::size_t N> QString fieldText(const char (&field)[N])
{
    const QByteArray b = cp932::fieldBytes(field, N);
    return cp932::decode(b);
}
// Raw bytes of a record field.
template <std::size_t N> QByteArray fieldBytes(const char (&field)[N])
{
    return cp932::fieldBytes(field, N);
}
// Stores text into a record field, cut to N - 1 bytes at a character boundary.
template <std::size_t N> void setFieldText(char (&field)[N], const QString &text)
{
    cp932::setFieldBytes(field, N, cp932::encode(text));
}
template <std::size_t N> void setFieldBytes(char (&field)[N], const QByteArray &bytes)
{
    cp932::setFieldBytes(field, N, bytes);
}
