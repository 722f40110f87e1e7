// The stored script column of a picture row: split at its separator, the
// overlay's hex text decoded and read as the overlay picture.
#include "kelvane/FileRoutines.h"
#include "kelvane/ObjectStorage.h"

#include "sendral/OverlayGraphic.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString stored = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto split = kelvane::ObjectStorage::splitStoredScript(stored);
    if (!split)
        return 0;
    // The hex text of the overlay's own bytes comes back as those bytes.
    if (kelvane::HexToBytes(kelvane::BytesToHex(split->overlay)) != split->overlay)
        std::abort();
    sendral::OverlayGraphic overlay;
    overlay.SetData(split->overlay);
    return 0;
}
