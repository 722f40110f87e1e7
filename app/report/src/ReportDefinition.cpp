#include "report/ReportDefinition.h"

#include "report/Format.h"

#include "core/Clock.h"
#include "core/Twips.h"

#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>

namespace report {
namespace {

bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }

QString trimBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

// Colours keep their full 24 bits; what lies outside any 32-bit code is
// no colour, which the renderer passes over.
std::int32_t colourCode(const QString &field)
{
    const double rounded = std::nearbyint(definitionNumber(field));
    constexpr double lowest = std::numeric_limits<std::int32_t>::min();
    constexpr double highest = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(rounded, lowest, highest));
}

double number(QString &line) { return definitionNumber(NextToken(line)); }
std::int16_t integer(QString &line) { return definitionInteger(NextToken(line)); }

// The font fields every text command has, in the order the lines give them.
void readFont(QString &line, ReportElement &e)
{
    e.font = NextToken(line);
    e.style = NextToken(line);
    e.size = integer(line);
}

void readCorners(QString &line, ReportElement &e)
{
    e.x2 = number(line);
    e.y2 = number(line);
}

void readElement(QString &line, ReportElement &e, ReportDefinition &definition)
{
    e.x1 = number(line);
    e.y1 = number(line);
    switch (e.kind) {
    case ElementKind::Text:
        readCorners(line, e);
        e.align = integer(line);
        readFont(line, e);
        e.text = line;
        break;
    case ElementKind::Field:
        readCorners(line, e);
        e.align = integer(line);
        readFont(line, e);
        e.field = NextToken(line);
        e.format = NextToken(line);
        break;
    case ElementKind::PrintDate:
    case ElementKind::Page:
    case ElementKind::Pages:
        readFont(line, e);
        e.format = NextToken(line);
        if (e.kind == ElementKind::PrintDate)
            e.text = formatDate(core::Clock::now(), e.format);
        break;
    case ElementKind::Rect:
        readCorners(line, e);
        e.lineWidth = number(line);
        e.align = integer(line);
        e.extra = colourCode(NextToken(line));
        break;
    case ElementKind::Memo:
        readCorners(line, e);
        e.align = integer(line);
        readFont(line, e);
        e.extra = colourCode(NextToken(line));
        e.field = NextToken(line);
        e.format = NextToken(line);
        break;
    case ElementKind::Grid:
        readCorners(line, e);
        e.align = integer(line);
        readFont(line, e);
        e.text = line;
        definition.hasGrid = true;
        break;
    case ElementKind::Picture:
        readCorners(line, e);
        e.field = NextToken(line);
        e.align = integer(line);
        e.fit = definitionInteger(line);
        break;
    case ElementKind::Filter:
        e.field = NextToken(line);
        e.text = line;
        break;
    case ElementKind::Drawing:
        readCorners(line, e);
        e.field = NextToken(line);
        break;
    case ElementKind::End:
    case ElementKind::None:
        break;
    }
}

} // namespace

ElementKind kindOfCommand(const QString &command)
{
    static const QList<std::pair<QString, ElementKind>> kinds = {
        {QStringLiteral("CT"), ElementKind::Text},       {QStringLiteral("CTEXT"), ElementKind::Text},
        {QStringLiteral("CF"), ElementKind::Field},      {QStringLiteral("CFELD"), ElementKind::Field},
        {QStringLiteral("PDAT"), ElementKind::PrintDate}, {QStringLiteral("PAGE"), ElementKind::Page},
        {QStringLiteral("PAGES"), ElementKind::Pages},   {QStringLiteral("RECT"), ElementKind::Rect},
        {QStringLiteral("MEMO"), ElementKind::Memo},     {QStringLiteral("GRID"), ElementKind::Grid},
        {QStringLiteral("OBJEKT"), ElementKind::Picture}, {QStringLiteral("FILTER"), ElementKind::Filter},
        {QStringLiteral("SKIZZE"), ElementKind::Drawing},
        {QStringLiteral("ENDE"), ElementKind::End},      {QStringLiteral("ENDEMEMO"), ElementKind::End},
    };
    const QString key = command.trimmed().toUpper();
    for (const auto &[name, kind] : kinds) {
        if (name == key)
            return kind;
    }
    return ElementKind::None;
}

QString NextToken(QString &line)
{
    const qsizetype comma = line.indexOf(u',');
    if (comma < 0) {
        QString token = line;
        line.clear();
        return token;
    }
    QString token = line.left(comma);
    line.remove(0, comma + 1);
    return token;
}

double definitionNumber(const QString &field) { return core::leadingNumber(field); }

std::int16_t definitionInteger(const QString &field)
{
    // nearbyint rounds in the default mode, halves to the even neighbour.
    const double rounded = std::nearbyint(definitionNumber(field));
    constexpr double lowest = std::numeric_limits<std::int16_t>::min();
    constexpr double highest = std::numeric_limits<std::int16_t>::max();
    return static_cast<std::int16_t>(std::clamp(rounded, lowest, highest));
}

void ParseReportDefinition(QString &text, ReportDefinition &definition)
{
    QStringList lines;
    {
        qsizetype start = 0;
        const qsizetype n = text.size();
        for (qsizetype i = 0; i < n; ++i) {
            if (text.at(i) != u'\r')
                continue;
            lines.append(text.mid(start, i - start));
            if (i + 1 < n && text.at(i + 1) == u'\n')
                ++i;
            start = i + 1;
        }
        if (start < n)
            lines.append(text.mid(start));
    }
    text.clear();
    definition.hasGrid = false;

    int current = definition.sectionCount();
    for (const QString &raw : std::as_const(lines)) {
        QString line = trimBlanks(raw);
        if (line.isEmpty() || line.startsWith(u'#') || line.startsWith(u','))
            continue;
        definition.elements.append(ReportElement{});
        const int count = definition.elementCount();
        ReportElement &e = definition.elements.last();

        if (line.startsWith(u'[')) {
            // A header without "]" still opens a section, an unnamed one
            // that is never laid out, so its lines cannot slip into the
            // section before it.
            const qsizetype close = line.indexOf(u']');
            ReportSection section;
            if (close > 0)
                section.name = line.mid(1, close - 1).trimmed().toUpper();
            section.firstElement = count + 1;
            definition.sections.last().lastElement = count - 1;
            definition.sections.append(section);
            current = definition.sectionCount();
            continue;
        }

        e.section = static_cast<std::int16_t>(current);
        e.command = NextToken(line).trimmed().toUpper();
        e.kind = kindOfCommand(e.command);
        readElement(line, e, definition);
        if (e.command == u"ENDE") {
            ReportSection &section = definition.sections[current];
            section.height = e.y1;
            if (section.name == u"FUSS" && e.x1 != 0)
                definition.footerTop = static_cast<float>(e.x1);
        }
    }
    definition.sections.last().lastElement = definition.elementCount();
}

QString listTemplate(const QString &subtitle)
{
    const QStringList lines = {
        QStringLiteral("[KOPF]"),
        QStringLiteral("RECT,01.30,02.18,28.00,02.18,00.02,0,0"),
        QStringLiteral("CT,24.00,01.60,25.25,03.09,2,TNR,,09.00,Stand :"),
        QStringLiteral("PDAT ,25.30,01.60,TNR,,09.00,dd.mm.yyyy"),
        QStringLiteral("CT,02.00,01.40,08.50,03.00,0,TNR,,20.00,Schadensmeldungen"),
        QStringLiteral("CT,09.00,01.50,25.18,03.00,0,TNR,,14.00,") + subtitle,
        QStringLiteral("GRID ,02.00,02.50,27.00,18.10,0,TNR,,08.00,Grid"),
        QStringLiteral("ENDE ,00.00,00.00"),
        QStringLiteral("[FUSS]"),
        QStringLiteral("RECT ,01.30,18.50,28.00,18.50,00.02,0,0"),
        QStringLiteral("CT,13.26,18.77,14.22,19.77,0,TNR,,09.00,Seite"),
        QStringLiteral("PAGE ,14.33,18.77,TNR,,09.00,###"),
        QStringLiteral("CT,14.98,18.77,15.75,19.77,0,TNR,,09.00,von"),
        QStringLiteral("PAGES,15.91,18.77,TNR,,09.00,###"),
        QStringLiteral("ENDE ,18.10,00.00"),
    };
    return lines.join(u'\r');
}

QString decodeDefinitionFile(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder windows("windows-1252");
    if (windows.isValid())
        return windows.decode(bytes);
    return QString::fromLatin1(bytes);
}

} // namespace report
