#include "history/CaseDeletion.h"

#include "history/Journal.h"

#include "dao/Dao.h"

namespace history {
namespace {

const QString CaseField = QStringLiteral("Vorgang");

QString caseNumber(dao::Database &db, long caseId)
{
    auto rs = db.OpenRecordset(QStringLiteral("Select Schadennummer From Schaden Where ID=?"),
                               dao::RecordsetType::ForwardOnly, dao::RecordsetOption::None, {qlonglong(caseId)});
    const QString number = rs->IsEOF() ? QString() : rs->Fields(0).Value().toString();
    rs->Close();
    return number;
}

} // namespace

void markCaseDeleted(dao::Database &db, long caseId, const QDateTime &now)
{
    dao::retryWhileLocked(db, [&] {
        dao::Transaction tx(db);
        if (db.Execute(QStringLiteral("Update Schaden Set Geloescht=-1 Where ID=? And Geloescht=0"), {qlonglong(caseId)}) == 1)
            Journal(db).append(Entry{caseId, kind::Deleted, CaseField, caseNumber(db, caseId), QStringLiteral("gelöscht"),
                                     QVariant()},
                               now);
        tx.commit();
    });
}

bool restoreCase(dao::Database &db, long caseId, const QDateTime &now)
{
    bool restored = false;
    dao::retryWhileLocked(db, [&] {
        dao::Transaction tx(db);
        restored = db.Execute(QStringLiteral("Update Schaden Set Geloescht=0 Where ID=? And Geloescht<>0"),
                              {qlonglong(caseId)}) == 1;
        if (restored)
            Journal(db).append(Entry{caseId, kind::Restored, CaseField, QStringLiteral("gelöscht"),
                                     caseNumber(db, caseId), QVariant()},
                               now);
        tx.commit();
    });
    return restored;
}

bool marksDeletions(dao::Database &db) { return db.TableHasColumn(QStringLiteral("Schaden"), QStringLiteral("Geloescht")); }

bool isCaseDeleted(dao::Database &db, long caseId)
{
    auto rs = db.OpenRecordset(QStringLiteral("Select Geloescht From Schaden Where ID=?"), dao::RecordsetType::ForwardOnly,
                               dao::RecordsetOption::None, {qlonglong(caseId)});
    const bool deleted = !rs->IsEOF() && rs->Fields(0).Value().toBool();
    rs->Close();
    return deleted;
}

} // namespace history
