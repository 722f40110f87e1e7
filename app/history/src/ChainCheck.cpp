#include "history/ChainCheck.h"

#include "history/Record.h"
#include "RecordRow.h"

#include "dao/Dao.h"

#include <QSet>

namespace history {
namespace {

// Whether the record matches its content after some other record of the chain.
bool intactElsewhere(dao::Database &db, const Record &record)
{
    const QByteArray stored = QByteArray::fromHex(record.hash);
    if (chainHash(record, chainStart()) == stored)
        return true;
    auto rs = db.OpenRecordset(QStringLiteral("Select Hash From Verlauf Where ID<>?"), dao::RecordsetType::ForwardOnly,
                               dao::RecordsetOption::None, {qlonglong(record.id)});
    bool found = false;
    for (; !rs->IsEOF() && !found; rs->MoveNext())
        found = chainHash(record, QByteArray::fromHex(rs->Fields(0).Value().toString().toLatin1())) == stored;
    rs->Close();
    return found;
}

} // namespace

QString ChainReport::text() const
{
    switch (fault) {
    case None:
        return QStringLiteral("Verlauf in Ordnung: %L1 Einträge zu %L2 Vorgängen.").arg(records).arg(cases);
    case Changed:
        return QStringLiteral("Verlauf fehlerhaft: Eintrag %1 wurde verändert.").arg(recordId);
    case Missing:
        return QStringLiteral("Verlauf fehlerhaft: vor Eintrag %1 fehlt ein Eintrag.").arg(recordId);
    case OutOfOrder:
        return QStringLiteral("Verlauf fehlerhaft: Eintrag %1 steht nicht an seinem Platz (Reihenfolge vertauscht).")
            .arg(recordId);
    }
    return {};
}

ChainReport verifyChain(dao::Database &db, const std::function<bool(qint64)> &progress)
{
    ChainReport report;
    QSet<long> cases;
    QByteArray previous = chainStart();
    long lastId = 0;
    auto rs = db.OpenRecordset(QStringLiteral("Select %1 From Verlauf Order By ID").arg(recordColumns()),
                               dao::RecordsetType::ForwardOnly);
    for (; !rs->IsEOF(); rs->MoveNext()) {
        const Record record = readRecord(*rs);
        const QByteArray stored = QByteArray::fromHex(record.hash);
        const QByteArray expected = chainHash(record, previous);
        if (record.id != lastId + 1) {
            report.fault = ChainReport::Missing;
        } else if (expected != stored) {
            rs->Close();
            report.fault = intactElsewhere(db, record) ? ChainReport::OutOfOrder : ChainReport::Changed;
            report.recordId = record.id;
            return report;
        }
        if (report.fault != ChainReport::None) {
            report.recordId = record.id;
            break;
        }
        previous = stored;
        lastId = record.id;
        ++report.records;
        if (record.caseId > 0)
            cases.insert(record.caseId);
        if (progress && report.records % 4096 == 0 && !progress(report.records))
            break;
    }
    rs->Close();
    report.cases = cases.size();
    return report;
}

} // namespace history
