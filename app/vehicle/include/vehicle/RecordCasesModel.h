#pragma once

#include "vehicle/VehicleRecord.h"

#include <QAbstractTableModel>

namespace vehicle {

// The cases of a vehicle's record as the window's table shows them; a
// thousand cases cost nothing until their rows are painted.
class RecordCasesModel : public QAbstractTableModel {
    Q_OBJECT
public:
    RecordCasesModel(const QList<VehicleRecord::Case> &cases, QObject *parent = nullptr)
        : QAbstractTableModel(parent), m_cases(cases) {}

    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : int(m_cases.size()); }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : 6; }
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const QList<VehicleRecord::Case> &m_cases;
};

} // namespace vehicle
