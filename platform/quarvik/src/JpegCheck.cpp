#include "JpegCheck.h"


namespace quarvik {
namespace {
constexpr unsigned char kMarker = 0xFF;
constexpr unsigned char kSoi = 0xD8;
constexpr unsigned char kEoi = 0xD9;
constexpr unsigned char kSos = 0xDA;

unsigned char at(const QByteArray &bytes, qsizetype i) { return static_cast<unsigned char>(bytes[i]); }

// Markers without a length field: TEM and RST0..RST7.
bool standalone(unsigned char marker) { return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7); }
} // namespace

bool jpegIsComplete(const QByteArray &bytes)
{
    const qsizetype n = bytes.size();
    if (n < 4 || at(bytes, 0) != kMarker || at(bytes, 1) != kSoi)
        return false;
    qsizetype i = 2;
    while (i + 1 < n) {
        if (at(bytes, i) != kMarker)
            return false;
        const unsigned char marker = at(bytes, i + 1);
        if (marker == kMarker) { // fill byte
            ++i;
            continue;
        }
        if (marker == kEoi)
            return false; // ends before any picture data
        if (standalone(marker)) {
            i += 2;
            continue;
        }
        if (i + 3 >= n)
            return false;
        const qsizetype length = (qsizetype(at(bytes, i + 2)) << 8) | at(bytes, i + 3);
        if (length < 2)
            return false;
        i += 2 + length;
        if (marker == kSos)
            break;
    }
    // Entropy-coded data stuffs every 0xFF with 0x00, so FF D9 is the end.
    // Searched for from the back: a whole photo ends with it, so only its
    // last bytes are read instead of megabytes of picture data.
    return i < n && bytes.lastIndexOf(QByteArrayView("\xFF\xD9", 2)) >= i;
}

} // namespace quarvik
