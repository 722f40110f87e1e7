#include "form/FieldText.h"

#include "dao/Value.h"

#include <QLocale>

namespace form {

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
