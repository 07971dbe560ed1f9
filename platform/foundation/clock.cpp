#include "platform/foundation/clock.h"

#include <ctime>

namespace foundation {

namespace {

Clock* replacement = nullptr;

} // namespace

Clock& Clock::current() {
    static SystemClock system;
    return replacement != nullptr ? *replacement : system;
}

void Clock::setCurrent(Clock* clock) {
    replacement = clock;
}

double SystemClock::now() const {
    timespec time{};
    ::clock_gettime(CLOCK_MONOTONIC, &time);
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_nsec) / 1e9;
}

} // namespace foundation
