#include "editor/OverlayScript.h"

#include "editor/ScriptText.h"

#include <algorithm>
#include <iterator>

namespace kelvane::editor::OverlayScript {

QList<QStringView> Records(QStringView script)
{
    QList<QStringView> records;
    ScriptText::Split(script, u'#', [&records](QStringView piece) {
        records.append(piece);
        return true;
    });
    records.removeLast();   // the rest after the last terminator
    return records;
}

bool NamesKnownKind(QStringView record)
{
    static const QStringView kinds[] = {u"LINE", u"ARROW", u"DBLARROW", u"RECT", u"CIRCLE", u"TEXT"};
    const QStringView keyword = record.left(record.indexOf(u';'));
    return std::find(std::begin(kinds), std::end(kinds), keyword) != std::end(kinds);
}

ReadResult Read(QStringView script, int offsetX, int offsetY)
{
    ReadResult result;
    const QList<QStringView> records = Records(script);
    result.shapes.reserve(records.size());
    for (QStringView record : records) {
        GraficGeometry shape;
        if (shape.BuildObj(record, offsetX, offsetY))
            result.shapes.push_back(std::move(shape));
        else
            ++result.skipped;
    }
    return result;
}

QString Write(const std::vector<Placed> &shapes)
{
    QString script;
    for (const Placed &placed : shapes)
        script += placed.shape->Serialize(placed.x, placed.y) % u'#';
    return script;
}

} // namespace kelvane::editor::OverlayScript
