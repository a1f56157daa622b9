#include "shell/Levels.h"

#include <gtest/gtest.h>

TEST(Levels, ReadsPathsAndEnemyCountsByPosition) {
    TLevels levels;
    std::string error;
    const char* text =
        "2\r\n"
        "Level 1 data\\maps\\level1.txt\r\n"
        "k0 5 k1 3 k2 0 k3 1\r\n"
        "Level 2 data/maps/level2.txt\r\n"
        "a 255 b 0 c 7 d 2";
    ASSERT_TRUE(levels.LoadFromBytes(text, "levels.txt", error)) << error;
    ASSERT_EQ(levels.Count(), 2);
    EXPECT_EQ(levels.Entries()[0].path, "data\\maps\\level1.txt");
    EXPECT_EQ(levels.Entries()[0].enemies[0], 5);
    EXPECT_EQ(levels.Entries()[0].enemies[1], 3);
    EXPECT_EQ(levels.Entries()[0].enemies[3], 1);
    EXPECT_EQ(levels.Entries()[1].path, "data/maps/level2.txt");
    EXPECT_EQ(levels.Entries()[1].enemies[0], 255);
    EXPECT_EQ(levels.Entries()[1].enemies[2], 7);
}

TEST(Levels, ZeroLevelsIsAnEmptyList) {
    TLevels levels;
    std::string error;
    ASSERT_TRUE(levels.LoadFromBytes("0\r\n", "levels.txt", error)) << error;
    EXPECT_EQ(levels.Count(), 0);
}

TEST(Levels, CountOutsideAByteIsRejected) {
    TLevels levels;
    std::string error;
    EXPECT_FALSE(levels.LoadFromBytes("256\r\n", "levels.txt", error));
    EXPECT_NE(error.find("0..255"), std::string::npos) << error;
    EXPECT_FALSE(levels.LoadFromBytes("-1\r\n", "levels.txt", error));
    EXPECT_EQ(levels.Count(), 0);
}

TEST(Levels, EnemyCountOutsideAByteIsRejected) {
    TLevels levels;
    std::string error;
    EXPECT_FALSE(levels.LoadFromBytes("1\r\nL 1 f.txt\r\na 1 b 300 c 0 d 0", "levels.txt", error));
    EXPECT_NE(error.find("line 3"), std::string::npos) << error;
    EXPECT_NE(error.find("kind 1"), std::string::npos) << error;
}

TEST(Levels, NonNumberNamesFileAndLine) {
    TLevels levels;
    std::string error;
    EXPECT_FALSE(levels.LoadFromBytes("1\r\nL 1 f.txt\r\na 1 b x c 0 d 0", "data\\maps\\levels.txt", error));
    EXPECT_NE(error.find("data\\maps\\levels.txt"), std::string::npos) << error;
    EXPECT_NE(error.find("\"x\" is not an integer"), std::string::npos) << error;
    EXPECT_FALSE(levels.LoadFromBytes("one", "levels.txt", error));
    EXPECT_NE(error.find("number of levels"), std::string::npos) << error;
}

TEST(Levels, EarlyEndIsAnErrorAndLeavesTheListEmpty) {
    TLevels levels;
    std::string error;
    ASSERT_TRUE(levels.LoadFromBytes("1 L 1 f.txt a 1 b 1 c 1 d 1", "levels.txt", error)) << error;
    EXPECT_EQ(levels.Count(), 1);
    EXPECT_FALSE(levels.LoadFromBytes("2 L 1 f.txt a 1 b 1 c 1 d 1 L 2 g.txt a 1", "levels.txt", error));
    EXPECT_NE(error.find("ends before"), std::string::npos) << error;
    EXPECT_NE(error.find("level 2"), std::string::npos) << error;
    EXPECT_EQ(levels.Count(), 0);
    EXPECT_FALSE(levels.LoadFromBytes("", "levels.txt", error));
}

TEST(Levels, MissingFileIsAnError) {
    TLevels levels;
    std::string error;
    EXPECT_FALSE(levels.LoadFromFile(files::TDataRoot("."), "/nonexistent/maps/levels.txt", error));
    EXPECT_NE(error.find("levels.txt"), std::string::npos) << error;
}
