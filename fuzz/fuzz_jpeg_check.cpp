// The check that a JPEG runs through to its end-of-image marker, on bytes
// as a file brings them.
#include "JpegCheck.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    quarvik::jpegIsComplete(QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    return 0;
}
