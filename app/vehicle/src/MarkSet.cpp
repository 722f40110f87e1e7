#include "vehicle/MarkSet.h"

#include <QUndoCommand>

#include <algorithm>

namespace vehicle {
namespace {

class PlaceMark : public QUndoCommand {
public:
    PlaceMark(MarkSet &set, const DamageMark &mark)
        : QUndoCommand(QStringLiteral("Marke setzen")), m_set(set), m_mark(mark) {}
    void redo() override { m_set.insertOwn(m_mark); }
    void undo() override { m_set.removeOwn(m_mark.nr); }

private:
    MarkSet &m_set;
    DamageMark m_mark;
};

class RemoveMark : public QUndoCommand {
public:
    RemoveMark(MarkSet &set, const DamageMark &mark)
        : QUndoCommand(QStringLiteral("Marke löschen")), m_set(set), m_mark(mark) {}
    void redo() override { m_set.removeOwn(m_mark.nr); }
    void undo() override { m_set.insertOwn(m_mark); }

private:
    MarkSet &m_set;
    DamageMark m_mark;
};

// Moves and edits: one mark from what it was to what it becomes.
class ChangeMark : public QUndoCommand {
public:
    ChangeMark(MarkSet &set, const DamageMark &before, const DamageMark &after, int drag)
        : QUndoCommand(QStringLiteral("Marke ändern")), m_set(set), m_before(before), m_after(after), m_drag(drag) {}
    void redo() override { m_set.replaceOwn(m_after); }
    void undo() override { m_set.replaceOwn(m_before); }
    int id() const override { return 1; }
    bool mergeWith(const QUndoCommand *other) override
    {
        const auto *next = static_cast<const ChangeMark *>(other);
        if (m_drag == 0 || next->m_drag != m_drag || next->m_after.nr != m_after.nr)
            return false;
        m_after = next->m_after;
        return true;
    }

private:
    MarkSet &m_set;
    DamageMark m_before;
    DamageMark m_after;
    int m_drag;
};

class RepairEarlier : public QUndoCommand {
public:
    RepairEarlier(MarkSet &set, long id, const QDate &before, const QDate &after)
        : QUndoCommand(QStringLiteral("Repariert am")), m_set(set), m_id(id), m_before(before), m_after(after) {}
    void redo() override { m_set.replaceEarlierRepair(m_id, m_after); }
    void undo() override { m_set.replaceEarlierRepair(m_id, m_before); }

private:
    MarkSet &m_set;
    long m_id;
    QDate m_before;
    QDate m_after;
};

} // namespace

MarkSet::MarkSet(QObject *parent) : QObject(parent) {}

void MarkSet::reset(const QList<DamageMark> &own, const QList<DamageMark> &earlier)
{
    m_undo.clear();
    m_own = m_loadedOwn = own;
    m_earlier = m_loadedEarlier = earlier;
    emit marksChanged();
}

void MarkSet::resetEarlier(const QList<DamageMark> &earlier)
{
    m_undo.clear();
    m_earlier = m_loadedEarlier = earlier;
    emit marksChanged();
}

QList<DamageMark> MarkSet::repairedEarlier() const
{
    QList<DamageMark> repaired;
    for (qsizetype i = 0; i < m_earlier.size(); ++i)
        if (m_earlier[i].repairedOn != m_loadedEarlier.value(i).repairedOn)
            repaired.append(m_earlier[i]);
    return repaired;
}

bool MarkSet::changed() const
{
    return m_own != m_loadedOwn || !repairedEarlier().isEmpty();
}

int MarkSet::place(const QPoint &at)
{
    DamageMark mark;
    mark.nr = nextNumber(m_own);
    mark.at = at;
    m_undo.push(new PlaceMark(*this, mark));
    return mark.nr;
}

void MarkSet::move(int nr, const QPoint &to, int drag)
{
    const int index = indexOf(nr);
    if (index < 0 || m_own[index].at == to)
        return;
    DamageMark after = m_own[index];
    after.at = to;
    m_undo.push(new ChangeMark(*this, m_own[index], after, drag));
}

void MarkSet::edit(const DamageMark &mark, int merge)
{
    const int index = indexOf(mark.nr);
    if (index < 0 || m_own[index] == mark)
        return;
    m_undo.push(new ChangeMark(*this, m_own[index], mark, merge));
}

void MarkSet::remove(int nr)
{
    const int index = indexOf(nr);
    if (index >= 0)
        m_undo.push(new RemoveMark(*this, m_own[index]));
}

void MarkSet::setRepaired(long earlierId, const QDate &date)
{
    const auto found = std::find_if(m_earlier.begin(), m_earlier.end(),
                                    [earlierId](const DamageMark &mark) { return mark.id == earlierId; });
    if (found != m_earlier.end() && found->repairedOn != date)
        m_undo.push(new RepairEarlier(*this, earlierId, found->repairedOn, date));
}

int MarkSet::indexOf(int nr) const
{
    for (qsizetype i = 0; i < m_own.size(); ++i)
        if (m_own[i].nr == nr)
            return int(i);
    return -1;
}

void MarkSet::insertOwn(const DamageMark &mark)
{
    const auto at = std::find_if(m_own.begin(), m_own.end(), [&mark](const DamageMark &m) { return m.nr > mark.nr; });
    m_own.insert(at, mark);
    emit marksChanged();
}

void MarkSet::replaceOwn(const DamageMark &mark)
{
    const int index = indexOf(mark.nr);
    if (index >= 0)
        m_own[index] = mark;
    emit marksChanged();
}

void MarkSet::removeOwn(int nr)
{
    const int index = indexOf(nr);
    if (index >= 0)
        m_own.removeAt(index);
    emit marksChanged();
}

void MarkSet::replaceEarlierRepair(long id, const QDate &date)
{
    for (DamageMark &mark : m_earlier)
        if (mark.id == id)
            mark.repairedOn = date;
    emit marksChanged();
}

} // namespace vehicle
