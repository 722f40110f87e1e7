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
        auto rs = db.OpenRecordset(QStringLiteral("Select fBitmap, lbObjekt from Objekt where ID =?"), dao::RecordsetType::Snapshot,
                                   dao::RecordsetOption::None, {qlonglong(id)});
        // Pictures go to the viewer, which reads them itself.
        if (rs->RecordCount() != 0 && !rs->Value(QStringLiteral("fBitmap")).toBool()) {
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
