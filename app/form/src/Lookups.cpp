#include "form/Lookups.h"

#include "core/NumberText.h"
#include "core/Twips.h"
#include "dao/Dao.h"

#include <QComboBox>

#include <cmath>

namespace form {

void fillPickList(dao::Database &db, QComboBox &combo, const QString &column)
{
    combo.clear();
    auto rs = db.OpenRecordset(QStringLiteral("Select Distinct ") + column
                                   + QStringLiteral(" COLLATE German as Key From Schaden where ") + column
                                   + QStringLiteral(" is not Null order by 1"),
                               dao::RecordsetType::ForwardOnly);
    for (; !rs->IsEOF(); rs->MoveNext())
        combo.addItem(rs->Value(QStringLiteral("Key")).toString());
    rs->Close();
}

void fillCustomerList(dao::Database &db, QComboBox &combo)
{
    combo.clear();
    auto rs = db.OpenRecordset(QStringLiteral("Select Distinct Kundenname COLLATE German as Kundenname,Kundennummer "
                                              "as Key From Schaden where Kundenname is not Null order by 1"),
                               dao::RecordsetType::ForwardOnly);
    for (; !rs->IsEOF(); rs->MoveNext()) {
        const QVariant key = rs->Value(QStringLiteral("Key"));
        const long number = dao::isNull(key) ? 0 : customerNumber(key.toString());
        combo.addItem(rs->Value(QStringLiteral("Kundenname")).toString(), QVariant::fromValue<qlonglong>(number));
    }
    rs->Close();
}

bool isNewPickValue(dao::Database &db, const QString &column, const QString &text)
{
    auto rs = db.OpenRecordset(QStringLiteral("Select ") + column + QStringLiteral(" as Key From Schaden where ") + column
                                   + QStringLiteral("=?"),
                               dao::RecordsetType::ForwardOnly, dao::RecordsetOption::None, {text});
    const bool isNew = rs->IsEOF();
    rs->Close();
    return isNew;
}

std::optional<VehicleDetails> lookUpVehicle(dao::Database &db, const QString &plate)
{
    auto rs = db.OpenRecordset(
        QStringLiteral("Select Fahrzeugtyp,Stellplatz From Schaden where EigenKZ=? and Stellplatz is not Null"),
        dao::RecordsetType::Snapshot, dao::RecordsetOption::None, {plate});
    std::optional<VehicleDetails> found;
    if (!rs->IsEOF())
        found = VehicleDetails{rs->Value(QStringLiteral("Fahrzeugtyp")).toString(),
                               rs->Value(QStringLiteral("Stellplatz")).toString()};
    rs->Close();
    return found;
}

long reserveObjektId(dao::Database &db)
{
    long id = 0;
    dao::retryWhileLocked(db, [&] {
        dao::Transaction tx(db);
        auto rs = db.OpenRecordset(QStringLiteral("Select Max(ID) FROM Objekt"), dao::RecordsetType::Snapshot);
        const QVariant highest = rs->Fields(0).Value();
        rs->Close();
        id = long(dao::isNull(highest) ? 0 : highest.toLongLong()) + 1;
        db.Execute(QStringLiteral("INSERT INTO Objekt (ID) VALUES (?)"), {qlonglong(id)});
        tx.commit();
    });
    return id;
}

long customerNumber(const QString &text)
{
    return core::roundedInteger<long>(std::trunc(core::leadingNumber(text))).value_or(0);
}

QString customerNumberText(const QString &typed)
{
    const double number = core::leadingNumber(typed);
    if (number == 0 || !core::roundedInteger<long>(std::trunc(number)))
        return {};
    return core::shortestText(number);
}

int findCustomer(const QComboBox &combo, long number)
{
    for (int i = 0; i < combo.count(); ++i)
        if (combo.itemData(i).toLongLong() == number)
            return i;
    return -1;
}

int selectedEntry(const QComboBox &combo)
{
    const int index = combo.currentIndex();
    if (index >= 0 && combo.isEditable() && combo.itemText(index) != combo.currentText())
        return -1;
    return index;
}

} // namespace form
