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
    // Statements sent together and answered together: one round trip for
    // all of them. Each one's result; raises at the first that failed.
    struct Step {
        QByteArray statement;
        Params params;
    };
    std::vector<Result> pipeline(const std::vector<Step> &steps);
    // A cursor to close with whatever is sent next, instead of a round trip
    // of its own; forgotten when the connection is made anew, and one that
    // is not held when its transaction ends.
    void closeLater(const QByteArray &cursor, bool held) { m_closes.push_back({cursor, held}); }
    void run(const QByteArray &statement);
    // For cleaning up where nothing may be thrown: whether it worked.
    bool runQuietly(const char *statement) noexcept;

    // Outside a transaction a connection the server dropped is opened anew;
    // inside one the transaction is gone, which only its end settles.
    void reconnectIfGone();
    // Raises when the connection is gone, with what ended it: what lived on
    // it, a held cursor, is gone with it.
    void requireConnection();

    // The transaction begins with the statements that follow its start, in one round trip.
    std::vector<Result> begin(const char *statement, const std::vector<Step> &first = {});
    // COMMIT or ROLLBACK; a transaction the connection lost ends without a word.
    void end(const char *statement);
    // The same where nothing may be thrown.
    void endQuietly(const char *statement) noexcept;
    bool inTransaction() const { return m_inTransaction; }
    bool lostInTransaction() const { return m_lostInTransaction; }
    // Counts the transactions ended: a cursor of an earlier one is gone.
    quint64 generation() const { return m_generation; }
    // Counts the connections made: a cursor held past its transaction is gone with one.
    quint64 connection() const { return m_connection; }

private:
    void applyLockWait();
    Result send(const QByteArray &statement, const BoundParams *params);
    void checkUsable(const QByteArray &statement, const Params &params);
    // The lock wait set and the cursors to close, sent ahead as parts of
    // their own whose failure counts for nothing.
    void sendDeferred();
    QByteArray lockWaitSetting() const;
    void forgetTransactionCursors();
    void awaitDeferred() noexcept;
    // Reads to the end of what was sent; the failure among it, if any.
    Result awaitSync() noexcept;
    Result nextResult() noexcept;
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
    QString m_lostReason;           // why the connection was given up last
    quint64 m_generation = 0;
    quint64 m_connection = 0;
    struct Close {
        QByteArray cursor;
        bool held;
    };
    std::vector<Close> m_closes;
    int m_closesSent = 0;
    bool m_lockWaitPending = false;   // set, not yet sent
    bool m_settingSent = false;
};

} // namespace dao::detail::pg
