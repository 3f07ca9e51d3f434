#pragma once
// Crash tests stop the process at the N-th durable step (environment LARKSPIRE_STOP_AT_STEP=N) to
// show that every step of a change to mail leaves each message whole. Steps are counted in every
// build; without the variable counting costs one comparison.

namespace platform {

// Marks one step (a write, an fsync, a rename, an unlink) that changes files; ends the process
// with exit status 77 and no cleanup when the configured step is reached.
void durableStep();

// Steps counted so far in this process.
long durableStepsTaken();

} // namespace platform
