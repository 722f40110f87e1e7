#pragma once

#include <QDateTime>
#include <QMetaType>
#include <QString>
#include <QVariant>

#include <compare>
#include <optional>

namespace dao {

// A field value is a QVariant; an invalid QVariant is the database Null.
// Kinds as the program treats them:
//   Long      int (qlonglong where it does not fit)
//   Double    double
//   Currency  dao::Currency (exact, four decimals kept, two shown)
//   Bool      bool (Yes/No; stored as -1 / 0)
//   Text/Memo QString
//   Date      QDateTime (local time, no zone)
//   Binary    QByteArray
inline QVariant Null() { return {}; }
// Read for nearly every value: what QVariant::isNull and isValid would say,
// without their calls, for all but a variant that holds a pointer.
inline bool isNull(const QVariant &v)
{
    const QVariant::Private &d = v.data_ptr();
    const QtPrivate::QMetaTypeInterface *type = d.typeInterface();
    if (d.is_null || !type)
        return true;
    return (type->flags & QMetaType::IsPointer) && v.isNull();
}

enum class FieldKind { Unknown, Long, Double, Currency, Bool, Text, Memo, Date, Binary };

// Fixed-point money with four decimals, as the classic currency type.
class Currency {
public:
    constexpr Currency() = default;
    static constexpr Currency fromUnits(qint64 units) { Currency c; c.m_units = units; return c; }
    static Currency fromDouble(double value);
    // A number as core::NumberText reads it ("1234,5", "1234.50", "-3",
    // "1.234,50"), exact to the fourth decimal; nullopt otherwise.
    static std::optional<Currency> fromText(const QString &text);

    constexpr qint64 units() const { return m_units; }   // 1/10000
    double toDouble() const { return static_cast<double>(m_units) / 10000.0; }
    // Two decimals with a point: "1234.50".
    QString toString() const;

    friend constexpr Currency operator+(Currency a, Currency b) { return fromUnits(a.m_units + b.m_units); }
    friend constexpr Currency operator-(Currency a, Currency b) { return fromUnits(a.m_units - b.m_units); }
    friend constexpr auto operator<=>(Currency, Currency) = default;

private:
    qint64 m_units = 0;
};

// The type conversions QVariant needs for Currency (toDouble, toString);
// called once by the engine, harmless to call again.
void registerValueTypes();

} // namespace dao

Q_DECLARE_METATYPE(dao::Currency)
