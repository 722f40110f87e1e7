#include "PostgresDialect.h"

#include "core/Clock.h"

#include <QRegularExpression>

#include <cmath>

namespace dao::detail {
namespace {

bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

// The server folds unquoted names to lower case (ASCII only); a quoted name
// must be written as the server keeps it.
QString serverName(QStringView name)
{
    QString folded = name.toString();
    for (QChar &c : folded)
        if (c.unicode() < 128)
            c = c.toLower();
    return folded;
}

QString quoted(QStringView name)
{
    QString q = serverName(name);
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

// A bracketed name the server reads as written without quotes: unquoted,
// the statement keeps the program's spelling, which result columns show.
bool plainName(QStringView name)
{
    static const QStringList reserved = {
        QStringLiteral("all"), QStringLiteral("and"), QStringLiteral("as"), QStringLiteral("asc"),
        QStringLiteral("by"), QStringLiteral("case"), QStringLiteral("check"), QStringLiteral("column"),
        QStringLiteral("default"), QStringLiteral("desc"), QStringLiteral("distinct"), QStringLiteral("else"),
        QStringLiteral("end"), QStringLiteral("from"), QStringLiteral("group"), QStringLiteral("having"),
        QStringLiteral("in"), QStringLiteral("limit"), QStringLiteral("not"), QStringLiteral("null"),
        QStringLiteral("offset"), QStringLiteral("on"), QStringLiteral("or"), QStringLiteral("order"),
        QStringLiteral("select"), QStringLiteral("table"), QStringLiteral("then"), QStringLiteral("to"),
        QStringLiteral("union"), QStringLiteral("user"), QStringLiteral("when"), QStringLiteral("where"),
        QStringLiteral("with")};
    if (name.isEmpty() || name.front().isDigit())
        return false;
    for (const QChar c : name)
        if (!isWordChar(c))
            return false;
    return !reserved.contains(name.toString(), Qt::CaseInsensitive);
}

// The statement text outside CREATE TABLE's column types.
QString translateWords(const QString &statement, int &placeholder)
{
    QString out;
    out.reserve(statement.size() + 16);
    const int n = int(statement.size());
    for (int i = 0; i < n;) {
        const QChar c = statement[i];
        if (c == u'\'' || c == u'"') {
            int j = i + 1;
            while (j < n && statement[j] != c)
                ++j;
            out += QStringView(statement).mid(i, std::min(j + 1, n) - i);
            i = j + 1;
            continue;
        }
        if (c == u'[') {
            int j = i + 1;
            while (j < n && statement[j] != u']')
                ++j;
            const QStringView name = QStringView(statement).mid(i + 1, j - i - 1);
            out += plainName(name) ? name.toString() : quoted(name);
            i = j + 1;
            continue;
        }
        if (c == u'?') {
            out += u'$' + QString::number(++placeholder);
            ++i;
            continue;
        }
        if (isWordChar(c)) {
            int j = i;
            while (j < n && isWordChar(statement[j]))
                ++j;
            const QStringView word = QStringView(statement).mid(i, j - i);
            int k = j;
            while (k < n && statement[k].isSpace())
                ++k;
            const bool call = k < n && statement[k] == u'(';
            if (!call && word.compare(u"now", Qt::CaseInsensitive) == 0)
                out += QStringLiteral("TIMESTAMP '")
                    + core::Clock::now().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + u'\'';
            else if (word.compare(u"true", Qt::CaseInsensitive) == 0)
                out += QStringLiteral("-1");
            else if (word.compare(u"false", Qt::CaseInsensitive) == 0)
                out += QStringLiteral("0");
            else
                out += word;
            i = j;
            continue;
        }
        out += c;
        ++i;
    }
    return out;
}

struct TypeWord {
    QRegularExpression pattern;
    QString serverType;
};

// The layer's column types, longest phrase first.
const std::vector<TypeWord> &typeWords()
{
    static const std::vector<TypeWord> words = [] {
        const auto rx = [](const char *p) {
            return QRegularExpression(QStringLiteral("^\\s*") + QLatin1String(p) + QStringLiteral("\\b"),
                                      QRegularExpression::CaseInsensitiveOption);
        };
        return std::vector<TypeWord>{
            {rx("MEMO\\s+TEXT\\s+COLLATE\\s+NOCASE"), QStringLiteral("memo_nocase")},
            {rx("MEMO(\\s+TEXT)?"), QStringLiteral("memo")},
            {rx("TEXT\\s+COLLATE\\s+NOCASE"), QStringLiteral("citext")},
            {rx("TEXT"), QStringLiteral("text")},
            {rx("YESNO"), QStringLiteral("yesno")},
            {rx("CURRENCY"), QStringLiteral("currency")},
            {rx("(DATETIME|DATE)"), QStringLiteral("timestamp(0)")},
            {rx("LONGBINARY"), QStringLiteral("longbinary")},
            {rx("INTEGER\\s+PRIMARY\\s+KEY\\s+AUTOINCREMENT"),
             QStringLiteral("integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY")},
            {rx("(INTEGER|LONG)"), QStringLiteral("integer")},
            {rx("(DOUBLE|REAL)"), QStringLiteral("double precision")},
        };
    }();
    return words;
}

QString columnDefinition(const QString &definition)
{
    static const QRegularExpression head(QStringLiteral(R"(^\s*(\[[^\]]*\]|[\w]+))"),
                                         QRegularExpression::UseUnicodePropertiesOption);
    const QRegularExpressionMatch name = head.match(definition);
    if (!name.hasMatch())
        return definition;
    static const QStringList constraints = {QStringLiteral("PRIMARY"), QStringLiteral("UNIQUE"),
                                            QStringLiteral("CONSTRAINT"), QStringLiteral("FOREIGN"),
                                            QStringLiteral("CHECK")};
    if (constraints.contains(name.captured(1), Qt::CaseInsensitive))
        return definition;
    QString rest = definition.mid(name.capturedEnd(1));
    for (const TypeWord &type : typeWords()) {
        const QRegularExpressionMatch m = type.pattern.match(rest);
        if (m.hasMatch()) {
            rest = u' ' + type.serverType + rest.mid(m.capturedEnd());
            break;
        }
    }
    return name.captured(1) + rest;
}

// CREATE TABLE with its column list split at the top-level commas.
QString translateCreateTable(const QString &statement)
{
    const qsizetype open = statement.indexOf(u'(');
    const qsizetype close = statement.lastIndexOf(u')');
    if (open < 0 || close < open)
        return statement;
    QStringList definitions;
    int depth = 0;
    qsizetype start = open + 1;
    for (qsizetype i = open + 1; i < close; ++i) {
        const QChar c = statement[i];
        if (c == u'(')
            ++depth;
        else if (c == u')')
            --depth;
        else if (c == u',' && depth == 0) {
            definitions.append(columnDefinition(statement.mid(start, i - start)));
            start = i + 1;
        }
    }
    definitions.append(columnDefinition(statement.mid(start, close - start)));
    return statement.left(open + 1) + definitions.join(u',') + statement.mid(close);
}

QString text(const RawValue &raw) { return QString::fromUtf8(raw.data, raw.size); }

QVariant integerVariant(qint64 v)
{
    if (v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max())
        return int(v);
    return qlonglong(v);
}

int digits(const char *p, int n)
{
    int v = 0;
    for (int i = 0; i < n; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return -1;
        v = v * 10 + (p[i] - '0');
    }
    return v;
}

// The server's ISO form "yyyy-MM-dd HH:mm:ss" read without a general parser.
QVariant dateVariant(const RawValue &raw)
{
    const char *p = raw.data;
    if (raw.size == 19 && p[4] == '-' && p[7] == '-' && p[10] == ' ' && p[13] == ':' && p[16] == ':') {
        const QDate date(digits(p, 4), digits(p + 5, 2), digits(p + 8, 2));
        const QTime time(digits(p + 11, 2), digits(p + 14, 2), digits(p + 17, 2));
        if (date.isValid() && time.isValid())
            return QDateTime(date, time);
    }
    const QDateTime dt = parseDateText(text(raw));
    return dt.isValid() ? QVariant(dt) : QVariant();
}

} // namespace

QString PostgresDialect::translate(const QString &statement) const
{
    static const QRegularExpression createTable(QStringLiteral(R"(^\s*CREATE\s+TABLE\b)"),
                                                QRegularExpression::CaseInsensitiveOption);
    int placeholder = 0;
    const QString source = createTable.match(statement).hasMatch() ? translateCreateTable(statement) : statement;
    return translateWords(source, placeholder);
}

QString PostgresDialect::quoteIdentifier(const QString &name) const { return quoted(name); }

FieldKind PostgresDialect::kindOfDeclaredType(const QString &declaredType) const
{
    const QString t = declaredType.toLower();
    if (t.isEmpty())
        return FieldKind::Unknown;
    if (t == u"yesno" || t == u"bool")
        return FieldKind::Bool;
    if (t == u"currency" || t == u"numeric" || t == u"money")
        return FieldKind::Currency;
    if (t.startsWith(u"memo"))
        return FieldKind::Memo;
    if (t == u"longbinary" || t == u"bytea")
        return FieldKind::Binary;
    if (t.startsWith(u"timestamp") || t == u"date")
        return FieldKind::Date;
    if (t == u"int2" || t == u"int4" || t == u"int8")
        return FieldKind::Long;
    if (t == u"float4" || t == u"float8")
        return FieldKind::Double;
    return FieldKind::Text;
}

QVariant PostgresDialect::toVariant(const RawValue &raw, FieldKind kind) const
{
    if (raw.type == RawValue::Null)
        return {};
    switch (kind) {
    case FieldKind::Long:
        if (raw.type == RawValue::Integer)
            return integerVariant(raw.integer);
        if (raw.type == RawValue::Real)
            return integerVariant(std::llround(raw.real));
        return integerVariant(text(raw).trimmed().toLongLong());
    case FieldKind::Double:
        if (raw.type == RawValue::Integer)
            return double(raw.integer);
        if (raw.type == RawValue::Real)
            return raw.real;
        return text(raw).toDouble();
    case FieldKind::Currency:
        if (raw.type == RawValue::Integer)
            return QVariant::fromValue(Currency::fromUnits(raw.integer * 10000));
        if (raw.type == RawValue::Real)
            return QVariant::fromValue(Currency::fromDouble(raw.real));
        if (const auto c = Currency::fromText(text(raw)))
            return QVariant::fromValue(*c);
        return {};
    case FieldKind::Bool:
        if (raw.type == RawValue::Integer)
            return raw.integer != 0;
        return text(raw).trimmed().toLongLong() != 0;
    case FieldKind::Date:
        return dateVariant(raw);
    case FieldKind::Text:
    case FieldKind::Memo:
        if (raw.type == RawValue::Integer)
            return QString::number(raw.integer);
        if (raw.type == RawValue::Real)
            return QString::number(raw.real);
        return text(raw);
    case FieldKind::Binary:
        if (raw.shared)
            return *raw.shared;
        return QByteArray(raw.data, raw.size);
    case FieldKind::Unknown:
        break;
    }
    switch (raw.type) {
    case RawValue::Integer:
        return integerVariant(raw.integer);
    case RawValue::Real:
        return raw.real;
    case RawValue::Text:
        return text(raw);
    case RawValue::Blob:
        return raw.shared ? *raw.shared : QByteArray(raw.data, raw.size);
    case RawValue::Null:
        break;
    }
    return {};
}

} // namespace dao::detail
