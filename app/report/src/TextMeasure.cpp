#include "report/TextMeasure.h"

#include "core/FontFaces.h"

#include <QTextLayout>
#include <QTextOption>

#include <cmath>

namespace report {
namespace {

const QString kFallbackFace = QStringLiteral("Times New Roman");

bool isLineBreak(QChar c) { return c == u'\r' || c == u'\n'; }

// Length of the line break at position i: 2 for CR LF, 1 for CR or LF, 0 for none.
qsizetype breakLength(QStringView text, qsizetype i)
{
    if (i >= text.size() || !isLineBreak(text.at(i)))
        return 0;
    return (text.at(i) == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') ? 2 : 1;
}

} // namespace

QFont reportFont(const QString &face, const QString &style, double points, bool italicK)
{
    QFont font;
    // One resolution for screen, PDF and printer: the face written or its
    // metric twin; a face unknown (the template's "TNR") falls back to Times
    // New Roman's rather than to whatever the system's default happens to be.
    QString family = core::FontFaces::resolve(face);
    if (family.isEmpty())
        family = core::FontFaces::resolve(kFallbackFace);
    font.setFamily(family.isEmpty() ? kFallbackFace : family);
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(points * TwipsPerPoint))));
    font.setHintingPreference(QFont::PreferNoHinting);
    const QString letters = style.toUpper();
    font.setBold(letters.contains(u'F'));
    font.setItalic(letters.contains(u'I') || (italicK && letters.contains(u'K')));
    font.setUnderline(letters.contains(u'U'));
    return font;
}

FontMeasure::FontMeasure(const QFont &font)
    : m_font(font)
    , m_metrics(font)
    , m_lineHeight(std::round(m_metrics.height()))
    , m_ascent(m_metrics.ascent())
{
}

QSizeF FontMeasure::textSize(const QString &text) const
{
    double width = 0;
    const QList<QStringView> lines = textLines(text);
    for (QStringView line : lines)
        width = std::max(width, m_metrics.horizontalAdvance(line.toString()));
    return {width, m_lineHeight * static_cast<double>(lines.size())};
}

QList<QStringView> textLines(QStringView text)
{
    QList<QStringView> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype n = breakLength(text, i);
        if (n == 0) {
            ++i;
            continue;
        }
        lines.append(text.mid(start, i - start));
        i += n;
        start = i;
    }
    lines.append(text.mid(start));
    return lines;
}

WrappedText::WrappedText(const QString &text, const FontMeasure &font, double widthTwips)
    : m_text(text)
{
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTabStopDistance(4 * QFontMetricsF(font.font()).averageCharWidth());
    const double width = std::max(1.0, widthTwips);

    qsizetype start = 0;
    while (true) {
        qsizetype end = start;
        while (end < m_text.size() && !isLineBreak(m_text.at(end)))
            ++end;
        const QString paragraph = m_text.mid(start, end - start);
        if (paragraph.isEmpty()) {
            m_lines.append({start, 0});
        } else {
            QTextLayout layout(paragraph, font.font());
            layout.setTextOption(option);
            layout.beginLayout();
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                line.setLineWidth(width);
                m_lines.append({start + line.textStart(), line.textLength()});
            }
            layout.endLayout();
        }
        if (end >= m_text.size())
            break;
        start = end + breakLength(m_text, end);
        if (start >= m_text.size())
            break;
    }
}

qsizetype WrappedText::charactersOfLines(int count) const
{
    if (count <= 0 || m_lines.isEmpty())
        return 0;
    const WrappedLine &last = m_lines.at(std::min<qsizetype>(count, m_lines.size()) - 1);
    return last.start + last.length;
}

QString WrappedText::restFrom(int first) const
{
    if (first >= m_lines.size())
        return {};
    return m_text.mid(m_lines.at(std::max(0, first)).start);
}

} // namespace report
