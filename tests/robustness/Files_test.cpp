// Data files that are not files: a named pipe or a folder where the game expects a text file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "shell/Config.h"
#include "util/Files.h"
#include "world/LevelFile.h"

namespace {

class NotAFile : public ::testing::Test {
protected:
    void SetUp() override {
        // A folder of the test's own: the cases of this fixture may run in parallel.
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        root_ = std::filesystem::path(BRELVOX_BINARY_DIR) / "robustness-data" /
                (std::string("NotAFile.") + test->name());
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_ / "Data" / "maps");
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    std::filesystem::path root_;
};

// Opening a pipe for reading waits for a writer; the game must not wait with it.
TEST_F(NotAFile, ANamedPipeIsRefusedWithTheFileNamedInsteadOfWaitingForAWriter) {
    ASSERT_EQ(mkfifo((root_ / "Data" / "Config.txt").c_str(), 0600), 0);
    TGameState state;
    std::string error;
    EXPECT_FALSE(LoadConfig(files::TDataRoot(root_.string()), state, error));
    EXPECT_NE(error.find("Config.txt"), std::string::npos) << error;
}

TEST_F(NotAFile, AFolderIsRefusedWithTheFileNamed) {
    std::filesystem::create_directories(root_ / "Data" / "maps" / "level1.txt");
    TLevelDescription level;
    std::string error;
    EXPECT_FALSE(ReadLevelFile(files::TDataRoot(root_.string()), "data\\maps\\level1.txt", level, error));
    EXPECT_NE(error.find("level1.txt"), std::string::npos) << error;
}

}  // namespace
