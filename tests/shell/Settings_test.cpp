// The settings file: a round trip of every setting, the defaults for a missing file, unknown lines
// kept, and every kind of bad value replaced by its default with a problem naming the line.
#include "shell/Settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "shell/Check.h"
#include "util/Files.h"

namespace {

std::vector<std::string> Parse(const std::string& text, TSettings& settings) {
    std::vector<std::string> problems;
    ParseSettings(text, "settings.txt", settings, problems);
    return problems;
}

}  // namespace

TEST(Settings, EverySettingRoundTripsAndUnknownLinesStay) {
    TSettings settings;
    settings.MusicVolume = 35;
    settings.EffectsVolume = 0;
    settings.Mute = true;
    BindEither(settings.Bindings, settings.SecondBindings, {0, ActionDriveUp}, 0xC8);  // the arrow keys
    Bind(settings.Bindings, ActionFire, kMouseButtonCode + 1);
    settings.MouseSpeed = 25;
    settings.GamepadAimSpeed = 400;
    settings.Vsync = false;
    settings.FrameCap = 144;
    settings.Difficulty = kDifficultyHard;
    settings.OtherLines = {"# my own note", "FutureSetting = 7"};
    TSettings back;
    EXPECT_TRUE(Parse(FormatSettings(settings), back).empty());
    EXPECT_EQ(FormatSettings(back), FormatSettings(settings));
    EXPECT_EQ(back.Bindings[ActionFire], kMouseButtonCode + 1);
    EXPECT_EQ(back.OtherLines, settings.OtherLines);
    EXPECT_NE(FormatSettings(settings).find("FrameCap = 144\n"), std::string::npos);
    EXPECT_NE(FormatSettings(settings).find("Fire = mouse2\n"), std::string::npos);
}

TEST(Settings, SecondPlayerKeysRoundTripAndAClashWithTheFirstPlayerIsRepaired) {
    TSettings settings;
    BindEither(settings.Bindings, settings.SecondBindings, {1, SecondFire}, 0x39);  // Space
    TSettings back;
    EXPECT_TRUE(Parse(FormatSettings(settings), back).empty());
    EXPECT_EQ(back.SecondBindings[SecondFire], 0x39);
    EXPECT_NE(FormatSettings(settings).find("Player2Fire = 57\n"), std::string::npos);
    // The first player on the arrows, the second left there too: up and right get free keys back.
    const std::vector<std::string> problems =
        Parse("DriveUp = 200\nDriveRight = 205\nPlayer2DriveUp = 200\nPlayer2Fire = 17\n", back);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_NE(problems[0].find("Player2DriveUp"), std::string::npos);
    EXPECT_NE(problems[1].find("Player2DriveRight"), std::string::npos);
    EXPECT_EQ(back.SecondBindings[SecondFire], 17) << "W, free since DriveUp moved";
    std::set<uint16_t> held(back.Bindings.Codes.begin(), back.Bindings.Codes.end());
    for (uint16_t code : back.SecondBindings.Codes) {
        EXPECT_TRUE(held.insert(code).second) << code << " is held twice";
    }
}

TEST(Settings, CrLfSpacesAndAnEmptyFileReadAsWritten) {
    TSettings settings;
    EXPECT_TRUE(
        Parse("MusicVolume=40\r\n  Difficulty   =  Easy  \r\n\r\nFrameCap = unlimited", settings).empty());
    EXPECT_EQ(settings.MusicVolume, 40);
    EXPECT_EQ(settings.Difficulty, kDifficultyEasy);
    EXPECT_EQ(settings.FrameCap, 0);
    EXPECT_TRUE(settings.OtherLines.empty()) << "blank lines are not kept";
    EXPECT_TRUE(Parse("", settings).empty());
    EXPECT_EQ(FormatSettings(settings), FormatSettings(TSettings{}));
}

TEST(Settings, EveryBadValueTakesItsDefaultAndNamesTheLine) {
    const std::string text =
        "MusicVolume = 101\n"
        "EffectsVolume = -1\n"
        "Mute = yes\n"
        "DriveUp = 0\n"
        "DriveDown = mouse1\n"  // a mouse button only fires
        "Fire = mouse4\n"
        "Pause = 256\n"
        "MouseSpeed = 24\n"
        "GamepadAimSpeed = 401\n"
        "Vsync = \n"
        "FrameCap = 75\n"
        "Difficulty = normal\n"
        "MusicVolume = 20\n";
    TSettings settings;
    const std::vector<std::string> problems = Parse(text, settings);
    EXPECT_EQ(FormatSettings(settings), FormatSettings(TSettings{}));
    ASSERT_EQ(problems.size(), 13u);
    EXPECT_EQ(problems[0], "\"settings.txt\", line 1: MusicVolume \"101\" is not 0..100; it is 100 instead");
    EXPECT_NE(problems[4].find("line 5: DriveDown \"mouse1\" is not a scancode 1..255; it is 31"),
              std::string::npos)
        << problems[4];
    EXPECT_NE(problems[10].find("FrameCap \"75\" is not 30, 60, 120, 144 or unlimited"), std::string::npos);
    EXPECT_NE(problems[12].find("line 13: MusicVolume is given a second time"), std::string::npos);
}

TEST(Settings, FileMissingGivesDefaultsSaveIsAtomicAndCheckNamesTheProblem) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "brelvox-settings-test";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "settings.txt").string();
    TSettings settings;
    settings.MusicVolume = 7;
    std::vector<std::string> problems;
    LoadSettings(files::TDataRoot("."), path, settings, problems);
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(settings.MusicVolume, 100);

    settings.MusicVolume = 60;
    std::string error;
    ASSERT_TRUE(SaveSettings(files::TDataRoot("."), path, settings, error)) << error;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1) << "no temporary is left";
    TSettings back;
    LoadSettings(files::TDataRoot("."), path, back, problems);
    EXPECT_EQ(back.MusicVolume, 60);

    std::ofstream(path) << "Difficulty = Nightmare\n";
    TUserFiles userFiles;
    userFiles.Settings = path;
    bool named = false;
    for (const std::string& problem : CheckGameData(files::TDataRoot("."), userFiles)) {
        named = named ||
                problem.find("Difficulty \"Nightmare\" is not Easy, Normal or Hard") != std::string::npos;
    }
    EXPECT_TRUE(named) << "--check names the bad value";
    std::filesystem::remove_all(folder);
}
