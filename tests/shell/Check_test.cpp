// The data check: the shipped Data passes; a damaged model, level, font description, skin description,
// language file, sound or progress file is named in its own line.
#include "shell/Check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ShellTestSupport.h"
#include "util/Files.h"

namespace {

class DataCheck : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = CopyShippedData("brelvox_check");
        ASSERT_FALSE(root_.empty());
    }
    void TearDown() override { RemoveFolder(root_); }
    void Overwrite(const std::string& gamePath, const std::string& text) {
        std::string path = files::TDataRoot(root_).Resolve(gamePath);
        ASSERT_FALSE(path.empty()) << gamePath;
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    }
    // Exactly one problem line, naming `name`.
    void ExpectOneProblemNaming(const std::string& name) {
        std::vector<std::string> problems = CheckGameData(files::TDataRoot(root_));
        ASSERT_EQ(problems.size(), 1u) << (problems.empty() ? "" : problems[0]);
        EXPECT_NE(problems[0].find(name), std::string::npos) << problems[0];
    }

    std::string root_;
};

TEST_F(DataCheck, ShippedDataHasNoProblem) {
    std::vector<std::string> problems = CheckGameData(files::TDataRoot(root_));
    for (const std::string& problem : problems) {
        ADD_FAILURE() << problem;
    }
}

TEST_F(DataCheck, DamagedModelIsNamed) {
    Overwrite("Data/Meshes/player.x", "xof 0303txt 0032\nMesh body {\n 4;\n 1.0; oops");
    ExpectOneProblemNaming("player.x");
}

TEST_F(DataCheck, ModelThatIsNotAModelIsNamed) {
    Overwrite("Data/Meshes/Enemy3.x", "PNG garbage");
    ExpectOneProblemNaming("Enemy3.x");
}

TEST_F(DataCheck, DamagedLevelIsNamed) {
    Overwrite("data/maps/level2.txt", "Width 30 Height thirty");
    ExpectOneProblemNaming("level2.txt");
}

TEST_F(DataCheck, LevelListNamingAMissingLevelIsNamed) {
    Overwrite("data/maps/levels.txt",
              "1\nLevel 1 data\\maps\\nowhere.txt\nKind0 4 Kind1 0 Kind2 0 Kind3 0\n");
    ExpectOneProblemNaming("nowhere.txt");
}

TEST_F(DataCheck, LevelWithoutEnemiesIsNamed) {
    Overwrite("data/maps/levels.txt", "1\nLevel 1 data\\maps\\level1.txt\nKind0 0 Kind1 0 Kind2 0 Kind3 0\n");
    ExpectOneProblemNaming("level1.txt");
}

TEST_F(DataCheck, DamagedFontInfoIsNamed) {
    Overwrite("Data/Font/font_info.txt", "12 twelve\n");
    ExpectOneProblemNaming("font_info.txt");
}

TEST_F(DataCheck, DamagedSkinInfoIsNamed) {
    std::remove(files::TDataRoot(root_).Resolve("Data/GUI/guiskininfo.txt").c_str());
    ExpectOneProblemNaming("guiskininfo.txt");
}

TEST_F(DataCheck, DamagedPictureAndSoundAreNamed) {
    Overwrite("data/textures/clock.png", "not a picture");
    Overwrite("Data/Sound/laser.wav", "RIFF");
    std::vector<std::string> problems = CheckGameData(files::TDataRoot(root_));
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_NE(problems[0].find("laser.wav"), std::string::npos) << problems[0];
    EXPECT_NE(problems[1].find("clock.png"), std::string::npos) << problems[1];
}

TEST_F(DataCheck, MissingLanguageKeyIsNamed) {
    std::string english;
    std::string error;
    ASSERT_TRUE(files::TDataRoot(root_).ReadFile("Data/English.txt", english, error));
    size_t at = english.find("Victory!");
    ASSERT_NE(at, std::string::npos);
    english.replace(at, 8, "Victory?");
    Overwrite("Data/English.txt", english);
    std::vector<std::string> problems = CheckGameData(files::TDataRoot(root_));
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("English.txt"), std::string::npos);
    EXPECT_NE(problems[0].find("Victory!"), std::string::npos);
}

TEST_F(DataCheck, TableOfRecordsMissingIsFineMalformedIsNamed) {
    std::remove(files::TDataRoot(root_).Resolve("Data/table_of_records.txt").c_str());
    EXPECT_TRUE(CheckGameData(files::TDataRoot(root_)).empty());
    std::ofstream(root_ + "/Data/table_of_records.txt", std::ios::binary) << "ada\r\nlots\r\n";
    ExpectOneProblemNaming("table_of_records.txt");
}

TEST_F(DataCheck, ProgressMissingIsFineMalformedIsNamed) {
    const TUserFiles user = ChooseUserFiles(false, root_ + "/user");
    EXPECT_TRUE(CheckGameData(files::TDataRoot(root_), user).empty());
    std::filesystem::create_directories(root_ + "/user");
    std::ofstream(user.ProgressFile(), std::ios::binary) << "Reached 0\r\n";
    std::vector<std::string> problems = CheckGameData(files::TDataRoot(root_), user);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find(user.ProgressFile()), std::string::npos) << problems[0];
}

TEST_F(DataCheck, BadConfigAndOptionsAreNamed) {
    Overwrite("Data/Config.txt", "PlayerMaxHealth ten");
    Overwrite("Data/options.txt", "Windowed = true");
    std::vector<std::string> problems = CheckGameData(files::TDataRoot(root_));
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_NE(problems[0].find("Config.txt"), std::string::npos) << problems[0];
    EXPECT_NE(problems[1].find("options.txt"), std::string::npos) << problems[1];
}

}  // namespace
