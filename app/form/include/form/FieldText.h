#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>

namespace form {

// How column values show as text in the form; typed dates and numbers are
// read back by core::readDate and core::readNumber.

// A date as "dd.MM.yyyy", with the time when it has one.
QString dateText(const QDateTime &moment);
// An amount with two decimals and the locale's separator, no grouping: "1234,50".
QString amountText(const QVariant &amount);
// Any value for a box or a label: Null gives "", dates as dateText.
QString displayText(const QVariant &value);

} // namespace form
