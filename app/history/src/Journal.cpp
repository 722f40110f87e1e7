#include "history/Journal.h"

#include "RecordRow.h"

#include "dao/Dao.h"

#include <QSysInfo>

namespace history {
namespace {

const QString Columns = QStringLiteral("ID,Schaden_ID,Zeit,Benutzer,Arbeitsplatz,Art,Feld,AlterWert,NeuerWert,Objekt_ID,Hash");

QVariant orNull(const QVariant &value) { return dao::isNull(value) ? dao::Null() : value; }

QVariant textOrNull(const QVariant &value) { return dao::isNull(value) ? dao::Null() : QVariant(value.toString()); }

} // namespace

const QString &recordColumns() { return Columns; }

Record readRecord(dao::Recordset &rs)
{
    Record record;
    const auto value = [&rs](int i) {
        const QVariant v = rs.Fields(i).Value();
        return dao::isNull(v) ? QVariant() : v;
    };
    record.id = long(rs.Fields(0).Value().toLongLong());
    record.caseId = long(value(1).toLongLong());
    record.time = value(2).toDateTime();
    record.user = value(3).toString();
    record.workstation = value(4).toString();
    record.kind = value(5).toString();
    record.field = value(6).toString();
    record.oldValue = value(7).isNull() ? QVariant() : QVariant(value(7).toString());
    record.newValue = value(8).isNull() ? QVariant() : QVariant(value(8).toString());
    record.objectId = value(9).isNull() ? QVariant() : QVariant(value(9).toLongLong());
    record.hash = value(10).toString().toLatin1();
    return record;
}

Author Author::current()
{
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = qEnvironmentVariable("LOGNAME");
    return {user, QSysInfo::machineHostName()};
}

Journal::Journal(dao::Database &db, Author author) : m_db(db), m_author(std::move(author)) {}

void Journal::append(const QList<Entry> &entries, const QDateTime &time)
{
    if (entries.isEmpty())
        return;
    dao::Transaction tx(m_db);
    // Two look-ups by the key instead of a sorted read: quick on a long chain on either engine.
    long last = 0;
    QByteArray previous = chainStart();
    {
        auto rs = m_db.OpenRecordset(QStringLiteral("Select Max(ID) From Verlauf"), dao::RecordsetType::ForwardOnly);
        const QVariant highest = rs->Fields(0).Value();
        rs->Close();
        last = dao::isNull(highest) ? 0 : long(highest.toLongLong());
    }
    if (last > 0) {
        auto rs = m_db.OpenRecordset(QStringLiteral("Select Hash From Verlauf Where ID=?"),
                                     dao::RecordsetType::ForwardOnly, dao::RecordsetOption::None, {qlonglong(last)});
        previous = QByteArray::fromHex(rs->Fields(0).Value().toString().toLatin1());
        rs->Close();
    }
    const QDateTime second = QDateTime(time.date(), QTime(time.time().hour(), time.time().minute(), time.time().second()));
    const QString insert = QStringLiteral("INSERT INTO Verlauf (%1) VALUES (?,?,?,?,?,?,?,?,?,?,?)").arg(recordColumns());
    for (const Entry &entry : entries) {
        Record record;
        static_cast<Entry &>(record) = entry;
        record.id = ++last;
        record.time = second;
        record.user = m_author.user;
        record.workstation = m_author.workstation;
        previous = chainHash(record, previous);
        m_db.Execute(insert, {qlonglong(record.id), qlonglong(record.caseId), second, record.user, record.workstation,
                              record.kind, record.field, textOrNull(record.oldValue), textOrNull(record.newValue),
                              orNull(record.objectId), QString::fromLatin1(previous.toHex())});
    }
    tx.commit();
}

void recordCreatedCases(dao::Database &db, const QList<long> &caseIds, const QDateTime &time)
{
    constexpr int Slots = 3;
    QList<Entry> entries;
    for (long caseId : caseIds) {
        auto rs = db.OpenRecordset(QStringLiteral("Select Schadennummer,Objekt_ID_1,Objekt_ID_2,Objekt_ID_3 From Schaden "
                                                  "Where ID=?"),
                                   dao::RecordsetType::ForwardOnly, dao::RecordsetOption::None, {qlonglong(caseId)});
        if (!rs->IsEOF()) {
            entries.append({caseId, kind::Created, QStringLiteral("Vorgang"), QVariant(),
                            rs->Fields(0).Value().toString(), QVariant()});
            for (int slot = 1; slot <= Slots; ++slot)
                if (!dao::isNull(rs->Fields(slot).Value()))
                    entries.append({caseId, kind::Attachment, slotField(slot), QVariant(),
                                    QStringLiteral("eingefügt"), QVariant()});
        }
        rs->Close();
    }
    Journal(db).append(entries, time);
}

bool keepsHistory(dao::Database &db) { return db.TableHasColumn(QStringLiteral("Verlauf"), QStringLiteral("Hash")); }

QList<Record> caseRecords(dao::Database &db, long caseId)
{
    QList<Record> records;
    auto rs = db.OpenRecordset(QStringLiteral("Select %1 From Verlauf Where Schaden_ID=? Order By ID Desc").arg(recordColumns()),
                               dao::RecordsetType::ForwardOnly, dao::RecordsetOption::None, {qlonglong(caseId)});
    for (; !rs->IsEOF(); rs->MoveNext())
        records.append(readRecord(*rs));
    rs->Close();
    return records;
}

Record lastCaseRecord(dao::Database &db, long caseId)
{
    auto rs = db.OpenRecordset(QStringLiteral("Select %1 From Verlauf Where ID=(Select Max(ID) From Verlauf Where "
                                              "Schaden_ID=?)").arg(recordColumns()),
                               dao::RecordsetType::ForwardOnly, dao::RecordsetOption::None, {qlonglong(caseId)});
    Record record;
    if (!rs->IsEOF())
        record = readRecord(*rs);
    rs->Close();
    return record;
}

} // namespace history
