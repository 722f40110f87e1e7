#pragma once

// The database layer in the shape of DAO: an engine with its error collection,
// a workspace, an open database, recordsets of four kinds with their fields.
// Statements are the program's own texts; values travel as bound parameters
// ("?" placeholders), never pasted into the text. The Jet parts the statements
// use (IIF, DateDiff, now, [name] quoting, Yes/No as -1/0) work on every engine.
// So does the collation German ("ORDER BY Kundenname COLLATE German", also in
// an index): German dictionary order without regard to case, an umlaut beside
// its base letter and ß as ss; it finds equal only what the column does.
//
// Every failing call throws dao::DaoError and leaves the engine's error
// collection (DBEngine::Errors) describing it, the raised error last.

#include "dao/Error.h"
#include "dao/Value.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace dao {

namespace detail {
class Connection;
class Cursor;
class Statement;
} // namespace detail

class Database;
class Recordset;

using Params = QList<QVariant>;

// Told again and again while a write waits for another workstation's write
// lock, with how long it has waited so far; answering false gives the wait
// up. The program supplies it (a progress dialog); the layer shows nothing.
using LockWaitObserver = std::function<bool(std::chrono::milliseconds waited)>;

enum class RecordsetType {
    Snapshot,     // read-only, scrollable
    ForwardOnly,  // read-only, MoveNext only
    Dynaset,      // updatable rows of one table (the table's key must be selected)
};

enum class RecordsetOption {
    None,
    AppendOnly,   // with Dynaset on a table name: only AddNew/Update, no rows read
};

class Field {
public:
    const QString &Name() const { return m_name; }
    FieldKind Kind() const { return m_kind; }

    // The value in the current row (or the edit buffer while editing).
    QVariant Value() const;
    bool IsNull() const { return dao::isNull(Value()); }
    // Only between Edit/AddNew and Update. Values are converted to the field's
    // kind as the engine would: "12,5" into a currency, "31.01.2009" into a date
    // (the user's locale, then ISO), 1 or true into Yes.
    void SetValue(const QVariant &value);

    // Long binary: size in bytes, a part of the bytes, and appending while editing.
    qint64 FieldSize() const;
    QByteArray GetChunk(qint64 offset, qint64 count) const;
    void AppendChunk(const QByteArray &bytes);

private:
    friend class Recordset;
    Field(Recordset *owner, int index, QString name, FieldKind kind)
        : m_owner(owner), m_index(index), m_name(std::move(name)), m_kind(kind) {}
    Recordset *m_owner;
    int m_index;
    QString m_name;
    FieldKind m_kind;
};

enum class EditMode { None, Editing, Adding };

class Recordset {
public:
    ~Recordset();
    Recordset(const Recordset &) = delete;
    Recordset &operator=(const Recordset &) = delete;

    RecordsetType Type() const { return m_type; }
    bool Updatable() const;

    // As the classic engine: the number of rows reached so far; after
    // MoveLast the full count. An empty result gives 0 at once.
    long RecordCount() const;
    bool IsEOF() const;
    bool IsBOF() const;
    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();
    // 0-based position of the current row; -1 before the first or past the last.
    long AbsolutePosition() const;

    int FieldCount() const { return static_cast<int>(m_fields.size()); }
    Field &Fields(int index)
    {
        if (!m_cursor || index < 0 || index >= FieldCount())
            noSuchField();
        return *m_fields[size_t(index)];
    }
    Field &Fields(const QString &name);               // case-insensitive; ErrItemNotFound
    bool HasField(const QString &name) const;
    QVariant Value(const QString &name) { return Fields(name).Value(); }
    void SetValue(const QString &name, const QVariant &v) { Fields(name).SetValue(v); }

    void Edit();
    void AddNew();
    void Update();
    void CancelUpdate();
    void Delete();
    EditMode GetEditMode() const { return m_editMode; }

    void Close();
    bool IsOpen() const;

private:
    friend class Database;
    friend class Field;
    Recordset(Database *db, RecordsetType type, RecordsetOption option, std::unique_ptr<detail::Cursor> cursor);

    [[noreturn]] void noSuchField() const;
    QVariant fieldValue(int index) const;
    QVariant checkedFieldValue(int index) const;
    void setFieldValue(int index, const QVariant &value);
    void appendChunk(int index, const QByteArray &bytes);
    void requireOpen() const;
    void requireCurrent() const;
    void requireEditing() const;
    void requireUpdatable() const;
    bool positionOnRow(long row, int direction);
    long current() const;
    void updateRow();
    void insertRow();

    Database *m_db;
    RecordsetType m_type;
    RecordsetOption m_option;
    std::unique_ptr<detail::Cursor> m_cursor;
    std::vector<std::unique_ptr<Field>> m_fields;
    EditMode m_editMode = EditMode::None;
    std::vector<QVariant> m_buffer;        // edit buffer, one entry per field
    std::vector<bool> m_touched;           // fields set since Edit/AddNew
    long m_position = -1;                  // current row; -1 before the first
    bool m_afterLast = false;
};

inline QVariant Field::Value() const { return m_owner->fieldValue(m_index); }

class Database {
public:
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    // The name it was opened with: a file path or a "postgresql://" address.
    const QString &Name() const { return m_name; }
    // "SQLite" or "PostgreSQL".
    QString EngineName() const;

    std::unique_ptr<Recordset> OpenRecordset(const QString &source,
                                             RecordsetType type = RecordsetType::Dynaset,
                                             RecordsetOption option = RecordsetOption::None,
                                             const Params &params = {});
    // Runs a statement that returns no rows; the number of rows it touched.
    long Execute(const QString &statement, const Params &params = {});

    // Transactions nest: the outermost is a real transaction that shuts out
    // every other writer (on SQLite an immediate one, on a server it takes
    // the database's one write lock), so that a read-then-insert cannot
    // interleave with another workstation; every inner one a savepoint of it.
    // On a server that went away the transaction is lost: its statements
    // raise ErrConnectionLost, its rollback does not, and the first action
    // after it connects anew.
    void BeginTrans();
    // BeginTrans that also reads `statement` (a short read) right after the
    // write lock is taken, in the same round trip to a server. Its rows are
    // kept for TakeBegunRead until the transaction ends; inside a transaction
    // it is a plain BeginTrans.
    void BeginTrans(const QString &statement, const Params &params = {});
    // The rows that BeginTrans read for this very statement and parameters,
    // once: they show the database as the transaction found it. Null when
    // none are kept; the caller then reads for itself.
    std::unique_ptr<Recordset> TakeBegunRead(const QString &statement, const Params &params = {});
    void CommitTrans();
    void Rollback();
    int TransactionDepth() const { return m_transactionDepth; }

    bool TableHasColumn(const QString &table, const QString &column);
    // How the engine means to run a statement, one line per step in its own
    // words (SQLite's query plan, PostgreSQL's EXPLAIN): which index serves it.
    QStringList QueryPlan(const QString &statement, const Params &params = {});

    // Who is told while retryWhileLocked waits; none by default.
    void setLockWaitObserver(LockWaitObserver observer) { m_lockWaitObserver = std::move(observer); }
    const LockWaitObserver &lockWaitObserver() const { return m_lockWaitObserver; }

    void Close();
    bool IsOpen() const;

    detail::Connection &connection();

private:
    friend class Workspace;
    friend class Recordset;
    Database(QString name, std::unique_ptr<detail::Connection> connection);

    void requireOpen() const;

    QString m_name;
    std::unique_ptr<detail::Connection> m_connection;
    int m_transactionDepth = 0;
    struct BegunRead {
        QString statement;
        Params params;
        std::unique_ptr<detail::Statement> rows;
    };
    std::optional<BegunRead> m_begunRead;   // what BeginTrans read, until taken or the transaction ends
    std::vector<Recordset *> m_recordsets;   // open ones, closed with the database
    LockWaitObserver m_lockWaitObserver;
};

// Commits on commit(), rolls back when left any other way.
class Transaction {
public:
    explicit Transaction(Database &db) : m_db(db) { m_db.BeginTrans(); }
    // Reads `statement` as it starts (Database::BeginTrans).
    Transaction(Database &db, const QString &statement, const Params &params = {}) : m_db(db)
    {
        m_db.BeginTrans(statement, params);
    }
    ~Transaction();
    void commit();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

private:
    Database &m_db;
    bool m_done = false;
};

// Runs write, which makes one whole write transaction of its own, again while
// another workstation holds the write lock, for up to `patience`; then the
// lock error goes to the caller. It waits in short steps and tells the
// database's lock-wait observer after each, so that the program can show the
// wait and the user can give it up: write then ends with ErrCancelled, having
// written nothing. Inside the caller's own transaction it runs once: that
// transaction is what would have to be repeated.
void retryWhileLocked(Database &db, const std::function<void()> &write,
                      std::chrono::milliseconds patience = std::chrono::seconds(60));

// Installs observer on db for as long as it lives, then puts the previous one back.
class LockWaitScope {
public:
    LockWaitScope(Database &db, LockWaitObserver observer);
    ~LockWaitScope();
    LockWaitScope(const LockWaitScope &) = delete;
    LockWaitScope &operator=(const LockWaitScope &) = delete;

private:
    Database &m_db;
    LockWaitObserver m_previous;
};

struct OpenOptions {
    bool exclusive = false;
    bool readOnly = false;
    bool create = false;          // make a new, empty database (refused when one exists)
};

class Workspace {
public:
    // A file path opens an SQLite database, "postgresql://..." a server database.
    std::unique_ptr<Database> OpenDatabase(const QString &name, const OpenOptions &options = {});
    void Close() {}
};

class DBEngine {
public:
    static DBEngine &instance();
    Workspace &Workspaces(int index = 0);

    // The errors of the last failing call, the raised one last.
    const QList<ErrorEntry> &Errors() const { return m_errors; }
    void clearErrors() { m_errors.clear(); }

    // Records the engine's own entries, then the raised error, and throws it.
    [[noreturn]] void raise(long number, const QString &description, const QList<ErrorEntry> &engineEntries = {});

private:
    DBEngine();
    Workspace m_workspace;
    QList<ErrorEntry> m_errors;
};

} // namespace dao
