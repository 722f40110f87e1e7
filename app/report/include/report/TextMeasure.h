#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QList>
#include <QSizeF>
#include <QString>

namespace report {

// Reports are laid out in twips (1440 per inch) and every font is sized in
// them, so a text measures the same whatever screen or printer shows it:
// page breaks and line breaks never depend on zoom or printer resolution.
constexpr double TwipsPerCm = 566.9291338583;
constexpr double TwipsPerPoint = 20.0;

inline double cmToTwips(double cm) { return cm * TwipsPerCm; }
inline double twipsToCm(double twips) { return twips / TwipsPerCm; }

// A report font: the face as the definition writes it, through
// core::FontFaces (its metric twin where it is not installed), Times New
// Roman's when the system has no such face; style letters F bold, I italic, U underlined
// and, unless italicK is false (the grid), K italic too.
QFont reportFont(const QString &face, const QString &style, double points, bool italicK = true);

// Metrics of one report font in twips.
class FontMeasure {
public:
    explicit FontMeasure(const QFont &font);

    const QFont &font() const { return m_font; }
    // Height of a line of text (of "1"), in whole twips.
    double lineHeight() const { return m_lineHeight; }
    double ascent() const { return m_ascent; }
    double width(const QString &line) const { return m_metrics.horizontalAdvance(line); }
    // Width and height of a text whose lines end at its line breaks.
    QSizeF textSize(const QString &text) const;

private:
    QFont m_font;
    QFontMetricsF m_metrics;
    double m_lineHeight;
    double m_ascent;
};

// The lines of a text split at its line breaks ("\r\n", "\n" or "\r").
QList<QStringView> textLines(QStringView text);

// A word-wrapped text: the characters of each line, measured in twips.
// Lines break at blanks where they can and inside a word that is wider than
// the line; tabs stand every four average character widths.
struct WrappedLine {
    qsizetype start = 0;      // position in the text
    qsizetype length = 0;     // characters, trailing blanks included
};

class WrappedText {
public:
    WrappedText(const QString &text, const FontMeasure &font, double widthTwips);

    const QList<WrappedLine> &lines() const { return m_lines; }
    // Characters up to the end of the first count lines.
    qsizetype charactersOfLines(int count) const;
    // The text of the lines beginning at line first, without the single line
    // break that ends the line before it.
    QString restFrom(int first) const;

private:
    QString m_text;
    QList<WrappedLine> m_lines;
};

} // namespace report
