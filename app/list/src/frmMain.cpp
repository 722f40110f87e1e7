#include "list/frmMain.h"

#include "list/CaseListModel.h"
#include "list/CaseRoads.h"
#include "list/CaseStore.h"
#include "list/GridColumns.h"
#include "list/ListActions.h"
#include "list/ListFilters.h"
#include "list/ListStatement.h"
#include "list/ListStatusBar.h"
#include "list/StoredListSettings.h"

#include "history/CaseDeletion.h"

#include "varnholt/Shutdown.h"
#include "varnholt/frmLogo.h"

#include "core/MessageService.h"
#include "core/Twips.h"
#include "core/UserSettings.h"
#include "core/WaitCursor.h"
#include "dao/Dao.h"

#include <QAction>
#include <QCloseEvent>
#include <QFont>
#include <QHeaderView>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

// Resources of a static library are registered by hand, outside any namespace.
static void initListResources()
{
    Q_INIT_RESOURCE(list);
}

namespace {

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

    m_filters = new list::ListFilters(central);
    connect(m_filters, &list::ListFilters::changed, this, [this] { ApplyFilter(false); });
    layout->addLayout(m_filters->row());

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

    m_status = new list::ListStatusBar(this);
    setStatusBar(m_status->bar());
}

void frmMain::Form_Load()
{
    setLoading(true);
    m_inLoad = true;
    try {
        m_sort = list::StoredListSettings::sort(m_db);
        m_filters->setDays(list::StoredListSettings::days());
        m_columns->setWidths(list::StoredListSettings::widths());

        core::UserSettings::restorePlacement(this, kMain);

        m_filters->clearVehicles();
        m_filters->resetChoices(history::marksDeletions(m_db));

        if (m_makeCaseForm)
            m_roads.setCaseForm(m_makeCaseForm(*this, this));

        FillVehicleList();
        setLoading(false);
        ApplyFilter(false);
    } catch (const list::WidthsError &error) {
        core::showMessage(QStringLiteral("Fehler beim Laden: %1: %2").arg(list::WidthsError::Number).arg(QString::fromUtf8(error.what())),
                          core::MsgIcon::None, core::MsgButtons::Ok, {}, this);
    } catch (const dao::DaoError &error) {
        reportError(error);
    }
    setLoading(false);
    m_inLoad = false;
}

void frmMain::setLoading(bool loading)
{
    m_loading = loading;
    m_filters->setQuiet(loading);
}

void frmMain::FillVehicleList()
{
    const QStringList plates = list::vehiclePlates(m_db);
    m_filters->addPlates(plates);
    if (!m_roads.caseForm())
        return;
    m_roads.caseForm()->clearVehicles();
    for (const QString &plate : plates)
        m_roads.caseForm()->addVehicle(plate);
}

void frmMain::addVehicle(const QString &plate)
{
    m_filters->insertPlate(plate);
}

void frmMain::ApplyFilter(bool bTermin)
{
    if (m_loading || m_unloaded)
        return;
    if (!bTermin && m_actions->overdue())
        m_actions->setOverdue(false);
    const list::FilterInput filter = m_filters->input(bTermin);
    m_actions->showDeleted(filter.statusIndex == list::DeletedCasesIndex);
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
    m_status->showCount(m_db, m_countStatement, m_countParams);

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
            m_roads.printList(shownRows(), m_filters->subtitle());
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
    m_status->stopClock();
    // The database closes next: nothing of the list may still read from it.
    m_model->release();
    m_unloaded = true;
    varnholt::shutdown(*this, list::StoredListSettings::toWrite(m_filters->days(), m_sort, m_columns->widths()));
    event->accept();
}
