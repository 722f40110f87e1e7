#include "vehicle/RecordCasesModel.h"

namespace vehicle {

QVariant RecordCasesModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_cases.size())
        return {};
    if (role == Qt::TextAlignmentRole)
        return index.column() == 3 || index.column() == 4 ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    if (role != Qt::DisplayRole)
        return {};
    const VehicleRecord::Case &c = m_cases.at(index.row());
    switch (index.column()) {
    case 0: return c.number;
    case 1: return c.date.toString(QStringLiteral("dd.MM.yyyy"));
    case 2: return c.kind;
    case 3: return VehicleRecord::money(c.amount);
    case 4: return VehicleRecord::money(c.deductible);
    default: return c.repair;
    }
}

QVariant RecordCasesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const QStringList headers = {QStringLiteral("Nummer"), QStringLiteral("Datum"), QStringLiteral("Schadenart"),
                                        QStringLiteral("Betrag"), QStringLiteral("SB"), QStringLiteral("Reparatur")};
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return headers.value(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace vehicle
