#include "form/CaseNumbering.h"

#include "core/NumberText.h"
#include "core/Twips.h"
#include "dao/Dao.h"
#include "history/Journal.h"

#include <cmath>
#include <limits>

namespace form {

QString nextCaseNumber(const QString &reference, const QDate &today)
{
    const QString year = today.toString(QStringLiteral("yy"));
    long running = 1;
    if (reference.left(2).compare(year, Qt::CaseInsensitive) == 0) {
        const qsizetype slash = reference.indexOf(u'/');
        const QString counted = slash >= 0 ? reference.mid(slash + 1) : reference.right(3);
        // A running number beyond any number counts as none, as text does.
        const auto last = core::roundedInteger<long>(std::trunc(core::leadingNumber(counted)));
        if (last && *last < std::numeric_limits<long>::max())
            running = *last + 1;
    }
    return year + u'/' + QStringLiteral("%1").arg(running, 3, 10, QLatin1Char('0'));
}

namespace {

QVariantMap valuesOf(dao::Recordset &row)
{
    QVariantMap values;
    for (int i = 0; i < row.FieldCount(); ++i)
        values.insert(row.Fields(i).Name().toLower(), row.Fields(i).Value());
    return values;
}

bool markedDeleted(const QVariantMap &row)
{
    const QVariant deleted = row.value(QStringLiteral("geloescht"));
    return !dao::isNull(deleted) && deleted.toBool();
}

} // namespace

CaseStamp CaseStamp::of(dao::Recordset &row)
{
    return {row.Value(QStringLiteral("tsErstellt")), row.Value(QStringLiteral("tsGeändert"))};
}

long CaseStore::save(long caseId, const QDateTime &now, const std::function<void(dao::Recordset &)> &fill,
                     const std::optional<CaseStamp> &expected, const std::function<void(long)> &alongside)
{
    long id = 0;
    dao::retryWhileLocked(m_db, [&] { id = writeOnce(caseId, now, fill, expected, alongside); });
    return id;
}

long CaseStore::writeOnce(long caseId, const QDateTime &now, const std::function<void(dao::Recordset &)> &fill,
                          const std::optional<CaseStamp> &expected, const std::function<void(long)> &alongside)
{
    // The chain's head comes with the start; the save's change records need it.
    dao::Transaction tx = history::keepsHistory(m_db) ? dao::Transaction(m_db, history::chainHeadQuery())
                                                      : dao::Transaction(m_db);
    std::unique_ptr<dao::Recordset> row;
    long id = caseId;
    m_before.clear();
    m_after.clear();
    if (caseId != 0) {
        row = m_db.OpenRecordset(QStringLiteral("Select * from Schaden where ID=?"), dao::RecordsetType::Dynaset,
                                 dao::RecordsetOption::None, {qlonglong(caseId)});
        if (!row->IsEOF())
            m_before = valuesOf(*row);
        if (row->IsEOF() || markedDeleted(m_before))
            throw CaseDeletedElsewhere{};
        if (expected && CaseStamp::of(*row) != *expected)
            throw CaseChangedElsewhere{};
        row->Edit();
        row->SetValue(QStringLiteral("tsGeändert"), now);
    } else {
        QString reference = QStringLiteral("1");
        id = 1;
        {
            auto last = m_db.OpenRecordset(QStringLiteral("Select ID,Schadennummer from Schaden order by ID desc"),
                                           dao::RecordsetType::Snapshot);
            if (!last->IsEOF()) {
                id = static_cast<long>(last->Value(QStringLiteral("ID")).toLongLong()) + 1;
                reference = last->Value(QStringLiteral("Schadennummer")).toString();
            }
        }
        row = m_db.OpenRecordset(QStringLiteral("Schaden"), dao::RecordsetType::Dynaset,
                                 dao::RecordsetOption::AppendOnly);
        row->AddNew();
        row->SetValue(QStringLiteral("ID"), qlonglong(id));
        row->SetValue(QStringLiteral("Schadennummer"), nextCaseNumber(reference, now.date()));
        row->SetValue(QStringLiteral("tsErstellt"), now);
    }
    fill(*row);
    const bool pictures = !row->Fields(QStringLiteral("Objekt_ID_1")).IsNull()
        || !row->Fields(QStringLiteral("Objekt_ID_2")).IsNull() || !row->Fields(QStringLiteral("Objekt_ID_3")).IsNull();
    row->SetValue(QStringLiteral("Schadenbilder"), pictures);
    row->Update();
    row->Close();
    // Read back as stored: the engine keeps moments to the second.
    auto stored = m_db.OpenRecordset(QStringLiteral("Select * from Schaden where ID=?"), dao::RecordsetType::Snapshot,
                                     dao::RecordsetOption::None, {qlonglong(id)});
    const CaseStamp written = CaseStamp::of(*stored);
    m_after = valuesOf(*stored);
    stored->Close();
    if (alongside)
        alongside(id);
    tx.commit();
    m_written = written;
    return id;
}

} // namespace form
