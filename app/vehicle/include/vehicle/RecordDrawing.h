#pragma once

#include "vehicle/VehicleRecord.h"

#include "report/CaseAddition.h"

namespace vehicle {

// The diagram of a vehicle's record report: every mark not repaired, grey
// with its case's number.
class RecordDrawing : public report::CaseAddition {
public:
    explicit RecordDrawing(const VehicleRecord &record) : m_record(record) {}

    QStringList sections(long) override { return {}; }
    std::optional<QVariant> value(long, const QString &) override { return std::nullopt; }
    void draw(QPainter &painter, const QRectF &box, long caseId, const QString &field) override;

private:
    const VehicleRecord &m_record;
};

} // namespace vehicle
