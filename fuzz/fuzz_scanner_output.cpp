// What scanimage writes: its device list, and its progress and complaints
// arriving in pieces of any size (the first byte chooses the piece size).
#include "quarvik/ScanProgress.h"
#include "quarvik/ScannerDevices.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QList<quarvik::ScannerDevice> devices = quarvik::ScannerDeviceList::parse(bytes);
    const qsizetype preferred = quarvik::ScannerDeviceList::preferred(devices, QStringLiteral("test:0"));
    if (preferred >= devices.size() || (devices.isEmpty() != (preferred < 0)))
        std::abort();
    const qsizetype piece = size > 0 ? 1 + data[0] % 16 : 1;
    quarvik::ScanProgress progress;
    for (qsizetype at = 0; at < bytes.size(); at += piece)
        progress.feed(bytes.mid(at, piece));
    if (progress.percent() < 0 || progress.percent() > 100)
        std::abort();
    quarvik::ScanProgress::germanError(progress.complaints(), 1, QStringLiteral("test:0"));
    return 0;
}
