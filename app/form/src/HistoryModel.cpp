#include "form/HistoryModel.h"

namespace form {
namespace {

const QStringList &headers()
{
    static const QStringList texts = {QStringLiteral("Zeit"),         QStringLiteral("Benutzer"),
                                      QStringLiteral("Arbeitsplatz"), QStringLiteral("Feld"),
                                      QStringLiteral("Alter Wert"),   QStringLiteral("Neuer Wert")};
    return texts;
}

} // namespace

void HistoryModel::setRecords(QList<history::Record> records)
{
    beginResetModel();
    m_records = std::move(records);
    endResetModel();
}

int HistoryModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(m_records.size()); }

int HistoryModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(headers().size()); }

QVariant HistoryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_records.size())
        return {};
    const history::Record &record = m_records.at(index.row());
    if (role == Qt::ToolTipRole && !record.objectId.isNull())
        return QStringLiteral("Die vorige Fassung ist aufbewahrt: anzeigen und wiederherstellen mit den Knöpfen unten.");
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case 0:
        return record.time.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
    case 1:
        return record.user;
    case 2:
        return record.workstation;
    case 3:
        return record.field;
    case 4:
        return record.oldValue.toString();
    case 5:
        return record.newValue.toString();
    default:
        return {};
    }
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < headers().size())
        return headers().at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace form
