#pragma once

// Reads back what a spreadsheet program would see of an XLSX file: the cells
// of its first sheet with their types and number formats, the frozen pane,
// the autofilter and the column widths. The parts come out of the zip
// through unzip, the XML through QXmlStreamReader.

#include <QHash>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>

struct SheetCell {
    QString type;     // the cell's t attribute: "" for a number, "inlineStr", "s" ...
    QString value;    // the number or the text
    QString format;   // the number format of the cell's style, "" for General
};

struct Sheet {
    QMap<QString, SheetCell> cells;   // by reference, "A1"
    QString frozen;                   // the pane's state and split, "frozen 1"
    QString autoFilter;               // its ref, "A1:I3"
    QList<double> widths;             // of the columns, in characters
    bool read = false;
};

inline QByteArray zipPart(const QString &file, const QString &part)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), file, part});
    unzip.waitForFinished(60000);
    return unzip.readAllStandardOutput();
}

// A text as Excel reads it: _xHHHH_ stands for a character XML cannot carry.
inline QString unescaped(QString text)
{
    static const QRegularExpression escape(QStringLiteral("_x([0-9A-Fa-f]{4})_"));
    QRegularExpressionMatch match;
    qsizetype from = 0;
    while ((match = escape.match(text, from)).hasMatch()) {
        text.replace(match.capturedStart(), match.capturedLength(), QChar(match.captured(1).toUShort(nullptr, 16)));
        from = match.capturedStart() + 1;
    }
    return text;
}

inline QHash<int, QString> cellFormats(const QByteArray &styles)
{
    QHash<int, QString> codes{{0, QString()}, {14, QStringLiteral("mm-dd-yy")}};
    QList<int> xfFormats;
    bool inCellXfs = false;
    QXmlStreamReader xml(styles);
    while (xml.readNext() != QXmlStreamReader::Invalid && !xml.atEnd()) {
        if (xml.isStartElement() && xml.name() == u"numFmt")
            codes.insert(xml.attributes().value(QLatin1String("numFmtId")).toInt(), xml.attributes().value(QLatin1String("formatCode")).toString());
        else if (xml.isStartElement() && xml.name() == u"cellXfs")
            inCellXfs = true;
        else if (xml.isEndElement() && xml.name() == u"cellXfs")
            inCellXfs = false;
        else if (inCellXfs && xml.isStartElement() && xml.name() == u"xf")
            xfFormats.append(xml.attributes().value(QLatin1String("numFmtId")).toInt());
    }
    QHash<int, QString> byStyle;
    for (int n = 0; n < xfFormats.size(); ++n)
        byStyle.insert(n, codes.value(xfFormats[n]));
    return byStyle;
}

inline Sheet readSheet(const QString &file)
{
    Sheet sheet;
    const QByteArray xml = zipPart(file, QStringLiteral("xl/worksheets/sheet1.xml"));
    const QHash<int, QString> formats = cellFormats(zipPart(file, QStringLiteral("xl/styles.xml")));
    QXmlStreamReader reader(xml);
    QString ref;
    while (reader.readNext() != QXmlStreamReader::Invalid && !reader.atEnd()) {
        if (!reader.isStartElement())
            continue;
        const auto a = reader.attributes();
        if (reader.name() == u"c") {
            ref = a.value(QLatin1String("r")).toString();
            sheet.cells[ref] = {a.value(QLatin1String("t")).toString(), QString(), formats.value(a.value(QLatin1String("s")).toInt())};
        } else if (reader.name() == u"v" || reader.name() == u"t") {
            sheet.cells[ref].value = unescaped(reader.readElementText());
        } else if (reader.name() == u"pane") {
            sheet.frozen = a.value(QLatin1String("state")).toString() + u' ' + a.value(QLatin1String("ySplit")).toString();
        } else if (reader.name() == u"autoFilter") {
            sheet.autoFilter = a.value(QLatin1String("ref")).toString();
        } else if (reader.name() == u"col") {
            sheet.widths.append(a.value(QLatin1String("width")).toDouble());
        }
    }
    sheet.read = !reader.hasError() && !xml.isEmpty();
    return sheet;
}
