#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>


namespace report {

// Format pictures of report definitions, in the classic picture language:
// dates "dd.mm.yyyy", "dddd, d. mmmm yyyy", "hh:nn" (mm right after an hour
// means minutes), numbers "###", "#,##0.00", "0.0%", up to four sections
// "positive;negative;zero;null", "quoted" and \escaped literals, and the
// named formats ("Currency", "Standard", "Fixed", "Percent", "Short Date",
// "Long Date", "General Date", "Short Time", "Long Time"). Names, decimal
// point and grouping follow the user's locale (German for this program).
QString formatDate(const QDateTime &moment, const QString &picture);
QString formatNumber(double value, const QString &picture);

// A value formatted with a picture: dates as dates, numbers and texts that
// read as numbers as numbers, texts that read as dates as dates (both read
// as core::readNumber and core::readDate read them), any other
// text unchanged. An empty picture gives the value's text.
QString formatValue(const QVariant &value, const QString &picture);

// A field value as text, as it shows in a form: dates "31.01.2009" (with
// the time when there is one), numbers with the decimal comma and no
// grouping, Yes/No as "Wahr"/"Falsch"; Null gives "".
QString valueText(const QVariant &value);

} // namespace report
