#include "list/CaseListModel.h"

#include <QDateTime>

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
}

void CaseListModel::release()
{
    beginResetModel();
    m_rs.reset();
    m_position = -1;
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
    m_rs = m_db.OpenRecordset(m_statement, dao::RecordsetType::Snapshot, dao::RecordsetOption::None, m_params);
    m_atEnd = m_rs->IsEOF();
    m_position = m_atEnd ? -1 : 0;
    fetchMore();
}

bool CaseListModel::moveTo(long row) const
{
    if (!m_rs || row < 0)
        return false;
    if (m_position < 0 || row < m_position - row) {
        if (m_rs->RecordCount() == 0 && m_rs->IsEOF())
            return false;
        m_rs->MoveFirst();
        m_position = 0;
    }
    while (m_position < row) {
        m_rs->MoveNext();
        if (m_rs->IsEOF()) {
            m_position = -1;
            return false;
        }
        ++m_position;
    }
    while (m_position > row) {
        m_rs->MovePrevious();
        --m_position;
    }
    return true;
}

template <typename Enough>
void CaseListModel::readOn(Enough enough)
{
    if (m_atEnd || !m_rs)
        return;
    try {
        while (!enough()) {
            if (!moveTo(m_read)) {
                m_atEnd = true;
                break;
            }
            m_rowOfCase.insert(m_rs->Fields(0).Value().toLongLong(), int(m_read));
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
    try {
        if (!moveTo(row) || column >= m_rs->FieldCount())
            return {};
        return m_rs->Fields(column).Value();
    } catch (const dao::DaoError &error) {
        m_position = -1;
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
        if (m_rs && section < m_rs->FieldCount())
            return m_rs->Fields(section).Name();
        return QString::fromUtf16(kCaptions[section]);
    }
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(alignmentOf(section));
    return {};
}

} // namespace list
