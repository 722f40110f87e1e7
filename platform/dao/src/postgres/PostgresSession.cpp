#include "PostgresSession.h"

#include "dao/ServerAddress.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cerrno>

#include <poll.h>
#include <sys/socket.h>

namespace dao::detail::pg {

Session::Session(PGconn *conn, QString address, bool readOnly, int patience)
    : m_conn(conn), m_address(std::move(address)), m_readOnly(readOnly), m_patience(patience)
{
}

Session::~Session() { close(); }

void Session::close()
{
    if (m_conn) {
        PQfinish(m_conn);
        m_conn = nullptr;
    }
}

void Session::configure()
{
    // A writer waits for another's transaction as long as SQLite waits for a
    // busy file. A statement that runs for nearly the patience is ended by
    // the server itself, so that it is told as what it is and not taken for
    // a silent server. Compiling a statement to machine code costs more than
    // reading the first rows of it that the program asks for; a large table
    // would pay it before its first row.
    run("SET client_min_messages = warning; SET DateStyle = ISO; SET jit = off; SET statement_timeout = "
        + QByteArray::number(m_patience * 833));
    applyLockWait();
    if (m_readOnly)
        run("SET default_transaction_read_only = on");
}

void Session::setLockWait(int milliseconds)
{
    m_lockWait = milliseconds;
    // Outside a transaction it goes with the next statement; inside one it
    // must not be undone with the transaction's end.
    if (!m_inTransaction) {
        m_lockWaitPending = true;
        return;
    }
    applyLockWait();
}

QByteArray Session::lockWaitSetting() const
{
    // 0 would mean no limit at all; 1 ms is as good as not waiting.
    return "SET lock_timeout = " + QByteArray::number(std::max(1, m_lockWait));
}

void Session::applyLockWait()
{
    m_lockWaitPending = false;
    send(lockWaitSetting(), nullptr);
}

void Session::reconnectIfGone()
{
    if (m_lostInTransaction)
        raiseLost(QStringLiteral("die offene Transaktion wurde verworfen"));
    if (PQstatus(m_conn) == CONNECTION_OK)
        return;
    PQreset(m_conn);
    // A pipeline the lost connection left unfinished has nothing to do with the new one.
    if (PQpipelineStatus(m_conn) != PQ_PIPELINE_OFF)
        PQexitPipelineMode(m_conn);
    ++m_generation;
    ++m_connection;
    m_closes.clear();
    if (PQstatus(m_conn) != CONNECTION_OK)
        raiseLost(withoutPasswordOf(m_address, serverMessage(m_conn, nullptr)));
    configure();
}

void Session::checkUsable(const QByteArray &statement, const Params &params)
{
    if (!m_conn)
        DBEngine::instance().raise(ErrObjectClosed, QStringLiteral("Objekt ungültig oder nicht mehr festgelegt."));
    if (!m_inTransaction)
        reconnectIfGone();
    else if (m_lostInTransaction)
        raiseLost(QStringLiteral("die offene Transaktion wurde verworfen"));
    const int expected = highestPlaceholder(statement);
    if (expected != params.size())
        DBEngine::instance().raise(
            ErrTooFewParameters,
            QStringLiteral("Die Anweisung erwartet %1 Parameter, übergeben wurden %2.").arg(expected).arg(params.size()));
}

Result Session::exec(const QByteArray &statement, const Params &params)
{
    if (!m_closes.empty() || m_lockWaitPending)
        return std::move(pipeline({{statement, params}}).front());
    checkUsable(statement, params);
    const BoundParams bound(params);
    return send(statement, &bound);
}

void Session::run(const QByteArray &statement)
{
    if (m_lostInTransaction)
        raiseLost(QStringLiteral("die offene Transaktion wurde verworfen"));
    if ((!m_closes.empty() || m_lockWaitPending) && !statement.contains(';')) {
        pipeline({{statement, {}}});
        return;
    }
    send(statement, nullptr);
}

std::vector<Result> Session::pipeline(const std::vector<Step> &steps)
{
    for (const Step &step : steps)
        checkUsable(step.statement, step.params);
    std::vector<BoundParams> bound;
    bound.reserve(steps.size());
    for (const Step &step : steps)
        bound.emplace_back(step.params);
    if (!PQenterPipelineMode(m_conn))
        failed(nullptr);
    sendDeferred();
    for (size_t i = 0; i < steps.size(); ++i)
        PQsendQueryParams(m_conn, steps[i].statement.constData(), bound[i].count(), bound[i].types(),
                          bound[i].values(), bound[i].lengths(), bound[i].formats(), 0);
    PQpipelineSync(m_conn);
    PQflush(m_conn);
    awaitDeferred();
    std::vector<Result> results;
    Result failure;
    bool refused = false;
    for (size_t i = 0; i < steps.size() && !m_silent; ++i) {
        Result result = nextResult();
        if (result)
            nextResult();   // the end of this statement's results
        const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
        if (!refused && status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            refused = true;
            failure = std::move(result);
        }
        results.push_back(std::move(result));
    }
    // The end of the statements' own transaction can fail too: a held
    // cursor's rows are gone through then.
    Result ending = awaitSync();
    if (!refused && ending) {
        refused = true;
        failure = std::move(ending);
    }
    if (m_silent)
        lost(QStringLiteral("der Server hat %1 s lang nicht geantwortet").arg(m_patience));
    PQexitPipelineMode(m_conn);
    if (refused || results.size() < steps.size())
        failed(failure.get());
    return results;
}

void Session::sendDeferred()
{
    // The setting has a transaction of its own: a failing close would undo it.
    m_settingSent = m_lockWaitPending;
    if (m_lockWaitPending) {
        PQsendQueryParams(m_conn, lockWaitSetting().constData(), 0, nullptr, nullptr, nullptr, nullptr, 0);
        PQpipelineSync(m_conn);
        m_lockWaitPending = false;
    }
    m_closesSent = 0;
    if (m_closes.empty())
        return;
    for (const Close &close : m_closes)
        PQsendQueryParams(m_conn, QByteArray("CLOSE " + close.cursor).constData(), 0, nullptr, nullptr, nullptr,
                          nullptr, 0);
    PQpipelineSync(m_conn);
    m_closesSent = int(m_closes.size());
    m_closes.clear();
}

void Session::awaitDeferred() noexcept
{
    if (m_settingSent && !m_silent) {
        nextResult();
        nextResult();
        awaitSync();
    }
    m_settingSent = false;
    // A cursor that could not be closed ends with the connection.
    for (int i = 0; i < m_closesSent && !m_silent; ++i) {
        nextResult();
        nextResult();
    }
    if (m_closesSent > 0)
        awaitSync();
    m_closesSent = 0;
}

Result Session::awaitSync() noexcept
{
    Result failure;
    bool ended = false;
    while (!m_silent) {
        Result next = nextResult();
        // Two ends in a row: nothing more comes, the connection is gone.
        if (!next) {
            if (ended || PQstatus(m_conn) == CONNECTION_BAD)
                break;
            ended = true;
            continue;
        }
        ended = false;
        const ExecStatusType status = PQresultStatus(next.get());
        if (status == PGRES_PIPELINE_SYNC)
            break;
        if (status == PGRES_FATAL_ERROR && !failure)
            failure = std::move(next);
    }
    return failure;
}

void Session::requireConnection()
{
    if (!m_conn || PQstatus(m_conn) != CONNECTION_OK)
        raiseLost(m_lostReason.isEmpty() ? withoutPasswordOf(m_address, serverMessage(m_conn, nullptr)) : m_lostReason);
}

Result Session::nextResult() noexcept
{
    m_silent = false;
    while (PQisBusy(m_conn)) {
        if (!awaitInput(m_patience * 1000)) {
            ::shutdown(PQsocket(m_conn), SHUT_RDWR);
            m_silent = true;
            return Result();
        }
        if (!PQconsumeInput(m_conn))
            break;
    }
    return Result(PQgetResult(m_conn));
}

bool Session::runQuietly(const char *statement) noexcept
{
    if (!m_conn || m_lostInTransaction || PQstatus(m_conn) != CONNECTION_OK || !PQsendQuery(m_conn, statement))
        return false;
    const Result result = collect();
    return result && PQresultStatus(result.get()) == PGRES_COMMAND_OK;
}

std::vector<Result> Session::begin(const char *statement, const std::vector<Step> &first)
{
    if (first.empty()) {
        run(statement);
        m_inTransaction = true;
        return {};
    }
    reconnectIfGone();
    std::vector<Step> steps{{statement, {}}};
    steps.insert(steps.end(), first.begin(), first.end());
    // What follows the start fails inside the transaction, which its end settles.
    m_inTransaction = true;
    std::vector<Result> results = pipeline(steps);
    results.erase(results.begin());
    return results;
}

void Session::forgetTransactionCursors()
{
    m_closes.erase(std::remove_if(m_closes.begin(), m_closes.end(), [](const Close &c) { return !c.held; }),
                   m_closes.end());
}

void Session::end(const char *statement)
{
    const bool lostOne = m_lostInTransaction;
    m_inTransaction = false;
    m_lostInTransaction = false;
    ++m_generation;
    // A server that went away has dropped the transaction with the connection.
    if (!lostOne && PQstatus(m_conn) == CONNECTION_OK)
        run(statement);
    forgetTransactionCursors();
}

void Session::endQuietly(const char *statement) noexcept
{
    const bool lostOne = m_lostInTransaction;
    m_inTransaction = false;
    m_lostInTransaction = false;
    ++m_generation;
    if (!lostOne)
        runQuietly(statement);
    forgetTransactionCursors();
}

Result Session::send(const QByteArray &statement, const BoundParams *params)
{
    const int sent = params ? PQsendQueryParams(m_conn, statement.constData(), params->count(), params->types(),
                                                params->values(), params->lengths(), params->formats(), 0)
                            : PQsendQuery(m_conn, statement.constData());
    Result result = sent ? collect() : Result();
    if (m_silent)
        lost(QStringLiteral("der Server hat %1 s lang nicht geantwortet").arg(m_patience));
    const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        failed(result.get());
    return result;
}

Result Session::collect() noexcept
{
    m_silent = false;
    Result kept;
    for (;;) {
        while (PQisBusy(m_conn)) {
            if (!awaitInput(m_patience * 1000)) {
                // Nothing more can come; libpq sees the connection end.
                ::shutdown(PQsocket(m_conn), SHUT_RDWR);
                m_silent = true;
            }
            if (!PQconsumeInput(m_conn))
                break;
        }
        Result next(PQgetResult(m_conn));
        if (!next)
            return m_silent ? Result() : std::move(kept);
        if (!kept || PQresultStatus(kept.get()) != PGRES_FATAL_ERROR)
            kept = std::move(next);
    }
}

bool Session::awaitInput(int milliseconds) const noexcept
{
    pollfd socket{PQsocket(m_conn), POLLIN, 0};
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        const int left = milliseconds - int(waited.elapsed());
        const int ready = ::poll(&socket, 1, std::max(0, left));
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

void Session::failed(const PGresult *result)
{
    const char *state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const QByteArray code = state ? QByteArray(state) : QByteArray();
    const QString message = withoutPasswordOf(m_address, serverMessage(m_conn, result));
    if (connectionGone(m_conn, code))
        lost(message);
    raiseServer(code, message);
}

void Session::lost(const QString &message)
{
    m_lostReason = message;
    if (m_inTransaction)
        m_lostInTransaction = true;
    raiseLost(message);
}

} // namespace dao::detail::pg
