// The frame rate cap: after each frame the loop waits until the next frame is due, 1/rate seconds
// after the previous one was. Pacing only sleeps: the game's milliseconds still come from the tick
// count, so play (and a demo's replay) is the same at any rate.
#pragma once

#include <cstdint>

#include "platform/Clock.h"
#include "shell/Settings.h"

// The rate to pace a frame to, 0 for none: the settings' cap, and in the menus (nothing there needs
// more) at most 60 when there is no cap and no vsync to hold the rate.
int32_t FrameRateLimit(const TSettings& settings, bool vsync, bool inMenus);

class TFramePacer {
public:
    explicit TFramePacer(platform::FrameTimer& timer) : Timer_(timer) {}

    // Waits until the next frame at `framesPerSecond` is due (0: returns at once). A frame that ran
    // later than a whole period starts the count again from now instead of hurrying to catch up.
    void Pace(int32_t framesPerSecond);

private:
    platform::FrameTimer& Timer_;
    uint64_t Due_ = 0;  // when the last paced frame was due, in the timer's microseconds; 0 none yet
    int32_t Rate_ = 0;
};
