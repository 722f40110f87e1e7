#pragma once

#include <QDateTime>

#include <memory>

namespace dao::detail {

// Local-time moments of the days a recordset reads. Building a local-time
// QDateTime from a date and a time asks the C library to search the zone for
// the offset, the dearest step of reading a date. Each day is looked up once:
// its start is kept, and so is whether the day has one offset throughout, so
// that a time of that day is its start plus the seconds since, which the
// library turns into the local moment more cheaply. Room for some eleven
// years of days without one pushing out another.
class DateCache {
public:
    // Invalid for a moment that does not exist.
    QDateTime moment(int year, int month, int day, int hour, int minute, int second);

private:
    struct Day {
        int key = -1;
        QDateTime start;
        // Found with the day's first time other than midnight.
        enum { Unknown, Even, Uneven } offset = Unknown;
        qint64 startMs = 0;        // since the epoch, when Even
    };
    static constexpr int Slots = 4096;

    Day &lookUp(int year, int month, int day);
    static void findOffset(Day &day);

    std::unique_ptr<Day[]> m_days;   // made with the first date
};

} // namespace dao::detail
