#include "platform/StageClock.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace StageClock {

bool enabled()
{
    static const bool on = std::getenv("PICTORIA_TIMING") != nullptr;
    return on;
}

void mark(const char* stage)
{
    if (!enabled())
        return;
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    std::fprintf(stderr, "pictoria-timing %s %.3f\n", stage,
                 double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6);
    std::fflush(stderr);
}

} // namespace StageClock
