#include "PreviewAhead.h"

#include "dao/Dao.h"
#include "ole/DocumentFormat.h"
#include "ole/DocumentPicture.h"
#include "ole/OleContainer.h"
#include "ole/ShownSize.h"
#include "sandbox/Previews.h"

#include <QBuffer>

namespace kelvane {

void askPreviewAhead(dao::Database &db, long id, ole::OleContainer &container)
{
    sandbox::Previews *previews = sandbox::Previews::ofApplication();
    const QSize size = ole::sizeWhenShown(container);
    if (!previews || size.isEmpty())
        return;
    QByteArray stored;
    try {
        const dao::Params key{qlonglong(id)};
        auto kind = db.OpenRecordset(QStringLiteral("Select fBitmap from Objekt where ID =?"), dao::RecordsetType::Snapshot,
                                     dao::RecordsetOption::None, key);
        // Pictures go to the viewer, which reads them itself: their bytes
        // are not read here.
        const bool document = kind->RecordCount() != 0 && !kind->Value(QStringLiteral("fBitmap")).toBool();
        kind->Close();
        if (!document)
            return;
        auto rs = db.OpenRecordset(QStringLiteral("Select lbObjekt from Objekt where ID =?"), dao::RecordsetType::Snapshot,
                                   dao::RecordsetOption::None, key);
        if (rs->RecordCount() != 0) {
            dao::Field &bytes = rs->Fields(QStringLiteral("lbObjekt"));
            stored = bytes.GetChunk(0, bytes.FieldSize());
        }
        rs->Close();
    } catch (const dao::DaoError &) {
        dao::DBEngine::instance().clearErrors();
        return;
    }
    QBuffer buffer(&stored);
    buffer.open(QIODevice::ReadOnly);
    const std::optional<ole::Document> document = ole::readDocument(buffer);
    if (!document)
        return;
    const QSize pixels = (QSizeF(size) * container.devicePixelRatioF()).toSize();
    if (const std::optional<sandbox::PreviewRequest> request = ole::previewRequest(*document, pixels))
        previews->prefetch(*request);
}

} // namespace kelvane
