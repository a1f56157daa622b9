#include "shell/UserLevels.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ShellTestSupport.h"
#include "shell/Check.h"
#include "world/LevelCheck.h"

namespace {

namespace fs = std::filesystem;

class UserLevelsTest : public ::testing::Test {
protected:
    UserLevelsTest() {
        char pattern[] = "/tmp/brelvox_user_levels_XXXXXX";
        folder = mkdtemp(pattern) != nullptr ? pattern : "";
        fs::remove(folder);  // created by the first save
        level.Width = level.Height = 12;
        level.Codes.assign(144, kCellEmpty);
        level.Codes[6 * 12 + 6] = kCellWater;
        level.HasPlayerStart = true;
        level.PlayerStart = {4, 9};
        level.SpawnPoints = {{0, 0}};
    }
    ~UserLevelsTest() override { RemoveFolder(folder); }
    std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::string folder;
    TLevelDescription level;
    uint8_t enemies[4] = {3, 1, 0, 2};
    std::string error;
};

TEST_F(UserLevelsTest, SavedLevelsAreListedInTheLevelListLayoutAndReadBack) {
    TUserLevels levels(folder + "/");
    ASSERT_TRUE(levels.Save("river", level, enemies, error)) << error;
    level.Codes[0] = kCellRockWall;
    ASSERT_TRUE(levels.Save("Fort_2", level, enemies, error)) << error;
    const uint8_t fewer[4] = {1, 0, 0, 0};
    ASSERT_TRUE(levels.Save("RIVER", level, fewer, error)) << error;  // the same level, kept in its place

    EXPECT_EQ(Read(folder + "/levels/levels.txt"),
              "2\r\n"
              "Level 1 RIVER.txt\r\nKind0 1 Kind1 0 Kind2 0 Kind3 0\r\n"
              "Level 2 Fort_2.txt\r\nKind0 3 Kind1 1 Kind2 0 Kind3 2\r\n");
    TUserLevels again(folder);
    std::vector<std::string> problems;
    again.Load(problems);
    EXPECT_TRUE(problems.empty()) << problems[0];
    ASSERT_EQ(again.Entries().size(), 2u);
    EXPECT_EQ(again.Entries()[1].Enemies[3], 2);
    TLevelDescription back;
    ASSERT_TRUE(ReadLevelFile(files::TDataRoot("/"), again.Entries()[0].Path, back, error)) << error;
    EXPECT_EQ(back.Codes, level.Codes);
    const std::vector<TLevelEntry> play = again.PlayList();
    ASSERT_EQ(play.size(), 2u);
    EXPECT_EQ(play[1].path, folder + "/levels/Fort_2.txt");

    ASSERT_TRUE(again.Remove("fort_2", error)) << error;
    EXPECT_FALSE(fs::exists(folder + "/levels/Fort_2.txt"));
    EXPECT_EQ(again.Entries().size(), 1u);
    EXPECT_FALSE(again.Remove("fort_2", error));
    // Nothing but the list and the level is left in the folder: no temporary file of the writes.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder + "/levels"), fs::directory_iterator()), 2);
}

TEST_F(UserLevelsTest, NamesThatCannotBeFileNamesAreRefused) {
    TUserLevels levels(folder);
    for (const char* name : {"", "../escape", "a b", "name.txt", "levels", "LEVELS", "\xEF\xEE\xEB\xE5",
                             "123456789012345678901234567890123"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(levels.Save(name, level, enemies, error));
        EXPECT_NE(error.find("name"), std::string::npos) << error;
    }
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_FALSE(TUserLevels("").Save("fine", level, enemies, error));
    EXPECT_NE(error.find("per-user folder"), std::string::npos);
}

// A damaged file in the player's folder is left out of the list with its reason; --check names it,
// and a draft that fails a check, by file and cell.
TEST_F(UserLevelsTest, BadFilesAreLeftOutAndNamedByTheCheck) {
    TUserLevels levels(folder);
    ASSERT_TRUE(levels.Save("good", level, enemies, error)) << error;
    level.SpawnPoints = {{5, 5}};  // on the water at (6, 6)
    ASSERT_TRUE(levels.Save("draft", level, enemies, error)) << error;
    ASSERT_TRUE(levels.Save("broken", level, enemies, error)) << error;
    std::ofstream(folder + "/levels/broken.txt", std::ios::binary) << "Width 12\r\nHeight x\r\n";

    std::vector<std::string> problems;
    levels.Load(problems);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("broken.txt"), std::string::npos) << problems[0];
    EXPECT_NE(problems[0].find("line 2"), std::string::npos) << problems[0];
    ASSERT_EQ(levels.Entries().size(), 2u);

    TUserFiles files;
    files.Folder = folder;
    const files::TDataRoot root(BRELVOX_SOURCE_DIR);
    const std::vector<std::string> found = CheckGameData(root, files);
    std::string all;
    for (const std::string& line : found) {
        all += line + "\n";
    }
    EXPECT_NE(all.find("broken.txt"), std::string::npos) << all;
    EXPECT_NE(all.find("draft.txt\": Spawn point 1 at (5, 5) stands on a wall or water at cell (6, 6)"),
              std::string::npos)
        << all;
    EXPECT_EQ(all.find("good.txt"), std::string::npos) << all;

    std::ofstream(folder + "/levels/levels.txt", std::ios::binary) << "2\r\nLevel 1 ../../x.txt\r\n";
    levels.Load(problems);
    EXPECT_TRUE(levels.Entries().empty());
}

}  // namespace
