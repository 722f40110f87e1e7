#include "form/FieldText.h"

#include "dao/Value.h"

#include <QLocale>
#include <QRegularExpression>

namespace form {

std::optional<QDateTime> parseDateText(const QString &text)
{
    static const QRegularExpression german(QStringLiteral(
        R"(^\s*(\d{1,2})\.(\d{1,2})\.(\d{2}|\d{4})(?:\s+(\d{1,2}):(\d{2})(?::(\d{2}))?)?\s*$)"));
    static const QRegularExpression iso(QStringLiteral(
        R"(^\s*(\d{4})-(\d{2})-(\d{2})(?:[ T](\d{1,2}):(\d{2})(?::(\d{2}))?)?\s*$)"));
    int day = 0, month = 0, year = 0;
    QRegularExpressionMatch m = german.match(text);
    if (m.hasMatch()) {
        day = m.captured(1).toInt();
        month = m.captured(2).toInt();
        year = m.captured(3).toInt();
        // Two-digit years as the classic window reads them: 00-29 this century.
        if (m.captured(3).size() == 2)
            year += year < 30 ? 2000 : 1900;
    } else {
        m = iso.match(text);
        if (!m.hasMatch())
            return std::nullopt;
        year = m.captured(1).toInt();
        month = m.captured(2).toInt();
        day = m.captured(3).toInt();
    }
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    QTime time(0, 0);
    if (!m.captured(4).isEmpty()) {
        time = QTime(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
        if (!time.isValid())
            return std::nullopt;
    }
    return QDateTime(date, time);
}

QString dateText(const QDateTime &moment)
{
    if (moment.time() == QTime(0, 0))
        return moment.date().toString(QStringLiteral("dd.MM.yyyy"));
    return moment.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
}

QString amountText(const QVariant &amount)
{
    if (dao::isNull(amount))
        return {};
    QString text = amount.canConvert<dao::Currency>() && amount.userType() == qMetaTypeId<dao::Currency>()
        ? amount.value<dao::Currency>().toString()
        : QString::number(amount.toDouble(), 'f', 2);
    return text.replace(u'.', QLocale().decimalPoint());
}

QString displayText(const QVariant &value)
{
    if (dao::isNull(value))
        return {};
    if (value.userType() == QMetaType::QDateTime)
        return dateText(value.toDateTime());
    if (value.userType() == QMetaType::QDate)
        return dateText(QDateTime(value.toDate(), QTime(0, 0)));
    if (value.userType() == qMetaTypeId<dao::Currency>())
        return amountText(value);
    return value.toString();
}

} // namespace form
