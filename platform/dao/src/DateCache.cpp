#include "DateCache.h"

namespace dao::detail {

DateCache::Day &DateCache::lookUp(int year, int month, int day)
{
    if (!m_days)
        m_days = std::make_unique<Day[]>(Slots);
    // Consecutive days take consecutive places.
    Day &slot = m_days[size_t((year * 372 + month * 31 + day) % Slots)];
    const int key = (year * 100 + month) * 100 + day;
    if (slot.key != key) {
        slot.key = key;
        slot.start = QDateTime(QDate(year, month, day), QTime(0, 0));
        slot.offset = Day::Unknown;
    }
    return slot;
}

// A day of 24 hours keeps one offset from start to end: the offset would
// have to change twice within it and come back.
void DateCache::findOffset(Day &day)
{
    day.offset = Day::Uneven;
    if (!day.start.isValid())
        return;
    const QDateTime next(day.start.date().addDays(1), QTime(0, 0));
    day.startMs = day.start.toMSecsSinceEpoch();
    if (next.isValid() && next.toMSecsSinceEpoch() - day.startMs == 24 * 3600 * 1000)
        day.offset = Day::Even;
}

QDateTime DateCache::moment(int year, int month, int day, int hour, int minute, int second)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23
        || minute < 0 || minute > 59 || second < 0 || second > 59)
        return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
    Day &d = lookUp(year, month, day);
    if (hour == 0 && minute == 0 && second == 0)
        return d.start;
    if (d.offset == Day::Unknown)
        findOffset(d);
    if (d.offset == Day::Even)
        return QDateTime::fromMSecsSinceEpoch(d.startMs + ((hour * 60 + minute) * 60 + second) * 1000,
                                              Qt::LocalTime);
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

} // namespace dao::detail
