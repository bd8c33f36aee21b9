#pragma once

// Marks on the way through a slow command, for measuring it from outside: with
// PICTORIA_TIMING set in the environment, each mark prints "pictoria-timing STAGE MS" on
// standard error, MS being CLOCK_MONOTONIC in milliseconds (the clock other processes on
// the machine read too); without it a mark costs one test of a flag.
namespace StageClock {

bool enabled();
void mark(const char* stage);

} // namespace StageClock
