#include "vehicle/SkizzeAddition.h"

#include "vehicle/DiagramPainter.h"
#include "vehicle/MarkStore.h"
#include "vehicle/Outline.h"

#include "dao/Dao.h"
#include "varnholt/Globals.h"

#include <QPainter>

namespace vehicle {

SkizzeAddition::SkizzeAddition(dao::Database &db) : m_db(db) {}

SkizzeAddition::~SkizzeAddition() = default;

void SkizzeAddition::read(long caseId)
{
    if (caseId == m_caseId)
        return;
    auto row = m_db.OpenRecordset(QStringLiteral("Select EigenKZ, Fahrzeugtyp From Schaden Where ID=?"),
                                  dao::RecordsetType::ForwardOnly, dao::RecordsetOption::None, {qlonglong(caseId)});
    const QString plate = row->IsEOF() ? QString() : row->Fields(0).Value().toString();
    m_vehicleType = row->IsEOF() ? QString() : row->Fields(1).Value().toString();
    row->Close();
    MarkStore::CaseDiagram diagram;
    if (MarkStore::available(m_db))
        diagram = MarkStore(m_db).caseDiagram(caseId, plate);
    m_own = diagram.own;
    m_earlier = diagram.earlier;
    m_outline.clear();
    m_caseId = caseId;
}

QString SkizzeAddition::outline()
{
    // The settings are read only for a drawing: most reports have none.
    if (m_outline.isEmpty())
        m_outline = OutlineChoice::fromIni(varnholt::gIniFile).outlineFor(m_vehicleType);
    return m_outline;
}

QStringList SkizzeAddition::sections(long caseId)
{
    read(caseId);
    return m_own.isEmpty() && m_earlier.isEmpty() ? QStringList() : QStringList{QStringLiteral("SKIZZE")};
}

std::optional<QVariant> SkizzeAddition::value(long caseId, const QString &name)
{
    if (name.compare(QLatin1String("SKIZZE"), Qt::CaseInsensitive) == 0) {
        read(caseId);
        return QVariant(int(m_own.size() + m_earlier.size()));
    }
    if (name.compare(QLatin1String("SKIZZENLEGENDE"), Qt::CaseInsensitive) == 0) {
        read(caseId);
        QStringList lines;
        for (const DamageMark &mark : std::as_const(m_own))
            lines.append(legendLine(mark, false));
        for (const DamageMark &mark : std::as_const(m_earlier))
            lines.append(legendLine(mark, true));
        return QVariant(lines.join(QStringLiteral("\r\n")));
    }
    return std::nullopt;
}

void SkizzeAddition::draw(QPainter &painter, const QRectF &box, long caseId, const QString &field)
{
    (void)field;
    read(caseId);
    const QString drawing = outline();
    if (!m_painter || m_painterOutline != drawing) {
        m_painter = std::make_unique<DiagramPainter>(drawing);
        m_painterOutline = drawing;
    }
    const DiagramGeometry where = m_painter->geometry(box);
    m_painter->paint(painter, where, m_own, m_earlier, where.drawn().width() / 45.0);
}

} // namespace vehicle
