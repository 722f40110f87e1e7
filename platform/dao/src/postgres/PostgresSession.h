#pragma once

#include "PostgresSupport.h"

namespace dao::detail::pg {

// One connection to the server and the state of its transaction. Every
// answer is waited for at most the patience: a server that says nothing for
// that long has lost the connection, whatever TCP still believes.
class Session {
public:
    Session(PGconn *conn, QString address, bool readOnly, int patience);
    ~Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    // The connection's settings; again after each reconnect.
    void configure();
    // How long a statement waits for a lock another connection holds; kept
    // over a reconnect. 0: not at all.
    void setLockWait(int milliseconds);
    void close();
    bool isOpen() const { return m_conn != nullptr; }
    PGconn *conn() const { return m_conn; }

    // Raise the layer's error when the statement fails.
    Result exec(const QByteArray &statement, const Params &params);
    void run(const QByteArray &statement);
    // For cleaning up where nothing may be thrown: whether it worked.
    bool runQuietly(const char *statement) noexcept;

    // Outside a transaction a connection the server dropped is opened anew;
    // inside one the transaction is gone, which only its end settles.
    void reconnectIfGone();

    void begin(const char *statement);
    // COMMIT or ROLLBACK; a transaction the connection lost ends without a word.
    void end(const char *statement);
    // The same where nothing may be thrown.
    void endQuietly(const char *statement) noexcept;
    bool inTransaction() const { return m_inTransaction; }
    bool lostInTransaction() const { return m_lostInTransaction; }
    // Counts the transactions ended: a cursor of an earlier one is gone.
    quint64 generation() const { return m_generation; }

private:
    void applyLockWait();
    Result send(const QByteArray &statement, const BoundParams *params);
    // Every result of what was sent: the first that failed, else the last.
    // Null when the server stayed silent past the patience.
    Result collect() noexcept;
    bool awaitInput(int milliseconds) const noexcept;
    [[noreturn]] void failed(const PGresult *result);
    [[noreturn]] void lost(const QString &message);

    PGconn *m_conn;
    QString m_address;
    bool m_readOnly;
    int m_patience;
    int m_lockWait = DefaultLockWaitMs;
    bool m_inTransaction = false;
    bool m_lostInTransaction = false;
    bool m_silent = false;          // the last collect gave up waiting
    quint64 m_generation = 0;
};

} // namespace dao::detail::pg
