#include "checksum.h"

#include <cstring>

namespace {

constexpr uint64_t P1 = 0x9E3779B185EBCA87ull;
constexpr uint64_t P2 = 0xC2B2AE3D27D4EB4Full;
constexpr uint64_t P3 = 0x165667B19E3779F9ull;
constexpr uint64_t P4 = 0x85EBCA77C2B2AE63ull;
constexpr uint64_t P5 = 0x27D4EB2F165667C5ull;

inline uint64_t rotl(uint64_t x, int r) { return (x << r) | (x >> (64 - r)); }

inline uint64_t read64(const unsigned char *p)
{
    uint64_t v;
    std::memcpy(&v, p, sizeof v); // the format is little-endian, as every machine we run on
    return v;
}

inline uint32_t read32(const unsigned char *p)
{
    uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline uint64_t round(uint64_t acc, uint64_t input)
{
    acc += input * P2;
    acc = rotl(acc, 31);
    return acc * P1;
}

inline uint64_t merge(uint64_t h, uint64_t v)
{
    h ^= round(0, v);
    return h * P1 + P4;
}

inline void stripe(uint64_t *acc, const unsigned char *p)
{
    acc[0] = round(acc[0], read64(p));
    acc[1] = round(acc[1], read64(p + 8));
    acc[2] = round(acc[2], read64(p + 16));
    acc[3] = round(acc[3], read64(p + 24));
}

} // namespace

void Checksum64::add(const void *data, std::size_t size)
{
    auto p = static_cast<const unsigned char *>(data);
    total += size;
    if (pendingSize + size < 32) {
        std::memcpy(pending + pendingSize, p, size);
        pendingSize += size;
        return;
    }
    if (pendingSize > 0) {
        const std::size_t fill = 32 - pendingSize;
        std::memcpy(pending + pendingSize, p, fill);
        stripe(acc, pending);
        p += fill;
        size -= fill;
        pendingSize = 0;
    }
    // Four lanes in locals: the compiler keeps them in registers.
    uint64_t a = acc[0], b = acc[1], c = acc[2], d = acc[3];
    while (size >= 32) {
        a = round(a, read64(p));
        b = round(b, read64(p + 8));
        c = round(c, read64(p + 16));
        d = round(d, read64(p + 24));
        p += 32;
        size -= 32;
    }
    acc[0] = a, acc[1] = b, acc[2] = c, acc[3] = d;
    std::memcpy(pending, p, size);
    pendingSize = size;
}

uint64_t Checksum64::value() const
{
    uint64_t h;
    if (total >= 32) {
        h = rotl(acc[0], 1) + rotl(acc[1], 7) + rotl(acc[2], 12) + rotl(acc[3], 18);
        for (uint64_t v : acc)
            h = merge(h, v);
    } else {
        h = P5; // seed 0
    }
    h += total;
    const unsigned char *p = pending;
    std::size_t n = pendingSize;
    for (; n >= 8; p += 8, n -= 8) {
        h ^= round(0, read64(p));
        h = rotl(h, 27) * P1 + P4;
    }
    if (n >= 4) {
        h ^= uint64_t(read32(p)) * P1;
        h = rotl(h, 23) * P2 + P3;
        p += 4;
        n -= 4;
    }
    for (; n > 0; ++p, --n) {
        h ^= *p * P5;
        h = rotl(h, 11) * P1;
    }
    h ^= h >> 33;
    h *= P2;
    h ^= h >> 29;
    h *= P3;
    h ^= h >> 32;
    return h;
}

QByteArray Checksum64::hex() const
{
    return QByteArray::number(qulonglong(value()), 16).rightJustified(16, '0');
}
