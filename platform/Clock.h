// The tick count the game measures time with: whole milliseconds, wrapping at 2^32 like GetTickCount.
// Play uses the system's ticks; tests and replays use a virtual clock advanced by hand.
#pragma once

#include <cstdint>

namespace platform {

class Clock {
public:
    virtual ~Clock() = default;
    virtual uint32_t TickCount() = 0;
};

// Milliseconds since the process started (SDL's tick count).
class SystemClock final : public Clock {
public:
    uint32_t TickCount() override;
};

// Stands still until advanced.
class VirtualClock final : public Clock {
public:
    explicit VirtualClock(uint32_t start = 0) : now_(start) {}
    uint32_t TickCount() override { return now_; }
    void Advance(uint32_t milliseconds) { now_ += milliseconds; }
    void Set(uint32_t milliseconds) { now_ = milliseconds; }

private:
    uint32_t now_;
};

// A steady clock in microseconds and a sleep until a point of it: what paces frames to a rate. Never
// the game's time, which stays the tick count above.
class FrameTimer {
public:
    virtual ~FrameTimer() = default;
    virtual uint64_t NowMicroseconds() = 0;
    // Returns at `microseconds` of NowMicroseconds or soon after (at once when it has passed).
    virtual void SleepUntil(uint64_t microseconds) = 0;
};

// The system's monotonic clock, slept on with an absolute deadline, so a sleep does not add up the
// time spent before it.
class SystemFrameTimer final : public FrameTimer {
public:
    uint64_t NowMicroseconds() override;
    void SleepUntil(uint64_t microseconds) override;
};

}  // namespace platform
