#pragma once
// Crash tests stop the process at the N-th durable step (environment LARKSPIRE_STOP_AT_STEP=N, or
// setStopAtStep in a forked child) to show that every step of a change to mail leaves each message
// whole. Steps are counted in every build; without a stop step counting costs one comparison.

namespace platform {

// Marks one step (a write, an fsync, a rename, an unlink) that changes files; ends the process
// with exit status 77 and no cleanup when the configured step is reached.
void durableStep();

// Steps counted so far in this process.
long durableStepsTaken();

// Makes the process stop at step `step` counted from now (0: never); for forked test children.
void setStopAtStep(long step);

} // namespace platform
