#include "Cursor.h"

#include <QRegularExpression>
#include <QThread>

namespace dao {
namespace {

// A recordset source that names a table rather than a statement.
QString tableNameOf(const QString &source)
{
    static const QRegularExpression name(QStringLiteral(R"(^\s*(?:\[([^\]]+)\]|([\w]+))\s*$)"),
                                         QRegularExpression::UseUnicodePropertiesOption);
    const QRegularExpressionMatch m = name.match(source);
    if (!m.hasMatch())
        return {};
    return m.captured(1).isEmpty() ? m.captured(2) : m.captured(1);
}

[[noreturn]] void tableNotFound(const QString &table)
{
    DBEngine::instance().raise(ErrTableNotFound,
                               QStringLiteral("Die Tabelle oder Abfrage '%1' wurde nicht gefunden.").arg(table));
}

} // namespace

Transaction::~Transaction()
{
    if (m_done || !m_db.IsOpen() || m_db.TransactionDepth() == 0)
        return;
    try {
        m_db.Rollback();
    } catch (const DaoError &) {
        // Leaving a scope must not throw; the error collection keeps the cause.
    }
}

void Transaction::commit()
{
    m_db.CommitTrans();
    m_done = true;
}

namespace {

// The short lock wait of retryWhileLocked's tries, the usual one again after.
class StepLockWait {
public:
    explicit StepLockWait(detail::Connection &connection) : m_connection(connection)
    {
        m_connection.setLockWait(detail::StepLockWaitMs);
    }
    ~StepLockWait()
    {
        try {
            m_connection.setLockWait(detail::DefaultLockWaitMs);
        } catch (const DaoError &) {
            // A connection gone takes its setting with it; a new one starts with the usual wait.
        }
    }
    StepLockWait(const StepLockWait &) = delete;
    StepLockWait &operator=(const StepLockWait &) = delete;

private:
    detail::Connection &m_connection;
};

} // namespace

void retryWhileLocked(Database &db, const std::function<void()> &write, std::chrono::milliseconds patience)
{
    if (db.TransactionDepth() > 0) {
        write();
        return;
    }
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    // Tries that do not wait, so that the observer is told often enough to keep a window alive.
    const StepLockWait step(db.connection());
    for (;;) {
        try {
            write();
            return;
        } catch (const DaoError &error) {
            if (error.number() != ErrLocked || db.TransactionDepth() > 0)
                throw;
            const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
            if (waited >= patience)
                throw;
            const LockWaitObserver &observer = db.lockWaitObserver();
            if (observer && !observer(waited))
                DBEngine::instance().raise(ErrCancelled, QStringLiteral("Vorgang vom Benutzer abgebrochen."));
        }
        QThread::msleep(detail::StepPauseMs);
    }
}

LockWaitScope::LockWaitScope(Database &db, LockWaitObserver observer)
    : m_db(db), m_previous(db.lockWaitObserver())
{
    m_db.setLockWaitObserver(std::move(observer));
}

LockWaitScope::~LockWaitScope() { m_db.setLockWaitObserver(std::move(m_previous)); }

Database::Database(QString name, std::unique_ptr<detail::Connection> connection)
    : m_name(std::move(name)), m_connection(std::move(connection))
{
}

Database::~Database()
{
    Close();
}

QString Database::EngineName() const
{
    return m_connection ? m_connection->engineName() : QString();
}

bool Database::IsOpen() const { return m_connection && m_connection->isOpen(); }

void Database::requireOpen() const
{
    if (!IsOpen())
        DBEngine::instance().raise(ErrObjectClosed, QStringLiteral("Objekt ungültig oder nicht mehr festgelegt."));
}

detail::Connection &Database::connection()
{
    requireOpen();
    return *m_connection;
}

void Database::Close()
{
    if (!m_connection)
        return;
    while (!m_recordsets.empty())
        m_recordsets.back()->Close();
    m_begunRead.reset();
    if (m_transactionDepth > 0) {
        try {
            m_connection->rollback();
        } catch (const DaoError &) {
            // Closing goes on; the engine drops an open transaction anyway.
        }
        m_transactionDepth = 0;
    }
    m_connection->close();
    m_connection.reset();
}

std::unique_ptr<Recordset> Database::OpenRecordset(const QString &source, RecordsetType type,
                                                   RecordsetOption option, const Params &params)
{
    requireOpen();
    DBEngine::instance().clearErrors();
    const detail::Dialect &dialect = m_connection->dialect();
    const QString table = tableNameOf(source);
    std::unique_ptr<detail::Cursor> cursor;

    if (option == RecordsetOption::AppendOnly) {
        if (type != RecordsetType::Dynaset || table.isEmpty())
            DBEngine::instance().raise(ErrNotSupported,
                                       QStringLiteral("Dieser Vorgang wird für diesen Objekttyp nicht unterstützt."));
        QList<detail::ColumnInfo> columns = m_connection->tableColumns(table);
        if (columns.isEmpty())
            tableNotFound(table);
        cursor = std::make_unique<detail::Cursor>(std::move(columns));
        cursor->table = cursor->columns().first().table;
    } else {
        QString statement;
        if (!table.isEmpty()) {
            if (m_connection->tableColumns(table).isEmpty())
                tableNotFound(table);
            statement = QStringLiteral("SELECT * FROM ") + dialect.quoteIdentifier(table);
        } else {
            statement = dialect.translate(source);
        }
        const bool streamed = type == RecordsetType::ForwardOnly;
        cursor = std::make_unique<detail::Cursor>(m_connection->prepare(statement, params, streamed), !streamed);
        if (type == RecordsetType::Dynaset) {
            for (const detail::ColumnInfo &column : cursor->columns())
                if (!column.table.isEmpty()) {
                    cursor->table = column.table;
                    break;
                }
            if (!cursor->table.isEmpty()) {
                const QStringList key = m_connection->primaryKey(cursor->table);
                for (const QString &keyColumn : key) {
                    for (int i = 0; i < cursor->columns().size(); ++i) {
                        const detail::ColumnInfo &column = cursor->columns()[i];
                        if (column.table.compare(cursor->table, Qt::CaseInsensitive) == 0
                            && column.origin.compare(keyColumn, Qt::CaseInsensitive) == 0) {
                            cursor->keyColumns.push_back(i);
                            break;
                        }
                    }
                }
                if (key.isEmpty() || cursor->keyColumns.size() != size_t(key.size()))
                    cursor->keyColumns.clear();
            }
        }
    }
    std::unique_ptr<Recordset> rs(new Recordset(this, type, option, std::move(cursor)));
    m_recordsets.push_back(rs.get());
    return rs;
}

long Database::Execute(const QString &statement, const Params &params)
{
    requireOpen();
    DBEngine::instance().clearErrors();
    return m_connection->execute(m_connection->dialect().translate(statement), params);
}

void Database::BeginTrans()
{
    requireOpen();
    DBEngine::instance().clearErrors();
    if (m_transactionDepth == 0)
        m_connection->begin();
    else
        m_connection->savepoint(QStringLiteral("dao_level_%1").arg(m_transactionDepth));
    ++m_transactionDepth;
}

void Database::BeginTrans(const QString &statement, const Params &params)
{
    if (m_transactionDepth > 0) {
        BeginTrans();
        return;
    }
    requireOpen();
    DBEngine::instance().clearErrors();
    std::unique_ptr<detail::Statement> rows =
        m_connection->beginReading(m_connection->dialect().translate(statement), params);
    m_begunRead = BegunRead{statement, params, std::move(rows)};
    ++m_transactionDepth;
}

std::unique_ptr<Recordset> Database::TakeBegunRead(const QString &statement, const Params &params)
{
    if (!m_begunRead || m_begunRead->statement != statement || m_begunRead->params != params)
        return nullptr;
    auto cursor = std::make_unique<detail::Cursor>(std::move(m_begunRead->rows), false);
    m_begunRead.reset();
    std::unique_ptr<Recordset> rs(new Recordset(this, RecordsetType::ForwardOnly, RecordsetOption::None,
                                                std::move(cursor)));
    m_recordsets.push_back(rs.get());
    return rs;
}

void Database::CommitTrans()
{
    requireOpen();
    DBEngine::instance().clearErrors();
    if (m_transactionDepth == 0)
        DBEngine::instance().raise(ErrNoTransaction,
                                   QStringLiteral("Übernehmen oder Rückgängigmachen ohne BeginTrans."));
    if (m_transactionDepth == 1) {
        m_begunRead.reset();
        m_connection->commit();
    }
    else
        m_connection->release(QStringLiteral("dao_level_%1").arg(m_transactionDepth - 1));
    --m_transactionDepth;
}

void Database::Rollback()
{
    requireOpen();
    DBEngine::instance().clearErrors();
    if (m_transactionDepth == 0)
        DBEngine::instance().raise(ErrNoTransaction,
                                   QStringLiteral("Übernehmen oder Rückgängigmachen ohne BeginTrans."));
    --m_transactionDepth;
    if (m_transactionDepth == 0) {
        m_begunRead.reset();
        m_connection->rollback();
    } else {
        const QString name = QStringLiteral("dao_level_%1").arg(m_transactionDepth);
        m_connection->rollbackTo(name);
        m_connection->release(name);
    }
}

QStringList Database::QueryPlan(const QString &statement, const Params &params)
{
    requireOpen();
    return m_connection->queryPlan(m_connection->dialect().translate(statement), params);
}

bool Database::TableHasColumn(const QString &table, const QString &column)
{
    requireOpen();
    for (const detail::ColumnInfo &info : m_connection->tableColumns(table))
        if (info.name.compare(column, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace dao
