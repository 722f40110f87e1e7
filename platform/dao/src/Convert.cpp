#include "Engine.h"

#include "DateCache.h"

#include "core/DateText.h"
#include "core/NumberText.h"

#include <QDate>

#include <cmath>
#include <cstring>
#include <limits>

namespace dao::detail {
namespace {

[[noreturn]] void conversionError(const QVariant &value)
{
    DBEngine::instance().raise(ErrConversion,
                               QStringLiteral("Fehler bei der Datentypkonvertierung: \"%1\".")
                                   .arg(value.toString()));
}

bool isNumber(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Long: case QMetaType::ULong: case QMetaType::Short: case QMetaType::UShort:
    case QMetaType::Double: case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

bool isInteger(const QVariant &v)
{
    return isNumber(v) && v.typeId() != QMetaType::Double && v.typeId() != QMetaType::Float;
}

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

// The stored and delivered form "yyyy-MM-dd HH:mm:ss" without the cost of a general parser.
QVariant dateVariant(const RawValue &raw, DateCache &days)
{
    const char *p = raw.data;
    if (raw.size == 19 && p[4] == '-' && p[7] == '-' && p[10] == ' ' && p[13] == ':' && p[16] == ':') {
        const QDateTime moment = days.moment(digits(p, 4), digits(p + 5, 2), digits(p + 8, 2), digits(p + 11, 2),
                                             digits(p + 14, 2), digits(p + 17, 2));
        if (moment.isValid())
            return moment;
    }
    const auto dt = core::readDate(text(raw));
    return dt ? QVariant(*dt) : QVariant();
}

} // namespace

QString storedDateText(const QDateTime &moment)
{
    return moment.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QVariant canonicalParameter(const QVariant &value)
{
    if (isNull(value))
        return {};
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Double:
    case QMetaType::QString:
    case QMetaType::QByteArray:
        return value;
    case QMetaType::Float:
        return value.toDouble();
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        return QDateTime(dt.date(), QTime(dt.time().hour(), dt.time().minute(), dt.time().second()));
    }
    case QMetaType::QDate:
        return QDateTime(value.toDate(), QTime(0, 0));
    default:
        if (value.typeId() == qMetaTypeId<Currency>())
            return value;
        if (isInteger(value))
            return value.toLongLong();
        return value.toString();
    }
}

QVariant canonicalValue(const QVariant &value, FieldKind kind)
{
    if (isNull(value))
        return {};
    const bool isCurrency = value.typeId() == qMetaTypeId<Currency>();
    const bool isText = value.typeId() == QMetaType::QString;
    switch (kind) {
    case FieldKind::Long: {
        if (value.typeId() == QMetaType::Bool)
            return qlonglong(value.toBool() ? -1 : 0);
        if (isInteger(value))
            return value.toLongLong();
        std::optional<double> d;
        if (isText)
            d = core::readNumber(value.toString());
        else if (isNumber(value) || isCurrency)
            d = value.toDouble();
        // Halves away from zero; a number beyond the column's range is refused.
        const auto whole = d ? core::roundedInteger<qint64>(std::round(*d)) : std::nullopt;
        if (!whole)
            conversionError(value);
        return qlonglong(*whole);
    }
    case FieldKind::Double: {
        if (value.typeId() == QMetaType::Bool)
            return value.toBool() ? -1.0 : 0.0;
        if (isNumber(value) || isCurrency)
            return value.toDouble();
        if (isText)
            if (const auto d = core::readNumber(value.toString()))
                return *d;
        conversionError(value);
    }
    case FieldKind::Currency: {
        if (isCurrency)
            return value;
        if (value.typeId() == QMetaType::Bool)
            return QVariant::fromValue(Currency::fromUnits(value.toBool() ? -10000 : 0));
        if (isInteger(value))
            return QVariant::fromValue(Currency::fromUnits(value.toLongLong() * 10000));
        if (isNumber(value))
            return QVariant::fromValue(Currency::fromDouble(value.toDouble()));
        if (isText)
            if (const auto c = Currency::fromText(value.toString()))
                return QVariant::fromValue(*c);
        conversionError(value);
    }
    case FieldKind::Bool: {
        if (value.typeId() == QMetaType::Bool)
            return value;
        if (isNumber(value) || isCurrency)
            return value.toDouble() != 0.0;
        if (isText) {
            const QString t = value.toString().trimmed().toLower();
            if (t == u"true" || t == u"wahr" || t == u"ja" || t == u"yes")
                return true;
            if (t == u"false" || t == u"falsch" || t == u"nein" || t == u"no")
                return false;
            if (const auto d = core::readNumber(t))
                return *d != 0.0;
        }
        conversionError(value);
    }
    case FieldKind::Text:
    case FieldKind::Memo:
        if (value.typeId() == QMetaType::QByteArray)
            return QString::fromUtf8(value.toByteArray());
        if (value.typeId() == QMetaType::QDateTime || value.typeId() == QMetaType::QDate) {
            const QDateTime dt = canonicalParameter(value).toDateTime();
            return dt.time() == QTime(0, 0) ? dt.toString(QStringLiteral("dd.MM.yyyy"))
                                            : dt.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
        }
        return value.toString();
    case FieldKind::Date: {
        if (value.typeId() == QMetaType::QDateTime || value.typeId() == QMetaType::QDate)
            return canonicalParameter(value);
        if (isText) {
            if (value.toString().trimmed().isEmpty())
                return {};
            if (const auto dt = core::readDate(value.toString()))
                return *dt;
        }
        conversionError(value);
    }
    case FieldKind::Binary:
        if (value.typeId() == QMetaType::QByteArray)
            return value;
        if (isText)
            return value.toString().toUtf8();
        conversionError(value);
    case FieldKind::Unknown:
        break;
    }
    return canonicalParameter(value);
}

QVariant convertedVariant(const RawValue &raw, FieldKind kind, DateCache &days)
{
    if (raw.type == RawValue::Null)
        return {};
    switch (kind) {
    case FieldKind::Long:
        if (raw.type == RawValue::Integer)
            return integerVariant(raw.integer);
        // What no whole number holds reads as 0, as an unreadable text does.
        if (raw.type == RawValue::Real)
            return integerVariant(core::roundedInteger<qint64>(std::round(raw.real)).value_or(0));
        return integerVariant(
            core::roundedInteger<qint64>(std::round(core::readNumber(text(raw)).value_or(0))).value_or(0));
    case FieldKind::Double:
        if (raw.type == RawValue::Integer)
            return double(raw.integer);
        if (raw.type == RawValue::Real)
            return raw.real;
        return core::readNumber(text(raw)).value_or(0);
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
            return dateVariant(raw, days);
        return {};
    case FieldKind::Text:
    case FieldKind::Memo:
        if (raw.type == RawValue::Integer)
            return QString::number(raw.integer);
        if (raw.type == RawValue::Real)
            return QString::number(raw.real);
        return textVariant(raw.data, raw.size);
    case FieldKind::Binary:
        if (raw.shared)
            return *raw.shared;
        if (raw.type == RawValue::Integer || raw.type == RawValue::Real)
            return convertedVariant(raw, FieldKind::Text, days).toString().toUtf8();
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
        return textVariant(raw.data, raw.size);
    case RawValue::Blob:
        return raw.shared ? *raw.shared : QByteArray(raw.data, raw.size);
    case RawValue::Null:
        break;
    }
    return {};
}

} // namespace dao::detail
