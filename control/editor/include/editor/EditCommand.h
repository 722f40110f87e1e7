#pragma once

#include "editor/ShapeSlots.h"

#include <QList>
#include <QUndoCommand>

namespace kelvane::editor {

// One operation of the editor as an undo step: the slots it changed, as
// they were before and after. Made after the operation, from the states
// taken before it; only the slots that differ are kept.
class EditCommand : public QUndoCommand {
public:
    // mergeKey: steps with the same non-zero key become one (a run of nudges).
    EditCommand(ShapeSlots &shapes, const QString &text, const QList<SlotState> &before, int mergeKey = 0);

    // Whether the operation changed anything at all.
    bool Changed() const { return !m_slots.isEmpty(); }

    void undo() override;
    void redo() override;
    int id() const override { return m_mergeKey == 0 ? -1 : 1; }
    bool mergeWith(const QUndoCommand *other) override;

private:
    struct Slot {
        int index;
        SlotState before;
        SlotState after;
    };
    ShapeSlots &m_shapes;
    QList<Slot> m_slots;
    int m_mergeKey;
    bool m_done = true;
};

} // namespace kelvane::editor
