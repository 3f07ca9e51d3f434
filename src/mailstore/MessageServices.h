#pragma once
// What message objects take from the user's environment: the locale for upper-casing and date
// formats, and the clock for today's date. Tests pass a fixed locale and clock.

#include "platform/DateTime.h"
#include "platform/Locale.h"

#include <functional>

namespace mailstore {

struct MessageServices {
    const platform::Locale* locale = &platform::systemLocale();
    // The current local date-time value.
    std::function<double()> now = platform::localNow;
};

} // namespace mailstore
