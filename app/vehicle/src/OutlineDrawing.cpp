#include "vehicle/OutlineDrawing.h"

#include <QTransform>
#include <QXmlStreamReader>

#include <cmath>

namespace vehicle {
namespace {

// What a group hands down to its children.
struct Style {
    QTransform transform;
    bool filled = true;
    double strokeWidth = 1;
    bool labels = false;
    double fontSize = 0;
};

// Numbers apart by blanks or commas.
QList<double> numbers(QStringView text)
{
    QList<double> values;
    qsizetype start = -1;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const bool apart = i == text.size() || text[i].isSpace() || text[i] == u',';
        if (apart && start >= 0)
            values.append(text.mid(start, i - start).toDouble());
        start = apart ? -1 : (start < 0 ? i : start);
    }
    return values;
}

// translate(x[,y]) and scale(s[,t]) in any order, the first applied last.
QTransform transformOf(QStringView text)
{
    QTransform transform;
    for (QStringView step : text.split(u')', Qt::SkipEmptyParts)) {
        const qsizetype open = step.indexOf(u'(');
        if (open < 0)
            continue;
        const QStringView name = step.left(open).trimmed();
        const QList<double> args = numbers(step.mid(open + 1));
        if (args.isEmpty())
            continue;
        if (name == u"translate")
            transform.translate(args[0], args.size() > 1 ? args[1] : 0);
        else if (name == u"scale")
            transform.scale(args[0], args.size() > 1 ? args[1] : args[0]);
    }
    return transform;
}

// Absolute M, L, Q and Z; a path with anything else stops there.
QPainterPath pathOf(QStringView data)
{
    QPainterPath path;
    QChar command;
    QList<double> args;
    const auto flush = [&] {
        if (command == u'M' && args.size() >= 2) {
            path.moveTo(args[0], args[1]);
            for (qsizetype i = 2; i + 1 < args.size(); i += 2)
                path.lineTo(args[i], args[i + 1]);
        } else if (command == u'L') {
            for (qsizetype i = 0; i + 1 < args.size(); i += 2)
                path.lineTo(args[i], args[i + 1]);
        } else if (command == u'Q') {
            for (qsizetype i = 0; i + 3 < args.size(); i += 4)
                path.quadTo(args[i], args[i + 1], args[i + 2], args[i + 3]);
        } else if (command == u'Z') {
            path.closeSubpath();
        }
    };
    qsizetype start = 0;
    for (qsizetype i = 0; i <= data.size(); ++i) {
        if (i < data.size() && !data[i].isLetter())
            continue;
        if (!command.isNull())
            args = numbers(data.mid(start, i - start));
        flush();
        if (i == data.size())
            break;
        command = data[i];
        if (!QStringView(u"MLQZ").contains(command))
            break;
        start = i + 1;
    }
    return path;
}

QPainterPath shapeOf(QStringView element, const QXmlStreamAttributes &a)
{
    const auto number = [&a](const char *name) { return a.value(QLatin1String(name)).toDouble(); };
    QPainterPath path;
    if (element == u"path")
        path = pathOf(a.value(QLatin1String("d")));
    else if (element == u"rect")
        path.addRect(number("x"), number("y"), number("width"), number("height"));
    else if (element == u"circle")
        path.addEllipse(QPointF(number("cx"), number("cy")), number("r"), number("r"));
    return path;
}

} // namespace

OutlineDrawing::OutlineDrawing(const QByteArray &svg)
{
    QXmlStreamReader xml(svg);
    QList<Style> styles{Style()};
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && styles.size() > 1) {
            styles.removeLast();
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        Style style = styles.last();
        if (a.hasAttribute(QLatin1String("transform")))
            style.transform = transformOf(a.value(QLatin1String("transform"))) * style.transform;
        if (a.hasAttribute(QLatin1String("fill")))
            style.filled = a.value(QLatin1String("fill")) != QLatin1String("none");
        if (a.hasAttribute(QLatin1String("stroke-width")))
            style.strokeWidth = a.value(QLatin1String("stroke-width")).toDouble();
        if (a.hasAttribute(QLatin1String("font-size")))
            style.fontSize = a.value(QLatin1String("font-size")).toDouble();
        if (a.value(QLatin1String("id")) == QLatin1String("Seiten"))
            style.labels = true;
        const QStringView name = xml.name();
        if (name == u"svg") {
            const QList<double> box = numbers(a.value(QLatin1String("viewBox")));
            if (box.size() == 4)
                m_viewBox = QRectF(box[0], box[1], box[2], box[3]);
        } else if (style.labels && name == u"text") {
            const QPointF at(a.value(QLatin1String("x")).toDouble(), a.value(QLatin1String("y")).toDouble());
            m_labels.append({style.transform.map(at), style.fontSize,
                             xml.readElementText(QXmlStreamReader::IncludeChildElements).simplified()});
            continue; // readElementText consumed the end of the text
        } else if (!style.labels) {
            const QPainterPath path = shapeOf(name, a);
            if (!path.isEmpty()) {
                QPainterPath placed = style.transform.map(path);
                placed.setFillRule(Qt::WindingFill);
                const double scale = std::sqrt(std::abs(style.transform.determinant()));
                m_shapes.append({placed, style.filled, style.strokeWidth * scale});
            }
        }
        styles.append(style);
    }
}

} // namespace vehicle
