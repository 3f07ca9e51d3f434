#pragma once
// Crash tests run a change in a forked child that the step counter stops at a chosen step, then
// look at what the stop left on disk.

#include "platform/StepCounter.h"

#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

// Exit status of a child that the step counter stopped.
inline constexpr int kStoppedAtStep = 77;

// Runs `work` in a child stopped at `step` (counted from the fork) and answers its exit status:
// kStoppedAtStep when it stopped, 0 when it finished, 1 when it threw; -1 when it did not exit
// normally (a crash of the code under test).
template <class Work> int runStoppedAt(long step, Work&& work) {
    const pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        platform::setStopAtStep(step);
        try {
            work();
        } catch (...) {
            ::_exit(1);
        }
        ::_exit(0);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

} // namespace testsupport
