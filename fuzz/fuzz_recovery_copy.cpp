// The recovery copy of an unsaved case, as found in the settings folder at
// start: damaged, cut short or planted, it is refused or read whole.
#include "form/RecoveryCopy.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<form::RecoveredCase> copy = form::decodeRecoveredCase(bytes);
    if (!copy)
        return 0;
    // A copy taken is written again as itself.
    if (form::decodeRecoveredCase(form::encodeRecoveredCase(*copy)) != copy)
        std::abort();
    return 0;
}
