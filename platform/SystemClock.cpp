#include <SDL.h>

#include <cerrno>
#include <ctime>

#include "platform/Clock.h"

namespace platform {

uint32_t SystemClock::TickCount() {
    return SDL_GetTicks();
}

uint64_t SystemFrameTimer::NowMicroseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000000u + static_cast<uint64_t>(now.tv_nsec) / 1000u;
}

void SystemFrameTimer::SleepUntil(uint64_t microseconds) {
    timespec due{};
    due.tv_sec = static_cast<time_t>(microseconds / 1000000u);
    due.tv_nsec = static_cast<long>(microseconds % 1000000u) * 1000;
    // A signal can end the sleep early: sleep again for what is left.
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr) == EINTR) {
    }
}

}  // namespace platform
