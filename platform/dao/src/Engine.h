#pragma once

// What an engine (SQLite, PostgreSQL) supplies to the layer. Everything above
// this line -- recordset kinds, positions, edit buffers, the error
// collection -- is the same for every engine.

#include "dao/Dao.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

namespace dao::detail {

// How long a statement waits for another workstation's write lock before it
// fails with ErrLocked. A try of retryWhileLocked does not wait in the engine
// at all: it asks once and asks again after StepPauseMs, as often as the
// engine asks for a statement waiting long, so that neither crowds out the
// other (the engine asks a new waiter very often at first).
constexpr int DefaultLockWaitMs = 3000;
constexpr int StepLockWaitMs = 0;
constexpr int StepPauseMs = 100;

// One value as the engine delivered it, before it becomes a QVariant. The
// bytes stay owned by whoever produced the view.
struct RawValue {
    enum Type : quint8 { Null, Integer, Real, Text, Blob };
    Type type = Null;
    qint64 integer = 0;
    double real = 0;
    const char *data = nullptr;  // Text (UTF-8) and Blob
    qint64 size = 0;
    // Set when the bytes already live in a QByteArray that may be shared
    // instead of copied (large values).
    const QByteArray *shared = nullptr;
};

struct ColumnInfo {
    QString name;        // as the statement names it (alias or column)
    FieldKind kind = FieldKind::Unknown;
    QString table;       // base table of a plain column, else empty
    QString origin;      // the column's name in that table
};

// The engine-specific parts of statement text and value types.
class Dialect {
public:
    virtual ~Dialect() = default;
    // The program's statement in the engine's own words.
    virtual QString translate(const QString &statement) const = 0;
    virtual QString quoteIdentifier(const QString &name) const = 0;
    // A declared column type as the layer's kind.
    virtual FieldKind kindOfDeclaredType(const QString &declaredType) const = 0;
};

// A prepared statement with its parameters bound, positioned before its first row.
class Statement {
public:
    virtual ~Statement() = default;
    virtual int columnCount() const = 0;
    virtual const ColumnInfo &column(int index) const = 0;
    // Advances to the next row; false at the end.
    virtual bool step() = 0;
    // The current row's value; valid until the next step.
    virtual RawValue raw(int index) const = 0;
    // All of the current row's values, one for each column.
    virtual void rawRow(RawValue *values) const
    {
        for (int c = 0; c < columnCount(); ++c)
            values[c] = raw(c);
    }
    // Releases what the engine holds for the statement once its rows are read.
    virtual void finish() = 0;
};

class Connection {
public:
    virtual ~Connection() = default;
    virtual QString engineName() const = 0;
    virtual const Dialect &dialect() const = 0;

    // The statement text is already translated. A streamed statement's rows
    // are read once, front to back, in one go.
    virtual std::unique_ptr<Statement> prepare(const QString &statement, const Params &params, bool streamed) = 0;
    virtual long execute(const QString &statement, const Params &params) = 0;

    virtual void begin() = 0;
    // begin(), then a short read of the translated statement once the write
    // lock is held; a server answers both in one round trip.
    virtual std::unique_ptr<Statement> beginReading(const QString &statement, const Params &params)
    {
        begin();
        try {
            return prepare(statement, params, false);
        } catch (const DaoError &) {
            rollback();
            throw;
        }
    }
    virtual void commit() = 0;
    virtual void rollback() = 0;
    virtual void savepoint(const QString &name) = 0;
    virtual void release(const QString &name) = 0;
    virtual void rollbackTo(const QString &name) = 0;
    // How long the next statements wait for a lock another connection holds; 0: not at all.
    virtual void setLockWait(int milliseconds) = 0;

    // The engine's plan of a translated statement, one line per step.
    virtual QStringList queryPlan(const QString &statement, const Params &params) = 0;

    // Columns of a table (empty when there is no such table) and its key.
    virtual QList<ColumnInfo> tableColumns(const QString &table) = 0;
    virtual QStringList primaryKey(const QString &table) = 0;

    virtual void close() = 0;
    virtual bool isOpen() const = 0;
};

std::unique_ptr<Connection> openSqlite(const QString &path, const OpenOptions &options);
// address: a "postgresql://" URI as libpq reads it.
std::unique_ptr<Connection> openPostgres(const QString &address, const OpenOptions &options);

// Field values in the canonical form every engine binds: bool, qlonglong,
// double, Currency, QString, QDateTime, QByteArray or Null.
QVariant canonicalValue(const QVariant &value, FieldKind kind);
QVariant canonicalParameter(const QVariant &value);
QString storedDateText(const QDateTime &moment);
class DateCache;
// A delivered value as the value of a field of that kind. The same for every
// engine: each delivers integers, reals, text and bytes, dates as ISO text.
// Days are built once for each cache.
QVariant convertedVariant(const RawValue &raw, FieldKind kind, DateCache &days);

// Built in place: QVariant of this Qt takes a string only by copy, and the
// reference counting of copy and temporary shows on every text read. A
// variant made from the empty string (nothing to count) holds a value of the
// right type, which setValue then takes over by moving.
inline QVariant textVariant(const char *utf8, qint64 size)
{
    QVariant v{QString()};
    v.setValue(QString::fromUtf8(utf8, size));
    return v;
}

// convertedVariant, with the pairs of kind and delivered form that nearly
// every value has handled on the spot: it runs for every value read.
inline QVariant fieldVariant(const RawValue &raw, FieldKind kind, DateCache &days)
{
    switch (raw.type) {
    case RawValue::Null:
        return {};
    case RawValue::Text:
        if (kind == FieldKind::Text || kind == FieldKind::Memo || kind == FieldKind::Unknown)
            return textVariant(raw.data, raw.size);
        break;
    case RawValue::Integer:
        if (kind == FieldKind::Bool)
            return raw.integer != 0;
        if ((kind == FieldKind::Long || kind == FieldKind::Unknown) && raw.integer == qint64(int(raw.integer)))
            return int(raw.integer);
        break;
    default:
        break;
    }
    return convertedVariant(raw, kind, days);
}

} // namespace dao::detail
