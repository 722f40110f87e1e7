#pragma once

#include <QDateTime>

#include <memory>

namespace dao::detail {

// The local-time start of each day a recordset reads. Building a local-time
// QDateTime asks the C library for the zone's offset, the dearest step of
// reading a date; dates without a time of day repeat from row to row, so each
// day is built once and then copied. Room for some eleven years of days
// without one pushing out another.
class DateCache {
public:
    // Invalid for a day that does not exist.
    QDateTime startOfDay(int year, int month, int day);

private:
    struct Slot {
        int key = -1;
        QDateTime moment;
    };
    static constexpr int Slots = 4096;

    std::unique_ptr<Slot[]> m_slots;   // made with the first date
};

} // namespace dao::detail
