#pragma once

#include <QList>
#include <QString>

#include <cstdint>

namespace report {

// What a definition line does, worked out once when it is read so that the
// layout and the renderer need not compare command texts for every item.
enum class ElementKind : std::uint8_t {
    None,       // a section header line, an inert page item, an unknown command
    Text,       // "CT", "CTEXT"
    Field,      // "CF", "CFELD"
    PrintDate,  // "PDAT"
    Page,       // "PAGE"
    Pages,      // "PAGES"
    Rect,       // "RECT"
    Memo,       // "MEMO"
    Grid,       // "GRID"
    Picture,    // "OBJEKT"
    Filter,     // "FILTER"
    Drawing,    // "SKIZZE": a drawing of the case that the report's CaseAddition draws
    End,        // "ENDE", "ENDEMEMO"
};

ElementKind kindOfCommand(const QString &command);

// One line of a definition, and equally one item laid out on a page.
// Coordinates are centimetres from the top left of the page; in a body
// section y is relative to the flow position.
struct ReportElement {
    QString command;          // upper-cased, trimmed first field; "" for a header line
    QString font;
    QString style;            // letters: F bold, I or K italic, U underlined
    QString text;             // literal text, or the resolved value once laid out
    QString field;            // field placeholder, "S_Schadennummer"
    QString format;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    double lineWidth = 0;     // RECT: bar width in cm
    double flow = 0;          // page item: the flow position it was laid out at
    float memoOffset = 0;     // continuation: the memo growth when it was split
    std::int32_t extra = 0;   // RECT colour, MEMO frame colour (palette index or RGB, red low)
    std::int32_t page = 0;
    std::int16_t section = 0;
    std::int16_t size = 0;    // points
    std::int16_t align = 0;   // text alignment; RECT line style; MEMO frame code; OBJEKT overlay switch
    std::int16_t fit = 0;     // OBJEKT fit mode
    std::int32_t sourceElement = 0; // continuation: the element it continues
    ElementKind kind = ElementKind::None;

    // A page item moved on to a later page leaves an inert copy behind.
    void makeInert()
    {
        command.clear();
        kind = ElementKind::None;
    }
};

struct ReportSection {
    QString name;             // upper case, trimmed
    std::int32_t firstElement = 0;
    std::int32_t lastElement = 0;
    double height = 0;        // cm, second number of the section's ENDE line
};

// A parsed report definition. Slot 0 of both tables always exists: section 0
// holds the lines before the first section header and is never laid out;
// element 0 is a scratch slot.
struct ReportDefinition {
    QList<ReportSection> sections{ReportSection{}};
    QList<ReportElement> elements{ReportElement{}};
    // Top of the footer area in cm, 0 until a FUSS section gives one. Every
    // report starts from its own definition, so one report's footer can
    // never leak into the next.
    float footerTop = 0;
    bool hasGrid = false;

    int elementCount() const { return static_cast<int>(elements.size()) - 1; }
    int sectionCount() const { return static_cast<int>(sections.size()) - 1; }
};

// The part of line before its first comma; line keeps what follows that
// comma, or nothing when there is none. Not trimmed.
QString NextToken(QString &line);

// Consumes text (it is empty afterwards) and appends its sections and
// elements to definition. Lines end at a carriage return (a line feed
// directly after it belongs to it); a line feed alone ends nothing.
void ParseReportDefinition(QString &text, ReportDefinition &definition);

// Numbers of a definition: the leading numeric part, "." as the decimal
// point, 0 without digits; whole-number fields round halves to even.
double definitionNumber(const QString &field);
std::int16_t definitionInteger(const QString &field);

// The case-list report's definition, lines joined by a carriage return,
// with subtitle after the third text line.
QString listTemplate(const QString &subtitle);

// The definition file's bytes as text: UTF-8 when they are valid UTF-8,
// otherwise the Windows code page the file was first written in.
QString decodeDefinitionFile(const QByteArray &bytes);

} // namespace report
