#include "editor/DrawingStyle.h"

#include "editor/ToolbarState.h"

#include <QSettings>

namespace kelvane::editor {

namespace {

const QString kPen = QStringLiteral("Linienfarbe");
const QString kFill = QStringLiteral("Fuellfarbe");
const QString kTransparent = QStringLiteral("Transparent");
const QString kPenWidth = QStringLiteral("Linienbreite");
const QString kFont = QStringLiteral("Schriftart");
const QString kFontSize = QStringLiteral("Schriftgroesse");
const QString kBold = QStringLiteral("Fett");
const QString kItalic = QStringLiteral("Kursiv");
const QString kUnderline = QStringLiteral("Unterstrichen");

template <typename Number>
Number number(const QSettings &settings, const QString &key, Number given, Number low, Number high)
{
    bool ok = false;
    const double read = settings.value(key).toString().toDouble(&ok);
    return ok && read >= low && read <= high ? Number(read) : given;
}

bool flag(const QSettings &settings, const QString &key, bool given)
{
    const QString read = settings.value(key).toString();
    return read.isEmpty() ? given : read == u"1";
}

} // namespace

const QString DrawingStyle::Section = QStringLiteral("Objektgrafik");

DrawingStyle DrawingStyle::Read(QSettings &settings)
{
    DrawingStyle style;
    settings.beginGroup(Section);
    // Colour references are 24 bits of red, green and blue.
    style.pen = number<ColorRef>(settings, kPen, style.pen, 0, 0xFFFFFF);
    style.fill = number<ColorRef>(settings, kFill, style.fill, 0, 0xFFFFFF);
    style.transparent = flag(settings, kTransparent, style.transparent);
    style.penWidth = number(settings, kPenWidth, style.penWidth, 1, 10);
    const QString font = settings.value(kFont).toString();
    if (!font.isEmpty()) {
        style.fontChosen = true;
        style.fontName = font;
        style.fontSize = number(settings, kFontSize, style.fontSize, 1.0f, 1000.0f);
        style.bold = flag(settings, kBold, false);
        style.italic = flag(settings, kItalic, false);
        style.underline = flag(settings, kUnderline, false);
    }
    settings.endGroup();
    return style;
}

void DrawingStyle::Write(QSettings &settings) const
{
    settings.beginGroup(Section);
    const auto text = [](bool value) { return value ? QStringLiteral("1") : QStringLiteral("0"); };
    settings.setValue(kPen, QString::number(pen));
    settings.setValue(kFill, QString::number(fill));
    settings.setValue(kTransparent, text(transparent));
    settings.setValue(kPenWidth, QString::number(penWidth));
    if (fontChosen) {
        settings.setValue(kFont, fontName);
        settings.setValue(kFontSize, QString::number(fontSize));
        settings.setValue(kBold, text(bold));
        settings.setValue(kItalic, text(italic));
        settings.setValue(kUnderline, text(underline));
    }
    settings.endGroup();
}

NewShapeStyle DrawingStyle::AtZoom(double zoom) const
{
    NewShapeStyle style;
    style.fill = fill;
    style.pen = pen;
    style.penWidth = PenWidthAtZoom(penWidth, zoom);
    style.transparent = transparent;
    if (fontChosen)
        style.fontName = fontName;
    style.fontSize = FontSizeAtZoom(fontSize, zoom);
    style.bold = fontChosen && bold;
    style.italic = fontChosen && italic;
    style.underline = fontChosen && underline;
    return style;
}

} // namespace kelvane::editor
