// The game's own files under Data: they must load with the game's readers and hold every text the
// menus and the flow look up.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "shell/Config.h"
#include "shell/Construction.h"
#include "shell/Languages.h"
#include "shell/Levels.h"
#include "util/Files.h"
#include "world/LevelFile.h"

namespace {

// Every key the shell looks up in the language table.
const std::vector<std::string>& UsedKeys() {
    static const std::vector<std::string> keys = {"Play",
                                                  "Table of records",
                                                  "Help",
                                                  "Settings",
                                                  "Author",
                                                  "Exit",
                                                  "Pause menu",
                                                  "Continue",
                                                  "Main menu",
                                                  "Fullscreen",
                                                  "Language",
                                                  "Display",
                                                  std::string(kKeyUkrainianName),
                                                  std::string(kKeyRussianName),
                                                  "English",
                                                  "OK",
                                                  "Cencel",
                                                  "Enter name",
                                                  "Are you sure?",
                                                  "Yes",
                                                  "No",
                                                  "Victory!",
                                                  "Next level",
                                                  "Moving: W,A,S,D",
                                                  "Rotating tower: mouse",
                                                  "Shooting: left mouse button",
                                                  "Bomb",
                                                  "Armour",
                                                  "Remount",
                                                  "Life",
                                                  "Wall around the base",
                                                  "Modernization of the tank",
                                                  "\"Freezes\" enemies",
                                                  "Score",
                                                  "Your record",
                                                  "Could not save",
                                                  "No space left on device",
                                                  "Permission denied",
                                                  "Operation not permitted",
                                                  "Read-only file system",
                                                  "Disk quota exceeded",
                                                  "Input/output error",
                                                  "Continue from level",
                                                  "Two players",
                                                  "Player 2: arrows, fire: Right Ctrl",
                                                  "Player 2 tower: , and .",
                                                  "Sound",
                                                  "Controls",
                                                  "Music volume",
                                                  "Effects volume",
                                                  "Mute all",
                                                  "Drive up",
                                                  "Drive down",
                                                  "Drive left",
                                                  "Drive right",
                                                  "Fire",
                                                  "Pause",
                                                  "Defaults",
                                                  "Mouse speed",
                                                  "Gamepad aim speed",
                                                  "Difficulty: Easy",
                                                  "Difficulty: Normal",
                                                  "Difficulty: Hard",
                                                  "Vsync (after a restart)",
                                                  "Frame rate cap:",
                                                  "unlimited",
                                                  "Press a key (Escape cancels)",
                                                  "Press a key or a mouse button (Escape cancels)",
                                                  "Swapped with",
                                                  "Already used by",
                                                  "Left button",
                                                  "Right button",
                                                  "Middle button",
                                                  "(desktop)",
                                                  "Player 1",
                                                  "Player 2",
                                                  "Turret left",
                                                  "Turret right",
                                                  "Moving: %1",
                                                  "Shooting: %1",
                                                  "Player 2: %1, fire: %2",
                                                  "Player 2 tower: %1 and %2"};
    return keys;
}

class DataFilesTest : public ::testing::Test {
protected:
    void SetUp() override {}
    std::string Read(const char* path) {
        std::string bytes, error;
        EXPECT_TRUE(files::TDataRoot(BRELVOX_SOURCE_DIR).ReadFile(path, bytes, error)) << error;
        return bytes;
    }
};

// Decodes Windows-1251 with the system's iconv; empty when iconv rejects the bytes.
std::string Cp1251ToUtf8(const std::string& path) {
    FILE* pipe = popen(("iconv -f CP1251 -t UTF-8 '" + path + "' 2>/dev/null").c_str(), "r");
    std::string out;
    char buffer[4096];
    for (size_t got; pipe != nullptr && (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        out.append(buffer, got);
    }
    const int status = pipe != nullptr ? pclose(pipe) : -1;
    return status == 0 ? out : std::string();
}

}  // namespace

TEST_F(DataFilesTest, ConfigHoldsTheDefaultTuning) {
    TGameState state;
    state.PlayerMaxHealth = state.BaseMaxHealth = state.AttackBaseTime = state.ChasePlayerTime =
        state.WanderTime = -1;
    std::string error;
    ASSERT_TRUE(LoadConfig(files::TDataRoot(BRELVOX_SOURCE_DIR), state, error)) << error;
    EXPECT_EQ(state.PlayerMaxHealth, 10);
    EXPECT_EQ(state.BaseMaxHealth, 20);
    EXPECT_EQ(state.AttackBaseTime, 10000);
    EXPECT_EQ(state.ChasePlayerTime, 10000);
    EXPECT_EQ(state.WanderTime, 5000);
}

TEST_F(DataFilesTest, OptionsAreWindowed800x600English) {
    TGameState state;
    std::string error;
    ASSERT_TRUE(LoadOptions(files::TDataRoot(BRELVOX_SOURCE_DIR), "Data\\options.txt", state, error))
        << error;
    EXPECT_TRUE(state.Windowed);
    EXPECT_EQ(state.ScreenWidth, 800);
    EXPECT_EQ(state.ScreenHeight, 600);
    EXPECT_EQ(state.Language, kLanguageEnglish);
    EXPECT_EQ(Read("Data\\Options.txt"), FormatOptions(state));  // as the game itself writes it
}

TEST_F(DataFilesTest, LanguageFilesAreParallelCrLfLines) {
    const char* names[3] = {"Data\\Ukrainian.txt", "Data\\Russian.txt", "Data\\English.txt"};
    size_t lines[3];
    for (int i = 0; i < 3; ++i) {
        const std::string bytes = Read(names[i]);
        ASSERT_FALSE(bytes.empty()) << names[i];
        size_t crlf = 0;
        for (size_t at = 0; at < bytes.size(); ++at) {
            if (bytes[at] == '\n') {
                EXPECT_TRUE(at > 0 && bytes[at - 1] == '\r') << names[i] << " has a bare LF at byte " << at;
                ++crlf;
            }
        }
        EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n") << names[i];
        lines[i] = crlf;
    }
    EXPECT_EQ(lines[0], lines[2]);
    EXPECT_EQ(lines[1], lines[2]);
}

TEST_F(DataFilesTest, LanguageFilesAreWindows1251) {
    for (const char* name : {"Data/Ukrainian.txt", "Data/Russian.txt", "Data/English.txt"}) {
        const std::string path = files::TDataRoot(BRELVOX_SOURCE_DIR).Resolve(name);
        ASSERT_FALSE(path.empty()) << name;
        const std::string utf8 = Cp1251ToUtf8(path);
        EXPECT_FALSE(utf8.empty()) << name;
    }
    // Decoded as Windows-1251 the words read right (text saved as UTF-8 would decode to other letters).
    const std::string ukrainian =
        Cp1251ToUtf8(files::TDataRoot(BRELVOX_SOURCE_DIR).Resolve("Data/Ukrainian.txt"));
    EXPECT_NE(ukrainian.find("Грати"), std::string::npos);
    EXPECT_NE(ukrainian.find("Українська"), std::string::npos);
    const std::string russian =
        Cp1251ToUtf8(files::TDataRoot(BRELVOX_SOURCE_DIR).Resolve("Data/Russian.txt"));
    EXPECT_NE(russian.find("Играть"), std::string::npos);
}

TEST_F(DataFilesTest, EveryKeyTheGameUsesHasTextInEveryLanguage) {
    TLanguages table;
    std::string error;
    ASSERT_TRUE(table.LoadFromFiles(files::TDataRoot(BRELVOX_SOURCE_DIR), "Data\\Ukrainian.txt",
                                    "Data\\Russian.txt", "Data\\English.txt", error))
        << error;
    std::vector<std::string> used = UsedKeys();
    for (const std::string& key : ConstructionTextKeys()) {
        if (std::find(used.begin(), used.end(), key) == used.end()) {
            used.push_back(key);
        }
    }
    EXPECT_EQ(table.Count(), used.size());
    for (const std::string& key : used) {
        for (int language = 0; language < 3; ++language) {
            EXPECT_FALSE(table.GetText(key, language).empty())
                << "key \"" << key << "\" language " << language;
        }
        EXPECT_EQ(table.GetText(key, kLanguageEnglish), key);
    }
    // Translated, not copied.
    EXPECT_NE(table.GetText("Play", kLanguageUkrainian), "Play");
    EXPECT_NE(table.GetText("Play", kLanguageRussian), "Play");
    EXPECT_NE(table.GetText("Play", kLanguageUkrainian), table.GetText("Play", kLanguageRussian));
    // The language names read the same in every language.
    for (int language = 0; language < 3; ++language) {
        EXPECT_EQ(table.GetText(kKeyUkrainianName, language), std::string(kKeyUkrainianName));
        EXPECT_EQ(table.GetText(kKeyRussianName, language), std::string(kKeyRussianName));
    }
}

TEST_F(DataFilesTest, EveryLevelOfTheListLoads) {
    if (files::TDataRoot(BRELVOX_SOURCE_DIR).Resolve("data\\maps\\levels.txt").empty()) {
        GTEST_SKIP() << "no level list in Data/maps yet";
    }
    TLevels levels;
    std::string error;
    ASSERT_TRUE(levels.LoadFromFile(files::TDataRoot(BRELVOX_SOURCE_DIR), "data\\maps\\levels.txt", error))
        << error;
    ASSERT_GT(levels.Count(), 0);
    for (const TLevelEntry& entry : levels.Entries()) {
        TLevelDescription level;
        ASSERT_TRUE(ReadLevelFile(files::TDataRoot(BRELVOX_SOURCE_DIR), entry.path, level, error)) << error;
        EXPECT_TRUE(level.HasPlayerStart) << entry.path;
        EXPECT_FALSE(level.SpawnPoints.empty()) << entry.path;
        int enemies = 0;
        for (int kind = 0; kind < 4; ++kind) {
            enemies += entry.enemies[kind];
        }
        EXPECT_GT(enemies, 0) << entry.path;
        // The player can start: its footprint is free on the level's grid.
        const auto map = BuildMap(level);
        EXPECT_FALSE(map->Blocked(map->PlayerStartX, map->PlayerStartY)) << entry.path;
        for (const TGridPoint& spawn : map->SpawnPoints) {
            EXPECT_FALSE(map->Blocked(spawn.X, spawn.Y))
                << entry.path << " spawn " << spawn.X << "," << spawn.Y;
        }
    }
}
