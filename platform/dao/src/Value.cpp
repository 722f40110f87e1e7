#include "dao/Value.h"

#include "core/NumberText.h"

#include <QMetaType>

#include <cmath>

namespace dao {

Currency Currency::fromDouble(double value)
{
    return fromUnits(std::llround(value * 10000.0));
}

std::optional<Currency> Currency::fromText(const QString &text)
{
    const auto number = core::NumberText::read(text);
    if (!number)
        return std::nullopt;
    if (number->exponent != 0) {
        const auto units = core::roundedInteger<qint64>(std::round(number->toDouble() * 10000.0));
        return units ? std::optional<Currency>(fromUnits(*units)) : std::nullopt;
    }
    // Digit by digit, so that an amount keeps every cent a double would lose.
    qint64 whole = 0;
    for (const QChar digit : number->whole) {
        if (whole > 92233720368546LL)  // units would overflow
            return std::nullopt;
        whole = whole * 10 + digit.digitValue();
    }
    qint64 fraction = 0;
    for (qsizetype i = 0; i < 4; ++i)
        fraction = fraction * 10 + (i < number->fraction.size() ? number->fraction.at(i).digitValue() : 0);
    const bool roundUp = number->fraction.size() > 4 && number->fraction.at(4).digitValue() >= 5;
    const qint64 units = whole * 10000 + fraction + (roundUp ? 1 : 0);
    return fromUnits(number->negative ? -units : units);
}

QString Currency::toString() const
{
    const bool negative = m_units < 0;
    const qint64 magnitude = negative ? -m_units : m_units;
    const qint64 cents = (magnitude + 50) / 100;
    QString text = QString::number(cents / 100) + u'.'
        + QStringLiteral("%1").arg(cents % 100, 2, 10, QLatin1Char('0'));
    return negative && cents != 0 ? u'-' + text : text;
}

void registerValueTypes()
{
    static const bool registered = [] {
        QMetaType::registerConverter<Currency, double>(&Currency::toDouble);
        QMetaType::registerConverter<Currency, QString>(&Currency::toString);
        return true;
    }();
    Q_UNUSED(registered);
}

} // namespace dao
