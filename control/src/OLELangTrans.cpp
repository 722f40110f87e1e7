#include "kelvane/OLELangTrans.h"

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QToolBar>
#include <QWidgetAction>

namespace kelvane {
namespace {

// The attachment control's texts, then the annotation editor's, each list
// joined by "@" (trailing blanks belong to the texts).
const char16_t *const kControlTexts =
    u"Neu anlegen @Objekt anlegen@Objekt einfügen...@Von Scanner einfügen...@Bearbeiten @Objekt bearbeiten"
    u"@Löschen     @Objekt löschen@Darstellung verkleinern@Darstellung vergrößern@Optimale Größe"
    u"@Objekt-Grafik anzeigen@Objekt-Grafik bearbeiten";
const char16_t *const kEditorTexts =
    u"Line einfügen@Rechteck einfügen@Ellipse einfügen@Text einfügen@Objekt kopieren@Objekt einfügen"
    u"@Objekt löschen@In den Vordergrund@In den Hintergrund@Fett@Kursiv@Unterstrichen@Linienfarbe einstellen"
    u"@Füllfarbe einstellen@Transparent @Abbrechen @Änderungen verwerfen und beenden@OK      "
    u"@Speichern und beenden";

MessageTable &sharedTable()
{
    static MessageTable table;
    return table;
}

// Whether the action's tool tip is its own or the one Qt derives from its text.
bool hasOwnToolTip(const QAction *action)
{
    QAction derived(action->text());
    return action->toolTip() != derived.toolTip();
}

} // namespace

QList<QString> OLELangTrans::BuiltInTexts()
{
    const QString joined = QString::fromUtf16(kControlTexts) + u'@' + QString::fromUtf16(kEditorTexts);
    return joined.split(u'@');
}

OLELangTrans::OLELangTrans()
{
    MessageTable &table = sharedTable();
    if (!table.isEmpty())
        return;
    for (const QString &text : BuiltInTexts())
        table.append(MessageEntry{text, std::nullopt});
}

MessageTable OLELangTrans::Messages() const
{
    return sharedTable();
}

void OLELangTrans::SetMessages(const MessageTable &table)
{
    sharedTable() = table;
}

QString OLELangTrans::Translate(const QString &text) const
{
    if (text.isEmpty())
        return text;
    QString result = text;
    for (const MessageEntry &entry : sharedTable())
        if (entry.source.compare(text, Qt::CaseInsensitive) == 0)
            result = entry.translation.value_or(text);
    return result;
}

void OLELangTrans::TranslateToolbar(QToolBar *bar) const
{
    if (!bar)
        return;
    for (QAction *action : bar->actions()) {
        if (qobject_cast<QWidgetAction *>(action)) {
            QWidget *placed = bar->widgetForAction(action);
            if (auto *check = qobject_cast<QCheckBox *>(placed))
                check->setText(Translate(check->text()));
            else if (auto *inner = qobject_cast<QToolBar *>(placed))
                TranslateToolbar(inner);
            continue;
        }
        if (action->isSeparator())
            continue;
        const bool ownTip = hasOwnToolTip(action);
        const QString tip = action->toolTip();
        action->setText(Translate(action->text()));
        if (ownTip)
            action->setToolTip(Translate(tip));
        if (QMenu *menu = action->menu())
            for (QAction *entry : menu->actions())
                if (!entry->isSeparator())
                    entry->setText(Translate(entry->text()));
    }
}

MessageTable Messages()
{
    return OLELangTrans().Messages();
}

void SetMessages(const MessageTable &table)
{
    OLELangTrans().SetMessages(table);
}

} // namespace kelvane
