// A shape's record of the overlay script: Serialize and BuildObj.
#include "editor/GraficGeometry.h"

#include "editor/Rounding.h"
#include "editor/ScriptText.h"

#include <QVarLengthArray>

#include <limits>

namespace kelvane::editor {

namespace {

using ScriptText::ReadBoolean;
using ScriptText::ReadInteger;
using ScriptText::ReadNumber;

// No picture is wider or higher than this; larger positions and sizes in a
// record are not taken, so that the layout's sums stay within range.
constexpr int kMaxCoordinate = 1 << 24;
constexpr int kMaxFontSize = 2160;
constexpr int kMinInt = std::numeric_limits<int>::min();
constexpr int kMaxInt = std::numeric_limits<int>::max();

QString keywordOf(int style)
{
    switch (style) {
    case ShapeStyle::Line: return QStringLiteral("LINE");
    case ShapeStyle::Arrow: return QStringLiteral("ARROW");
    case ShapeStyle::DblArrow: return QStringLiteral("DBLARROW");
    case ShapeStyle::Rect: return QStringLiteral("RECT");
    case ShapeStyle::Circle: return QStringLiteral("CIRCLE");
    case ShapeStyle::Text: return QStringLiteral("TEXT");
    default: return {};
    }
}

// The kind a keyword names (exact, letter case included) and the number of
// fields its record needs; an unknown keyword needs the placement only.
struct Kind {
    std::optional<int> style;
    int fields = 5;
};

Kind kindOf(QStringView keyword)
{
    if (keyword == u"LINE") return {ShapeStyle::Line, 11};
    if (keyword == u"ARROW") return {ShapeStyle::Arrow, 13};
    if (keyword == u"DBLARROW") return {ShapeStyle::DblArrow, 11};
    if (keyword == u"RECT") return {ShapeStyle::Rect, 9};
    if (keyword == u"CIRCLE") return {ShapeStyle::Circle, 9};
    if (keyword == u"TEXT") return {ShapeStyle::Text, 13};
    return {};
}

// All numbers of a line kind's record, read before anything changes.
struct LineFields {
    double x1, y1, x2, y2;
    int penWidth;
    ColorRef color;
    int startGrip = 0, endGrip = 8;
};

struct BoxFields {
    int borderWidth;
    ColorRef borderColor, fillColor;
    int fillStyle;
};

struct TextFields {
    float size;
    bool bold, italic, strikethrough, underline;
    ColorRef color;
};

template <typename Fields>
std::optional<LineFields> readLine(const Fields &f, bool withGrips)
{
    const auto x1 = ReadNumber(f[5]), y1 = ReadNumber(f[6]), x2 = ReadNumber(f[7]), y2 = ReadNumber(f[8]);
    const auto width = ReadInteger(f[9], -32768, 32767);
    const auto color = ReadInteger(f[10], kMinInt, kMaxInt);
    if (!x1 || !y1 || !x2 || !y2 || !width || !color)
        return std::nullopt;
    LineFields line{*x1, *y1, *x2, *y2, *width, *color};
    if (withGrips) {
        const auto start = ReadInteger(f[11], 0, 8), end = ReadInteger(f[12], 0, 8);
        if (!start || !end)
            return std::nullopt;
        line.startGrip = *start;
        line.endGrip = *end;
    }
    return line;
}

template <typename Fields>
std::optional<BoxFields> readBox(const Fields &f)
{
    const auto width = ReadInteger(f[5], -32768, 32767);
    const auto border = ReadInteger(f[6], kMinInt, kMaxInt);
    const auto fill = ReadInteger(f[7], kMinInt, kMaxInt);
    const auto style = ReadInteger(f[8], kMinInt, kMaxInt);
    if (!width || !border || !fill || !style)
        return std::nullopt;
    return BoxFields{*width, *border, *fill, *style};
}

template <typename Fields>
std::optional<TextFields> readText(const Fields &f)
{
    const auto size = ReadNumber(f[7]);
    const auto bold = ReadBoolean(f[8]), italic = ReadBoolean(f[9]);
    const auto strike = ReadBoolean(f[10]), underline = ReadBoolean(f[11]);
    const auto color = ReadInteger(f[12], kMinInt, kMaxInt);
    if (!size || *size < 0 || *size > kMaxFontSize || !bold || !italic || !strike || !underline || !color)
        return std::nullopt;
    return TextFields{float(*size), *bold, *italic, *strike, *underline, *color};
}

std::optional<int> placed(QStringView field, int offset)
{
    const auto value = ReadInteger(field, -kMaxCoordinate, kMaxCoordinate);
    if (!value)
        return std::nullopt;
    const qint64 sum = qint64(*value) + offset;
    if (sum < -2 * qint64(kMaxCoordinate) || sum > 2 * qint64(kMaxCoordinate))
        return std::nullopt;
    return int(sum);
}

} // namespace

QString GraficGeometry::Serialize(int x, int y) const
{
    const QString keyword = keywordOf(m_style);
    if (keyword.isEmpty())
        return {};
    const QChar point = ScriptText::UserDecimalPoint();
    const auto number = [point](int value) { return ScriptText::WriteNumber(float(value), point); };
    QString record = keyword % u';' % QString::number(x) % u';' % QString::number(y) % u';'
        % QString::number(m_width) % u';' % QString::number(m_height) % u';';
    if (IsLineKind(m_style)) {
        const LineElement &line = m_lines[0];
        record += number(line.X1) % u';' % number(line.Y1) % u';' % number(line.X2) % u';' % number(line.Y2)
            % u';' % QString::number(line.BorderWidth) % u';' % QString::number(line.BorderColor);
        if (m_style == ShapeStyle::Arrow)
            record += u';' % QString::number(m_startGrip) % u';' % QString::number(m_endGrip);
    } else if (m_style == ShapeStyle::Text) {
        record += ScriptText::Escape(m_label.Caption) % u';' % ScriptText::Escape(m_label.FontName) % u';'
            % ScriptText::WriteNumber(m_label.FontSize, point) % u';' % ScriptText::WriteBoolean(m_label.Bold)
            % u';' % ScriptText::WriteBoolean(m_label.Italic) % u';'
            % ScriptText::WriteBoolean(m_label.Strikethrough) % u';' % ScriptText::WriteBoolean(m_label.Underline)
            % u';' % QString::number(m_label.ForeColor);
    } else {
        record += QString::number(m_box.BorderWidth) % u';' % QString::number(m_box.BorderColor) % u';'
            % QString::number(m_box.FillColor) % u';' % QString::number(m_box.FillStyle == 0 ? 0 : 1);
    }
    return record;
}

bool GraficGeometry::BuildObj(QStringView record, int offsetX, int offsetY)
{
    return buildObj(record, offsetX, offsetY, true)
        || (record.contains(u'\\') && buildObj(record, offsetX, offsetY, false));
}

bool GraficGeometry::buildObj(QStringView record, int offsetX, int offsetY, bool escaped)
{
    QVarLengthArray<QStringView, 16> f;
    ScriptText::Split(
        record, u';',
        [&f](QStringView field) {
            f.append(field);
            return f.size() <= 13;   // fields past the last one a kind reads are not needed
        },
        escaped);
    const Kind kind = kindOf(f[0]);
    if (f.size() < kind.fields)
        return false;
    const auto left = placed(f[1], offsetX), top = placed(f[2], offsetY);
    const auto width = ReadInteger(f[3], -kMaxCoordinate, kMaxCoordinate);
    const auto height = ReadInteger(f[4], -kMaxCoordinate, kMaxCoordinate);
    if (!left || !top || !width || !height)
        return false;

    if (kind.style && IsLineKind(*kind.style)) {
        const auto line = readLine(f, *kind.style == ShapeStyle::Arrow);
        if (!line)
            return false;
        LineElement &main = m_lines[0];
        main.X1 = roundHalfEven(line->x1);
        main.Y1 = roundHalfEven(line->y1);
        main.X2 = roundHalfEven(line->x2);
        main.Y2 = roundHalfEven(line->y2);
        if (*kind.style == ShapeStyle::Arrow) {
            m_startGrip = line->startGrip;
            m_endGrip = line->endGrip;
        } else {
            orientLineGrips(line->x1, line->y1, line->x2, line->y2);
        }
        if (*kind.style == ShapeStyle::Line) {
            if (line->penWidth > 0)
                main.BorderWidth = line->penWidth;
            main.BorderColor = line->color;
            SetStyle(ShapeStyle::Line);
        } else {
            SetStyle(*kind.style);
            SetPenWidth(line->penWidth);
            SetPenColor(line->color);
        }
    } else if (kind.style == ShapeStyle::Rect || kind.style == ShapeStyle::Circle) {
        const auto box = readBox(f);
        if (!box)
            return false;
        if (box->borderWidth > 0)
            m_box.BorderWidth = box->borderWidth;
        m_box.BorderColor = box->borderColor;
        m_box.FillStyle = box->fillStyle == 0 ? 0 : 1;
        m_box.Rect = QRect(0, 0, qMax(0, *width), qMax(0, *height));
        SetStyle(*kind.style);
        SetFillColor(box->fillColor);
    } else if (kind.style == ShapeStyle::Text) {
        const auto text = readText(f);
        if (!text)
            return false;
        m_label.Caption = escaped ? ScriptText::Unescape(f[5]) : f[5].toString();
        m_label.FontName = escaped ? ScriptText::Unescape(f[6]) : f[6].toString();
        m_label.FontSize = text->size;
        m_label.Bold = text->bold;
        m_label.Italic = text->italic;
        m_label.Strikethrough = text->strikethrough;
        m_label.Underline = text->underline;
        m_label.ForeColor = text->color;
        SetStyle(ShapeStyle::Text);
    }
    Place(*left, *top, *width, *height);
    return true;
}

} // namespace kelvane::editor
