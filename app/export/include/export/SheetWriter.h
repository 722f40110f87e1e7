#pragma once

#include "export/ExportColumn.h"

#include <QVariant>

#include <vector>

namespace exporter {

// Writes one sheet of rows into a file, row by row in order; what it keeps
// does not grow with the rows. Failures come back as false and a message
// in the user's words.
class SheetWriter {
public:
    virtual ~SheetWriter() = default;

    // Starts the file at path with the header row of the columns' captions.
    virtual bool begin(const QString &path, const ExportColumns &columns, QString *message) = 0;
    // One row: a value per column, an invalid one for Null.
    virtual bool writeRow(const std::vector<QVariant> &values, QString *message) = 0;
    // Completes the file.
    virtual bool finish(QString *message) = 0;
};

// The amount of a value in whole cents, rounded half away from zero; a
// currency value exactly, anything else as a number.
qint64 amountCents(const QVariant &value);

} // namespace exporter
