#include "attachments/AttachmentStore.h"

#include "attachments/AttachmentList.h"
#include "attachments/Intake.h"

#include "form/CaseBinding.h"
#include "report/FurtherAttachments.h"

#include "core/Clock.h"
#include "dao/Dao.h"
#include "history/Journal.h"
#include "history/Versions.h"
#include "kelvane/AttachmentWriter.h"
#include "sendral/OverlayGraphic.h"

#include <QFile>

namespace attachments {
namespace {

QVariant nullable(const QDateTime &time) { return time.isValid() ? QVariant(time) : QVariant(); }

QVariant nullable(const QString &text) { return text.isEmpty() ? QVariant() : QVariant(text); }

long nextObjektId(dao::Database &db)
{
    auto rs = db.OpenRecordset(QStringLiteral("Select Max(ID) FROM Objekt"), dao::RecordsetType::Snapshot);
    const QVariant highest = rs->Fields(0).Value();
    rs->Close();
    return long(dao::isNull(highest) ? 0 : highest.toLongLong()) + 1;
}

// A kept version back in the case: a new row with its content takes the
// attachment's place (or a place of its own for a deleted one), the row the
// attachment held stays untouched as a version. Returns the new row's ID.
long putBack(dao::Database &db, long caseId, int place, const CaseAttachment &item, QList<history::Entry> *entries)
{
    const long back = history::keepVersion(db, item.restoreFrom);
    if (back == 0)
        dao::DBEngine::instance().raise(dao::ErrNoCurrentRecord,
                                        QStringLiteral("Die Version von \"%1\" ist nicht mehr vorhanden.").arg(item.name));
    if (item.objectId != 0)
        db.Execute(QStringLiteral("Update SchadenAnhang Set Objekt_ID=? Where Objekt_ID=?"),
                   {qlonglong(back), qlonglong(item.objectId)});
    else
        db.Execute(QStringLiteral("Insert Into SchadenAnhang (Objekt_ID, Schaden_ID, Reihenfolge, Name, Hinzugefuegt, "
                                  "Groesse) Values (?,?,?,?,?,?)"),
                   {qlonglong(back), qlonglong(caseId), place, item.name, nullable(item.added), item.size});
    if (entries)
        entries->append({caseId, history::kind::Restored, history::attachmentField(item.name),
                         QStringLiteral("Version %1").arg(item.restoreFrom), QStringLiteral("wiederhergestellt"),
                         item.objectId != 0 ? QVariant(qlonglong(item.objectId)) : QVariant()});
    return back;
}

} // namespace

bool AttachmentStore::available(dao::Database &db)
{
    return db.TableHasColumn(QStringLiteral("SchadenAnhang"), QStringLiteral("Objekt_ID"));
}

std::vector<CaseAttachment> AttachmentStore::load(long caseId)
{
    std::vector<CaseAttachment> items;
    if (caseId == 0)
        return items;
    for (const report::FurtherAttachment &stored : report::furtherAttachments(m_db, caseId)) {
        CaseAttachment item;
        item.objectId = stored.objectId;
        item.name = stored.name;
        item.added = stored.added;
        item.size = stored.size;
        item.taken = stored.taken;
        item.sha256 = stored.sha256;
        item.picture = stored.picture;
        items.push_back(std::move(item));
    }
    return items;
}

QByteArray AttachmentStore::content(const CaseAttachment &item)
{
    QByteArray stored;
    if (item.file.isEmpty()) {
        auto rs = m_db.OpenRecordset(QStringLiteral("Select lbObjekt From Objekt Where ID=?"),
                                     dao::RecordsetType::Snapshot, dao::RecordsetOption::None,
                                     {qlonglong(item.restoreFrom != 0 ? item.restoreFrom : item.objectId)});
        if (!rs->IsEOF())
            stored = rs->Fields(0).Value().toByteArray();
        rs->Close();
    } else {
        QFile file(item.file);
        if (file.open(QIODevice::ReadOnly))
            stored = file.readAll();
    }
    return contentOf(stored, item.picture);
}

void AttachmentStore::write(long caseId, const AttachmentList &list)
{
    // The case row was written anew just before: its mark for the list's
    // "Bilder" column counts the further attachments too.
    if (list.count() > 0)
        m_db.Execute(QStringLiteral("Update Schaden Set Schadenbilder=? Where ID=?"), {true, qlonglong(caseId)});
    if (!list.changed())
        return;
    if (!m_writer)
        throw form::AttachmentSaveFailed{};
    // A deleted or redrawn attachment's row is kept as a version beside its record.
    const bool keepsHistory = history::keepsHistory(m_db);
    QList<history::Entry> entries;
    const auto record = [&](const QString &name, const QString &word, long kept) {
        if (keepsHistory)
            entries.append({caseId, history::kind::Attachment, history::attachmentField(name), QVariant(), word,
                            kept ? QVariant(qlonglong(kept)) : QVariant()});
    };
    for (long id : list.removed()) {
        QString name;
        {
            auto rs = m_db.OpenRecordset(QStringLiteral("Select Name From SchadenAnhang Where Objekt_ID=?"),
                                         dao::RecordsetType::Snapshot, dao::RecordsetOption::None, {qlonglong(id)});
            if (!rs->IsEOF())
                name = rs->Fields(0).Value().toString();
        }
        record(name, QStringLiteral("gelöscht"), keepsHistory ? history::keepVersion(m_db, id) : 0);
        m_db.Execute(QStringLiteral("Delete From SchadenAnhang Where Objekt_ID=?"), {qlonglong(id)});
        m_writer->DeleteObjectRecord(id);
    }
    long next = 0;
    for (int place = 0; place < list.count(); ++place) {
        const CaseAttachment &item = list.at(place);
        const bool fresh = item.objectId == 0 && item.restoreFrom == 0;
        long id = item.objectId;
        if (item.restoreFrom != 0) {
            id = putBack(m_db, caseId, place, item, keepsHistory ? &entries : nullptr);
            next = 0;   // the copy took the next free number
        } else if (id == 0) {
            if (next == 0)
                next = nextObjektId(m_db);
            id = next++;
        }
        if (fresh)
            record(item.name, QStringLiteral("eingefügt"), 0);
        else if (item.annotated)
            record(item.name, QStringLiteral("Anmerkungen geändert"), keepsHistory ? history::keepVersion(m_db, id) : 0);
        if (fresh || item.annotated) {
            sendral::OverlayGraphic overlay;
            const bool drawn = item.annotated && !item.overlay.isEmpty() && overlay.SetData(item.overlay);
            if (!m_writer->SaveObject(id, item.file, drawn ? &overlay : nullptr, drawn ? item.script : QString()))
                throw form::AttachmentSaveFailed{};
        }
        if (fresh) {
            m_db.Execute(QStringLiteral("Insert Into SchadenAnhang (Objekt_ID, Schaden_ID, Reihenfolge, Name, "
                                        "Hinzugefuegt, Groesse, Aufnahme, Pruefsumme) Values (?,?,?,?,?,?,?,?)"),
                         {qlonglong(id), qlonglong(caseId), place, item.name, nullable(item.added), item.size,
                          nullable(item.taken), nullable(item.sha256)});
        } else {
            m_db.Execute(QStringLiteral("Update SchadenAnhang Set Reihenfolge=? Where Objekt_ID=?"),
                         {place, qlonglong(id)});
        }
    }
    if (!entries.isEmpty())
        history::Journal(m_db).append(entries, core::Clock::now());
}

} // namespace attachments
