// What kelvane-preview reads: its request header, and the bytes of a file
// through its readers (PDF, HEIC/HEIF with the conversion to an upright
// picture, Qt's image plugins), fitted into a small bound and whole.
#include "Readers.h"

#include "sandbox/PreviewProtocol.h"

#include <QCoreApplication>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_preview_readers";
    static char *argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto header = sandbox::parseRequestHeader(bytes.left(bytes.indexOf('\n')));
    if (header && header->first.mode == sandbox::PreviewMode::Fit
        && (header->first.bound.isEmpty() || header->first.bound.width() > sandbox::MaxSide))
        std::abort();
    const preview::Outcome fitted = preview::fitted(bytes, QSize(64, 64));
    if (!fitted.image.isNull() && (fitted.image.width() > 65 || fitted.image.height() > 65))
        std::abort();
    preview::whole(bytes);
    return 0;
}
