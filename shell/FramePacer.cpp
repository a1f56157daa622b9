#include "shell/FramePacer.h"

namespace {

constexpr int32_t kMenuRate = 60;

}  // namespace

int32_t FrameRateLimit(const TSettings& settings, bool vsync, bool inMenus) {
    if (settings.FrameCap > 0) {
        return settings.FrameCap;
    }
    return inMenus && !vsync ? kMenuRate : 0;
}

void TFramePacer::Pace(int32_t framesPerSecond) {
    const uint64_t now = Timer_.NowMicroseconds();
    if (framesPerSecond <= 0) {
        Due_ = 0;
        Rate_ = 0;
        return;
    }
    const uint64_t period = 1000000u / static_cast<uint64_t>(framesPerSecond);
    if (Due_ == 0 || framesPerSecond != Rate_ || now > Due_ + 2 * period) {
        Due_ = now;  // the first paced frame, a new rate, or a frame that ran long
        Rate_ = framesPerSecond;
        return;
    }
    Due_ += period;
    if (now < Due_) {
        Timer_.SleepUntil(Due_);
    }
}
