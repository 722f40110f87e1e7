#pragma once

#include "vehicle/DamageMark.h"

#include <QList>
#include <QObject>
#include <QUndoStack>

namespace vehicle {

// The marks a case's diagram shows: its own, which the user places, moves,
// edits and removes, each step undoable, and those of earlier cases of the
// vehicle, of which only the repair date can be set.
class MarkSet : public QObject {
    Q_OBJECT
public:
    explicit MarkSet(QObject *parent = nullptr);

    // What is stored: the undo history starts afresh.
    void reset(const QList<DamageMark> &own, const QList<DamageMark> &earlier);
    void resetEarlier(const QList<DamageMark> &earlier);

    const QList<DamageMark> &own() const { return m_own; }
    const QList<DamageMark> &earlier() const { return m_earlier; }
    const QList<DamageMark> &loadedOwn() const { return m_loadedOwn; }
    // Earlier marks whose repair date differs from the one loaded.
    QList<DamageMark> repairedEarlier() const;
    bool changed() const;

    // A new mark with the next number at a diagram point; its number.
    int place(const QPoint &at);
    // Moves of one drag (same drag number) are one undo step.
    void move(int nr, const QPoint &to, int drag);
    // Edits with the same merge number (not 0) are one undo step: typing a note.
    void edit(const DamageMark &mark, int merge = 0);
    void remove(int nr);
    void setRepaired(long earlierId, const QDate &date);

    QUndoStack &undoStack() { return m_undo; }

    // Used by the undo steps.
    int indexOf(int nr) const;
    void insertOwn(const DamageMark &mark);
    void replaceOwn(const DamageMark &mark);
    void removeOwn(int nr);
    void replaceEarlierRepair(long id, const QDate &date);

signals:
    void marksChanged();

private:
    QList<DamageMark> m_own;
    QList<DamageMark> m_earlier;
    QList<DamageMark> m_loadedOwn;
    QList<DamageMark> m_loadedEarlier;
    QUndoStack m_undo;
};

} // namespace vehicle
