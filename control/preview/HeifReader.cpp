#include "HeifReader.h"

#include "HeifBoxes.h"

#include <libheif/heif.h>

#include <cmath>
#include <memory>

namespace preview {
namespace {

struct ContextFree {
    void operator()(heif_context *c) const { heif_context_free(c); }
};
struct HandleFree {
    void operator()(heif_image_handle *h) const { heif_image_handle_release(h); }
};
struct ImageFree {
    void operator()(heif_image *i) const { heif_image_release(i); }
};

} // namespace

bool looksLikeHeif(const QByteArray &bytes)
{
    return bytes.size() >= 12
        && heif_check_filetype(reinterpret_cast<const uint8_t *>(bytes.constData()), int(qMin<qsizetype>(bytes.size(), 64)))
        != heif_filetype_no;
}

namespace {

HeifOutcome readPrimary(const QByteArray &bytes, qint64 maxPixels, bool *refusedAuxiliary);

} // namespace

HeifOutcome readHeif(const QByteArray &bytes, qint64 maxPixels)
{
    bool refusedAuxiliary = false;
    HeifOutcome outcome = readPrimary(bytes, maxPixels, &refusedAuxiliary);
    if (!refusedAuxiliary)
        return outcome;
    // Only the primary picture is wanted: the references libheif cannot
    // take are hidden from it.
    QByteArray patched = bytes;
    return hideAuxiliaryReferences(patched) > 0 ? readPrimary(patched, maxPixels, &refusedAuxiliary) : outcome;
}

namespace {

HeifOutcome readPrimary(const QByteArray &bytes, qint64 maxPixels, bool *refusedAuxiliary)
{
    const std::unique_ptr<heif_context, ContextFree> context(heif_context_alloc());
    if (!context)
        return {};
    // libheif bounds a square: the side whose area is maxPixels.
    heif_context_set_maximum_image_size_limit(context.get(), int(std::sqrt(double(maxPixels))));
    const heif_error read
        = heif_context_read_from_memory_without_copy(context.get(), bytes.constData(), size_t(bytes.size()), nullptr);
    if (read.code != heif_error_Ok) {
        *refusedAuxiliary = read.message && QByteArray(read.message).contains("auxiliary image");
        return {};
    }
    heif_image_handle *rawHandle = nullptr;
    if (heif_context_get_primary_image_handle(context.get(), &rawHandle).code != heif_error_Ok)
        return {};
    const std::unique_ptr<heif_image_handle, HandleFree> handle(rawHandle);
    const qint64 pixels = qint64(heif_image_handle_get_width(handle.get())) * heif_image_handle_get_height(handle.get());
    if (pixels > maxPixels)
        return HeifOutcome{{}, true};
    heif_image *rawImage = nullptr;
    // libheif applies the file's rotation and mirroring while decoding.
    if (heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB, heif_chroma_interleaved_RGB, nullptr).code
        != heif_error_Ok)
        return {};
    const std::unique_ptr<heif_image, ImageFree> image(rawImage);
    int stride = 0;
    const uint8_t *data = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
    if (!data || width <= 0 || height <= 0 || stride < width * 3)
        return {};
    // copy(): the picture must not outlive libheif's buffer.
    return HeifOutcome{QImage(data, width, height, stride, QImage::Format_RGB888).copy(), false};
}

} // namespace

} // namespace preview
