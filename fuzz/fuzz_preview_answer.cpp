// What the preview program answers, as its parent cuts and reads it: a
// child that was made to misbehave may write anything.
#include "sandbox/PreviewProtocol.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray output = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const QSize bound(64, 48);
    for (const sandbox::PreviewMode mode : {sandbox::PreviewMode::Fit, sandbox::PreviewMode::Jpeg}) {
        const sandbox::AnswerScan scan = sandbox::scanAnswer(output, {mode, bound, "x"});
        if (scan.state != sandbox::AnswerScan::Complete)
            continue;
        if (scan.length > output.size())
            std::abort();
        const QByteArray answer = output.left(scan.length);
        if (scan.status != sandbox::ExitOk)
            continue;
        if (mode == sandbox::PreviewMode::Jpeg) {
            sandbox::parseJpegAnswer(answer);
        } else if (const std::optional<QImage> image = sandbox::parseImageAnswer(answer, bound)) {
            if (image->width() > bound.width() + 1 || image->height() > bound.height() + 1)
                std::abort();
        }
    }
    return 0;
}
