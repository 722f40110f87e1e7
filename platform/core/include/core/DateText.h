#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

namespace core {

// How the program reads a date from text: what a user typed into the form,
// a text value a report formats as a date, a date column the database layer
// reads. One set of rules for all of them:
//
// - blanks around the date do not count;
// - German, day first: "5.3.2010", "05.03.2010", "05.03.10"; a two-digit
//   year 00-29 is 2000-2029, 30-99 is 1930-1999;
// - ISO, as the databases store it: "2010-03-05", months and days with one
//   or two digits;
// - either may carry a time of day, "14:30" or "14:30:15", after blanks
//   (ISO: after one blank or a "T"); ISO seconds may have a fraction, which
//   is dropped ("14:30:15.250", as the server writes them);
// - a day or a time that does not exist ("31.02.2009", "24:00"), or a time
//   the local clock skips when it goes forward, is no date;
// - nothing else: no month names, no other orders.
// The moment is in local time; without a time it is midnight.
std::optional<QDateTime> readDate(const QString &text);

} // namespace core
