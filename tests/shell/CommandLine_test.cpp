#include "shell/CommandLine.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace {

bool Parse(std::initializer_list<const char*> arguments, TCommandLine& line, std::string& error) {
    std::vector<const char*> argv{"brelvox"};
    argv.insert(argv.end(), arguments);
    return ParseCommandLine(static_cast<int>(argv.size()), argv.data(), line, error);
}

}  // namespace

TEST(CommandLine, ValuesAndFlagsLandInTheirFields) {
    TCommandLine line;
    std::string error;
    ASSERT_TRUE(Parse({"--data", "/d", "--windowed", "--frames", "12", "--screenshot", "s.png", "--level",
                       "255", "--record", "r.dem"},
                      line, error))
        << error;
    EXPECT_EQ(line.DataFolder, "/d");
    EXPECT_TRUE(line.Windowed);
    EXPECT_FALSE(line.Fullscreen);
    EXPECT_EQ(line.Frames, 12);
    EXPECT_EQ(line.Screenshot, "s.png");
    EXPECT_EQ(line.Level, 255);
    EXPECT_EQ(line.Record, "r.dem");

    TCommandLine replay;
    ASSERT_TRUE(
        Parse({"--timedemo", "t.dem", "--timedemo-json", "t.json", "--size", "320x240"}, replay, error))
        << error;
    EXPECT_EQ(replay.Timedemo, "t.dem");
    EXPECT_EQ(replay.TimedemoJson, "t.json");
    EXPECT_EQ(replay.Width, 320);
    EXPECT_EQ(replay.Height, 240);

    TCommandLine help;
    ASSERT_TRUE(Parse({"-h"}, help, error));
    EXPECT_TRUE(help.Help);
}

TEST(CommandLine, EveryBadLineIsRefusedWithItsReason) {
    const struct {
        std::initializer_list<const char*> arguments;
        const char* error;
    } cases[] = {
        {{"--fast"}, "unknown option \"--fast\""},
        {{"--data"}, "--data needs a value"},
        {{"--frames", "0"}, "--frames needs a whole number from 1 to 1000000000, not \"0\""},
        {{"--frames", "12x"}, "--frames needs a whole number from 1 to 1000000000, not \"12x\""},
        {{"--level", "256"}, "--level needs a level number from 1 to 255, not \"256\""},
        {{"--play", "p.dem", "--size", "8193x600"},
         "--size needs WIDTHxHEIGHT (320x240 to 8192x8192), not \"8193x600\""},
        {{"--play", "p.dem", "--size", "800"},
         "--size needs WIDTHxHEIGHT (320x240 to 8192x8192), not \"800\""},
        {{"--screenshot", "s.png"}, "--screenshot needs --frames"},
        {{"--fullscreen", "--windowed"}, "--fullscreen and --windowed cannot go together"},
        {{"--record", "r.dem", "--play", "p.dem"}, "--record, --play and --timedemo exclude each other"},
        {{"--play", "p.dem", "--level", "2"},
         "--play and --timedemo take no --frames, --level or --check: the demo holds the session"},
        {{"--timedemo-json", "t.json"}, "--timedemo-json needs --timedemo"},
        {{"--size", "800x600"}, "--size needs --play or --timedemo"},
    };
    for (const auto& c : cases) {
        TCommandLine line;
        std::string error;
        EXPECT_FALSE(Parse(c.arguments, line, error)) << c.error;
        EXPECT_EQ(error, c.error);
    }
}

TEST(CommandLine, UsageListsEveryOptionInOneColumnWithTheFilesAndKeys) {
    const std::string usage = Usage();
    EXPECT_EQ(usage.rfind("Usage: brelvox [options]\nOptions:\n", 0), 0u);
    // Each help starts in the same column, its later lines too.
    const std::size_t column = usage.find("the folder that holds Data") - usage.find("  --data DIR");
    for (const char* line : {"  --timedemo-json FILE", "  --help", "  --size WxH"}) {
        const std::size_t at = usage.find(line);
        ASSERT_NE(at, std::string::npos) << line;
        EXPECT_EQ(usage[at + column - 1], ' ') << line;
        EXPECT_NE(usage[at + column], ' ') << line;
    }
    EXPECT_NE(usage.find("\n" + std::string(column, ' ') + "problem, exit 0 only when there is none"),
              std::string::npos);
    EXPECT_NE(usage.find("Files:\n"), std::string::npos);
    EXPECT_NE(usage.find("Keys: W, A, S, D drive"), std::string::npos);
}
