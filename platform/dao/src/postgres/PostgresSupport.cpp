#include "PostgresSupport.h"

namespace dao::detail::pg {

QString serverMessage(PGconn *conn, const PGresult *result)
{
    const char *m = result ? PQresultErrorMessage(result) : nullptr;
    if (!m || !*m)
        m = PQerrorMessage(conn);
    return QString::fromUtf8(m).trimmed();
}

bool connectionGone(PGconn *conn, const QByteArray &state)
{
    return PQstatus(conn) == CONNECTION_BAD || (state.startsWith("08") && state != "08P01") || state == "57P01"
        || state == "57P02" || state == "57P03";
}

int highestPlaceholder(const QByteArray &statement)
{
    int highest = 0;
    char quote = 0;
    for (qsizetype i = 0; i < statement.size(); ++i) {
        const char c = statement[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '$') {
            int n = 0;
            qsizetype j = i + 1;
            while (j < statement.size() && statement[j] >= '0' && statement[j] <= '9')
                n = n * 10 + (statement[j++] - '0');
            highest = std::max(highest, n);
            i = j - 1;
        }
    }
    return highest;
}

[[noreturn]] void raiseLost(const QString &message)
{
    DBEngine::instance().raise(
        ErrConnectionLost,
        QStringLiteral("Die Verbindung zum Datenbankserver ist unterbrochen (%1).").arg(message),
        {ErrorEntry{0, message, QStringLiteral("PostgreSQL")}});
}

[[noreturn]] void raiseServer(const QByteArray &state, const QString &message)
{
    const QList<ErrorEntry> entries{ErrorEntry{0, QString::fromLatin1(state) + u' ' + message, QStringLiteral("PostgreSQL")}};
    long number = ErrEngine;
    QString text = QStringLiteral("Fehler des Datenbanksystems");
    if (state == "23505") {
        number = ErrDuplicateKey;
        text = QStringLiteral("Doppelter Wert in einem Schlüssel oder eindeutigen Index");
    } else if (state.startsWith("23")) {
        text = QStringLiteral("Die Daten verletzen eine Bedingung der Tabelle");
    } else if (state == "55P03" || state == "40P01" || state == "40001") {
        number = ErrLocked;
        text = QStringLiteral("Die Datenbank ist von einem anderen Benutzer gesperrt");
    } else if (state == "42P01") {
        number = ErrTableNotFound;
        text = QStringLiteral("Die Tabelle oder Abfrage wurde nicht gefunden");
    } else if (state == "42703") {
        number = ErrTooFewParameters;
        text = QStringLiteral("Unbekannter Spaltenname in der Anweisung");
    } else if (state == "42601") {
        number = ErrSyntax;
        text = QStringLiteral("Syntaxfehler in der Anweisung");
    } else if (state.startsWith("22")) {
        number = ErrConversion;
        text = QStringLiteral("Fehler bei der Datentypkonvertierung");
    } else if (state == "25006" || state == "42501") {
        number = ErrNotUpdatable;
        text = QStringLiteral("Aktualisieren nicht möglich; Datenbank oder Objekt ist schreibgeschützt");
    } else if (state == "3D000") {
        number = ErrDatabaseNotFound;
        text = QStringLiteral("Die Datenbank wurde auf dem Server nicht gefunden");
    }
    DBEngine::instance().raise(number, text + QStringLiteral(" (") + message + QStringLiteral(")."), entries);
}

BoundParams::BoundParams(const Params &params)
{
    const qsizetype n = params.size();
    m_values.reserve(size_t(n));
    for (const QVariant &param : params) {
        const QVariant v = canonicalParameter(param);
        Oid type = 0;
        int format = 0;
        QByteArray bytes;
        bool isNull = false;
        if (!v.isValid()) {
            isNull = true;
        } else if (v.typeId() == QMetaType::Bool) {
            bytes = v.toBool() ? "-1" : "0";
        } else if (v.typeId() == QMetaType::LongLong) {
            type = OidInt8;
            bytes = QByteArray::number(v.toLongLong());
        } else if (v.typeId() == QMetaType::Double) {
            type = OidFloat8;
            bytes = QByteArray::number(v.toDouble(), 'g', 17);
        } else if (v.typeId() == QMetaType::QDateTime) {
            type = OidTimestamp;
            bytes = storedDateText(v.toDateTime()).toLatin1();
        } else if (v.typeId() == QMetaType::QByteArray) {
            type = OidBytea;
            format = 1;
            bytes = v.toByteArray();
        } else if (v.typeId() == qMetaTypeId<Currency>()) {
            type = OidNumeric;
            const qint64 units = v.value<Currency>().units();
            const qint64 magnitude = units < 0 ? -units : units;
            bytes = (units < 0 ? "-" : "") + QByteArray::number(magnitude / 10000) + '.'
                + QByteArray::number(magnitude % 10000).rightJustified(4, '0');
        } else {
            bytes = v.toString().toUtf8();
        }
        m_types.push_back(type);
        m_formats.push_back(format);
        m_values.push_back(std::move(bytes));
        m_nulls.push_back(isNull);
    }
    for (size_t i = 0; i < m_values.size(); ++i) {
        m_pointers.push_back(m_nulls[i] ? nullptr : m_values[i].constData());
        m_lengths.push_back(int(m_values[i].size()));
    }
}

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 0;
}

} // namespace

// "\x" and two hex digits a byte, or the older escaped form.
QByteArray decodeBytea(const char *text, int length)
{
    if (length >= 2 && text[0] == '\\' && text[1] == 'x') {
        QByteArray bytes((length - 2) / 2, Qt::Uninitialized);
        char *out = bytes.data();
        for (int i = 2; i + 1 < length; i += 2)
            *out++ = char(hexValue(text[i]) << 4 | hexValue(text[i + 1]));
        return bytes;
    }
    size_t size = 0;
    unsigned char *raw = PQunescapeBytea(reinterpret_cast<const unsigned char *>(text), &size);
    QByteArray bytes(reinterpret_cast<const char *>(raw), qsizetype(size));
    PQfreemem(raw);
    return bytes;
}

} // namespace dao::detail::pg
