#include "vehicle/frmFahrzeug.h"

#include "vehicle/MarkSheet.h"
#include "vehicle/RecordCasesModel.h"

#include "core/MessageService.h"
#include "core/UserSettings.h"
#include "core/WaitCursor.h"
#include "dao/Dao.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vehicle {
namespace {

const QString Placement = QStringLiteral("Fahrzeug");

QTableWidget *makeTable(const QStringList &headers, const char *name, QWidget *parent)
{
    auto *table = new QTableWidget(0, int(headers.size()), parent);
    table->setObjectName(QString::fromLatin1(name));
    table->setHorizontalHeaderLabels(headers);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

QTableWidgetItem *cell(const QString &text, bool number = false)
{
    auto *item = new QTableWidgetItem(text);
    if (number)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

} // namespace

frmFahrzeug::frmFahrzeug(VehicleRecord record, OpenCase openCase, Print print, QWidget *parent)
    : QWidget(parent, Qt::Window), m_record(std::move(record)), m_openCase(std::move(openCase)), m_print(std::move(print))
{
    setObjectName(QStringLiteral("frmFahrzeug"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Fahrzeugakte ") + m_record.plate());
    resize(980, 640);

    m_cases = new QTableView(this);
    m_cases->setObjectName(QStringLiteral("grdFaelle"));
    m_cases->setModel(new RecordCasesModel(m_record.cases(), m_cases));
    m_cases->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_cases->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_cases->setSelectionMode(QAbstractItemView::SingleSelection);
    m_cases->verticalHeader()->hide();
    m_cases->horizontalHeader()->setStretchLastSection(true);
    m_years = makeTable({QStringLiteral("Jahr"), QStringLiteral("Fälle"), QStringLiteral("Betrag"),
                         QStringLiteral("SB")}, "grdJahre", this);
    m_marks.reset({}, m_record.openMarks());
    m_sheet = new MarkSheet(m_marks, this);
    m_sheet->setOutline(m_record.outline());
    m_sheet->setLocked(true);

    auto *title = new QLabel(QStringLiteral("<b>%1</b> · %2 Schadensfälle · %3 nicht reparierte Schäden")
                                 .arg(m_record.plate().toHtmlEscaped())
                                 .arg(m_record.cases().size())
                                 .arg(m_record.openMarks().size()),
                             this);
    auto *printButton = new QPushButton(QStringLiteral("Drucken ..."), this);
    printButton->setObjectName(QStringLiteral("cmdDrucken"));
    printButton->setEnabled(bool(m_print));
    auto *closeButton = new QPushButton(QStringLiteral("Schließen"), this);
    closeButton->setObjectName(QStringLiteral("cmdSchliessen"));

    auto *right = new QWidget(this);
    auto *rightColumn = new QVBoxLayout(right);
    rightColumn->setContentsMargins(0, 0, 0, 0);
    rightColumn->addWidget(new QLabel(QStringLiteral("Nicht reparierte Schäden"), right));
    rightColumn->addWidget(m_sheet, 3);
    rightColumn->addWidget(new QLabel(QStringLiteral("Summen je Jahr"), right));
    rightColumn->addWidget(m_years, 2);
    auto *split = new QSplitter(this);
    split->addWidget(m_cases);
    split->addWidget(right);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(title, 1);
    buttons->addWidget(printButton);
    buttons->addWidget(closeButton);
    auto *column = new QVBoxLayout(this);
    column->addLayout(buttons);
    column->addWidget(split, 1);

    fillCases();
    fillYears();
    connect(m_cases, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        if (m_openCase && index.isValid() && index.row() < m_record.cases().size())
            m_openCase(m_record.cases().at(index.row()).id);
    });
    connect(printButton, &QPushButton::clicked, this, [this] { m_print(m_record, this); });
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    core::UserSettings::restorePlacement(this, Placement);
}

frmFahrzeug::~frmFahrzeug() = default;

void frmFahrzeug::closeEvent(QCloseEvent *event)
{
    core::UserSettings::savePlacement(this, Placement);
    event->accept();
}

void frmFahrzeug::fillCases()
{
    // Widths from the rows in view, not from every case.
    m_cases->horizontalHeader()->setResizeContentsPrecision(30);
    m_cases->resizeColumnsToContents();
    // The newest case in view: it is the one asked about.
    if (!m_record.cases().isEmpty())
        m_cases->scrollToBottom();
}

void frmFahrzeug::fillYears()
{
    const QList<VehicleRecord::YearSum> &years = m_record.years();
    m_years->setRowCount(int(years.size()));
    for (int row = 0; row < years.size(); ++row) {
        const VehicleRecord::YearSum &year = years.at(row);
        m_years->setItem(row, 0, cell(year.year ? QString::number(year.year) : QStringLiteral("ohne Datum")));
        m_years->setItem(row, 1, cell(QString::number(year.cases), true));
        m_years->setItem(row, 2, cell(VehicleRecord::money(year.amount), true));
        m_years->setItem(row, 3, cell(VehicleRecord::money(year.deductible), true));
    }
}

frmFahrzeug *openVehicleRecord(dao::Database &db, long caseId, frmFahrzeug::OpenCase openCase,
                               frmFahrzeug::Print print, QWidget *parent)
{
    QString plate;
    try {
        plate = VehicleRecord::vehicleOfCase(db, caseId).first;
    } catch (const dao::DaoError &error) {
        core::showMessage(QStringLiteral("Folgender Fehler ist aufgetreten: ") + error.description(),
                          core::MsgIcon::Critical, core::MsgButtons::Ok, {}, parent);
        return nullptr;
    }
    return openVehicleRecord(db, plate, std::move(openCase), std::move(print), parent);
}

frmFahrzeug *openVehicleRecord(dao::Database &db, const QString &plate, frmFahrzeug::OpenCase openCase,
                               frmFahrzeug::Print print, QWidget *parent)
{
    std::optional<VehicleRecord> record;
    try {
        const core::WaitCursor wait;
        if (!plate.trimmed().isEmpty())
            record = VehicleRecord::load(db, plate);
    } catch (const dao::DaoError &error) {
        core::showMessage(QStringLiteral("Folgender Fehler ist aufgetreten: ") + error.description(),
                          core::MsgIcon::Critical, core::MsgButtons::Ok, {}, parent);
        return nullptr;
    }
    if (!record) {
        core::showMessage(QStringLiteral("Für diesen Vorgang ist kein Fahrzeug eingetragen."),
                          core::MsgIcon::Information, core::MsgButtons::Ok, {}, parent);
        return nullptr;
    }
    auto *window = new frmFahrzeug(std::move(*record), std::move(openCase), std::move(print), parent);
    window->show();
    return window;
}

} // namespace vehicle
