#include "preview/DocumentPrinting.h"

#include "report/PdfAppendix.h"

#include "core/PrivateTempFolders.h"

#include <QTemporaryFile>

#include <cups/cups.h>

namespace report {

bool printDocuments(const QString &printerName, const QList<QByteArray> &documents, int copies, QString *error)
{
    if (documents.isEmpty())
        return true;
    const Appended merged = appendPdfPages(documents.first(), documents.mid(1));
    if (merged.pdf.isEmpty()) {
        *error = QStringLiteral("Die angehängten PDF-Dokumente lassen sich nicht lesen (") + merged.error
            + QStringLiteral(").");
        return false;
    }
    QTemporaryFile file(core::PrivateTempFolders::ofSystemTemp() + QStringLiteral("/Anhaenge-XXXXXX.pdf"));
    if (!file.open() || file.write(merged.pdf) != merged.pdf.size() || !file.flush()) {
        *error = QStringLiteral("Im temporären Ordner kann keine Datei angelegt werden.");
        return false;
    }
    const QByteArray printer = printerName.toUtf8();
    const QByteArray count = QByteArray::number(qMax(1, copies));
    cups_option_t *options = nullptr;
    int optionCount = cupsAddOption("copies", count.constData(), 0, &options);
    optionCount = cupsAddOption("document-format", "application/pdf", optionCount, &options);
    const int job = cupsPrintFile2(CUPS_HTTP_DEFAULT, printer.constData(), QFile::encodeName(file.fileName()).constData(),
                                   "Anhänge", optionCount, options);
    cupsFreeOptions(optionCount, options);
    if (job == 0) {
        *error = QStringLiteral("Der Drucker ") + printerName + QStringLiteral(" nimmt die Anhänge nicht an: ")
            + QString::fromUtf8(cupsLastErrorString());
        return false;
    }
    return true;
}

} // namespace report
