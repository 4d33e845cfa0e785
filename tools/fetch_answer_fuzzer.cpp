// libFuzzer target for the booking service's answer: any bytes are read as an
// answer, applied to a small reservation list and checked (see answer_replay.h).
// Built by tools/fuzz, outside the normal build.

#include "reservations/answer_replay.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A small limit as well, so that the size stop is reached by short inputs.
    for (qint64 limit : {DefaultMaxAnswerBytes, qint64(64)}) {
        const std::string broken = answer_replay::replay(reinterpret_cast<const char *>(data), size, limit);
        if (!broken.empty()) {
            std::fprintf(stderr, "answer rule broken: %s\n", broken.c_str());
            std::abort();
        }
    }
    return 0;
}
