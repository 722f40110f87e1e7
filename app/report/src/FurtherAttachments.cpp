#include "report/FurtherAttachments.h"

#include "dao/Dao.h"
#include "ole/DocumentFormat.h"

#include <QBuffer>

namespace report {
namespace {

QDateTime timeOf(const QVariant &value) { return dao::isNull(value) ? QDateTime() : value.toDateTime(); }

} // namespace

std::vector<FurtherAttachment> furtherAttachments(dao::Database &db, long caseId)
{
    std::vector<FurtherAttachment> found;
    if (!db.TableHasColumn(QStringLiteral("SchadenAnhang"), QStringLiteral("Objekt_ID")))
        return found;
    auto rs = db.OpenRecordset(QStringLiteral("Select a.Objekt_ID, a.Name, o.fBitmap, a.Hinzugefuegt, a.Groesse, "
                                              "a.Aufnahme, a.Pruefsumme From SchadenAnhang a "
                                              "Inner Join Objekt o On o.ID = a.Objekt_ID Where a.Schaden_ID = ? "
                                              "Order By a.Reihenfolge, a.Objekt_ID"),
                               dao::RecordsetType::ForwardOnly, dao::RecordsetOption::None, {qlonglong(caseId)});
    for (; !rs->IsEOF(); rs->MoveNext())
        found.push_back({long(rs->Fields(0).Value().toLongLong()), rs->Fields(1).Value().toString(),
                         !dao::isNull(rs->Fields(2).Value()) && rs->Fields(2).Value().toBool(),
                         timeOf(rs->Fields(3).Value()), rs->Fields(4).Value().toLongLong(),
                         timeOf(rs->Fields(5).Value()), rs->Fields(6).Value().toString()});
    rs->Close();
    return found;
}

bool isPdf(const QByteArray &bytes) { return bytes.startsWith("%PDF-"); }

QByteArray documentContent(const QByteArray &stored)
{
    QByteArray copy = stored;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    const std::optional<ole::Document> document = ole::readDocument(buffer);
    return document ? document->bytes : QByteArray();
}

QList<QByteArray> attachedPdfs(dao::Database &db, long caseId)
{
    QList<QByteArray> documents;
    for (const FurtherAttachment &attachment : furtherAttachments(db, caseId)) {
        if (attachment.picture)
            continue;
        auto rs = db.OpenRecordset(QStringLiteral("Select lbObjekt From Objekt Where ID=?"),
                                   dao::RecordsetType::Snapshot, dao::RecordsetOption::None,
                                   {qlonglong(attachment.objectId)});
        const QByteArray content = rs->IsEOF() ? QByteArray() : documentContent(rs->Fields(0).Value().toByteArray());
        rs->Close();
        if (isPdf(content))
            documents.append(content);
    }
    return documents;
}

} // namespace report
