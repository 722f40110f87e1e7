#include "core/DateText.h"

#include <QRegularExpression>

namespace core {
namespace {

int expandYear(const QString &digits)
{
    const int year = digits.toInt();
    if (digits.size() > 2)
        return year;
    return year < 30 ? 2000 + year : 1900 + year;
}

} // namespace

std::optional<QDateTime> readDate(const QString &text)
{
    static const QRegularExpression german(QStringLiteral(
        R"(^\s*([0-9]{1,2})\.([0-9]{1,2})\.([0-9]{2}|[0-9]{4})(?:\s+([0-9]{1,2}):([0-9]{2})(?::([0-9]{2}))?)?\s*$)"));
    static const QRegularExpression iso(QStringLiteral(
        R"(^\s*([0-9]{4})-([0-9]{1,2})-([0-9]{1,2})(?:[ T]([0-9]{1,2}):([0-9]{2})(?::([0-9]{2})(?:\.[0-9]+)?)?)?\s*$)"));
    int year = 0, month = 0, day = 0;
    QRegularExpressionMatch m = german.match(text);
    if (m.hasMatch()) {
        day = m.captured(1).toInt();
        month = m.captured(2).toInt();
        year = expandYear(m.captured(3));
    } else {
        m = iso.match(text);
        if (!m.hasMatch())
            return std::nullopt;
        year = m.captured(1).toInt();
        month = m.captured(2).toInt();
        day = m.captured(3).toInt();
    }
    const QDate date(year, month, day);
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    const QDateTime moment(date, time);
    if (!moment.isValid())
        return std::nullopt;
    return moment;
}

} // namespace core
