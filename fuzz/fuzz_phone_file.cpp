// What the phone receiver reads of a file it received: its kind by content
// and a photo's Exif time.
#include "phone/ExifTime.h"
#include "phone/FileKind.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    phone::sniffKind(bytes);
    phone::exifTime(bytes);
    return 0;
}
