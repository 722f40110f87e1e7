#include "core/FontFaces.h"

#include <QFontDatabase>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>

namespace core {
namespace {

struct Twins {
    QStringList written;
    QStringList twins;
};

// Faces the reports and old scripts name, with the installed faces that take
// the same width per character, the closest first.
const QList<Twins> &twinTable()
{
    static const QList<Twins> table = {
        {{QStringLiteral("Arial"), QStringLiteral("Helvetica"), QStringLiteral("MS Sans Serif"),
          QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Sans Serif")},
         {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("Nimbus Sans")}},
        {{QStringLiteral("Times New Roman"), QStringLiteral("Times"), QStringLiteral("MS Serif")},
         {QStringLiteral("Liberation Serif"), QStringLiteral("Tinos"), QStringLiteral("Nimbus Roman")}},
        {{QStringLiteral("Courier New"), QStringLiteral("Courier")},
         {QStringLiteral("Liberation Mono"), QStringLiteral("Cousine"), QStringLiteral("Nimbus Mono PS")}},
        {{QStringLiteral("Arial Narrow"), QStringLiteral("Helvetica Narrow")},
         {QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Nimbus Sans Narrow")}},
        {{QStringLiteral("Calibri")}, {QStringLiteral("Carlito")}},
        {{QStringLiteral("Cambria")}, {QStringLiteral("Caladea")}},
    };
    return table;
}

QString installed(const QStringList &families, const QString &name)
{
    for (const QString &family : families)
        if (family.compare(name, Qt::CaseInsensitive) == 0)
            return family;
    return {};
}

QString resolveUncached(const QString &name)
{
    const QStringList families = FontFaces::familyNames();
    if (QString family = installed(families, name); !family.isEmpty())
        return family;
    for (const Twins &entry : twinTable()) {
        if (!entry.written.contains(name, Qt::CaseInsensitive))
            continue;
        for (const QString &twin : entry.twins)
            if (QString family = installed(families, twin); !family.isEmpty())
                return family;
    }
    return {};
}

} // namespace

QString FontFaces::withoutFoundry(const QString &family)
{
    const qsizetype bracket = family.indexOf(QStringLiteral(" ["));
    return (bracket > 0 && family.endsWith(u']') ? family.left(bracket) : family).trimmed();
}

QStringList FontFaces::familyNames()
{
    QStringList names;
    for (const QString &family : QFontDatabase::families()) {
        if (QFontDatabase::isPrivateFamily(family))
            continue;
        const QString name = withoutFoundry(family);
        if (!name.isEmpty() && !names.contains(name, Qt::CaseInsensitive))
            names.append(name);
    }
    names.sort(Qt::CaseInsensitive);
    return names;
}

QString FontFaces::resolve(const QString &written)
{
    const QString name = withoutFoundry(written.trimmed());
    if (name.isEmpty())
        return {};
    // Layout asks for every text box; the installed faces do not change while running.
    static QMutex lock;
    static QHash<QString, QString> resolved;
    const QMutexLocker locked(&lock);
    const QString key = name.toCaseFolded();
    auto found = resolved.constFind(key);
    if (found == resolved.constEnd())
        found = resolved.insert(key, resolveUncached(name));
    return *found;
}

} // namespace core
