#pragma once

// What the parts of the server engine share: results, errors, parameters.

#include "../Engine.h"

#include <libpq-fe.h>

#include <memory>
#include <vector>

namespace dao::detail::pg {

// Type numbers of the server's built-in types (pg_type.oid, fixed).
enum : Oid {
    OidBool = 16, OidBytea = 17, OidInt8 = 20, OidInt2 = 21, OidInt4 = 23,
    OidFloat4 = 700, OidFloat8 = 701, OidTimestamp = 1114, OidNumeric = 1700,
};

struct ResultDeleter {
    void operator()(PGresult *r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

QString serverMessage(PGconn *conn, const PGresult *result);
// Whether a failure means the connection is gone rather than the statement refused.
bool connectionGone(PGconn *conn, const QByteArray &state);
// The highest $n of a translated statement, outside quotes.
int highestPlaceholder(const QByteArray &statement);

[[noreturn]] void raiseLost(const QString &message);
// The server's error as the layer's numbered error, the server's own
// message kept as the entry before it.
[[noreturn]] void raiseServer(const QByteArray &state, const QString &message);

// The parameters in the form the server reads: text for everything but
// long binary, with the type left to the statement where the value's own
// type could be wrong for its column (texts, Yes/No).
class BoundParams {
public:
    explicit BoundParams(const Params &params);

    int count() const { return int(m_values.size()); }
    const Oid *types() const { return m_types.data(); }
    const char *const *values() const { return m_pointers.data(); }
    const int *lengths() const { return m_lengths.data(); }
    const int *formats() const { return m_formats.data(); }

private:
    std::vector<QByteArray> m_values;
    std::vector<bool> m_nulls;
    std::vector<Oid> m_types;
    std::vector<int> m_formats;
    std::vector<const char *> m_pointers;
    std::vector<int> m_lengths;
};

// bytea in the server's text output.
QByteArray decodeBytea(const char *text, int length);

} // namespace dao::detail::pg
