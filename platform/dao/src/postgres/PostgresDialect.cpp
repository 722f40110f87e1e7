#include "PostgresDialect.h"

#include "core/Clock.h"

#include <QRegularExpression>

#include <algorithm>

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

// The layer's collation German as the server's ICU collation of German
// dictionary order; on a citext column it compares the lower-case texts.
const QString kGermanCollation = QStringLiteral("\"de-x-icu\"");

// The statement text outside CREATE TABLE's column types.
QString translateWords(const QString &statement, int &placeholder)
{
    QString out;
    out.reserve(statement.size() + 16);
    const int n = int(statement.size());
    QStringView previousWord;
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
            else if (word.compare(u"german", Qt::CaseInsensitive) == 0
                     && previousWord.compare(u"collate", Qt::CaseInsensitive) == 0)
                out += kGermanCollation;
            else
                out += word;
            previousWord = word;
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

} // namespace dao::detail
