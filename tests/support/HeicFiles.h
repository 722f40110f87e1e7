#pragma once

// HEIC files as phones write them, made with libheif's own encoder.

#include <QFile>
#include <QString>

#include <libheif/heif.h>

namespace heicfiles {

// Writes a HEIC of width x height, red left half and blue right half, that
// asks to be shown turned by the given orientation. Empty on success, else
// why the encoder is not there. With thumbnails, that many smaller copies
// referring to it.
inline QString writeHeic(const QString &path, int width, int height, heif_orientation orientation, int thumbnails = 0)
{
    heif_context *context = heif_context_alloc();
    heif_encoder *encoder = nullptr;
    heif_error err = heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder);
    if (err.code != heif_error_Ok) {
        heif_context_free(context);
        return QStringLiteral("libheif has no HEVC encoder here: ") + QString::fromUtf8(err.message);
    }
    heif_image *image = nullptr;
    heif_image_create(width, height, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image);
    heif_image_add_plane(image, heif_channel_interleaved, width, height, 8);
    int stride = 0;
    uint8_t *plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t *px = plane + y * stride + x * 3;
            const bool left = x < width / 2;
            px[0] = left ? 230 : 20;
            px[1] = 20;
            px[2] = left ? 20 : 230;
        }
    heif_encoder_set_lossy_quality(encoder, 90);
    heif_encoding_options *options = heif_encoding_options_alloc();
    options->image_orientation = orientation;
    heif_image_handle *primary = nullptr;
    err = heif_context_encode_image(context, image, encoder, options, &primary);
    for (int n = 0; n < thumbnails && err.code == heif_error_Ok; ++n)
        err = heif_context_encode_thumbnail(context, image, primary, encoder, options, 16 >> n, nullptr);
    heif_image_handle_release(primary);
    heif_encoding_options_free(options);
    heif_encoder_release(encoder);
    heif_image_release(image);
    if (err.code == heif_error_Ok)
        err = heif_context_write_to_file(context, QFile::encodeName(path).constData());
    heif_context_free(context);
    return err.code == heif_error_Ok ? QString() : QString::fromUtf8(err.message);
}

} // namespace heicfiles
