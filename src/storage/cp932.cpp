#include "cp932.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>
#include <vector>

namespace cp932 {
namespace {

// One converter per direction, opened once per thread.
class Converter {
public:
    Converter(const char *to, const char *from) : cd(iconv_open(to, from))
    {
        if (cd == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error("iconv cannot convert CP932");
    }
    ~Converter() { iconv_close(cd); }
    iconv_t cd;
};

iconv_t decoder()
{
    thread_local Converter c("UTF-16LE", "CP932");
    return c.cd;
}

iconv_t encoder()
{
    thread_local Converter c("CP932", "UTF-16LE");
    return c.cd;
}

bool isAscii(const char *bytes, qsizetype length)
{
    for (qsizetype i = 0; i < length; ++i)
        if (static_cast<unsigned char>(bytes[i]) >= 0x80)
            return false;
    return true;
}

} // namespace

QString decode(const char *bytes, qsizetype length)
{
    if (isAscii(bytes, length))
        return QString::fromLatin1(bytes, length);
    iconv_t cd = decoder();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    QString out;
    out.reserve(length);
    char16_t buf[256];
    char *in = const_cast<char *>(bytes);
    size_t inLeft = size_t(length);
    while (inLeft > 0) {
        char *o = reinterpret_cast<char *>(buf);
        size_t outLeft = sizeof(buf);
        size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
        out.append(QStringView(buf, (sizeof(buf) - outLeft) / 2));
        if (r == size_t(-1) && errno != E2BIG) {
            // An invalid or cut-off sequence: replace one byte and go on.
            out.append(QChar(0xFFFD));
            ++in;
            --inLeft;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    return out;
}

QByteArray encode(const QString &text)
{
    bool ascii = true;
    for (QChar c : text)
        if (c.unicode() >= 0x80) { ascii = false; break; }
    if (ascii)
        return text.toLatin1();
    iconv_t cd = encoder();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    QByteArray out;
    out.reserve(text.size() * 2);
    char buf[512];
    // Convert one character (or surrogate pair) at a time so that an
    // unconvertible one can be replaced without losing the rest.
    const char16_t *p = reinterpret_cast<const char16_t *>(text.utf16());
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        qsizetype units = (QChar::isHighSurrogate(p[i]) && i + 1 < n) ? 2 : 1;
        char *in = reinterpret_cast<char *>(const_cast<char16_t *>(p + i));
        size_t inLeft = size_t(units) * 2;
        char *o = buf;
        size_t outLeft = sizeof(buf);
        size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
        if (r == size_t(-1)) {
            out.append('?');
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        } else {
            out.append(buf, o - buf);
        }
        i += units;
    }
    return out;
}

qsizetype byteLength(const QString &text)
{
    return encode(text).size();
}

QByteArray cut(const QByteArray &bytes, qsizetype maxBytes)
{
    if (bytes.size() <= maxBytes)
        return bytes;
    qsizetype i = 0;
    while (i < bytes.size()) {
        qsizetype w = isLeadByte(static_cast<unsigned char>(bytes[i])) ? 2 : 1;
        if (i + w > maxBytes)
            break;
        i += w;
    }
    return bytes.left(i);
}

QString truncated(const QString &text, qsizetype maxBytes)
{
    const QByteArray b = encode(text);
    if (b.size() <= maxBytes)
        return text;
    return decode(cut(b, maxBytes));
}

void setFieldBytes(char *field, std::size_t size, const QByteArray &bytes)
{
    std::memset(field, 0, size);
    if (size == 0)
        return;
    const QByteArray b = cut(bytes, qsizetype(size) - 1);
    std::memcpy(field, b.constData(), size_t(b.size()));
}

} // namespace cp932
