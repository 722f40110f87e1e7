#pragma once

#include "history/Record.h"

#include <QAbstractTableModel>
#include <QList>

namespace form {

// A case's change records as the tab "Verlauf" lists them, newest first:
// time, user, workstation, field, old value, new value.
class HistoryModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setRecords(QList<history::Record> records);
    const history::Record &record(int row) const { return m_records.at(row); }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<history::Record> m_records;
};

} // namespace form
