#pragma once

#include "export/SheetWriter.h"

#include <QFile>

namespace exporter {

// A CSV file as German spreadsheet programs open it without asking: UTF-8
// with a byte order mark, ";" between cells, CR LF after each row, dates
// dd.MM.yyyy, amounts with a decimal comma, a cell quoted where it holds a
// separator, a quote or a line break.
class CsvWriter : public SheetWriter {
public:
    bool begin(const QString &path, const ExportColumns &columns, QString *message) override;
    bool writeRow(const std::vector<QVariant> &values, QString *message) override;
    bool finish(QString *message) override;

    // One cell as it stands in the file, quoted where needed. A text that a
    // spreadsheet would take for a formula (=, +, -, @ and more after it)
    // gets a leading apostrophe, so opening the file runs nothing.
    static QByteArray cell(const QVariant &value, CellKind kind);

private:
    bool put(const QByteArray &bytes, QString *message);

    QFile m_file;
    ExportColumns m_columns;
    QByteArray m_line;
};

} // namespace exporter
