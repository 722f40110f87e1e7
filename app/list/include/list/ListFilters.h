#pragma once

#include "list/ListStatement.h"

#include <QObject>
#include <QStringList>

class QComboBox;
class QHBoxLayout;
class QLineEdit;
class QWidget;

namespace list {

// The filter boxes above the list (vehicle, status, kind, day limit) and
// what they hold: changed() asks for the list anew whenever the user picks
// or types a vehicle, a status or a kind. The day box only counts for the
// overdue cases and asks for nothing.
class ListFilters : public QObject {
    Q_OBJECT
public:
    // Makes the boxes with their labels inside parent.
    explicit ListFilters(QWidget *parent);
    // The row of labels and boxes, for the window's layout.
    QHBoxLayout *row() const { return m_row; }

    // The vehicle list emptied but for "Alle", which it shows.
    void clearVehicles();
    // Status and kind back to "Alle", with "Gelöschte Vorgänge" offered when
    // the database keeps deleted cases.
    void resetChoices(bool deletionMarks);
    // Plates for the vehicle list after "Alle"; a plate the list holds
    // already, in any case, is not added twice. Sorted inserts keep the order.
    void addPlates(const QStringList &plates);
    void insertPlate(const QString &plate);
    QString days() const;
    void setDays(const QString &days);
    // While the window loads or fills the boxes, their changes ask for nothing.
    void setQuiet(bool quiet) { m_quiet = quiet; }

    FilterInput input(bool overdue) const;
    // The printed list's subtitle "Fahrzeug: ... - Status: ... - Schadenart: ...".
    QString subtitle() const;

Q_SIGNALS:
    void changed();

private:
    void picked();

    QHBoxLayout *m_row = nullptr;
    QComboBox *m_cboAuto = nullptr;
    QComboBox *m_cboStatus = nullptr;
    QComboBox *m_cboSchadenart = nullptr;
    QLineEdit *m_txtTage = nullptr;
    bool m_quiet = false;
    bool m_deletionMarks = false;
    bool m_vehicleTextChanged = false;   // the current event already asked for the list
};

} // namespace list
