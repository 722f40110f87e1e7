#pragma once

#include "attachments/CaseAttachment.h"

#include <QByteArray>

#include <vector>

namespace dao {
class Database;
}
namespace kelvane {
class IAttachmentWriter;
}

namespace attachments {

class AttachmentList;

// A case's further attachments in the database: their list in table
// SchadenAnhang, their content in Objekt, written through the attachment
// control's storage routines.
class AttachmentStore {
public:
    // writer may be null: the list can be read, not written.
    AttachmentStore(dao::Database &db, kelvane::IAttachmentWriter *writer) : m_db(db), m_writer(writer) {}

    // Whether the database has the table (one an older program made and
    // that could not be upgraded has not).
    static bool available(dao::Database &db);

    // The case's attachments in their order; none without the table.
    std::vector<CaseAttachment> load(long caseId);
    // What item holds, from its own file or its row: a picture's file, a
    // document's own bytes; empty when they cannot be read.
    QByteArray content(const CaseAttachment &item);

    // Writes what the list changed for case caseId, inside the caller's
    // transaction: removed rows deleted, new ones stored under new numbers,
    // annotations stored, every row in the list's order; the case is marked
    // as having pictures whenever the list holds any, changed or not. Throws dao::DaoError or
    // form::AttachmentSaveFailed (after the storage told why); the list
    // itself is left as it is, so that a retried save writes it again.
    void write(long caseId, const AttachmentList &list);

private:
    dao::Database &m_db;
    kelvane::IAttachmentWriter *m_writer;
};

} // namespace attachments
