#include "list/CaseStore.h"

#include "history/CaseDeletion.h"

#include "core/Clock.h"
#include "dao/Dao.h"
#include "vehicle/MarkStore.h"

namespace list {

QStringList vehiclePlates(dao::Database &db)
{
    QStringList plates;
    auto rs = db.OpenRecordset(QStringLiteral("Select Distinct [EIGENKZ] COLLATE German as Auto From Schaden order by 1"),
                               dao::RecordsetType::ForwardOnly);
    for (; !rs->IsEOF(); rs->MoveNext()) {
        const QVariant plate = rs->Value(QStringLiteral("Auto"));
        if (!dao::isNull(plate))
            plates.append(plate.toString());
    }
    rs->Close();
    return plates;
}

void deleteCase(dao::Database &db, long id)
{
    history::markCaseDeleted(db, id, core::Clock::now());
}

qint64 countCases(dao::Database &db, const QString &countStatement, const dao::Params &params)
{
    auto rs = db.OpenRecordset(countStatement, dao::RecordsetType::Snapshot, dao::RecordsetOption::None, params);
    const qint64 count = rs->IsEOF() ? 0 : rs->Fields(0).Value().toLongLong();
    rs->Close();
    return count;
}

} // namespace list
