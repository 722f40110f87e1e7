#pragma once

#include <QDateTime>

namespace core {

// The one source of "now" for the whole program: case numbers depend on the
// year, the overdue filter on today. Tests fix it to a moment of their choice.
class Clock {
public:
    static QDateTime now();
    static QDate today() { return now().date(); }

    static void setFixed(const QDateTime &moment);
    static void reset();
};

} // namespace core
