#include "platform/StepCounter.h"

#include <atomic>
#include <cstdlib>
#include <unistd.h>

namespace platform {
namespace {

long stopStepFromEnvironment() {
    const char* value = std::getenv("LARKSPIRE_STOP_AT_STEP");
    return value ? std::strtol(value, nullptr, 10) : 0L;
}

// Atomic: a batch may reach the disk on another thread while this one stages the next.
std::atomic<long> g_steps{0};
long g_stopAt = stopStepFromEnvironment();

} // namespace

void durableStep() {
    if (++g_steps == g_stopAt)
        _exit(77);
}

long durableStepsTaken() {
    return g_steps;
}

void setStopAtStep(long step) {
    g_stopAt = step > 0 ? g_steps + step : 0;
}

} // namespace platform
