#include "util/Files.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Each case works in a fresh folder, the data root of its look-ups.
class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/brelvox_files_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + root_ + "'").c_str()); }
    files::TDataRoot Root() const { return files::TDataRoot(root_); }
    void MakeFolder(const std::string& relative) {
        ASSERT_EQ(mkdir((root_ + "/" + relative).c_str(), 0755), 0);
    }
    void MakeFile(const std::string& relative, const std::string& text) {
        std::ofstream out(root_ + "/" + relative, std::ios::binary);
        out << text;
    }
    std::string Slurp(const std::string& relative) {
        std::ifstream in(root_ + "/" + relative, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    int CountEntries(const std::string& relative) {
        const std::string cmd = "ls -A '" + root_ + "/" + relative + "' | wc -l > '" + root_ + "/../count_" +
                                std::to_string(getpid()) + "'";
        std::system(cmd.c_str());
        std::ifstream in(root_ + "/../count_" + std::to_string(getpid()));
        int n = -1;
        in >> n;
        return n;
    }

    // The names in a folder, sorted.
    std::vector<std::string> Entries(const std::string& relative) {
        std::vector<std::string> names;
        DIR* dir = opendir((root_ + "/" + relative).c_str());
        while (const dirent* entry = dir != nullptr ? readdir(dir) : nullptr) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") {
                names.push_back(name);
            }
        }
        if (dir != nullptr) {
            closedir(dir);
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    // Sets a file's modification time `seconds` into the past.
    void Age(const std::string& relative, int seconds) {
        const timeval then{time(nullptr) - seconds, 0};
        const timeval times[2] = {then, then};
        ASSERT_EQ(utimes((root_ + "/" + relative).c_str(), times), 0) << relative;
    }

    std::string root_;
};

}  // namespace

TEST_F(FilesTest, ResolvesMixedCaseAndBothSeparators) {
    MakeFolder("Data");
    MakeFolder("Data/Shaders");
    MakeFile("Data/Shaders/render_quad.vs", "x");
    EXPECT_EQ(Root().Resolve("data\\SHaders\\Render_Quad.VS"), root_ + "/Data/Shaders/render_quad.vs");
    EXPECT_EQ(Root().Resolve("DATA/shaders\\render_quad.vs"), root_ + "/Data/Shaders/render_quad.vs");
    EXPECT_EQ(Root().Resolve("Data//Shaders/./render_quad.vs"), root_ + "/Data/Shaders/render_quad.vs");
    EXPECT_EQ(Root().Resolve("data\\shaders"), root_ + "/Data/Shaders");
}

TEST_F(FilesTest, MissingComponentGivesEmpty) {
    MakeFolder("Data");
    EXPECT_EQ(Root().Resolve("Data/Nothing/file.txt"), "");
    EXPECT_EQ(Root().Resolve("Data/file.txt"), "");
    EXPECT_EQ(Root().Resolve("Other/file.txt"), "");
}

TEST_F(FilesTest, FileInTheMiddleOfAPathIsNotAFolder) {
    MakeFolder("Data");
    MakeFile("Data/options.txt", "x");
    EXPECT_EQ(Root().Resolve("Data/options.txt/more"), "");
    EXPECT_EQ(Root().ResolveForWriting("Data/options.txt/more"), "");
}

TEST_F(FilesTest, ExactMatchWinsOverOtherCase) {
    MakeFolder("Data");
    MakeFile("Data/Options.txt", "upper");
    MakeFile("Data/options.txt", "lower");
    MakeFile("Data/OPTIONS.TXT", "all");
    EXPECT_EQ(Root().Resolve("Data/options.txt"), root_ + "/Data/options.txt");
    EXPECT_EQ(Root().Resolve("Data/Options.txt"), root_ + "/Data/Options.txt");
    // No exact match: the first in name order wins ("OPTIONS.TXT" < "Options.txt" < "options.txt").
    EXPECT_EQ(Root().Resolve("Data/oPtions.txt"), root_ + "/Data/OPTIONS.TXT");
}

TEST_F(FilesTest, ExactMatchWinsPerComponent) {
    MakeFolder("data");
    MakeFolder("Data");
    MakeFile("data/maps.txt", "lower");
    MakeFile("Data/Maps.txt", "upper");
    EXPECT_EQ(Root().Resolve("data/Maps.txt"), root_ + "/data/maps.txt");
    EXPECT_EQ(Root().Resolve("Data/maps.txt"), root_ + "/Data/Maps.txt");
}

TEST_F(FilesTest, WriteGoesToExistingFileOfOtherCase) {
    MakeFolder("Data");
    MakeFile("Data/options.txt", "old");
    EXPECT_EQ(Root().ResolveForWriting("data\\Options.txt"), root_ + "/Data/options.txt");
    std::string error;
    ASSERT_TRUE(Root().WriteFileAtomic("data\\Options.txt", "new", error)) << error;
    EXPECT_EQ(Slurp("Data/options.txt"), "new");
    EXPECT_EQ(CountEntries("Data"), 1);  // no second file, no temporary left behind
}

TEST_F(FilesTest, WriteOfNewFileKeepsNameAsWritten) {
    MakeFolder("Data");
    EXPECT_EQ(Root().ResolveForWriting("DATA/New.txt"), root_ + "/Data/New.txt");
    std::string error;
    ASSERT_TRUE(Root().WriteFileAtomic("DATA/New.txt", std::string("a\0b", 3), error)) << error;
    EXPECT_EQ(Slurp("Data/New.txt"), std::string("a\0b", 3));
}

TEST_F(FilesTest, WriteIntoMissingFolderFails) {
    std::string error;
    EXPECT_FALSE(Root().WriteFileAtomic("Nowhere/file.txt", "x", error));
    EXPECT_NE(error.find("Nowhere/file.txt"), std::string::npos) << error;
}

TEST_F(FilesTest, FailedWriteLeavesOldFileAndNoTemporary) {
    MakeFolder("Data");
    MakeFile("Data/keep.txt", "old");
    // The target is a folder: the final rename cannot replace it.
    MakeFolder("Data/table.txt");
    std::string error;
    EXPECT_FALSE(Root().WriteFileAtomic("Data/table.txt", "new", error));
    EXPECT_NE(error.find("Data/table.txt"), std::string::npos) << error;
    EXPECT_EQ(CountEntries("Data"), 2);
    struct stat info;
    ASSERT_EQ(stat((root_ + "/Data/table.txt").c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(Slurp("Data/keep.txt"), "old");
}

TEST_F(FilesTest, ReplacingAFileIsAtomicAndTheOldContentSurvivesAFailure) {
    MakeFolder("Data");
    std::string error;
    ASSERT_TRUE(Root().WriteFileAtomic("Data/r.txt", "first", error)) << error;
    ASSERT_TRUE(Root().WriteFileAtomic("Data/R.TXT", "second", error)) << error;
    EXPECT_EQ(Slurp("Data/r.txt"), "second");
    // A file in the way of the folder: the write cannot even start, the file is untouched.
    EXPECT_FALSE(Root().WriteFileAtomic("Data/r.txt/x", "third", error));
    EXPECT_EQ(Slurp("Data/r.txt"), "second");
}

TEST_F(FilesTest, ReadWholeFileAndReportMissing) {
    MakeFolder("Data");
    MakeFile("Data/Config.txt", std::string("a\r\n\0\xFF", 5));
    std::string bytes, error;
    ASSERT_TRUE(Root().ReadFile("data\\config.TXT", bytes, error)) << error;
    EXPECT_EQ(bytes, std::string("a\r\n\0\xFF", 5));
    EXPECT_FALSE(Root().ReadFile("Data/Missing.txt", bytes, error));
    EXPECT_NE(error.find("Data/Missing.txt"), std::string::npos);
    EXPECT_NE(error.find("not found"), std::string::npos);
}

TEST_F(FilesTest, ReadingAFolderIsAnError) {
    MakeFolder("Data");
    std::string bytes = "unchanged", error;
    EXPECT_FALSE(Root().ReadFile("Data", bytes, error));
    EXPECT_EQ(bytes, "unchanged");
    EXPECT_NE(error.find("Data"), std::string::npos);
}

TEST_F(FilesTest, AbsolutePathsIgnoreTheRoot) {
    MakeFolder("Data");
    MakeFile("Data/Abs.txt", "x");
    const files::TDataRoot elsewhere("/nonexistent-root");
    EXPECT_EQ(elsewhere.Resolve(root_ + "/data/abs.txt"), root_ + "/Data/Abs.txt");
    EXPECT_EQ(elsewhere.Resolve("Data/Abs.txt"), "");
}

TEST_F(FilesTest, TwoRootsLookUpAndWriteEachInItsOwnFolder) {
    MakeFolder("One");
    MakeFolder("Two");
    MakeFolder("One/Data");
    MakeFolder("Two/Data");
    const files::TDataRoot one(root_ + "/One");
    const files::TDataRoot two(root_ + "/Two");
    std::string error;
    ASSERT_TRUE(one.WriteFileAtomic("data/a.txt", "first", error)) << error;
    ASSERT_TRUE(two.WriteFileAtomic("DATA/A.TXT", "second", error)) << error;
    std::string bytes;
    ASSERT_TRUE(one.ReadFile("Data/A.txt", bytes, error)) << error;
    EXPECT_EQ(bytes, "first");
    ASSERT_TRUE(two.ReadFile("Data/a.txt", bytes, error)) << error;
    EXPECT_EQ(bytes, "second");
    EXPECT_EQ(files::TDataRoot("").Folder(), ".");
}

TEST_F(FilesTest, StaleTemporariesOfTheNamedFilesGoAndEverythingElseStays) {
    MakeFolder("Data");
    MakeFolder("Data/options.txt.Dir123");
    const std::vector<std::string> kept = {
        "Config.txt.a1B2c3",   // not one of the named files
        "options.txt",         // the file itself
        "options.txt.Fresh1",  // a save in progress
        "options.txt.Dir123",  // a folder
        // Not a temporary's name:
        "options.txt.bak",
        "options.txt.a1B2c3d",
        "options.txt.a1-2c3",
        "table_of_records.txt.old1",
    };
    for (const std::string& name : kept) {
        if (name != "options.txt.Dir123") {
            MakeFile("Data/" + name, "x");
        }
        if (name != "options.txt.Fresh1") {
            Age("Data/" + name, 3600);
        }
    }
    Age("Data/options.txt.Fresh1", 30);
    for (const char* stale : {"options.txt.Ab12Cd", "OPTIONS.TXT.zzzzzz", "Table_Of_Records.txt.000000"}) {
        MakeFile(std::string("Data/") + stale, "");
        Age(std::string("Data/") + stale, 61);
    }
    EXPECT_EQ(Root().RemoveStaleTemporaries("data\\Options.txt", {"options.txt", "table_of_records.txt"}), 3);
    std::vector<std::string> expected = kept;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Entries("Data"), expected);
    // No folder, nothing to do.
    EXPECT_EQ(Root().RemoveStaleTemporaries("Nowhere/options.txt", {"options.txt"}), 0);
}

// A saving process killed at random moments: each kill leaves the file whole (the old or the new
// text) and at most one temporary; once they are a minute old, the clean-up removes them all.
TEST_F(FilesTest, KillsDuringSavesLeaveAtMostOneTemporaryEachAndTheCleanUpTakesThem) {
    MakeFolder("Data");
    const std::string texts[2] = {std::string(200000, 'a'), std::string(100000, 'b')};
    std::string error;
    ASSERT_TRUE(Root().WriteFileAtomic("Data/options.txt", texts[0], error)) << error;
    unsigned seed = 12345;
    std::size_t previous = 1;
    for (int kill = 0; kill < 60; ++kill) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0;; ++i) {
                std::string ignored;
                Root().WriteFileAtomic("Data/options.txt", texts[i % 2], ignored);
            }
        }
        usleep(200 + rand_r(&seed) % 3000);
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        const std::size_t now = Entries("Data").size();
        EXPECT_LE(now, previous + 1) << "after kill " << kill;
        previous = now;
        const std::string text = Slurp("Data/options.txt");
        EXPECT_TRUE(text == texts[0] || text == texts[1]) << "after kill " << kill << ": " << text.size();
    }
    EXPECT_EQ(Root().RemoveStaleTemporaries("Data/options.txt", {"options.txt"}), 0);  // all fresh
    for (const std::string& name : Entries("Data")) {
        Age("Data/" + name, 61);
    }
    EXPECT_EQ(Root().RemoveStaleTemporaries("Data/options.txt", {"options.txt"}), int(previous) - 1);
    EXPECT_EQ(Entries("Data"), std::vector<std::string>{"options.txt"});
}
