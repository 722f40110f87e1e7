#include "dao/Value.h"

#include <QMetaType>

#include <cmath>

namespace dao {

Currency Currency::fromDouble(double value)
{
    return fromUnits(std::llround(value * 10000.0));
}

std::optional<Currency> Currency::fromText(const QString &text)
{
    const QString t = text.trimmed();
    int i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == u'-' || t[i] == u'+'))
        negative = t[i++] == u'-';
    qint64 whole = 0;
    int wholeDigits = 0;
    while (i < t.size() && t[i].isDigit()) {
        if (whole > 92233720368546LL)  // units would overflow
            return std::nullopt;
        whole = whole * 10 + t[i++].digitValue();
        ++wholeDigits;
    }
    qint64 fraction = 0;
    int fractionDigits = 0;
    bool roundUp = false;
    if (i < t.size() && (t[i] == u',' || t[i] == u'.')) {
        ++i;
        while (i < t.size() && t[i].isDigit()) {
            const int digit = t[i++].digitValue();
            if (fractionDigits < 4)
                fraction = fraction * 10 + digit;
            else if (fractionDigits == 4)
                roundUp = digit >= 5;
            ++fractionDigits;
        }
    }
    if (i != t.size() || wholeDigits + fractionDigits == 0)
        return std::nullopt;
    for (int d = std::min(fractionDigits, 4); d < 4; ++d)
        fraction *= 10;
    qint64 units = whole * 10000 + fraction + (roundUp ? 1 : 0);
    return fromUnits(negative ? -units : units);
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
