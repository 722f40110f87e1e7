#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace report {

// The pages of whole PDF documents put after the pages of another PDF as
// they are (fonts, text and drawings kept, nothing turned into pictures),
// through qpdf. A document qpdf cannot read is left out and named in
// skipped (its place in documents, from 1).
struct Appended {
    QByteArray pdf;          // empty when base itself cannot be read
    QList<int> skipped;
    QString error;           // why base could not be used
};

Appended appendPdfPages(const QByteArray &base, const QList<QByteArray> &documents);

// The number of pages of a PDF; 0 when it cannot be read.
int pdfPageCount(const QByteArray &pdf);

} // namespace report
