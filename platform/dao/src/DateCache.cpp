#include "DateCache.h"

namespace dao::detail {

QDateTime DateCache::startOfDay(int year, int month, int day)
{
    if (year < 0 || month < 0 || day < 0 || year > 9999 || month > 99 || day > 99)
        return QDateTime(QDate(year, month, day), QTime(0, 0));
    if (!m_slots)
        m_slots = std::make_unique<Slot[]>(Slots);
    // Consecutive days take consecutive places.
    Slot &slot = m_slots[size_t((year * 372 + month * 31 + day) % Slots)];
    const int key = (year * 100 + month) * 100 + day;
    if (slot.key != key) {
        slot.key = key;
        slot.moment = QDateTime(QDate(year, month, day), QTime(0, 0));
    }
    return slot.moment;
}

} // namespace dao::detail
