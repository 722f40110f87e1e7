#include "HeifBoxes.h"

#include <QtEndian>

#include <optional>

namespace preview {
namespace {

struct Box {
    qsizetype start = 0;   // where its size field is
    qsizetype content = 0; // after its header
    qsizetype end = 0;
    QByteArray type;
};

// The box at pos within [pos, limit), nullopt when it does not fit.
std::optional<Box> boxAt(const QByteArray &bytes, qsizetype pos, qsizetype limit)
{
    if (pos < 0 || limit > bytes.size() || limit - pos < 8)
        return std::nullopt;
    const auto *data = reinterpret_cast<const uchar *>(bytes.constData());
    quint64 size = qFromBigEndian<quint32>(data + pos);
    qsizetype header = 8;
    if (size == 1) {
        if (limit - pos < 16)
            return std::nullopt;
        size = qFromBigEndian<quint64>(data + pos + 8);
        header = 16;
    } else if (size == 0) {
        size = quint64(limit - pos);
    }
    if (size < quint64(header) || size > quint64(limit - pos))
        return std::nullopt;
    return Box{pos, pos + header, pos + qsizetype(size), bytes.mid(pos + 4, 4)};
}

std::optional<Box> child(const QByteArray &bytes, qsizetype from, qsizetype to, const QByteArray &type)
{
    for (qsizetype pos = from; pos < to;) {
        const std::optional<Box> box = boxAt(bytes, pos, to);
        if (!box)
            return std::nullopt;
        if (box->type == type)
            return box;
        pos = box->end;
    }
    return std::nullopt;
}

} // namespace

int hideAuxiliaryReferences(QByteArray &heif)
{
    const std::optional<Box> meta = child(heif, 0, heif.size(), "meta");
    // "meta" and "iref" are full boxes: a version byte and three flag bytes.
    if (!meta || meta->end - meta->content < 4)
        return 0;
    const std::optional<Box> iref = child(heif, meta->content + 4, meta->end, "iref");
    if (!iref || iref->end - iref->content < 4)
        return 0;
    const qsizetype idSize = heif.at(iref->content) == 0 ? 2 : 4;
    int renamed = 0;
    for (qsizetype pos = iref->content + 4; pos < iref->end;) {
        const std::optional<Box> reference = boxAt(heif, pos, iref->end);
        if (!reference || reference->end - reference->content < idSize + 2)
            return renamed;
        if (reference->type == "auxl") {
            heif.replace(reference->start + 4, 4, "xaux");
            ++renamed;
        }
        pos = reference->end;
    }
    return renamed;
}

} // namespace preview
