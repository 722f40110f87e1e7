#include "HeifCodec.h"

#include <QFileInfo>

#include <libheif/heif.h>

#include <memory>

namespace quarvik::heif {
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
using Context = std::unique_ptr<heif_context, ContextFree>;
using Handle = std::unique_ptr<heif_image_handle, HandleFree>;
using Image = std::unique_ptr<heif_image, ImageFree>;

QString failure(const QString &path, const heif_error &err)
{
    return QStringLiteral("Das HEIC-Bild \"%1\" kann nicht gelesen werden (%2).")
        .arg(QFileInfo(path).fileName(), QString::fromUtf8(err.message));
}

Handle primary(const QString &path, const QByteArray &bytes, Context &context, QString *error)
{
    context.reset(heif_context_alloc());
    heif_error err = bytes.isEmpty()
        ? heif_context_read_from_file(context.get(), QFile::encodeName(path).constData(), nullptr)
        : heif_context_read_from_memory_without_copy(context.get(), bytes.constData(), size_t(bytes.size()), nullptr);
    if (err.code != heif_error_Ok) {
        *error = failure(path, err);
        return {};
    }
    heif_image_handle *raw = nullptr;
    err = heif_context_get_primary_image_handle(context.get(), &raw);
    if (err.code != heif_error_Ok) {
        *error = failure(path, err);
        return {};
    }
    return Handle(raw);
}

} // namespace

bool looksLikeHeif(const QByteArray &head)
{
    if (head.size() < 12)
        return false;
    return heif_check_filetype(reinterpret_cast<const uint8_t *>(head.constData()), int(head.size()))
        != heif_filetype_no;
}

QSize uprightSize(const QString &path, const QByteArray &bytes, QString *error)
{
    Context context;
    const Handle handle = primary(path, bytes, context, error);
    if (!handle)
        return {};
    return QSize(heif_image_handle_get_width(handle.get()), heif_image_handle_get_height(handle.get()));
}

QImage decode(const QString &path, const QByteArray &bytes, QString *error)
{
    Context context;
    const Handle handle = primary(path, bytes, context, error);
    if (!handle)
        return {};
    heif_image *raw = nullptr;
    // libheif applies the file's rotation and mirroring while decoding.
    const heif_error err = heif_decode_image(handle.get(), &raw, heif_colorspace_RGB, heif_chroma_interleaved_RGB, nullptr);
    if (err.code != heif_error_Ok) {
        *error = failure(path, err);
        return {};
    }
    const Image image(raw);
    int stride = 0;
    const uint8_t *data = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
    if (!data || width <= 0 || height <= 0) {
        *error = failure(path, heif_error{heif_error_Decoder_plugin_error, heif_suberror_Unspecified, "no picture data"});
        return {};
    }
    // copy(): the QImage must not outlive libheif's buffer.
    return QImage(data, width, height, stride, QImage::Format_RGB888).copy();
}

} // namespace quarvik::heif
