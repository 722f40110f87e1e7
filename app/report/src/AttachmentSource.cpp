#include "report/AttachmentSource.h"

#include "report/PageItems.h"

#include "core/Twips.h"
#include "dao/Dao.h"
#include "quarvik/PictureReader.h"


#include <cmath>

namespace report {

QImage StoredPictureSource::picture(long objectId, bool withOverlay)
{
    return printPicture(objectId, withOverlay, QSize());
}

QImage StoredPictureSource::printPicture(long objectId, bool, const QSize &bound)
{
    if (objectId <= 0)
        return {};
    auto rs = m_db.OpenRecordset(QStringLiteral("Select lbObjekt, fBitmap From Objekt Where ID=?"),
                                 dao::RecordsetType::ForwardOnly, dao::RecordsetOption::None,
                                 {QVariant(qlonglong(objectId))});
    if (rs->IsEOF())
        return {};
    const QVariant isPicture = rs->Value(QStringLiteral("fBitmap"));
    if (dao::isNull(isPicture) || !isPicture.toBool())
        return {};
    dao::Field &bytes = rs->Fields(QStringLiteral("lbObjekt"));
    QByteArray data = bytes.GetChunk(0, bytes.FieldSize());
    rs->Close();
    // Upright, as the camera held it, within the same bounds as on screen.
    quarvik::PictureReader reader(std::move(data), QStringLiteral("Objekt %1").arg(objectId));
    return reader.read(bound);
}

long PagePictures::objectIdOf(const QString &itemText)
{
    const double id = core::leadingNumber(itemText);
    // Beyond the range of an attachment number there is no attachment.
    return std::isfinite(id) && id >= 1 && id <= 2147483647.0 ? static_cast<long>(id) : 0;
}

void PagePictures::prepare(const PageItemList &items, int first, int end, int page, const BoundOf &boundOf)
{
    m_images.clear();
    m_page = 0;
    if (!m_source)
        return;
    // A phone photo decoded whole takes hundreds of megabytes; a page needs
    // each picture only as large as its largest box there.
    QHash<QPair<long, bool>, QSize> bounds;
    for (int i = first; i < end; ++i) {
        const ReportElement &item = items.at(i);
        if (item.kind != ElementKind::Picture)
            continue;
        const QPair<long, bool> key(objectIdOf(item.text), withOverlay(item.align));
        if (key.first > 0)
            bounds[key] = bounds.value(key).expandedTo(boundOf(item));
    }
    for (auto it = bounds.cbegin(); it != bounds.cend(); ++it)
        m_images.insert(it.key(), m_source->printPicture(it.key().first, it.key().second, it.value()));
    m_page = page;
}

QImage PagePictures::picture(long objectId, bool withOverlay)
{
    return m_images.value(QPair<long, bool>(objectId, withOverlay));
}

} // namespace report
