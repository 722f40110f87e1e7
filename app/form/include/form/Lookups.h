#pragma once

#include <QString>
#include <QVariant>

#include <optional>

class QComboBox;

namespace dao {
class Database;
}

namespace form {

// The distinct values of one column of Schaden, for an editable combo box.
void fillPickList(dao::Database &db, QComboBox &combo, const QString &column);
// Every customer name with its number as item data (0 when it has none);
// a name that occurs with two numbers is listed twice.
void fillCustomerList(dao::Database &db, QComboBox &combo);
// True when no case holds text in column yet.
bool isNewPickValue(dao::Database &db, const QString &column, const QString &text);

struct VehicleDetails {
    QString type;
    QString parkingPlace;
};
// Type and parking place from the first case of the vehicle that has a parking place.
std::optional<VehicleDetails> lookUpVehicle(dao::Database &db, const QString &plate);

// The number a new attachment gets: one more than the largest there is. The
// number is reserved at once by an empty row of that ID, written in the same
// write transaction as the read, so that no other workstation is given it
// and the attachment's save only fills the row in.
long reserveObjektId(dao::Database &db);

// The customer number of a text as typed or stored: its leading number
// without a fraction ("12ab" -> 12), 0 for none and for one beyond any
// customer number.
long customerNumber(const QString &text);
// The customer number box as the program reads it: its leading number in
// plain decimal ("007" -> "7", "12ab" -> "12"), empty for none, for 0 and
// for one beyond any customer number.
QString customerNumberText(const QString &typed);
// The first entry whose item data is the customer number, -1 for none.
int findCustomer(const QComboBox &combo, long number);

// The entry shown in a combo box, or -1 when its text was typed.
int selectedEntry(const QComboBox &combo);

} // namespace form
