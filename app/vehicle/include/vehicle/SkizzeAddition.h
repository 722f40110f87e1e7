#pragma once

#include "vehicle/DamageMark.h"

#include "report/CaseAddition.h"

#include <QList>

#include <memory>

namespace dao {
class Database;
}

namespace vehicle {

class DiagramPainter;

// The damage diagram in a case's report: the section SKIZZE when the diagram
// shows marks (the case's own and the vehicle's earlier unrepaired ones),
// the values S_SKIZZE (how many) and S_SKIZZENLEGENDE (one line per mark,
// the earlier ones last) and the drawing SKIZZE.
class SkizzeAddition : public report::CaseAddition {
public:
    explicit SkizzeAddition(dao::Database &db);
    ~SkizzeAddition() override;

    QStringList sections(long caseId) override;
    std::optional<QVariant> value(long caseId, const QString &name) override;
    void draw(QPainter &painter, const QRectF &box, long caseId, const QString &field) override;

private:
    void read(long caseId);
    // The drawing for the case read last, chosen when first drawn.
    QString outline();

    dao::Database &m_db;
    long m_caseId = -1;
    QString m_vehicleType;
    QString m_outline;
    QList<DamageMark> m_own;
    QList<DamageMark> m_earlier;
    // The parsed drawing, kept for the preview's every page render and zoom.
    std::unique_ptr<DiagramPainter> m_painter;
    QString m_painterOutline;
};

} // namespace vehicle
