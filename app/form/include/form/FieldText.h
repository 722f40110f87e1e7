#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>

#include <optional>

namespace form {

// How column values read as text in the form and back.

// German dates as typed: "5.3.2010", "05.03.10", optionally with a time;
// nullopt for anything that is no real day (31.02.2009).
std::optional<QDateTime> parseDateText(const QString &text);
// A date as "dd.MM.yyyy", with the time when it has one.
QString dateText(const QDateTime &moment);
// An amount with two decimals and the locale's separator, no grouping: "1234,50".
QString amountText(const QVariant &amount);
// Any value for a box or a label: Null gives "", dates as dateText.
QString displayText(const QVariant &value);

} // namespace form
