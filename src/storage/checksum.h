#pragma once
// The checksum of the backup manifests: the 64-bit xxHash (XXH64, seed 0) of
// a file's bytes, fed in pieces of any size. Fast enough to run over a file
// of a million bill lines within a save, and it finds any damaged byte.

#include <QByteArray>
#include <cstddef>
#include <cstdint>

class Checksum64 {
public:
    void add(const void *data, std::size_t size);
    uint64_t value() const;
    // The value as 16 lower-case hexadecimal digits.
    QByteArray hex() const;

private:
    uint64_t acc[4] = {0x9E3779B185EBCA87ull + 0xC2B2AE3D27D4EB4Full, 0xC2B2AE3D27D4EB4Full, 0,
                       0 - 0x9E3779B185EBCA87ull};
    unsigned char pending[32] = {};
    std::size_t pendingSize = 0;
    uint64_t total = 0;
};
