#pragma once

#include "dao/Error.h"

#include <functional>

// Runs the call and gives back the number it raised; 0 when nothing was raised.
inline long raisedNumber(const std::function<void()> &call)
{
    try {
        call();
    } catch (const dao::DaoError &e) {
        return e.number();
    }
    return 0;
}
