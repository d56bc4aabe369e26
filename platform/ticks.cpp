// Tick counter on a POSIX monotonic clock.
#include "platform/ticks.h"

#include <ctime>

namespace {
TickSource currentSource = nullptr;
}

uint32_t monotonicTicks() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);  // wraps at 2^32 like the platform counter it stands in for
}

uint32_t getTickCount() { return currentSource ? currentSource() : monotonicTicks(); }

TickSource setTickSource(TickSource source) {
    TickSource old = currentSource ? currentSource : monotonicTicks;
    currentSource = source;
    return old;
}
