#include "platform/StepCounter.h"

#include <cstdlib>
#include <unistd.h>

namespace platform {
namespace {

long stopStep() {
    static const long step = [] {
        const char* value = std::getenv("LARKSPIRE_STOP_AT_STEP");
        return value ? std::strtol(value, nullptr, 10) : 0L;
    }();
    return step;
}

long g_steps = 0;

} // namespace

void durableStep() {
    ++g_steps;
    if (g_steps == stopStep())
        _exit(77);
}

long durableStepsTaken() {
    return g_steps;
}

} // namespace platform
