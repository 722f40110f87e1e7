#include "vehicle/DemoMarks.h"

#include "vehicle/MarkStore.h"

#include "core/Clock.h"
#include "dao/Dao.h"

#include <algorithm>

namespace vehicle {
namespace {

struct Place {
    const char *words;      // all of them in the description, any case
    const char *kind;
    const char *severity;
    int x, y;               // diagram units; the right side is drawn above the top view
};

// Both drawings put the parts in the same places: the right side above, the
// top view (front to the left) in the middle, the left side below, the
// front view left of it and the rear view right of it.
const Place places[] = {
    {"Beifahrertür", "Kratzer", "mittel", 440, 170},
    {"Windschutzscheibe", "Steinschlag", "leicht", 392, 510},
    {"Außenspiegel links", "Kratzer", "leicht", 385, 675},
    {"Außenspiegel rechts", "Bruch", "schwer", 385, 345},
    {"Delle|Heckklappe", "Delle", "mittel", 893, 470},
    {"Heckklappe|schließen", "Bruch", "schwer", 893, 470},
    {"Felge vorne rechts", "Kratzer", "mittel", 327, 215},
    {"verschmutzt", "Verschmutzung", "leicht", 560, 540},
    {"Kennzeichenhalter hinten", "Bruch", "leicht", 893, 600},
    {"Stoßfänger vorne", "Kratzer", "leicht", 150, 600},
    {"Brandloch", "Sonstiges", "mittel", 470, 580},
    {"Radkappe hinten links", "Fehlteil", "leicht", 683, 935},
    {"Stoßfänger hinten links", "Riss", "schwer", 830, 600},
    {"Kotflügel vorne rechts", "Delle", "schwer", 310, 165},
    {"Scheinwerfer", "Bruch", "schwer", 60, 545},
    {"Seitenwand", "Kratzer", "schwer", 520, 880},
    {"Schiebetür", "Bruch", "mittel", 560, 170},
    {"Dachkante", "Riss", "schwer", 600, 380},
    {"Motorhaube", "Delle", "schwer", 293, 510},
    {"Kühlergrill", "Bruch", "mittel", 107, 585},
};

bool speaksOf(const QString &description, const char *words)
{
    for (const QString &word : QString::fromUtf8(words).split(u'|'))
        if (!description.contains(word, Qt::CaseInsensitive))
            return false;
    return true;
}

} // namespace

QList<DamageMark> marksOfDescription(const QString &description)
{
    QList<DamageMark> marks;
    for (const Place &place : places) {
        if (!speaksOf(description, place.words))
            continue;
        const QPoint at(place.x, place.y);
        // One part named twice ("Außenspiegel rechts abgerissen") is one mark.
        if (std::any_of(marks.begin(), marks.end(), [&at](const DamageMark &mark) { return mark.at == at; }))
            continue;
        DamageMark mark;
        mark.nr = int(marks.size()) + 1;
        mark.at = at;
        mark.kind = QString::fromUtf8(place.kind);
        mark.severity = QString::fromUtf8(place.severity);
        marks.append(mark);
    }
    return marks;
}

void addDemoMarks(dao::Database &db, const QList<long> &caseIds)
{
    MarkStore store(db);
    for (long id : caseIds) {
        auto row = db.OpenRecordset(QStringLiteral("Select EigenKZ, Schadenbeschreibung, Datum, fErledigt, "
                                                   "Reparaturstatus, Objekt_ID_1 From Schaden Where ID=?"),
                                    dao::RecordsetType::Snapshot, dao::RecordsetOption::None, {qlonglong(id)});
        if (row->IsEOF())
            continue;
        QList<DamageMark> marks = marksOfDescription(row->Fields(1).Value().toString());
        const QString plate = row->Fields(0).Value().toString();
        const QDate day = row->Fields(2).Value().toDateTime().date();
        const bool repaired = row->Fields(3).Value().toBool() &&
            row->Fields(4).Value().toString() == QLatin1String("erfolgt");
        const bool picture = row->Fields(5).Value().toLongLong() > 0;
        row->Close();
        for (DamageMark &mark : marks) {
            if (repaired && day.isValid())
                mark.repairedOn = std::min(day.addDays(14), core::Clock::now().date());
        }
        if (picture && !marks.isEmpty())
            marks.first().picture = 1;
        if (!marks.isEmpty())
            store.writeCase(id, plate, {}, marks);
    }
}

} // namespace vehicle
