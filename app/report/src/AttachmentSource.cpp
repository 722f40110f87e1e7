#include "report/AttachmentSource.h"

#include "dao/Dao.h"

#include <QBuffer>
#include <QImageReader>

namespace report {

QImage StoredPictureSource::picture(long objectId, bool)
{
    if (objectId <= 0)
        return {};
    try {
        auto rs = m_db.OpenRecordset(QStringLiteral("Select lbObjekt, fBitmap From Objekt Where ID=?"),
                                     dao::RecordsetType::ForwardOnly, dao::RecordsetOption::None,
                                     {QVariant(qlonglong(objectId))});
        if (rs->IsEOF())
            return {};
        const QVariant isPicture = rs->Value(QStringLiteral("fBitmap"));
        if (dao::isNull(isPicture) || !isPicture.toBool())
            return {};
        dao::Field &bytes = rs->Fields(QStringLiteral("lbObjekt"));
        const QByteArray data = bytes.GetChunk(0, bytes.FieldSize());
        rs->Close();
        // Upright, as the camera held it.
        QBuffer buffer(const_cast<QByteArray *>(&data));
        QImageReader reader(&buffer);
        reader.setAutoTransform(true);
        return reader.read();
    } catch (const dao::DaoError &) {
        return {};
    }
}

} // namespace report
