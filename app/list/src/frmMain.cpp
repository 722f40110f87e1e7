#include "list/frmMain.h"

#include "list/CaseListModel.h"
#include "list/CaseStore.h"
#include "list/ListReport.h"
#include "list/ListStatement.h"

#include "export/ExportAction.h"
#include "history/CaseDeletion.h"
#include "report/GridSource.h"
#include "report/PrintRequest.h"

#include "varnholt/Shutdown.h"
#include "varnholt/frmLogo.h"
#include "varnholt/modMain.h"

#include "core/Clock.h"
#include "core/MessageService.h"
#include "core/Twips.h"
#include "core/UserSettings.h"
#include "core/WaitCursor.h"
#include "dao/Dao.h"
#include "vehicle/RecordRoads.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <optional>

// Resources of a static library are registered by hand, outside any namespace.
static void initListResources()
{
    Q_INIT_RESOURCE(list);
}

namespace {

const QString kDaten = QStringLiteral("Daten");
const QString kMain = QStringLiteral("Main");

// Design size and the smallest size the window may take, in twips.
constexpr int kDesignWidth = 16500;
constexpr int kDesignHeight = 7500;
constexpr int kMinimumWidth = 10000;
constexpr int kMinimumHeight = 5710;

constexpr int kVisibleColumns = 8;
constexpr int kSchadenColumn = 5;

} // namespace

frmMain::frmMain(dao::Database &db, varnholt::CaseFormFactory makeCaseForm, varnholt::PrintEntry print,
                 QWidget *parent)
    : QMainWindow(parent), m_db(db), m_makeCaseForm(std::move(makeCaseForm)), m_print(std::move(print))
{
    initListResources();
    buildWindow();
    Form_Load();
}

frmMain::~frmMain() = default;

QAction *frmMain::addButton(const QString &key, const QString &caption, const QString &icon)
{
    QAction *action = m_toolbar->addAction(QIcon(QStringLiteral(":/list/%1.png").arg(icon)), caption);
    action->setObjectName(key);
    action->setData(key);
    connect(action, &QAction::triggered, this, [this, key] { ButtonClick(key); });
    return action;
}

void frmMain::buildWindow()
{
    setWindowTitle(QStringLiteral("Varnholt"));
    // The stored column widths were made for the 8-point dialog font.
    setFont(QFont(QStringLiteral("Liberation Sans"), 8));
    setMinimumSize(core::twipsToPixels(kMinimumWidth), core::twipsToPixels(kMinimumHeight));
    resize(core::twipsToPixels(kDesignWidth), core::twipsToPixels(kDesignHeight));

    m_toolbar = addToolBar(QStringLiteral("tlbMain"));
    m_toolbar->setObjectName(QStringLiteral("tlbMain"));
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setIconSize(QSize(32, 32));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_toolbar->setContextMenuPolicy(Qt::PreventContextMenu);
    addButton(QStringLiteral("New"), QStringLiteral("Neu"), QStringLiteral("new"));
    addButton(QStringLiteral("Edit"), QStringLiteral("Bearbeiten"), QStringLiteral("edit"));
    addButton(QStringLiteral("Del"), QStringLiteral("Löschen"), QStringLiteral("delete"));
    m_restore = addButton(QStringLiteral("Restore"), QStringLiteral("Wiederherstellen"), QStringLiteral("new"));
    m_restore->setVisible(false);
    m_toolbar->addSeparator();
    addButton(QStringLiteral("Schaden"), QStringLiteral("Schaden"), QStringLiteral("schaden"))->setEnabled(bool(m_print));
    addButton(QStringLiteral("Fahrzeug"), QStringLiteral("Fahrzeug"), QStringLiteral("fahrzeug"));
    m_termin = addButton(QStringLiteral("Termin"), QStringLiteral("Termin"), QStringLiteral("termin"));
    m_termin->setCheckable(true);
    addButton(QStringLiteral("Print"), QStringLiteral("Liste"), QStringLiteral("liste"))->setEnabled(bool(m_print));
    addButton(QStringLiteral("Export"), QStringLiteral("Exportieren ..."), QStringLiteral("export"));
    m_toolbar->addSeparator();
    addButton(QStringLiteral("Info"), QStringLiteral("Info"), QStringLiteral("info"));
    addButton(QStringLiteral("Exit"), QStringLiteral("Beenden"), QStringLiteral("exit"));

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(3, 4, 2, 2);
    layout->setSpacing(5);

    auto *filters = new QHBoxLayout;
    filters->setSpacing(6);
    const auto label = [&](const QString &name, const QString &text, QWidget *buddy) {
        auto *l = new QLabel(text, central);
        l->setObjectName(name);
        l->setBuddy(buddy);
        return l;
    };
    m_cboAuto = new QComboBox(central);
    m_cboAuto->setObjectName(QStringLiteral("cboAuto"));
    m_cboAuto->setEditable(true);
    m_cboAuto->setInsertPolicy(QComboBox::NoInsert);
    m_cboAuto->setMinimumContentsLength(12);
    m_cboStatus = new QComboBox(central);
    m_cboStatus->setObjectName(QStringLiteral("cboStatus"));
    m_cboStatus->addItems({QStringLiteral("Alle"), QStringLiteral("Erledigt"), QStringLiteral("Nicht erledigt")});
    m_cboSchadenart = new QComboBox(central);
    m_cboSchadenart->setObjectName(QStringLiteral("cboSchadenart"));
    m_cboSchadenart->addItems({QStringLiteral("Alle"), QStringLiteral("Einzelschaden"), QStringLiteral("Kleinstschäden")});
    m_txtTage = new QLineEdit(central);
    m_txtTage->setObjectName(QStringLiteral("txtTage"));
    m_txtTage->setFixedWidth(core::twipsToPixels(600));
    m_txtTage->setAlignment(Qt::AlignRight);

    filters->addWidget(label(QStringLiteral("lblAuto"), QStringLiteral("Fahrzeug"), m_cboAuto));
    filters->addWidget(m_cboAuto);
    filters->addSpacing(12);
    filters->addWidget(label(QStringLiteral("lblStatus"), QStringLiteral("Status"), m_cboStatus));
    filters->addWidget(m_cboStatus);
    filters->addSpacing(12);
    filters->addWidget(label(QStringLiteral("lblSchadenart"), QStringLiteral("Schadenart"), m_cboSchadenart));
    filters->addWidget(m_cboSchadenart);
    filters->addSpacing(12);
    filters->addWidget(label(QStringLiteral("lblTermin"), QStringLiteral("Termin nach"), m_txtTage));
    filters->addWidget(m_txtTage);
    filters->addWidget(label(QStringLiteral("lblTagen"), QStringLiteral("Tagen"), m_txtTage));
    filters->addStretch(1);
    layout->addLayout(filters);

    m_model = new list::CaseListModel(m_db, this);
    // Told after the view's painting or scrolling that read the rows is over.
    connect(m_model, &list::CaseListModel::readFailed, this, [this](long number, const QString &description) {
        core::showMessage(QStringLiteral("Fehler beim Laden: %1: %2").arg(number).arg(description), core::MsgIcon::None,
                          core::MsgButtons::Ok, {}, this);
    }, Qt::QueuedConnection);
    m_grid = new QTableView(central);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setModel(m_model);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setWordWrap(false);
    m_columnScale = list::ColumnScale(m_grid->fontMetrics().averageCharWidth());
    m_grid->setSortingEnabled(false);
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    m_grid->verticalHeader()->setFixedWidth(14);
    QHeaderView *header = m_grid->horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setHighlightSections(false);
    header->setMinimumSectionSize(1);
    header->setStretchLastSection(false);
    connect(header, &QHeaderView::sectionClicked, this, &frmMain::HeadClick);
    connect(header, &QHeaderView::sectionResized, this, [this](int section, int, int size) {
        if (m_filling)
            return;
        if (section == kSchadenColumn)
            m_schadenOwnWidth = size;
        else
            fillSchadenColumn();
    });
    m_grid->viewport()->installEventFilter(this);
    connect(m_grid, &QAbstractItemView::doubleClicked, this, [this] {
        if (GetCurrentID())
            ButtonClick(QStringLiteral("Edit"));
    });
    layout->addWidget(m_grid, 1);
    setCentralWidget(central);
    SetColumn();

    auto *status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("barStatus"));
    status->setSizeGripEnabled(true);
    m_date = new QLabel(status);
    m_date->setObjectName(QStringLiteral("panDatum"));
    m_date->setToolTip(QStringLiteral("Aktuelles Datum"));
    m_time = new QLabel(status);
    m_time->setObjectName(QStringLiteral("panZeit"));
    m_time->setToolTip(QStringLiteral("Aktuelle Zeit"));
    m_count = new QLabel(status);
    m_count->setObjectName(QStringLiteral("panAnzahl"));
    m_count->setToolTip(QStringLiteral("Anzahl der aufgelisteten Schadensfälle"));
    status->addPermanentWidget(m_count);
    status->addPermanentWidget(m_date);
    status->addPermanentWidget(m_time);
    setStatusBar(status);
    m_clock = new QTimer(this);
    m_clock->setInterval(1000);
    connect(m_clock, &QTimer::timeout, this, &frmMain::updateClock);
    m_clock->start();
    updateClock();

    connectFilters();
}

void frmMain::connectFilters()
{
    // Typing in the vehicle box re-runs the list as it goes; picking the entry
    // already shown re-runs it too, but a pick that changed the text once only.
    connect(m_cboAuto, &QComboBox::editTextChanged, this, [this] {
        if (m_loading)
            return;
        m_vehicleTextChanged = true;
        QTimer::singleShot(0, this, [this] { m_vehicleTextChanged = false; });
        ApplyFilter(false);
    });
    connect(m_cboAuto, &QComboBox::activated, this, [this] {
        if (m_vehicleTextChanged)
            m_vehicleTextChanged = false;
        else
            comboClicked();
    });
    connect(m_cboStatus, &QComboBox::activated, this, &frmMain::comboClicked);
    connect(m_cboSchadenart, &QComboBox::activated, this, &frmMain::comboClicked);
}

void frmMain::comboClicked()
{
    if (!m_loading)
        ApplyFilter(false);
}

void frmMain::updateClock()
{
    const QDateTime now = core::Clock::now();
    m_date->setText(QStringLiteral(" ") + now.toString(QStringLiteral("dd.MM.yyyy")) + QStringLiteral(" "));
    m_time->setText(QStringLiteral(" ") + now.toString(QStringLiteral("HH:mm")) + QStringLiteral(" "));
}

void frmMain::Form_Load()
{
    m_loading = true;
    m_inLoad = true;
    try {
        QString column = varnholt::ReadIniValue(kDaten, QStringLiteral("SortSpalte"), list::SortState::DefaultColumn);
        // The name goes into the statement text: only a column of the cases will do.
        if (!list::SortState::isPlainName(column) || !m_db.TableHasColumn(QStringLiteral("Schaden"), column))
            column = list::SortState::DefaultColumn;
        const bool flag = core::leadingNumber(varnholt::ReadIniValue(kDaten, QStringLiteral("SortDesc"), QStringLiteral("0"))) != 0;
        m_sort = list::SortState(column, flag);
        m_txtTage->setText(varnholt::ReadIniValue(kDaten, QStringLiteral("Tage"), QStringLiteral("60")));

        m_columnWidths = list::parseColumnWidths(
            varnholt::ReadIniValue(kDaten, QStringLiteral("Spalten"), list::DefaultColumnWidthsText));

        core::UserSettings::restorePlacement(this, kMain);

        m_cboAuto->clear();
        m_cboAuto->addItem(QStringLiteral("Alle"));
        m_cboAuto->setCurrentIndex(0);
        m_deletionMarks = history::marksDeletions(m_db);
        if (m_deletionMarks && m_cboStatus->count() == list::DeletedCasesIndex)
            m_cboStatus->addItem(QStringLiteral("Gelöschte Vorgänge"));
        m_cboStatus->setCurrentIndex(0);
        m_cboSchadenart->setCurrentIndex(0);

        if (m_makeCaseForm)
            m_caseForm = m_makeCaseForm(*this, this);

        FillVehicleList();
        m_loading = false;
        ApplyFilter(false);
    } catch (const list::WidthsError &error) {
        core::showMessage(QStringLiteral("Fehler beim Laden: %1: %2").arg(list::WidthsError::Number).arg(QString::fromUtf8(error.what())),
                          core::MsgIcon::None, core::MsgButtons::Ok, {}, this);
    } catch (const dao::DaoError &error) {
        reportError(error);
    }
    m_loading = false;
    m_inLoad = false;
}

void frmMain::FillVehicleList()
{
    const QStringList plates = list::vehiclePlates(m_db);
    if (m_caseForm)
        m_caseForm->clearVehicles();
    for (const QString &plate : plates) {
        m_cboAuto->addItem(plate);
        if (m_caseForm)
            m_caseForm->addVehicle(plate);
    }
}

void frmMain::addVehicle(const QString &plate)
{
    if (plate.isEmpty() || m_cboAuto->findText(plate, Qt::MatchFixedString) > 0)
        return;
    int at = 1;
    while (at < m_cboAuto->count() && m_cboAuto->itemText(at).compare(plate, Qt::CaseInsensitive) < 0)
        ++at;
    const bool wasLoading = m_loading;
    m_loading = true;
    m_cboAuto->insertItem(at, plate);
    m_loading = wasLoading;
}

int frmMain::vehicleIndex() const
{
    // A typed plate counts as chosen when it is an entry of the list.
    return m_cboAuto->findText(m_cboAuto->currentText(), Qt::MatchFixedString);
}

void frmMain::ApplyFilter(bool bTermin)
{
    if (m_loading || m_unloaded)
        return;
    if (!bTermin && m_termin->isChecked())
        m_termin->setChecked(false);
    list::FilterInput filter;
    filter.overdue = bTermin;
    filter.days = m_txtTage->text();
    filter.vehicleIndex = vehicleIndex();
    filter.vehicle = m_cboAuto->currentText();
    filter.statusIndex = m_cboStatus->currentIndex();
    filter.deletionMarks = m_deletionMarks;
    showDeletedState(filter.statusIndex == list::DeletedCasesIndex);
    filter.kindIndex = m_cboSchadenart->currentIndex();
    const list::ListStatement statement = list::buildListStatement(filter, m_sort);
    m_model->setSource(statement);
    m_countStatement = statement.countText;
    m_countParams = statement.countParams;
    RefreshGrid(0);
}

void frmMain::RefreshGrid(long lID)
{
    if (m_unloaded)
        return;
    if (m_columnsShown)
        SaveColumnWidths();
    else
        m_columnsShown = true;
    if (m_model->statement().isEmpty())
        return;
    try {
        const core::WaitCursor wait;
        m_model->requery();
    } catch (const dao::DaoError &error) {
        SetColumn();
        reportError(error);
        return;
    }
    SetColumn();
    showSortIndicator();
    showCount();

    if (m_model->rowCount() == 0)
        return;
    int firstVisible = 1;
    while (firstVisible < kVisibleColumns && m_grid->isColumnHidden(firstVisible))
        ++firstVisible;
    m_grid->selectionModel()->setCurrentIndex(m_model->index(0, firstVisible),
                                              QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (lID == 0)
        return;
    const int row = [&] {
        const core::WaitCursor wait;
        return m_model->findCase(lID);
    }();
    if (row < 0)
        return;
    const QModelIndex found = m_model->index(row, firstVisible);
    m_grid->selectionModel()->setCurrentIndex(found, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_grid->scrollTo(found, QAbstractItemView::PositionAtCenter);
}

void frmMain::showCount()
{
    if (m_countStatement.isEmpty())
        return;
    try {
        m_count->setText(QStringLiteral(" ") + list::listedCasesText(list::countCases(m_db, m_countStatement, m_countParams)) +
                         QStringLiteral(" "));
    } catch (const dao::DaoError &) {
        // The list itself tells what failed; the count only goes blank.
        m_count->clear();
    }
}

void frmMain::fillSchadenColumn()
{
    QHeaderView *header = m_grid->horizontalHeader();
    if (header->isSectionHidden(kSchadenColumn) || m_schadenOwnWidth <= 0)
        return;
    int others = 0;
    for (int n = 1; n <= kVisibleColumns; ++n)
        if (n != kSchadenColumn && !header->isSectionHidden(n))
            others += header->sectionSize(n);
    const QScopedValueRollback filling(m_filling, true);
    header->resizeSection(kSchadenColumn, list::fillWidth(m_schadenOwnWidth, m_grid->viewport()->width(), others));
}

void frmMain::showPrinted(const QString &note)
{
    if (!note.isEmpty())
        statusBar()->showMessage(note);
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_grid->viewport() && event->type() == QEvent::Resize)
        fillSchadenColumn();
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::SaveColumnWidths()
{
    const QHeaderView *header = m_grid->horizontalHeader();
    for (int n = 1; n <= kVisibleColumns; ++n) {
        int pixels = header->isSectionHidden(n) ? 0 : header->sectionSize(n);
        // What the column fills beyond its own width belongs to the window.
        if (n == kSchadenColumn && pixels != 0)
            pixels = m_schadenOwnWidth;
        int &twips = m_columnWidths[size_t(n - 1)];
        twips = m_columnScale.keptOrMeasured(twips, pixels);
    }
}

void frmMain::SetColumn()
{
    QHeaderView *header = m_grid->horizontalHeader();
    m_grid->setColumnHidden(0, true);
    for (int n = 1; n <= kVisibleColumns; ++n) {
        const int twips = m_columnWidths[size_t(n - 1)];
        m_grid->setColumnHidden(n, twips == 0);
        if (twips != 0) {
            const QScopedValueRollback filling(m_filling, true);
            header->resizeSection(n, m_columnScale.toPixels(twips));
        }
    }
    m_schadenOwnWidth = m_columnScale.toPixels(m_columnWidths[size_t(kSchadenColumn - 1)]);
    fillSchadenColumn();
}

void frmMain::showSortIndicator()
{
    const QString field = list::SortState::fieldOf(m_sort.column());
    for (int section = 1; section < m_model->columnCount(); ++section) {
        if (!field.isEmpty() && m_model->headerData(section, Qt::Horizontal).toString().toUpper() == field) {
            m_grid->horizontalHeader()->setSortIndicator(section, m_sort.flag() ? Qt::AscendingOrder : Qt::DescendingOrder);
            return;
        }
    }
    m_grid->horizontalHeader()->setSortIndicator(-1, Qt::DescendingOrder);
}

bool frmMain::GetCurrentID()
{
    const QModelIndex current = m_grid->currentIndex();
    m_currentId = current.isValid() ? m_model->caseId(current.row()) : 0;
    return m_currentId != 0;
}

void frmMain::HeadClick(int column)
{
    const QString field = m_model->headerData(column, Qt::Horizontal).toString();
    if (m_sort.headerClicked(field))
        ApplyFilter(m_termin->isChecked());
}

void frmMain::showCaseForm()
{
    vehicle::RecordRoads::showForm(*m_caseForm);
}

void frmMain::ButtonClick(const QString &key)
{
    const auto is = [&](const char *name) { return key.compare(QLatin1String(name), Qt::CaseInsensitive) == 0; };
    if (is("New")) {
        if (!m_caseForm)
            return;
        showCaseForm();
        m_caseForm->FillSchaden(0);
    } else if (is("Edit")) {
        if (!m_caseForm || !GetCurrentID())
            return;
        showCaseForm();
        m_caseForm->FillSchaden(m_currentId);
    } else if (is("Del")) {
        deleteCurrentCase();
    } else if (is("Restore")) {
        restoreCurrentCase();
    } else if (is("Schaden")) {
        printCurrentCase();
    } else if (is("Fahrzeug")) {
        openVehicleRecord();
    } else if (is("Print")) {
        printList();
    } else if (is("Export")) {
        exportList();
    } else if (is("Termin")) {
        ApplyFilter(m_termin->isChecked());
    } else if (is("Info")) {
        varnholt::frmLogo about(this);
        about.exec();
    } else if (is("Exit")) {
        close();
    }
}

void frmMain::openVehicleRecord()
{
    if (!GetCurrentID())
        return;
    const vehicle::RecordRoads roads(m_caseForm, this, m_print);
    vehicle::openVehicleRecord(m_db, m_currentId, roads.opener(), roads.printer(), this);
}

void frmMain::printCurrentCase()
{
    if (!m_print || !GetCurrentID())
        return;
    report::requestCaseReport(m_currentId);
    showPrinted(m_print(this));
}

void frmMain::printList()
{
    if (!m_print || m_model->statement().isEmpty())
        return;
    SaveColumnWidths();
    // The report reads the list's rows through a snapshot of its own, in the
    // list's order and with the columns as wide as they are shown.
    std::optional<report::QueryGridSource> grid;
    long count = 0;
    try {
        const core::WaitCursor wait;
        grid.emplace(m_db, m_model->statement(), m_model->params(), list::reportColumns(m_columnWidths));
        count = grid->rowCount();
    } catch (const dao::DaoError &error) {
        reportError(error);
        return;
    }
    // The request must not point at the grid once it is gone.
    struct ForgetGrid {
        ~ForgetGrid() { report::gPrintGrid = nullptr; }
    } forget;
    report::requestListReport(
        *grid, count,
        report::listSubtitle(m_cboAuto->currentText(), m_cboStatus->currentText(), m_cboSchadenart->currentText()));
    showPrinted(m_print(this));
}

void frmMain::exportList()
{
    if (m_model->statement().isEmpty())
        return;
    SaveColumnWidths();
    // The export reads the list's rows afresh, in the list's order and with
    // the columns it shows.
    exporter::exportInteractively(this, m_db, {list::withAmounts(m_model->statement()), m_model->params(),
                                               list::exportColumns(m_columnWidths)});
}

void frmMain::deleteCurrentCase()
{
    if (!GetCurrentID())
        return;
    const bool changed = m_caseForm && m_caseForm->FormChanged();
    const long formCase = m_caseForm ? m_caseForm->CaseID() : 0;
    if (formCase == m_currentId && changed) {
        core::showMessage(QStringLiteral("Dieser Datensatz wird gerade bearbeitet'"), core::MsgIcon::Information,
                          core::MsgButtons::Ok, {}, this);
        showCaseForm();
        return;
    }
    const QString nr = m_model->text(m_grid->currentIndex().row(), 1);
    if (core::showMessage(QStringLiteral("Möchten Sie die Nummer '") + nr + QStringLiteral("' löschen ?"),
                          core::MsgIcon::Question, core::MsgButtons::YesNo, {}, this)
        != core::MsgAnswer::Yes)
        return;
    try {
        const core::WaitCursor wait;
        list::deleteCase(m_db, m_currentId);
    } catch (const dao::DaoError &error) {
        reportError(error);
        return;
    }
    RefreshGrid(0);
}

// The deleted cases are listed to be restored, not to be worked on.
void frmMain::showDeletedState(bool deleted)
{
    m_restore->setVisible(deleted);
    for (const char *key : {"New", "Edit", "Del"})
        if (QAction *action = m_toolbar->findChild<QAction *>(QLatin1String(key)))
            action->setEnabled(!deleted);
}

void frmMain::restoreCurrentCase()
{
    if (!GetCurrentID())
        return;
    const long id = m_currentId;
    try {
        const core::WaitCursor wait;
        history::restoreCase(m_db, id, core::Clock::now());
    } catch (const dao::DaoError &error) {
        reportError(error);
        return;
    }
    FillVehicleList();
    RefreshGrid(0);
}

void frmMain::reportError(const dao::DaoError &error)
{
    if (m_inLoad)
        core::showMessage(QStringLiteral("Fehler beim Laden: %1: %2").arg(error.number()).arg(error.description()),
                          core::MsgIcon::None, core::MsgButtons::Ok, {}, this);
    else
        core::showMessage(QStringLiteral("Folgender Fehler ist aufgetreten: ") + error.description(),
                          core::MsgIcon::None, core::MsgButtons::Ok, {}, this);
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (m_unloaded) {
        event->accept();
        return;
    }
    if (m_caseForm && !m_caseForm->FormSaved()) {
        event->ignore();
        return;
    }
    if (m_caseForm)
        m_caseForm->unload();
    if (m_columnsShown)
        SaveColumnWidths();
    m_clock->stop();
    // The database closes next: nothing of the list may still read from it.
    m_model->release();
    m_unloaded = true;
    varnholt::shutdown(*this, {m_txtTage->text(), m_sort.column(), m_sort.flag(), m_columnWidths});
    event->accept();
}
