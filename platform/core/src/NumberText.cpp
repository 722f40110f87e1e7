#include "core/NumberText.h"

#include <QStringList>

namespace core {
namespace {

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

bool allDigits(QStringView text)
{
    for (const QChar c : text)
        if (!isDigit(c))
            return false;
    return true;
}

// The whole part with its group points removed, or nothing when the groups
// are not one to three digits followed by groups of three.
std::optional<QString> ungrouped(const QString &grouped)
{
    const QStringList groups = grouped.split(u'.');
    if (groups.first().isEmpty() || groups.first().size() > 3)
        return std::nullopt;
    for (qsizetype i = 1; i < groups.size(); ++i)
        if (groups.at(i).size() != 3)
            return std::nullopt;
    return groups.join(QString());
}

} // namespace

std::optional<NumberText> NumberText::read(const QString &text)
{
    QString t = text.trimmed();
    NumberText number;
    if (!t.isEmpty() && (t.front() == u'+' || t.front() == u'-')) {
        number.negative = t.front() == u'-';
        t.remove(0, 1);
    }
    const qsizetype e = t.indexOf(u'e', 0, Qt::CaseInsensitive);
    if (e >= 0) {
        QStringView power = QStringView(t).mid(e + 1);
        const bool negativePower = power.startsWith(u'-');
        if (power.startsWith(u'+') || negativePower)
            power = power.mid(1);
        if (power.isEmpty() || !allDigits(power))
            return std::nullopt;
        // Any power beyond this makes every mantissa infinite or zero.
        const int magnitude = power.size() > 5 ? 99999 : power.toInt();
        number.exponent = negativePower ? -magnitude : magnitude;
        t.truncate(e);
    }

    const qsizetype comma = t.indexOf(u',');
    const qsizetype points = t.count(u'.');
    QString whole;
    if (comma >= 0) {
        if (t.indexOf(u',', comma + 1) >= 0)
            return std::nullopt;
        whole = t.left(comma);
        number.fraction = t.mid(comma + 1);
    } else if (points == 1) {
        const qsizetype point = t.indexOf(u'.');
        whole = t.left(point);
        number.fraction = t.mid(point + 1);
    } else {
        whole = t;
    }
    if (whole.contains(u'.')) {
        const auto plain = ungrouped(whole);
        if (!plain)
            return std::nullopt;
        whole = *plain;
    }
    number.whole = whole;
    if (!allDigits(number.whole) || !allDigits(number.fraction)
        || number.whole.size() + number.fraction.size() == 0)
        return std::nullopt;
    if (!std::isfinite(number.toDouble()))
        return std::nullopt;
    return number;
}

double NumberText::toDouble() const
{
    // Built as the C form and read by Qt, which rounds correctly.
    QString c = (negative ? QStringLiteral("-") : QString()) + (whole.isEmpty() ? QStringLiteral("0") : whole);
    if (!fraction.isEmpty())
        c += u'.' + fraction;
    if (exponent != 0)
        c += u'e' + QString::number(exponent);
    // Qt flags both ends of the range: beyond the largest double it gives an
    // infinity, below the smallest a zero, which is the number's value.
    return c.toDouble();
}

std::optional<double> readNumber(const QString &text)
{
    if (const auto number = NumberText::read(text))
        return number->toDouble();
    return std::nullopt;
}

} // namespace core
