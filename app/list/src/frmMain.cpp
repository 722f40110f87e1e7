#include "list/frmMain.h"

#include "list/CaseListModel.h"
#include "list/CaseRoads.h"
#include "list/CaseStore.h"
#include "list/GridColumns.h"
#include "list/ListActions.h"
#include "list/ListStatement.h"

#include "history/CaseDeletion.h"
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

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

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

} // namespace

frmMain::frmMain(dao::Database &db, varnholt::CaseFormFactory makeCaseForm, varnholt::PrintEntry print,
                 QWidget *parent)
    : QMainWindow(parent), m_db(db), m_makeCaseForm(std::move(makeCaseForm)), m_roads(db, std::move(print), *this, this)
{
    initListResources();
    buildWindow();
    Form_Load();
}

frmMain::~frmMain() = default;

const list::ColumnWidths &frmMain::columnWidths() const
{
    return m_columns->widths();
}

const list::ColumnScale &frmMain::columnScale() const
{
    return m_columns->scale();
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
    m_actions = new list::ListActions(*m_toolbar, m_roads.canPrint());
    connect(m_actions, &list::ListActions::triggered, this, &frmMain::ButtonClick);

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
    m_columns = new list::GridColumns(*m_grid);
    connect(m_grid, &QAbstractItemView::doubleClicked, this, [this] {
        if (GetCurrentID())
            ButtonClick(QStringLiteral("Edit"));
    });
    layout->addWidget(m_grid, 1);
    setCentralWidget(central);
    m_columns->apply();

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

        m_columns->setWidths(list::parseColumnWidths(
            varnholt::ReadIniValue(kDaten, QStringLiteral("Spalten"), list::DefaultColumnWidthsText)));

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
            m_roads.setCaseForm(m_makeCaseForm(*this, this));

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
    if (m_roads.caseForm())
        m_roads.caseForm()->clearVehicles();
    for (const QString &plate : plates) {
        m_cboAuto->addItem(plate);
        if (m_roads.caseForm())
            m_roads.caseForm()->addVehicle(plate);
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
    if (!bTermin && m_actions->overdue())
        m_actions->setOverdue(false);
    list::FilterInput filter;
    filter.overdue = bTermin;
    filter.days = m_txtTage->text();
    filter.vehicleIndex = vehicleIndex();
    filter.vehicle = m_cboAuto->currentText();
    filter.statusIndex = m_cboStatus->currentIndex();
    filter.deletionMarks = m_deletionMarks;
    m_actions->showDeleted(filter.statusIndex == list::DeletedCasesIndex);
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
        m_columns->measure();
    else
        m_columnsShown = true;
    if (m_model->statement().isEmpty())
        return;
    try {
        const core::WaitCursor wait;
        m_model->requery();
    } catch (const dao::DaoError &error) {
        m_columns->apply();
        reportError(error);
        return;
    }
    m_columns->apply();
    m_columns->showSortIndicator(list::SortState::fieldOf(m_sort.column()), m_sort.flag());
    showCount();

    if (m_model->rowCount() == 0)
        return;
    const int firstVisible = m_columns->firstShown();
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

void frmMain::showPrinted(const QString &note)
{
    if (!note.isEmpty())
        statusBar()->showMessage(note);
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
        ApplyFilter(m_actions->overdue());
}

void frmMain::ButtonClick(const QString &key)
{
    const auto is = [&](const char *name) { return key.compare(QLatin1String(name), Qt::CaseInsensitive) == 0; };
    if (is("New")) {
        m_roads.open(0);
    } else if (is("Edit")) {
        if (m_roads.caseForm() && GetCurrentID())
            m_roads.open(m_currentId);
    } else if (is("Del")) {
        if (GetCurrentID() && m_roads.remove(m_currentId, m_model->text(m_grid->currentIndex().row(), 1)))
            RefreshGrid(0);
    } else if (is("Restore")) {
        if (GetCurrentID() && m_roads.restore(m_currentId)) {
            FillVehicleList();
            RefreshGrid(0);
        }
    } else if (is("Schaden")) {
        if (m_roads.canPrint() && GetCurrentID())
            m_roads.printCase(m_currentId);
    } else if (is("Fahrzeug")) {
        if (GetCurrentID())
            m_roads.openVehicle(m_currentId);
    } else if (is("Print")) {
        if (m_roads.canPrint() && !m_model->statement().isEmpty())
            m_roads.printList(shownRows(), report::listSubtitle(m_cboAuto->currentText(), m_cboStatus->currentText(),
                                                                m_cboSchadenart->currentText()));
    } else if (is("Export")) {
        if (!m_model->statement().isEmpty())
            m_roads.exportList(shownRows());
    } else if (is("Termin")) {
        ApplyFilter(m_actions->overdue());
    } else if (is("Info")) {
        varnholt::frmLogo about(this);
        about.exec();
    } else if (is("Exit")) {
        close();
    }
}

list::ListRows frmMain::shownRows()
{
    m_columns->measure();
    return {m_model->statement(), m_model->params(), m_columns->widths()};
}

void frmMain::reportError(const dao::DaoError &error)
{
    list::CaseRoads::reportError(error, m_inLoad, this);
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (m_unloaded) {
        event->accept();
        return;
    }
    if (m_roads.caseForm() && !m_roads.caseForm()->FormSaved()) {
        event->ignore();
        return;
    }
    if (m_roads.caseForm())
        m_roads.caseForm()->unload();
    if (m_columnsShown)
        m_columns->measure();
    m_clock->stop();
    // The database closes next: nothing of the list may still read from it.
    m_model->release();
    m_unloaded = true;
    varnholt::shutdown(*this, {m_txtTage->text(), m_sort.column(), m_sort.flag(), m_columns->widths()});
    event->accept();
}
