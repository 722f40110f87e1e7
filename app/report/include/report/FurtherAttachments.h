#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <vector>

namespace dao {
class Database;
}

namespace report {

// A case's attachments beyond its three Bild slots, as listed in table
// SchadenAnhang, in the user's order.
struct FurtherAttachment {
    long objectId = 0;
    QString name;
    bool picture = false;
    QDateTime added;
    qint64 size = 0;
    QDateTime taken;  // the photo's own time; null when unknown
    QString sha256;   // of the bytes as received; "" when unknown
};

// None for a database without the table. Throws dao::DaoError.
std::vector<FurtherAttachment> furtherAttachments(dao::Database &db, long caseId);

// Whether bytes are a PDF document.
bool isPdf(const QByteArray &bytes);
// A stored document's own bytes out of the attachment control's container;
// empty when stored is no such container.
QByteArray documentContent(const QByteArray &stored);

// The PDF documents among a case's further attachments, their bytes in the
// user's order. Throws dao::DaoError.
QList<QByteArray> attachedPdfs(dao::Database &db, long caseId);

} // namespace report
