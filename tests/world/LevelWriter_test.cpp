#include "world/LevelWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace {

void ExpectSameLevel(const TLevelDescription& a, const TLevelDescription& b) {
    ASSERT_EQ(a.Width, b.Width);
    ASSERT_EQ(a.Height, b.Height);
    EXPECT_EQ(a.Codes, b.Codes);
    EXPECT_EQ(a.HasBase, b.HasBase);
    if (a.HasBase) {
        EXPECT_EQ(a.Base, b.Base);
    }
    EXPECT_EQ(a.HasPlayerStart, b.HasPlayerStart);
    EXPECT_EQ(a.PlayerStart, b.PlayerStart);
    EXPECT_EQ(a.HasSecondStart, b.HasSecondStart);
    EXPECT_EQ(a.SecondStart, b.SecondStart);
    EXPECT_EQ(a.SpawnPoints, b.SpawnPoints);
    ASSERT_EQ(a.Decorations.size(), b.Decorations.size());
    for (std::size_t i = 0; i < a.Decorations.size(); ++i) {
        const TLevelDecoration& x = a.Decorations[i];
        const TLevelDecoration& y = b.Decorations[i];
        EXPECT_EQ(x.path, y.path);
        EXPECT_EQ(x.meshName, y.meshName);
        const float xs[9] = {x.position.X, x.position.Y, x.position.Z, x.rotation.X, x.rotation.Y,
                             x.rotation.Z, x.scale.X,    x.scale.Y,    x.scale.Z};
        const float ys[9] = {y.position.X, y.position.Y, y.position.Z, y.rotation.X, y.rotation.Y,
                             y.rotation.Z, y.scale.X,    y.scale.Y,    y.scale.Z};
        for (int k = 0; k < 9; ++k) {
            EXPECT_EQ(xs[k], ys[k]) << "decoration " << i << " value " << k;  // bit for bit
        }
    }
}

// Read, write, read: every level file shipped in Data/maps comes back as the same level.
TEST(LevelWriter, EveryShippedLevelRoundTrips) {
    int levels = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(BRELVOX_SOURCE_DIR) + "/Data/maps")) {
        if (entry.path().filename() == "levels.txt") {
            continue;
        }
        SCOPED_TRACE(entry.path().string());
        TLevelDescription first, second;
        std::string error;
        ASSERT_TRUE(ReadLevelFile(files::TDataRoot("."), entry.path().string(), first, error)) << error;
        const std::string text = FormatLevel(first);
        ASSERT_TRUE(ParseLevel(text, "written.txt", second, error)) << error;
        ExpectSameLevel(first, second);
        EXPECT_EQ(FormatLevel(second), text);
        EXPECT_EQ(text.find("Second"), std::string::npos);  // none names a second start

        // With one, the level reads back with it, and everything before it is written as without.
        first.HasSecondStart = true;
        first.SecondStart = {first.Width - 2, 0};
        const std::string withSecond = FormatLevel(first);
        EXPECT_EQ(withSecond.compare(0, text.size(), text), 0);
        ASSERT_TRUE(ParseLevel(withSecond, "written.txt", second, error)) << error;
        ExpectSameLevel(first, second);
        ++levels;
    }
    EXPECT_GE(levels, 6);
}

// What the shipped files do not hold: no base and no start, no spawn point, reals that need every
// digit, negative zero, and the file replaced on disk.
TEST(LevelWriter, EdgeValuesRoundTripThroughAFile) {
    TLevelDescription level;
    level.Width = 3;
    level.Height = 2;
    level.Codes = {0, 1, 2, 3, 7, 0};
    level.PlayerStart = {0, 0};
    TLevelDecoration decoration;
    decoration.path = "Data\\Meshes\\rock.x";
    decoration.meshName = "rock.x";
    decoration.position = {0.1f, -0.0f, 1.0e-7f};
    decoration.rotation = {359.99997f, 16777216.0f, -3.4028235e38f};
    decoration.scale = {1.0f / 3.0f, 2.0f / 3.0f, 0.333333343f};
    level.Decorations.push_back(decoration);

    const std::string path = std::string(BRELVOX_BINARY_DIR) + "/LevelWriter_test.txt";
    std::string error;
    ASSERT_TRUE(WriteLevelFile(files::TDataRoot("."), path, level, error)) << error;
    level.Codes[0] = 1;
    ASSERT_TRUE(WriteLevelFile(files::TDataRoot("."), path, level, error)) << error;
    TLevelDescription back;
    ASSERT_TRUE(ReadLevelFile(files::TDataRoot("."), path, back, error)) << error;
    ExpectSameLevel(level, back);
    EXPECT_TRUE(std::signbit(back.Decorations[0].position.Y));
    std::filesystem::remove(path);

    EXPECT_FALSE(WriteLevelFile(files::TDataRoot("."),
                                std::string(BRELVOX_BINARY_DIR) + "/no such folder/a.txt", level, error));
    EXPECT_NE(error.find("no such folder"), std::string::npos) << error;
}

}  // namespace
