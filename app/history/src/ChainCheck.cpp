#include "history/ChainCheck.h"

#include "history/Record.h"
#include "RecordRow.h"

#include "dao/Dao.h"

#include <algorithm>
#include <vector>

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

// Whether the stored hex text is the raw hash, without decoding the text.
bool sameHash(const QString &hex, const QByteArray &raw)
{
    static constexpr char digits[] = "0123456789abcdef";
    if (hex.size() != raw.size() * 2)
        return false;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const auto byte = static_cast<unsigned char>(raw[i]);
        if (hex[2 * i] != QLatin1Char(digits[byte >> 4]) || hex[2 * i + 1] != QLatin1Char(digits[byte & 15]))
            return false;
    }
    return true;
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
    std::vector<bool> cases;   // by case ID: IDs are dense, a set would cost more than the rest of a record
    QByteArray previous = chainStart();
    qint64 lastId = 0;
    // The time as the engine's text: the same on either engine, and no date to make per record.
    auto rs = db.OpenRecordset(QStringLiteral("Select ID,Schaden_ID,CAST(Zeit AS TEXT) AS ZeitText,Benutzer,Arbeitsplatz,"
                                              "Art,Feld,AlterWert,NeuerWert,Objekt_ID,Hash From Verlauf Order By ID"),
                               dao::RecordsetType::ForwardOnly);
    QByteArray bytes;
    HashedValues values;
    for (; !rs->IsEOF(); rs->MoveNext()) {
        const qint64 id = rs->Fields(0).Value().toLongLong();
        const qint64 caseId = rs->Fields(1).Value().toLongLong();
        values.caseId = caseId;
        values.time = rs->Fields(2).Value().toString();
        values.user = rs->Fields(3).Value().toString();
        values.workstation = rs->Fields(4).Value().toString();
        values.kind = rs->Fields(5).Value().toString();
        values.field = rs->Fields(6).Value().toString();
        values.oldValue = rs->Fields(7).Value();
        values.newValue = rs->Fields(8).Value();
        values.objectId = rs->Fields(9).Value();
        const QString stored = rs->Fields(10).Value().toString();
        if (id != lastId + 1) {
            report.fault = ChainReport::Missing;
            report.recordId = long(id);
            break;
        }
        bytes.resize(0);
        appendHashedBytes(bytes, values, previous);
        previous = sha256(bytes);
        if (!sameHash(stored, previous)) {
            rs->Close();
            auto again = db.OpenRecordset(QStringLiteral("Select %1 From Verlauf Where ID=?").arg(recordColumns()),
                                          dao::RecordsetType::ForwardOnly, dao::RecordsetOption::None, {id});
            const Record record = readRecord(*again);
            again->Close();
            report.fault = intactElsewhere(db, record) ? ChainReport::OutOfOrder : ChainReport::Changed;
            report.recordId = long(id);
            return report;
        }
        lastId = id;
        ++report.records;
        if (caseId > 0) {
            if (size_t(caseId) >= cases.size())
                cases.resize(std::max(size_t(caseId) + 1, cases.size() * 2));
            if (!cases[size_t(caseId)]) {
                cases[size_t(caseId)] = true;
                ++report.cases;
            }
        }
        if (progress && report.records % 4096 == 0 && !progress(report.records))
            break;
    }
    rs->Close();
    return report;
}

} // namespace history
