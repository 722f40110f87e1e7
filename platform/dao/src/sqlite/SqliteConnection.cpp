#include "GermanCollation.h"
#include "SqliteDialect.h"

#include "core/Clock.h"
#include "core/DateText.h"

#include <QFileInfo>

#include <sqlite3.h>

#include <map>
#include <vector>

namespace dao::detail {
namespace {

constexpr int BusyTimeoutMs = DefaultLockWaitMs;
constexpr size_t StatementCacheSize = 48;

QString engineMessage(sqlite3 *db, int rc)
{
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
}

// The engine's error as the layer's numbered error, with the engine's own
// message kept as the entry before it.
[[noreturn]] void raiseSqlite(sqlite3 *db, int rc, const QString &subject = {})
{
    const int extended = db ? sqlite3_extended_errcode(db) : rc;
    const QString message = engineMessage(db, rc);
    const QList<ErrorEntry> entries{ErrorEntry{extended, message, QStringLiteral("SQLite")}};
    long number = ErrEngine;
    QString text;
    switch (rc & 0xff) {
    case SQLITE_CONSTRAINT:
        if (extended == SQLITE_CONSTRAINT_PRIMARYKEY || extended == SQLITE_CONSTRAINT_UNIQUE) {
            number = ErrDuplicateKey;
            text = QStringLiteral("Doppelter Wert in einem Schlüssel oder eindeutigen Index");
        } else {
            text = QStringLiteral("Die Daten verletzen eine Bedingung der Tabelle");
        }
        break;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        number = ErrLocked;
        text = QStringLiteral("Die Datenbank ist von einem anderen Benutzer gesperrt");
        break;
    case SQLITE_NOTADB:
        number = ErrNotADatabase;
        text = QStringLiteral("Nicht erkanntes Datenbankformat");
        break;
    case SQLITE_CORRUPT:
        number = ErrNotADatabase;
        text = QStringLiteral("Die Datenbankdatei ist beschädigt");
        break;
    case SQLITE_READONLY:
        number = ErrNotUpdatable;
        text = QStringLiteral("Aktualisieren nicht möglich; Datenbank oder Objekt ist schreibgeschützt");
        break;
    case SQLITE_CANTOPEN:
        number = ErrDatabaseNotFound;
        text = QStringLiteral("Die Datenbankdatei kann nicht geöffnet werden");
        break;
    case SQLITE_FULL:
        text = QStringLiteral("Der Datenträger ist voll");
        break;
    case SQLITE_RANGE:
        number = ErrTooFewParameters;
        text = QStringLiteral("Die Zahl der Parameter passt nicht zur Anweisung");
        break;
    case SQLITE_ERROR:
        if (message.startsWith(QLatin1String("no such table"))) {
            number = ErrTableNotFound;
            text = QStringLiteral("Die Tabelle oder Abfrage wurde nicht gefunden");
        } else if (message.startsWith(QLatin1String("no such column"))) {
            number = ErrTooFewParameters;
            text = QStringLiteral("Unbekannter Spaltenname in der Anweisung");
        } else if (message.contains(QLatin1String("syntax error")) || message.contains(QLatin1String("incomplete input"))
                   || message.contains(QLatin1String("unrecognized token"))) {
            number = ErrSyntax;
            text = QStringLiteral("Syntaxfehler in der Anweisung");
        } else {
            text = QStringLiteral("Fehler des Datenbanksystems");
        }
        break;
    default:
        text = QStringLiteral("Fehler des Datenbanksystems");
        break;
    }
    if (!subject.isEmpty())
        text += QStringLiteral(" '%1'").arg(subject);
    DBEngine::instance().raise(number, text + QStringLiteral(" (") + message + QStringLiteral(")."), entries);
}

void check(sqlite3 *db, int rc)
{
    if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE)
        raiseSqlite(db, rc);
}

QDateTime argumentDate(sqlite3_value *value)
{
    if (sqlite3_value_type(value) == SQLITE_NULL)
        return {};
    return core::readDate(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_value_text(value))))
        .value_or(QDateTime());
}

void nowFunction(sqlite3_context *context, int, sqlite3_value **)
{
    const QByteArray text = storedDateText(core::Clock::now()).toLatin1();
    sqlite3_result_text(context, text.constData(), int(text.size()), SQLITE_TRANSIENT);
}

// Jet's DateDiff counts the boundaries of the interval crossed between the two moments.
void dateDiffFunction(sqlite3_context *context, int, sqlite3_value **argv)
{
    const QDateTime a = argumentDate(argv[1]);
    const QDateTime b = argumentDate(argv[2]);
    if (!a.isValid() || !b.isValid() || sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const QString interval =
        QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_value_text(argv[0]))).toLower();
    const qint64 days = a.date().daysTo(b.date());
    const auto sundayBefore = [](const QDate &d) { return d.toJulianDay() - d.dayOfWeek() % 7; };
    qint64 result = 0;
    if (interval == u"d" || interval == u"y")
        result = days;
    else if (interval == u"w")
        result = days / 7;
    else if (interval == u"ww")
        result = (sundayBefore(b.date()) - sundayBefore(a.date())) / 7;
    else if (interval == u"m")
        result = (b.date().year() - a.date().year()) * 12 + b.date().month() - a.date().month();
    else if (interval == u"q")
        result = (b.date().year() - a.date().year()) * 4 + (b.date().month() - 1) / 3 - (a.date().month() - 1) / 3;
    else if (interval == u"yyyy")
        result = b.date().year() - a.date().year();
    else if (interval == u"h")
        result = days * 24 + b.time().hour() - a.time().hour();
    else if (interval == u"n")
        result = (days * 24 + b.time().hour() - a.time().hour()) * 60 + b.time().minute() - a.time().minute();
    else if (interval == u"s")
        result = a.secsTo(b);
    else {
        sqlite3_result_error(context, "DateDiff: unknown interval", -1);
        return;
    }
    sqlite3_result_int64(context, result);
}

class SqliteStatement final : public Statement {
public:
    SqliteStatement(sqlite3 *db, sqlite3_stmt *stmt, const SqliteDialect &dialect)
        : m_db(db), m_stmt(stmt)
    {
        const int n = sqlite3_column_count(m_stmt);
        for (int i = 0; i < n; ++i) {
            ColumnInfo info;
            info.name = QString::fromUtf8(sqlite3_column_name(m_stmt, i));
            if (const char *declared = sqlite3_column_decltype(m_stmt, i))
                info.kind = dialect.kindOfDeclaredType(QString::fromUtf8(declared));
            if (const char *table = sqlite3_column_table_name(m_stmt, i))
                info.table = QString::fromUtf8(table);
            if (const char *origin = sqlite3_column_origin_name(m_stmt, i))
                info.origin = QString::fromUtf8(origin);
            m_columns.push_back(info);
        }
    }
    ~SqliteStatement() override { sqlite3_finalize(m_stmt); }

    void bind(const Params &params)
    {
        const int expected = sqlite3_bind_parameter_count(m_stmt);
        if (expected != params.size())
            DBEngine::instance().raise(
                ErrTooFewParameters,
                QStringLiteral("Die Anweisung erwartet %1 Parameter, übergeben wurden %2.").arg(expected).arg(params.size()));
        m_keep.clear();
        m_keep.reserve(size_t(params.size()));
        for (int i = 0; i < params.size(); ++i)
            check(m_db, bindOne(i + 1, canonicalParameter(params[i])));
    }

    int columnCount() const override { return int(m_columns.size()); }
    const ColumnInfo &column(int index) const override { return m_columns[size_t(index)]; }

    bool step() override
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        raiseSqlite(m_db, rc);
    }

    RawValue raw(int index) const override { return read(index); }

    void rawRow(RawValue *values) const override
    {
        for (int c = 0; c < int(m_columns.size()); ++c)
            values[c] = read(c);
    }

    void finish() override
    {
        sqlite3_reset(m_stmt);
        m_keep.clear();
    }

    long changes() const { return long(sqlite3_changes64(m_db)); }

private:
    // One look-up of the column, then the value's own accessors.
    RawValue read(int index) const
    {
        sqlite3_value *value = sqlite3_column_value(m_stmt, index);
        RawValue raw;
        switch (sqlite3_value_type(value)) {
        case SQLITE_INTEGER:
            raw.type = RawValue::Integer;
            raw.integer = sqlite3_value_int64(value);
            break;
        case SQLITE_FLOAT:
            raw.type = RawValue::Real;
            raw.real = sqlite3_value_double(value);
            break;
        case SQLITE_TEXT:
            raw.type = RawValue::Text;
            raw.data = reinterpret_cast<const char *>(sqlite3_value_text(value));
            raw.size = sqlite3_value_bytes(value);
            break;
        case SQLITE_BLOB:
            raw.type = RawValue::Blob;
            raw.data = static_cast<const char *>(sqlite3_value_blob(value));
            raw.size = sqlite3_value_bytes(value);
            break;
        default:
            break;
        }
        return raw;
    }

    int bindOne(int index, const QVariant &v)
    {
        if (!v.isValid())
            return sqlite3_bind_null(m_stmt, index);
        switch (v.typeId()) {
        case QMetaType::Bool:
            return sqlite3_bind_int64(m_stmt, index, v.toBool() ? -1 : 0);
        case QMetaType::LongLong:
            return sqlite3_bind_int64(m_stmt, index, v.toLongLong());
        case QMetaType::Double:
            return sqlite3_bind_double(m_stmt, index, v.toDouble());
        case QMetaType::QDateTime:
            return bindText(index, storedDateText(v.toDateTime()).toUtf8());
        case QMetaType::QByteArray: {
            m_keep.push_back(v.toByteArray());
            const QByteArray &bytes = m_keep.back();
            return sqlite3_bind_blob64(m_stmt, index, bytes.constData(), sqlite3_uint64(bytes.size()), SQLITE_STATIC);
        }
        default:
            if (v.typeId() == qMetaTypeId<Currency>()) {
                // Stored as the amount itself, so that sums and comparisons with
                // plain numbers in statements mean what they say.
                const Currency c = v.value<Currency>();
                if (c.units() % 10000 == 0)
                    return sqlite3_bind_int64(m_stmt, index, c.units() / 10000);
                return sqlite3_bind_double(m_stmt, index, c.toDouble());
            }
            return bindText(index, v.toString().toUtf8());
        }
    }

    int bindText(int index, QByteArray utf8)
    {
        m_keep.push_back(std::move(utf8));
        const QByteArray &bytes = m_keep.back();
        return sqlite3_bind_text64(m_stmt, index, bytes.constData(), sqlite3_uint64(bytes.size()), SQLITE_STATIC,
                                   SQLITE_UTF8);
    }

    sqlite3 *m_db;
    sqlite3_stmt *m_stmt;
    std::vector<ColumnInfo> m_columns;
    std::vector<QByteArray> m_keep;   // bound bytes, alive until the statement is reset
};

class SqliteConnection final : public Connection {
public:
    explicit SqliteConnection(sqlite3 *db) : m_db(db) {}
    ~SqliteConnection() override { close(); }

    QString engineName() const override { return QStringLiteral("SQLite"); }
    const Dialect &dialect() const override { return m_dialect; }

    std::unique_ptr<Statement> prepare(const QString &statement, const Params &params, bool) override
    {
        auto prepared = compile(statement);
        prepared->bind(params);
        return prepared;
    }

    long execute(const QString &statement, const Params &params) override
    {
        std::unique_ptr<SqliteStatement> prepared;
        const auto cached = m_cache.find(statement);
        if (cached != m_cache.end()) {
            prepared = std::move(cached->second);
            m_cache.erase(cached);
        } else {
            prepared = compile(statement);
        }
        struct Reset {
            SqliteStatement &s;
            ~Reset() { s.finish(); }
        } reset{*prepared};
        prepared->bind(params);
        while (prepared->step()) {
        }
        const long changed = prepared->changes();
        if (m_cache.size() >= StatementCacheSize)
            m_cache.erase(m_cache.begin());
        m_cache.emplace(statement, std::move(prepared));
        return changed;
    }

    void begin() override { run("BEGIN IMMEDIATE"); }
    void commit() override { run("COMMIT"); }
    void rollback() override
    {
        if (!sqlite3_get_autocommit(m_db))
            run("ROLLBACK");
    }
    void savepoint(const QString &name) override { run("SAVEPOINT " + name.toUtf8()); }
    void release(const QString &name) override { run("RELEASE " + name.toUtf8()); }
    void rollbackTo(const QString &name) override { run("ROLLBACK TO " + name.toUtf8()); }
    void setLockWait(int milliseconds) override { sqlite3_busy_timeout(m_db, milliseconds); }

    QStringList queryPlan(const QString &statement, const Params &params) override
    {
        QStringList steps;
        auto plan = compile(QStringLiteral("EXPLAIN QUERY PLAN ") + statement);
        plan->bind(params);
        while (plan->step())
            steps.append(QString::fromUtf8(plan->raw(3).data, plan->raw(3).size));
        return steps;
    }

    QList<ColumnInfo> tableColumns(const QString &table) override
    {
        QList<ColumnInfo> columns;
        auto info = compile(QStringLiteral("SELECT name, type FROM pragma_table_info(?)"));
        info->bind({table});
        while (info->step()) {
            ColumnInfo column;
            column.name = QString::fromUtf8(info->raw(0).data, info->raw(0).size);
            column.kind = m_dialect.kindOfDeclaredType(QString::fromUtf8(info->raw(1).data, info->raw(1).size));
            column.table = table;
            column.origin = column.name;
            columns.append(column);
        }
        return columns;
    }

    QStringList primaryKey(const QString &table) override
    {
        QStringList key;
        auto info = compile(QStringLiteral("SELECT name FROM pragma_table_info(?) WHERE pk > 0 ORDER BY pk"));
        info->bind({table});
        while (info->step())
            key.append(QString::fromUtf8(info->raw(0).data, info->raw(0).size));
        return key;
    }

    void close() override
    {
        m_cache.clear();
        if (m_db) {
            // Statements of recordsets still alive keep the handle until they finalize.
            sqlite3_close_v2(m_db);
            m_db = nullptr;
        }
    }
    bool isOpen() const override { return m_db != nullptr; }

private:
    std::unique_ptr<SqliteStatement> compile(const QString &statement)
    {
        const QByteArray utf8 = statement.toUtf8();
        sqlite3_stmt *stmt = nullptr;
        const char *tail = nullptr;
        const int rc = sqlite3_prepare_v3(m_db, utf8.constData(), int(utf8.size()), SQLITE_PREPARE_PERSISTENT, &stmt, &tail);
        if (rc != SQLITE_OK)
            raiseSqlite(m_db, rc);
        if (!stmt)
            DBEngine::instance().raise(ErrSyntax, QStringLiteral("Die Anweisung ist leer."));
        auto prepared = std::make_unique<SqliteStatement>(m_db, stmt, m_dialect);
        while (tail && *tail && (*tail == ' ' || *tail == '\n' || *tail == '\r' || *tail == '\t' || *tail == ';'))
            ++tail;
        if (tail && *tail)
            DBEngine::instance().raise(ErrSyntax, QStringLiteral("Nach dem Ende der Anweisung folgt weiterer Text."));
        return prepared;
    }

    void run(const QByteArray &statement)
    {
        char *message = nullptr;
        const int rc = sqlite3_exec(m_db, statement.constData(), nullptr, nullptr, &message);
        sqlite3_free(message);
        if (rc != SQLITE_OK)
            raiseSqlite(m_db, rc);
    }

    sqlite3 *m_db;
    SqliteDialect m_dialect;
    std::map<QString, std::unique_ptr<SqliteStatement>> m_cache;
};

void registerFunctions(sqlite3 *db)
{
    check(db, sqlite3_create_function_v2(db, "now", 0, SQLITE_UTF8, nullptr, nowFunction, nullptr, nullptr, nullptr));
    check(db, sqlite3_create_function_v2(db, "DateDiff", 3, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                         dateDiffFunction, nullptr, nullptr, nullptr));
}

} // namespace

std::unique_ptr<Connection> openSqlite(const QString &path, const OpenOptions &options)
{
    DBEngine &engine = DBEngine::instance();
    const QFileInfo file(path);
    if (options.create) {
        if (file.exists())
            engine.raise(ErrDatabaseExists, QStringLiteral("Die Datenbank '%1' existiert bereits.").arg(path));
    } else {
        if (!file.exists() || !file.isFile())
            engine.raise(ErrDatabaseNotFound, QStringLiteral("Die Datei '%1' wurde nicht gefunden.").arg(path));
        // SQLite would take an empty file for a new database and write into it.
        if (file.size() == 0)
            engine.raise(ErrNotADatabase, QStringLiteral("Nicht erkanntes Datenbankformat '%1' (leere Datei).").arg(path));
    }
    int flags = SQLITE_OPEN_NOMUTEX;
    if (options.readOnly)
        flags |= SQLITE_OPEN_READONLY;
    else
        flags |= SQLITE_OPEN_READWRITE | (options.create ? SQLITE_OPEN_CREATE : 0);
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr);
    auto connection = std::make_unique<SqliteConnection>(db);
    if (rc != SQLITE_OK)
        raiseSqlite(db, rc, path);
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, BusyTimeoutMs);
    // Reading the schema first proves the file is a database before anything is written to it.
    const int probe = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    if (probe != SQLITE_OK)
        raiseSqlite(db, probe, path);
    if (options.exclusive)
        sqlite3_exec(db, "PRAGMA locking_mode=EXCLUSIVE", nullptr, nullptr, nullptr);
    if (!options.readOnly)
        sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    registerFunctions(db);
    const QByteArray germanOrder = registerGermanCollation(db);
    if (!options.readOnly)
        keepGermanIndexesInOrder(db, germanOrder);
    return connection;
}

} // namespace dao::detail
