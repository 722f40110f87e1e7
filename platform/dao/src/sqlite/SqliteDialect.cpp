#include "SqliteDialect.h"

#include <cmath>

namespace dao::detail {
namespace {

bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

QVariant integerVariant(qint64 v)
{
    if (v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max())
        return int(v);
    return qlonglong(v);
}

QString text(const RawValue &raw)
{
    return QString::fromUtf8(raw.data, raw.size);
}

// Built in place: QVariant of this Qt takes a string only by copy, and the
// reference counting of copy and temporary shows on every text read.
QVariant textVariant(const RawValue &raw)
{
    QVariant v(QMetaType::fromType<QString>(), nullptr);
    *static_cast<QString *>(v.data()) = QString::fromUtf8(raw.data, raw.size);
    return v;
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

// The stored form "yyyy-MM-dd HH:mm:ss" without the cost of a general parser.
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

QVariant SqliteDialect::toVariant(const RawValue &raw, FieldKind kind) const
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
        return text(raw).trimmed().replace(u',', u'.').toDouble();
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
        if (raw.type == RawValue::Real)
            return raw.real != 0.0;
        return text(raw).trimmed().toLongLong() != 0;
    case FieldKind::Date:
        if (raw.type == RawValue::Text)
            return dateVariant(raw);
        return {};
    case FieldKind::Text:
    case FieldKind::Memo:
        if (raw.type == RawValue::Integer)
            return QString::number(raw.integer);
        if (raw.type == RawValue::Real)
            return QString::number(raw.real);
        return textVariant(raw);
    case FieldKind::Binary:
        if (raw.shared)
            return *raw.shared;
        if (raw.type == RawValue::Integer || raw.type == RawValue::Real)
            return toVariant(raw, FieldKind::Text).toString().toUtf8();
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
        return textVariant(raw);
    case RawValue::Blob:
        return raw.shared ? *raw.shared : QByteArray(raw.data, raw.size);
    case RawValue::Null:
        break;
    }
    return {};
}

} // namespace dao::detail
