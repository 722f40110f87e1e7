#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace report {

// The attached PDF documents of a printed report, sent to the printer's
// CUPS queue as one PDF job of their pages as they are (no picture of them
// is drawn), after the report's own pages. False, with the reason in
// German, when the queue does not take them.
bool printDocuments(const QString &printerName, const QList<QByteArray> &documents, int copies, QString *error);

} // namespace report
