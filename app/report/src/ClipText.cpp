#include "report/ClipText.h"

#include "report/GridSource.h"
#include "report/PageItems.h"
#include "report/ReportData.h"
#include "report/ReportDefinition.h"

#include <QStringList>

namespace report {
namespace {

QString oneLine(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    for (QChar &c : text) {
        if (c == u'\r' || c == u'\n' || c == u'\t')
            c = u' ';
    }
    return text;
}

int bodySection(const ReportDefinition &definition)
{
    for (int i = 1; i < definition.sections.size(); ++i) {
        if (definition.sections[i].name == u"SCHADEN")
            return i;
    }
    return -1;
}

QString captionOf(const QString &printed, const QString &field)
{
    QString caption = printed.trimmed();
    if (caption.endsWith(u':'))
        caption.chop(1);
    caption = caption.trimmed();
    if (!caption.isEmpty())
        return caption;
    const qsizetype underscore = field.indexOf(u'_');
    return (underscore < 0 ? field : field.mid(underscore + 1)).section(u';', 0, 0).trimmed();
}

} // namespace

QString listClipText(GridSource &grid)
{
    const QList<GridColumn> columns = grid.columns();
    QList<int> printed;
    QStringList cells;
    for (int c = 0; c < columns.size(); ++c) {
        if (columns[c].width > 0) {
            printed.append(c);
            cells.append(oneLine(columns[c].caption));
        }
    }
    QString text = cells.join(u'\t') + u'\n';
    for (long row = 0; grid.moveToRow(row); ++row) {
        cells.clear();
        for (int c : printed)
            cells.append(oneLine(grid.cellText(c)));
        text += cells.join(u'\t') + u'\n';
    }
    return text;
}

QString caseClipText(const PageItemList &items, const ReportDefinition &definition, ReportData &data)
{
    const int body = bodySection(definition);
    QString text;
    QString caption;
    for (int i = 0; i < items.count(); ++i) {
        const ReportElement &item = items.at(i);
        if (item.section != body)
            continue;
        if (item.kind == ElementKind::Text) {
            caption = item.text;
        } else if (item.kind == ElementKind::Field
                   || (item.kind == ElementKind::Memo && item.sourceElement == 0)) {
            // A memo's page item holds only what fit on its page.
            const QString value =
                item.kind == ElementKind::Memo ? data.ResolveField(item.field, item.format) : item.text;
            text += captionOf(caption, item.field) + QStringLiteral(": ") + oneLine(value).trimmed() + u'\n';
            caption.clear();
        }
    }
    return text;
}

} // namespace report
