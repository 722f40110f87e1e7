#include "history/Versions.h"

#include "history/Journal.h"

#include "dao/Dao.h"

#include <QRegularExpression>

namespace history {
namespace {

long nextObjektId(dao::Database &db)
{
    auto rs = db.OpenRecordset(QStringLiteral("Select Max(ID) From Objekt"), dao::RecordsetType::ForwardOnly);
    const QVariant highest = rs->Fields(0).Value();
    rs->Close();
    return (dao::isNull(highest) ? 0 : long(highest.toLongLong())) + 1;
}

long copyRow(dao::Database &db, long objectId)
{
    const long copy = nextObjektId(db);
    const long copied = db.Execute(QStringLiteral("INSERT INTO Objekt (ID,lbObjekt,fBitmap,tClass,mScript) "
                                                  "Select ?,lbObjekt,fBitmap,tClass,mScript From Objekt Where ID=?"),
                                   {qlonglong(copy), qlonglong(objectId)});
    return copied == 1 ? copy : 0;
}

} // namespace

long keepVersion(dao::Database &db, long objectId)
{
    dao::Transaction tx(db);
    const long copy = copyRow(db, objectId);
    tx.commit();
    return copy;
}

Version readVersion(dao::Database &db, long versionId)
{
    Version version;
    auto rs = db.OpenRecordset(QStringLiteral("Select lbObjekt,fBitmap,tClass,mScript From Objekt Where ID=?"),
                               dao::RecordsetType::ForwardOnly, dao::RecordsetOption::None, {qlonglong(versionId)});
    if (!rs->IsEOF()) {
        version.id = versionId;
        version.bytes = rs->Fields(0).Value().toByteArray();
        version.picture = rs->Fields(1).Value().toBool();
        version.type = rs->Fields(2).Value().toString();
        version.script = rs->Fields(3).Value().toString();
    }
    rs->Close();
    return version;
}

long restoreVersion(dao::Database &db, long caseId, const QString &slotColumn, const QString &field, long versionId,
                    const QDateTime &now)
{
    // The column name goes into the statement's text: only a slot's name is taken.
    static const QRegularExpression slotName(QStringLiteral("^Objekt_ID_[0-9]+$"));
    if (!slotName.match(slotColumn).hasMatch())
        dao::DBEngine::instance().raise(dao::ErrEngine, QStringLiteral("Kein Anlagenfeld: %1").arg(slotColumn));
    long restored = 0;
    dao::retryWhileLocked(db, [&] {
        dao::Transaction tx(db);
        auto row = db.OpenRecordset(QStringLiteral("Select %1 From Schaden Where ID=?").arg(slotColumn),
                                    dao::RecordsetType::ForwardOnly, dao::RecordsetOption::None, {qlonglong(caseId)});
        if (row->IsEOF())
            dao::DBEngine::instance().raise(dao::ErrNoCurrentRecord,
                                            QStringLiteral("Der Vorgang ist nicht mehr vorhanden."));
        const QVariant held = row->Fields(0).Value();
        row->Close();
        restored = copyRow(db, versionId);
        if (restored == 0)
            dao::DBEngine::instance().raise(dao::ErrNoCurrentRecord,
                                            QStringLiteral("Diese Version ist nicht mehr vorhanden."));
        // The row the slot held stays untouched and becomes a version.
        db.Execute(QStringLiteral("Update Schaden Set %1=?,Schadenbilder=-1,[tsGeändert]=? Where ID=?").arg(slotColumn),
                   {qlonglong(restored), now, qlonglong(caseId)});
        Entry entry{caseId, kind::Restored, field, QStringLiteral("Version %1").arg(versionId),
                    QStringLiteral("wiederhergestellt"), dao::isNull(held) ? QVariant() : held};
        Journal(db).append(entry, now);
        tx.commit();
    });
    return restored;
}

long purgeVersions(dao::Database &db, const QDateTime &before, const QDateTime &now)
{
    long purged = 0;
    dao::retryWhileLocked(db, [&] {
        dao::Transaction tx(db);
        purged = db.Execute(QStringLiteral("Delete From Objekt Where ID In (Select Objekt_ID From Verlauf "
                                           "Where Objekt_ID Is Not Null And Zeit<?)"),
                            {before});
        Journal(db).append(Entry{0, kind::Purged, QStringLiteral("Versionen vor %1").arg(before.toString(
                                                          QStringLiteral("dd.MM.yyyy"))),
                                 QVariant(), QString::number(purged), QVariant()},
                           now);
        tx.commit();
    });
    return purged;
}

} // namespace history
