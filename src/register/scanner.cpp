#include "register/scanner.h"

#include <sane/sane.h>
#include <sane/saneopts.h>

#include <QMutex>
#include <QMutexLocker>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// SANE keeps global state between sane_init and sane_exit.
QMutex scanLock;

QString saneMessage(const char *what, SANE_Status status)
{
    return QStringLiteral("スキャナで%1できません（%2）。").arg(QString::fromUtf8(what), QString::fromUtf8(sane_strstatus(status)));
}

// sane_init .. sane_exit, and the open device, for the length of one scan.
class Session {
public:
    Session() { ok = sane_init(nullptr, nullptr) == SANE_STATUS_GOOD; }
    ~Session()
    {
        if (handle)
            sane_close(handle);
        if (ok)
            sane_exit();
    }
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;
    bool ok = false;
    SANE_Handle handle = nullptr;
};

int optionIndex(SANE_Handle h, const char *name, const SANE_Option_Descriptor **desc)
{
    for (SANE_Int i = 1;; ++i) {
        const SANE_Option_Descriptor *d = sane_get_option_descriptor(h, i);
        if (!d)
            return -1;
        if (d->name && std::strcmp(d->name, name) == 0 && SANE_OPTION_IS_ACTIVE(d->cap)
            && SANE_OPTION_IS_SETTABLE(d->cap)) {
            *desc = d;
            return i;
        }
    }
}

// Sets the resolution to the scanner's value nearest to dpi.
void setResolution(SANE_Handle h, int dpi)
{
    const SANE_Option_Descriptor *d = nullptr;
    const int i = optionIndex(h, SANE_NAME_SCAN_RESOLUTION, &d);
    if (i < 0 || (d->type != SANE_TYPE_INT && d->type != SANE_TYPE_FIXED) || d->size != sizeof(SANE_Word))
        return;
    const bool fixed = d->type == SANE_TYPE_FIXED;
    const auto toDouble = [fixed](SANE_Word w) { return fixed ? SANE_UNFIX(w) : double(w); };
    double want = dpi;
    if (d->constraint_type == SANE_CONSTRAINT_RANGE) {
        const SANE_Range *r = d->constraint.range;
        want = std::clamp(want, toDouble(r->min), toDouble(r->max));
        if (r->quant > 0)
            want = toDouble(r->min) + std::round((want - toDouble(r->min)) / toDouble(r->quant)) * toDouble(r->quant);
    } else if (d->constraint_type == SANE_CONSTRAINT_WORD_LIST) {
        const SANE_Word *list = d->constraint.word_list;
        double best = -1;
        for (SANE_Word k = 1; k <= list[0]; ++k)
            if (best < 0 || std::abs(toDouble(list[k]) - dpi) < std::abs(best - dpi))
                best = toDouble(list[k]);
        if (best > 0)
            want = best;
    }
    SANE_Word value = fixed ? SANE_FIX(want) : SANE_Word(std::lround(want));
    sane_control_option(h, i, SANE_ACTION_SET_VALUE, &value, nullptr);
}

void setColour(SANE_Handle h, bool colour)
{
    const SANE_Option_Descriptor *d = nullptr;
    const int i = optionIndex(h, SANE_NAME_SCAN_MODE, &d);
    if (i < 0 || d->type != SANE_TYPE_STRING || d->constraint_type != SANE_CONSTRAINT_STRING_LIST)
        return;
    const char *wanted = colour ? SANE_VALUE_SCAN_MODE_COLOR : SANE_VALUE_SCAN_MODE_GRAY;
    for (const SANE_String_Const *s = d->constraint.string_list; *s; ++s) {
        if (std::strcmp(*s, wanted) == 0) {
            std::vector<char> value(std::size_t(d->size), '\0');
            std::strncpy(value.data(), wanted, value.size() - 1);
            sane_control_option(h, i, SANE_ACTION_SET_VALUE, value.data(), nullptr);
            return;
        }
    }
}

// A sample of a line as 8 bits.
int sample(const unsigned char *line, int depth, int index)
{
    switch (depth) {
    case 1: // 1 is black
        return (line[index / 8] & (0x80 >> (index % 8))) ? 0 : 255;
    case 16: {
        quint16 v;
        std::memcpy(&v, line + 2 * index, 2); // in the machine's byte order
        return v >> 8;
    }
    default:
        return line[index];
    }
}

} // namespace

QString noScannerMessage()
{
    return QStringLiteral("スキャナが見つかりません。スキャナの電源が入っていて、"
                          "このコンピュータにつながっているか確かめてください。");
}

ScanResult scanPage(const ScanRequest &request, const std::atomic<bool> *cancel)
{
    QMutexLocker locked(&scanLock);
    const auto cancelled = [cancel] { return cancel && cancel->load(); };
    Session s;
    if (!s.ok)
        return {{}, QStringLiteral("スキャナを使う準備ができません（SANE が動きません）。")};
    QByteArray device = request.device.toUtf8();
    if (device.isEmpty()) {
        const SANE_Device **list = nullptr;
        if (sane_get_devices(&list, SANE_TRUE) != SANE_STATUS_GOOD || !list || !list[0])
            return {{}, noScannerMessage()};
        device = list[0]->name;
    }
    if (const SANE_Status st = sane_open(device.constData(), &s.handle); st != SANE_STATUS_GOOD) {
        s.handle = nullptr;
        return {{}, st == SANE_STATUS_INVAL ? noScannerMessage() : saneMessage("読み取りを始めることが", st)};
    }
    setColour(s.handle, request.colour);
    setResolution(s.handle, request.dpi);

    // The frames of one page: one (grey or RGB) or three (red, green, blue).
    int width = 0, height = 0, channels = 1;
    std::vector<unsigned char> pixels; // 8 bits a sample, channels samples a pixel
    for (;;) {
        SANE_Status st = sane_start(s.handle);
        if (st != SANE_STATUS_GOOD) {
            if (st == SANE_STATUS_NO_DOCS)
                return {{}, QStringLiteral("スキャナに原稿がありません。旅券を置いてからもう一度読み取ってください。")};
            return {{}, saneMessage("読み取りを始めることが", st)};
        }
        SANE_Parameters p;
        if (sane_get_parameters(s.handle, &p) != SANE_STATUS_GOOD || p.bytes_per_line <= 0 || p.pixels_per_line <= 0
            || (p.depth != 1 && p.depth != 8 && p.depth != 16))
            return {{}, QStringLiteral("スキャナの読み取り方式に対応していません。")};
        const int frameChannels = p.format == SANE_FRAME_RGB ? 3 : 1;
        int plane = -1; // which of R, G, B a single-colour frame fills
        if (p.format == SANE_FRAME_RED || p.format == SANE_FRAME_GREEN || p.format == SANE_FRAME_BLUE) {
            plane = p.format - SANE_FRAME_RED;
            channels = 3;
        } else if (p.format == SANE_FRAME_RGB) {
            channels = 3;
        } else if (p.format != SANE_FRAME_GRAY) {
            return {{}, QStringLiteral("スキャナの読み取り方式に対応していません。")};
        }
        // The whole frame's bytes; the number of lines may be unknown until the end.
        std::vector<unsigned char> raw;
        if (p.lines > 0)
            raw.reserve(std::size_t(p.lines) * std::size_t(p.bytes_per_line));
        std::vector<unsigned char> block(64 * 1024);
        for (;;) {
            if (cancelled()) {
                sane_cancel(s.handle);
                return {};
            }
            SANE_Int got = 0;
            st = sane_read(s.handle, block.data(), SANE_Int(block.size()), &got);
            if (st == SANE_STATUS_EOF)
                break;
            if (st != SANE_STATUS_GOOD) {
                sane_cancel(s.handle);
                return {{}, saneMessage("読み取ることが", st)};
            }
            raw.insert(raw.end(), block.begin(), block.begin() + got);
        }
        const int lines = int(raw.size() / std::size_t(p.bytes_per_line));
        if (lines <= 0)
            return {{}, QStringLiteral("スキャナから画像が届きませんでした。")};
        if (width == 0) {
            width = p.pixels_per_line;
            height = lines;
            pixels.assign(std::size_t(width) * std::size_t(height) * std::size_t(channels), 0);
        } else if (width != p.pixels_per_line) {
            return {{}, QStringLiteral("スキャナから届いた画像の大きさが揃っていません。")};
        }
        if (pixels.size() < std::size_t(width) * std::size_t(height) * std::size_t(channels))
            pixels.resize(std::size_t(width) * std::size_t(height) * std::size_t(channels), 0);
        for (int y = 0; y < std::min(lines, height); ++y) {
            const unsigned char *line = raw.data() + std::size_t(y) * std::size_t(p.bytes_per_line);
            unsigned char *out = pixels.data() + std::size_t(y) * std::size_t(width) * std::size_t(channels);
            for (int x = 0; x < width; ++x) {
                if (plane >= 0) {
                    out[x * 3 + plane] = uchar(sample(line, p.depth, x));
                } else {
                    for (int c = 0; c < frameChannels; ++c)
                        out[x * channels + c] = uchar(sample(line, p.depth, x * frameChannels + c));
                }
            }
        }
        if (p.last_frame)
            break;
    }
    sane_cancel(s.handle); // ends the scan cycle before the device is closed

    QByteArray pnm = QStringLiteral("P%1\n%2 %3\n255\n").arg(channels == 3 ? 6 : 5).arg(width).arg(height).toLatin1();
    pnm.append(reinterpret_cast<const char *>(pixels.data()), qsizetype(pixels.size()));
    return {pnm, {}};
}
