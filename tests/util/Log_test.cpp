#include "util/Log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(Log, SinkReceivesSubsystemAndTextAndCanBeRestored) {
    std::vector<std::string> lines;
    logging::Sink previous = logging::SetSink([&](std::string_view subsystem, std::string_view text) {
        lines.push_back(std::string(subsystem) + "|" + std::string(text));
    });
    logging::Write("audio", "no OpenAL device, sound is off");
    logging::Write("shell", "");
    logging::Sink mine = logging::SetSink(previous);
    EXPECT_EQ(lines, (std::vector<std::string>{"audio|no OpenAL device, sound is off", "shell|"}));
    EXPECT_TRUE(static_cast<bool>(mine));
}

TEST(Log, DefaultWritesTaggedLineToStderr) {
    logging::Sink previous = logging::SetSink(nullptr);
    testing::internal::CaptureStderr();
    logging::Write("world", "level \"x\" loaded");
    const std::string out = testing::internal::GetCapturedStderr();
    logging::SetSink(previous);
    EXPECT_EQ(out, "[world] level \"x\" loaded\n");
}
