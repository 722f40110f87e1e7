#include "list/CaseListModel.h"

#include <QDateTime>

#include <algorithm>

namespace list {
namespace {

constexpr int kCentredColumns[] = {3, 6, 8};

const char16_t *const kCaptions[CaseListModel::ColumnCount] = {
    u"ID", u"Nr", u"Auto", u"Datum", u"Kunde", u"Schaden", u"Erledigt", u"Reparatur", u"Bilder"};

Qt::Alignment alignmentOf(int column)
{
    for (int centred : kCentredColumns) {
        if (column == centred)
            return Qt::AlignCenter;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

QString displayText(const QVariant &value)
{
    if (dao::isNull(value))
        return {};
    if (value.typeId() == QMetaType::QDateTime) {
        const QDateTime moment = value.toDateTime();
        if (moment.time() == QTime(0, 0))
            return moment.toString(QStringLiteral("dd.MM.yyyy"));
        return moment.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    }
    QString text = value.toString();
    // A description of several lines shows as one in its cell.
    if (text.contains(u'\n') || text.contains(u'\r')) {
        text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        text.replace(u'\n', u' ');
        text.replace(u'\r', u' ');
    }
    return text;
}

} // namespace

CaseListModel::CaseListModel(dao::Database &db, QObject *parent) : QAbstractTableModel(parent), m_db(db) {}

CaseListModel::~CaseListModel() = default;

void CaseListModel::setSource(const QString &statement, const dao::Params &params)
{
    m_statement = statement;
    m_params = params;
    m_paging.reset();
}

void CaseListModel::setSource(const ListStatement &statement)
{
    m_statement = statement.text;
    m_params = statement.params;
    m_paging.emplace(statement);
}

void CaseListModel::release()
{
    beginResetModel();
    m_pages.clear();
    m_rows = 0;
    m_read = 0;
    m_atEnd = true;
    m_failureTold = false;
    m_rowOfCase.clear();
    endResetModel();
}

void CaseListModel::requery()
{
    release();
    Page page;
    if (m_paging) {
        const ListPages::Page first = m_paging->first();
        page.rs = m_db.OpenRecordset(first.text, dao::RecordsetType::Snapshot, dao::RecordsetOption::None, first.params);
    } else {
        page.rs = m_db.OpenRecordset(m_statement, dao::RecordsetType::Snapshot, dao::RecordsetOption::None, m_params);
    }
    m_atEnd = page.rs->IsEOF();
    page.position = m_atEnd ? -1 : 0;
    if (m_paging && !m_atEnd)
        m_nullsLead = dao::isNull(page.rs->Fields(page.rs->FieldCount() - 1).Value());
    m_pages.push_back(std::move(page));
    fetchMore();
}

const CaseListModel::Page *CaseListModel::pageOf(long row) const
{
    auto after = std::upper_bound(m_pages.begin(), m_pages.end(), row,
                                  [](long r, const Page &page) { return r < page.first; });
    if (after == m_pages.begin())
        return nullptr;
    return &*(after - 1);
}

bool CaseListModel::moveTo(const Page &page, long row)
{
    dao::Recordset &rs = *page.rs;
    if (row < 0)
        return false;
    if (page.position < 0 || row < page.position - row) {
        if (rs.RecordCount() == 0 && rs.IsEOF())
            return false;
        rs.MoveFirst();
        page.position = 0;
    }
    while (page.position < row) {
        rs.MoveNext();
        if (rs.IsEOF()) {
            page.position = -1;
            return false;
        }
        ++page.position;
    }
    while (page.position > row) {
        rs.MovePrevious();
        --page.position;
    }
    return true;
}

bool CaseListModel::readNext()
{
    for (;;) {
        Page &page = m_pages.back();
        if (!page.complete) {
            if (moveTo(page, m_read - page.first)) {
                ++page.read;
                return true;
            }
            page.complete = true;
        }
        if (!openNextPage())
            return false;
    }
}

bool CaseListModel::openNextPage()
{
    const Page &last = m_pages.back();
    const int pages = int(m_pages.size());
    // A page with fewer rows than it asked for was the list's last.
    if (!m_paging || last.read < ListPages::rowsOfPage(pages - 1))
        return false;
    if (!moveTo(last, last.read - 1))
        return false;
    const QVariant sortValue = last.rs->Fields(last.rs->FieldCount() - 1).Value();
    const qlonglong id = last.rs->Fields(0).Value().toLongLong();
    const ListPages::Page next = m_paging->after(sortValue, id, m_nullsLead, pages);
    Page page;
    page.rs = m_db.OpenRecordset(next.text, dao::RecordsetType::Snapshot, dao::RecordsetOption::None, next.params);
    page.first = m_read;
    const bool empty = page.rs->IsEOF();
    page.position = empty ? -1 : 0;
    m_pages.push_back(std::move(page));
    return !empty;
}

template <typename Enough>
void CaseListModel::readOn(Enough enough)
{
    if (m_atEnd || m_pages.empty())
        return;
    try {
        while (!enough()) {
            if (!readNext()) {
                m_atEnd = true;
                break;
            }
            const Page &page = m_pages.back();
            m_rowOfCase.insert(page.rs->Fields(0).Value().toLongLong(), int(m_read));
            ++m_read;
        }
    } catch (const dao::DaoError &error) {
        // A statement that fails half-way shows the rows it gave, and says so.
        m_atEnd = true;
        tellFailure(error);
    }
    if (m_read > m_rows) {
        beginInsertRows({}, m_rows, int(m_read) - 1);
        m_rows = int(m_read);
        endInsertRows();
    }
}

void CaseListModel::fetchMore(const QModelIndex &parent)
{
    if (parent.isValid())
        return;
    const long target = m_rows + FetchBatch;
    readOn([&] { return m_read >= target; });
}

bool CaseListModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && (!m_atEnd || m_read > m_rows);
}

int CaseListModel::findCase(long id)
{
    auto found = m_rowOfCase.constFind(id);
    if (found == m_rowOfCase.constEnd()) {
        readOn([&] { return m_rowOfCase.contains(id); });
        found = m_rowOfCase.constFind(id);
        if (found == m_rowOfCase.constEnd())
            return -1;
    }
    return *found;
}

QVariant CaseListModel::value(int row, int column) const
{
    if (row < 0 || row >= m_rows || column < 0 || column >= ColumnCount)
        return {};
    const Page *page = pageOf(row);
    if (!page)
        return {};
    try {
        if (!moveTo(*page, row - page->first) || column >= page->rs->FieldCount())
            return {};
        return page->rs->Fields(column).Value();
    } catch (const dao::DaoError &error) {
        page->position = -1;
        tellFailure(error);
        return {};
    }
}

void CaseListModel::tellFailure(const dao::DaoError &error) const
{
    if (m_failureTold)
        return;
    m_failureTold = true;
    // Reading happens for the views, also while they paint: whoever listens
    // tells the user once that is over (a queued connection).
    emit const_cast<CaseListModel *>(this)->readFailed(error.number(), error.description());
}

long CaseListModel::caseId(int row) const
{
    return long(value(row, 0).toLongLong());
}

QString CaseListModel::text(int row, int column) const
{
    return displayText(value(row, column));
}

int CaseListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int CaseListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CaseListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return text(index.row(), index.column());
    case Qt::ToolTipRole:
        // The description is often longer than its column.
        if (index.column() == 5)
            return value(index.row(), index.column());
        return {};
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(alignmentOf(index.column()));
    default:
        return {};
    }
}

QVariant CaseListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    // The rows' header is a plain record selector, without numbers.
    if (orientation == Qt::Vertical)
        return {};
    if (section < 0 || section >= ColumnCount)
        return {};
    if (role == Qt::DisplayRole) {
        if (!m_pages.empty() && section < m_pages.front().rs->FieldCount())
            return m_pages.front().rs->Fields(section).Name();
        return QString::fromUtf16(kCaptions[section]);
    }
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(alignmentOf(section));
    return {};
}

} // namespace list
