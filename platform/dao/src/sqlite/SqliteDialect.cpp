#include "SqliteDialect.h"

#include <algorithm>

namespace dao::detail {
namespace {

bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

} // namespace

QString SqliteDialect::translate(const QString &statement) const
{
    QString out;
    out.reserve(statement.size() + 8);
    const int n = int(statement.size());
    for (int i = 0; i < n;) {
        const QChar c = statement[i];
        if (c == u'\'' || c == u'"' || c == u'[') {
            const QChar close = c == u'[' ? QChar(u']') : c;
            int j = i + 1;
            while (j < n && statement[j] != close)
                ++j;
            out += QStringView(statement).mid(i, std::min(j + 1, n) - i);
            i = j + 1;
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
                out += QStringLiteral("now()");
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

QString SqliteDialect::quoteIdentifier(const QString &name) const
{
    QString quoted = name;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

FieldKind SqliteDialect::kindOfDeclaredType(const QString &declaredType) const
{
    const QString t = declaredType.toUpper();
    if (t.isEmpty())
        return FieldKind::Unknown;
    if (t.contains(u"YESNO") || t.contains(u"BOOL") || t.startsWith(u"BIT"))
        return FieldKind::Bool;
    if (t.contains(u"CURRENCY") || t.contains(u"MONEY"))
        return FieldKind::Currency;
    if (t.contains(u"DATE") || t.contains(u"TIME"))
        return FieldKind::Date;
    if (t.contains(u"MEMO"))
        return FieldKind::Memo;
    if (t.contains(u"BINARY") || t.contains(u"BLOB"))
        return FieldKind::Binary;
    if (t.contains(u"INT"))
        return FieldKind::Long;
    if (t.contains(u"REAL") || t.contains(u"DOUB") || t.contains(u"FLOA") || t.contains(u"NUMERIC")
        || t.contains(u"DECIMAL"))
        return FieldKind::Double;
    return FieldKind::Text;
}

} // namespace dao::detail
