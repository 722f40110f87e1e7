#include "vehicle/MarkStore.h"

#include "dao/Dao.h"
#include "history/CaseDeletion.h"

#include <QSet>

namespace vehicle {
namespace {

const QString Fields = QStringLiteral(
    "Select m.ID, m.Schaden_ID, m.Nr, m.X, m.Y, m.Art, m.Schwere, m.Bild, m.Notiz, m.RepariertAm, s.Schadennummer");
const QString Marks = QStringLiteral(" From Schadenmarke m Inner Join Schaden s On s.ID = m.Schaden_ID ");
// Of the vehicle's marks not repaired, those of cases before case c.
// A case without a date comes after every dated one, among them by ID.
const QString Earlier = QStringLiteral("m.RepariertAm Is Null And m.Schaden_ID<>c.ID And "
                                       "(c.Datum Is Null And (s.Datum Is Not Null Or s.ID<c.ID) Or "
                                       "s.Datum<c.Datum Or s.Datum=c.Datum And s.ID<c.ID)");

QVariant text(const QString &value) { return value.isEmpty() ? QVariant() : QVariant(value); }

// A deleted case's marks stay with it for its restore, but no longer show
// on the vehicle; a database that marks no deletions has none.
QString notDeleted(dao::Database &db)
{
    return history::marksDeletions(db) ? QStringLiteral(" And s.Geloescht=0") : QString();
}

QVariant date(const QDate &value) { return value.isValid() ? QVariant(QDateTime(value, QTime(0, 0))) : QVariant(); }

DamageMark markOf(dao::Recordset &rs)
{
    DamageMark mark;
    mark.id = long(rs.Fields(0).Value().toLongLong());
    mark.caseId = long(rs.Fields(1).Value().toLongLong());
    mark.nr = rs.Fields(2).Value().toInt();
    mark.at = QPoint(rs.Fields(3).Value().toInt(), rs.Fields(4).Value().toInt());
    mark.kind = rs.Fields(5).Value().toString();
    mark.severity = rs.Fields(6).Value().toString();
    mark.picture = rs.Fields(7).Value().toInt();
    mark.note = rs.Fields(8).Value().toString();
    const QVariant repaired = rs.Fields(9).Value();
    mark.repairedOn = dao::isNull(repaired) ? QDate() : repaired.toDateTime().date();
    mark.caseNumber = rs.Fields(10).Value().toString();
    return mark;
}

} // namespace

QList<DamageMark> MarkStore::read(const QString &where, const QList<QVariant> &params)
{
    QList<DamageMark> marks;
    auto rs = m_db.OpenRecordset(Fields + Marks + where, dao::RecordsetType::ForwardOnly, dao::RecordsetOption::None,
                                 params);
    for (; !rs->IsEOF(); rs->MoveNext())
        marks.append(markOf(*rs));
    rs->Close();
    return marks;
}

bool MarkStore::available(dao::Database &db)
{
    return db.TableHasColumn(QStringLiteral("Schadenmarke"), QStringLiteral("Schaden_ID"));
}

QList<DamageMark> MarkStore::caseMarks(long caseId)
{
    return read(QStringLiteral("Where m.Schaden_ID=? Order By m.Nr, m.ID"), {qlonglong(caseId)});
}

QList<DamageMark> MarkStore::earlierOpenMarks(const QString &plate, long caseId)
{
    if (plate.trimmed().isEmpty())
        return {};
    if (caseId == 0)
        return openMarks(plate);
    return read(QStringLiteral("Inner Join Schaden c On c.ID=? Where m.EigenKZ=? And ") + Earlier + notDeleted(m_db)
                    + QStringLiteral(" Order By s.Datum, s.ID, m.Nr"),
                {qlonglong(caseId), plate.trimmed()});
}

MarkStore::CaseDiagram MarkStore::caseDiagram(long caseId, const QString &plate)
{
    // Column 12 tells the case's own (0) from the earlier ones (1); the
    // order is caseMarks' and then earlierOpenMarks'.
    const QString statement = Fields + QStringLiteral(", 0, s.Datum") + Marks
        + QStringLiteral("Where m.Schaden_ID=? Union All ") + Fields + QStringLiteral(", 1, s.Datum") + Marks
        + QStringLiteral("Inner Join Schaden c On c.ID=? Where m.EigenKZ=? And ") + Earlier + notDeleted(m_db)
        + QStringLiteral(" Order By 12, 13, 2, 3, 1");
    CaseDiagram diagram;
    auto rs = m_db.OpenRecordset(statement, dao::RecordsetType::ForwardOnly, dao::RecordsetOption::None,
                                 {qlonglong(caseId), qlonglong(caseId), plate.trimmed()});
    for (; !rs->IsEOF(); rs->MoveNext())
        (rs->Fields(11).Value().toInt() == 0 ? diagram.own : diagram.earlier).append(markOf(*rs));
    rs->Close();
    return diagram;
}

QList<DamageMark> MarkStore::openMarks(const QString &plate)
{
    return read(QStringLiteral("Where m.EigenKZ=? And m.RepariertAm Is Null") + notDeleted(m_db)
                    + QStringLiteral(" Order By s.Datum, s.ID, m.Nr"),
                {plate.trimmed()});
}

void MarkStore::writeCase(long caseId, const QString &plate, const QList<DamageMark> &loaded,
                          const QList<DamageMark> &shown)
{
    QSet<long> kept;
    for (const DamageMark &mark : shown)
        if (mark.id != 0)
            kept.insert(mark.id);
    for (const DamageMark &mark : loaded)
        if (!kept.contains(mark.id))
            m_db.Execute(QStringLiteral("DELETE FROM Schadenmarke WHERE ID=?"), {qlonglong(mark.id)});

    QSet<int> taken;
    for (const DamageMark &stored : caseMarks(caseId))
        taken.insert(stored.nr);
    const QVariant vehicle = text(plate.trimmed());
    for (const DamageMark &mark : shown) {
        const QList<QVariant> values{mark.at.x(), mark.at.y(), mark.kind, mark.severity,
                                     mark.picture > 0 ? QVariant(mark.picture) : QVariant(), text(mark.note),
                                     date(mark.repairedOn)};
        // One deleted elsewhere meanwhile comes back: this save shows it.
        if (mark.id != 0 &&
            m_db.Execute(QStringLiteral("UPDATE Schadenmarke SET X=?, Y=?, Art=?, Schwere=?, Bild=?, Notiz=?, "
                                        "RepariertAm=?, Nr=? WHERE ID=?"),
                         values + QList<QVariant>{mark.nr, qlonglong(mark.id)}) > 0)
            continue;
        int nr = mark.nr;
        while (taken.contains(nr))
            ++nr;
        taken.insert(nr);
        m_db.Execute(QStringLiteral("INSERT INTO Schadenmarke (X, Y, Art, Schwere, Bild, Notiz, RepariertAm, Nr, "
                                    "Schaden_ID, EigenKZ) VALUES (?,?,?,?,?,?,?,?,?,?)"),
                     values + QList<QVariant>{nr, qlonglong(caseId), vehicle});
    }
    m_db.Execute(QStringLiteral("UPDATE Schadenmarke SET EigenKZ=? WHERE Schaden_ID=?"), {vehicle, qlonglong(caseId)});
}

void MarkStore::setRepaired(long markId, const QDate &repaired)
{
    m_db.Execute(QStringLiteral("UPDATE Schadenmarke SET RepariertAm=? WHERE ID=?"), {date(repaired), qlonglong(markId)});
}

} // namespace vehicle
