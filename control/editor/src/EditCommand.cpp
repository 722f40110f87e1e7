#include "editor/EditCommand.h"

namespace kelvane::editor {

EditCommand::EditCommand(ShapeSlots &shapes, const QString &text, const QList<SlotState> &before, int mergeKey)
    : QUndoCommand(text), m_shapes(shapes), m_mergeKey(mergeKey)
{
    const QList<SlotState> after = shapes.States();
    for (int index = 0; index < after.size(); ++index) {
        // A slot added by the operation was a hidden one before it.
        const SlotState was = index < before.size() ? before[index] : SlotState{false, after[index].record, 0, 0};
        if (!(was == after[index]))
            m_slots.append({index, was, after[index]});
    }
}

void EditCommand::undo()
{
    for (const Slot &slot : std::as_const(m_slots))
        m_shapes.Restore(slot.index, slot.before);
    m_done = false;
}

void EditCommand::redo()
{
    // Pushed after the operation was made: the first redo has nothing to do.
    if (m_done)
        return;
    for (const Slot &slot : std::as_const(m_slots))
        m_shapes.Restore(slot.index, slot.after);
    m_done = true;
}

bool EditCommand::mergeWith(const QUndoCommand *other)
{
    const auto *next = static_cast<const EditCommand *>(other);
    if (next->m_mergeKey != m_mergeKey)
        return false;
    for (const Slot &slot : next->m_slots) {
        auto own = std::find_if(m_slots.begin(), m_slots.end(), [&slot](const Slot &s) { return s.index == slot.index; });
        if (own == m_slots.end())
            m_slots.append(slot);
        else
            own->after = slot.after;
    }
    return true;
}

} // namespace kelvane::editor
