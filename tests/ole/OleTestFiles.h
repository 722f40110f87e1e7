#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>

// Documents the container tests embed, made where they run.
namespace oletest {

// A two-page PDF: the first page filled with firstPage, the second blue.
QByteArray pdfBytes(const QColor &firstPage = QColor(200, 30, 30));
// A PNG of the given size in one colour.
QByteArray pngBytes(const QColor &colour, int width = 64, int height = 48);
// Writes bytes as the file at path; false when it cannot.
bool writeFile(const QString &path, const QByteArray &bytes);

} // namespace oletest
