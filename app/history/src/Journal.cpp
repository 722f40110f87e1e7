#include "history/Journal.h"

#include "RecordRow.h"

#include "dao/Dao.h"

#include <QSysInfo>

#include <algorithm>
#include <optional>

#include <pwd.h>
#include <unistd.h>

namespace history {
namespace {

const QString Columns = QStringLiteral("ID,Schaden_ID,Zeit,Benutzer,Arbeitsplatz,Art,Feld,AlterWert,NeuerWert,Objekt_ID,Hash");

QVariant orNull(const QVariant &value) { return dao::isNull(value) ? dao::Null() : value; }

// Text as stored and read back: an empty text stays empty on either engine, none is Null.
QVariant textOrNull(const QVariant &value)
{
    if (dao::isNull(value))
        return dao::Null();
    const QString text = value.toString();
    return text.isNull() ? QVariant(QStringLiteral("")) : QVariant(text);
}

} // namespace

const QString &recordColumns() { return Columns; }

const QString &chainHeadQuery()
{
    // Written as a common table expression, a server answers it at once instead of through a cursor.
    static const QString query = QStringLiteral("With Letzter As (Select Max(ID) As Nr From Verlauf) "
                                                "Select ID,Hash From Verlauf Where ID=(Select Nr From Letzter)");
    return query;
}

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
    // A service or a cron job starts the program without either.
    if (user.isEmpty()) {
        if (const passwd *entry = getpwuid(geteuid()))
            user = QString::fromLocal8Bit(entry->pw_name);
    }
    return {user, QSysInfo::machineHostName()};
}

Journal::Journal(dao::Database &db, Author author) : m_db(db), m_author(std::move(author)) {}

void Journal::append(const QList<Entry> &entries, const QDateTime &time)
{
    if (entries.isEmpty())
        return;
    // The caller's transaction holds the write lock; a savepoint of it would
    // only cost a server two more round trips per save.
    std::optional<dao::Transaction> own;
    if (m_db.TransactionDepth() == 0)
        own.emplace(m_db);
    // A look-up by the key instead of a sorted read: quick on a long chain on either engine.
    long last = 0;
    QByteArray previous = chainStart();
    {
        // Read as the transaction started when its caller asked for it: a round trip less to a server.
        auto rs = m_db.TakeBegunRead(chainHeadQuery());
        if (!rs)
            rs = m_db.OpenRecordset(chainHeadQuery(), dao::RecordsetType::ForwardOnly);
        if (!rs->IsEOF()) {
            last = long(rs->Fields(0).Value().toLongLong());
            previous = QByteArray::fromHex(rs->Fields(1).Value().toString().toLatin1());
        }
        rs->Close();
    }
    const QDateTime second = QDateTime(time.date(), QTime(time.time().hour(), time.time().minute(), time.time().second()));
    // Many rows to a statement: one round trip to a server for a save's records.
    constexpr qsizetype RowsPerStatement = 500;
    for (qsizetype from = 0; from < entries.size(); from += RowsPerStatement) {
        const qsizetype rows = std::min(RowsPerStatement, entries.size() - from);
        QStringList tuples(rows, QStringLiteral("(?,?,?,?,?,?,?,?,?,?,?)"));
        dao::Params params;
        params.reserve(rows * 11);
        for (qsizetype i = from; i < from + rows; ++i) {
            Record record;
            static_cast<Entry &>(record) = entries.at(i);
            record.oldValue = textOrNull(record.oldValue);
            record.newValue = textOrNull(record.newValue);
            record.objectId = orNull(record.objectId);
            record.id = ++last;
            record.time = second;
            // Text columns hold text, never Null: what is hashed is what is read back.
            record.user = m_author.user.isNull() ? QStringLiteral("") : m_author.user;
            record.workstation = m_author.workstation.isNull() ? QStringLiteral("") : m_author.workstation;
            if (record.field.isNull())
                record.field = QStringLiteral("");
            previous = chainHash(record, previous);
            params << qlonglong(record.id) << qlonglong(record.caseId) << second << record.user << record.workstation
                   << record.kind << record.field << record.oldValue << record.newValue << record.objectId
                   << QString::fromLatin1(previous.toHex());
        }
        m_db.Execute(QStringLiteral("INSERT INTO Verlauf (%1) VALUES %2").arg(recordColumns(), tuples.join(u',')), params);
    }
    if (own)
        own->commit();
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
