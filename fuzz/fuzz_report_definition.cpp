// A report definition file as it comes from disk: decoded, parsed, and every
// element's format picture applied to a number, a date, a text and Null.
#include "core/DateText.h"
#include "core/NumberText.h"
#include "report/Format.h"
#include "report/ReportDefinition.h"

#include <QByteArray>
#include <QDateTime>
#include <QLocale>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // The program runs with the German locale; its separators are the ones
    // the pictures are written for.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QString text = report::decodeDefinitionFile(bytes);
    report::ReportDefinition definition;
    report::ParseReportDefinition(text, definition);

    const QDateTime moment(QDate(2009, 1, 31), QTime(14, 30, 5));
    for (const report::ReportElement &element : definition.elements) {
        const QString &picture = element.format;
        report::formatNumber(-1234.5678, picture);
        report::formatNumber(1e300, picture);
        report::formatDate(moment, picture);
        report::formatValue(QVariant(element.text), picture);
        report::formatValue(QVariant(element.x1), picture);
        report::formatValue(QVariant(), picture);
        core::readNumber(element.text);
        core::readDate(element.text);
    }
    return 0;
}
