// The frame rate cap on a timer that only moves when slept on or told: the frames fall due one period
// apart whatever each one cost, a long frame starts the count again, and which rate a frame gets.
#include "shell/FramePacer.h"

#include <gtest/gtest.h>

namespace {

class FakeTimer final : public platform::FrameTimer {
public:
    uint64_t NowMicroseconds() override { return now; }
    void SleepUntil(uint64_t microseconds) override {
        ++sleeps;
        now = microseconds > now ? microseconds : now;
    }
    uint64_t now = 5000000;
    int sleeps = 0;
};

}  // namespace

TEST(FramePacer, FramesFallDueOnePeriodApartWhateverTheyCost) {
    FakeTimer timer;
    TFramePacer pacer(timer);
    pacer.Pace(60);
    const uint64_t start = timer.now;
    for (int frame = 1; frame <= 600; ++frame) {
        timer.now += static_cast<uint64_t>(frame % 7) * 1000;  // the frame's own work, 0..6 ms
        pacer.Pace(60);
    }
    EXPECT_EQ(timer.now - start, 600u * 16666u);
    pacer.Pace(144);  // a new rate starts its own count
    const uint64_t at = timer.now;
    pacer.Pace(144);
    EXPECT_EQ(timer.now - at, 6944u);
}

TEST(FramePacer, ALongFrameRestartsTheCountAndNoCapNeverSleeps) {
    FakeTimer timer;
    TFramePacer pacer(timer);
    pacer.Pace(30);
    timer.now += 500000;  // half a second (a window being moved)
    pacer.Pace(30);
    const int sleeps = timer.sleeps;
    const uint64_t at = timer.now;
    pacer.Pace(30);
    EXPECT_EQ(timer.now - at, 33333u) << "no burst of frames to catch up";
    EXPECT_EQ(timer.sleeps, sleeps + 1);
    for (int i = 0; i < 10; ++i) {
        pacer.Pace(0);
    }
    EXPECT_EQ(timer.sleeps, sleeps + 1);
}

TEST(FramePacer, TheMenusNeverRunFasterThanTheCapOrSixtyWithoutVsync) {
    TSettings settings;
    settings.FrameCap = 0;
    EXPECT_EQ(FrameRateLimit(settings, false, true), 60);
    EXPECT_EQ(FrameRateLimit(settings, false, false), 0) << "a level runs uncapped when asked";
    EXPECT_EQ(FrameRateLimit(settings, true, true), 0) << "vsync holds the menus";
    settings.FrameCap = 144;
    EXPECT_EQ(FrameRateLimit(settings, false, true), 144);
    EXPECT_EQ(FrameRateLimit(settings, true, false), 144);
    settings.FrameCap = 30;
    EXPECT_EQ(FrameRateLimit(settings, false, true), 30);
}
