#pragma once

#include "vehicle/MarkSet.h"
#include "vehicle/VehicleRecord.h"

#include <QWidget>

#include <functional>

class QTableView;
class QTableWidget;

namespace dao {
class Database;
}

namespace vehicle {

class MarkSheet;

// The window "Fahrzeugakte" of one registration: its cases, the sums per
// year and the diagram with every mark not repaired. A double-click on a
// case opens it through openCase; "Drucken" prints through print.
class frmFahrzeug : public QWidget {
    Q_OBJECT
public:
    using OpenCase = std::function<void(long caseId)>;
    using Print = std::function<void(const VehicleRecord &record, QWidget *parent)>;

    frmFahrzeug(VehicleRecord record, OpenCase openCase, Print print, QWidget *parent = nullptr);
    ~frmFahrzeug() override;

    const VehicleRecord &record() const { return m_record; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void fillCases();
    void fillYears();

    VehicleRecord m_record;
    OpenCase m_openCase;
    Print m_print;
    MarkSet m_marks;
    QTableView *m_cases = nullptr;
    QTableWidget *m_years = nullptr;
    MarkSheet *m_sheet = nullptr;
};

} // namespace vehicle

namespace vehicle {

// Opens the record of the vehicle of case caseId as a window of parent's;
// a case without a plate or a failed read is told. The window, or null.
frmFahrzeug *openVehicleRecord(dao::Database &db, long caseId, frmFahrzeug::OpenCase openCase,
                               frmFahrzeug::Print print, QWidget *parent);
// The same for a plate as typed.
frmFahrzeug *openVehicleRecord(dao::Database &db, const QString &plate, frmFahrzeug::OpenCase openCase,
                               frmFahrzeug::Print print, QWidget *parent);

} // namespace vehicle
