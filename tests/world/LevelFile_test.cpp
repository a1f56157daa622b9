#include "world/LevelFile.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A 4 x 3 level with every kind of cell, a base, a start, two spawns, two decorations and a second start.
const char* kLevel =
    "Width 4\r\n"
    "Height 3\r\n"
    "1 2 3 0\r\n"
    "0 0 0 7\r\n"
    "0 0 0 0\r\n"
    "Base 1\r\n"
    "X = 1\r\n"
    "Y = 1\r\n"
    "Player 1\r\n"
    "X = 2\r\n"
    "Y = 0\r\n"
    "Spawns 2\r\n"
    "X = 0\r\nY = 1\r\n"
    "X = 2\r\nY = 1\r\n"
    "Decor 2\r\n"
    "Mesh = data\\meshes\\grass.x\r\n"
    "X = 1.5\r\nY = 0\r\nZ = -2.25\r\n"
    "RX = 0\r\nRY = 90\r\nRZ = 0\r\n"
    "SX = 1\r\nSY = 1\r\nSZ = 1\r\n"
    "Mesh = Data/Meshes/Tree.x\r\n"
    "X = -1\r\nY = 0.5\r\nZ = 2e1\r\n"
    "RX = 0\r\nRY = -45.5\r\nRZ = 0\r\n"
    "SX = .5\r\nSY = 2.\r\nSZ = +1\r\n"
    "Second 1\r\n"
    "X = 0\r\n"
    "Y = 0\r\n"
    "anything after the second start is not read";

class LevelFileTest : public ::testing::Test {
protected:
    bool Parse(const std::string& text) { return ParseLevel(text, "data\\maps\\test.txt", level, error); }
    TLevelDescription level;
    std::string error;
};

// The sample level with one token replaced.
std::string WithReplaced(const std::string& from, const std::string& to) {
    std::string text = kLevel;
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
    return text;
}

}  // namespace

TEST_F(LevelFileTest, ReadsEverySection) {
    ASSERT_TRUE(Parse(kLevel)) << error;
    EXPECT_EQ(level.Width, 4);
    EXPECT_EQ(level.Height, 3);
    EXPECT_EQ(level.Code(0, 0), kCellBrickWall);
    EXPECT_EQ(level.Code(1, 0), kCellRockWall);
    EXPECT_EQ(level.Code(2, 0), kCellWater);
    EXPECT_EQ(level.Code(3, 1), 7);
    EXPECT_TRUE(level.HasBase);
    EXPECT_EQ(level.Base, (TGridPoint{1, 1}));
    EXPECT_TRUE(level.HasPlayerStart);
    EXPECT_EQ(level.PlayerStart, (TGridPoint{2, 0}));
    ASSERT_EQ(level.SpawnPoints.size(), 2u);
    EXPECT_EQ(level.SpawnPoints[1], (TGridPoint{2, 1}));
    ASSERT_EQ(level.Decorations.size(), 2u);
    EXPECT_EQ(level.Decorations[0].path, "data\\meshes\\grass.x");
    EXPECT_EQ(level.Decorations[0].meshName, "grass.x");
    EXPECT_FLOAT_EQ(level.Decorations[0].position.Z, -2.25f);
    EXPECT_FLOAT_EQ(level.Decorations[0].rotation.Y, 90.0f);
    EXPECT_EQ(level.Decorations[1].meshName, "Tree.x");
    EXPECT_FLOAT_EQ(level.Decorations[1].position.Z, 20.0f);
    EXPECT_FLOAT_EQ(level.Decorations[1].rotation.Y, -45.5f);
    EXPECT_FLOAT_EQ(level.Decorations[1].scale.X, 0.5f);
    EXPECT_FLOAT_EQ(level.Decorations[1].scale.Y, 2.0f);
    EXPECT_FLOAT_EQ(level.Decorations[1].scale.Z, 1.0f);
    EXPECT_TRUE(level.HasSecondStart);
    EXPECT_EQ(level.SecondStart, (TGridPoint{0, 0}));
}

TEST_F(LevelFileTest, BuildMapMarksWallsWaterAndBaseOnly) {
    ASSERT_TRUE(Parse(kLevel)) << error;
    const auto map = BuildMap(level);
    EXPECT_EQ(map->Cell(0, 0), 1);  // brick
    EXPECT_EQ(map->Cell(1, 0), 1);  // rock
    EXPECT_EQ(map->Cell(2, 0), 1);  // water
    EXPECT_EQ(map->Cell(3, 0), 0);
    EXPECT_EQ(map->Cell(3, 1), 0);  // code 7 leaves the cell free
    EXPECT_EQ(map->Cell(1, 1), 1);  // base footprint (1, 1)
    EXPECT_EQ(map->Cell(2, 2), 1);
    EXPECT_EQ(map->Cell(0, 2), 0);
    EXPECT_TRUE(map->HasBase);
    EXPECT_EQ(map->BaseX, 1);
    EXPECT_EQ(map->BaseY, 1);
    const TVector3 base = map->FootprintCentre(map->BaseX, map->BaseY);
    EXPECT_FLOAT_EQ(base.X, 0.0f);
    EXPECT_FLOAT_EQ(base.Z, -0.5f);
    EXPECT_TRUE(map->HasPlayerStart);
    EXPECT_EQ(map->PlayerStartX, 2);
    EXPECT_TRUE(map->HasSecondStart);
    EXPECT_EQ(map->SecondStart, (TGridPoint{0, 0}));
    EXPECT_EQ(map->Cell(0, 0), 1);  // the second start marks no cell: the brick stays the only thing there
    EXPECT_EQ(map->SpawnCount, 2);
    EXPECT_EQ(map->DecorCount, 2);
    EXPECT_EQ(map->DecorMeshes[0], "grass.x");
    EXPECT_TRUE(map->Blocked(0, 0));
}

TEST_F(LevelFileTest, NoBaseNoStartNoSpawnsNoDecor) {
    ASSERT_TRUE(Parse("w 2 h 2 0 0 0 0 base 0 player 0 spawns 0 decor 0")) << error;
    EXPECT_FALSE(level.HasBase);
    EXPECT_FALSE(level.HasPlayerStart);
    EXPECT_EQ(level.PlayerStart, (TGridPoint{0, 0}));
    EXPECT_TRUE(level.SpawnPoints.empty());
    EXPECT_FALSE(level.HasSecondStart);
    const auto map = BuildMap(level);
    EXPECT_FALSE(map->HasBase);
    EXPECT_FALSE(map->HasSecondStart);
    EXPECT_EQ(map->SpawnCount, 0);
    EXPECT_EQ(map->Cell(0, 0), 0);
}

TEST_F(LevelFileTest, NonNumberCellNamesFileLineAndCell) {
    EXPECT_FALSE(Parse(WithReplaced("0 0 0 7", "0 0 x 7")));
    EXPECT_NE(error.find("data\\maps\\test.txt"), std::string::npos) << error;
    EXPECT_NE(error.find("line 4"), std::string::npos) << error;
    EXPECT_NE(error.find("cell (2, 1)"), std::string::npos) << error;
    EXPECT_NE(error.find("\"x\""), std::string::npos) << error;
}

TEST_F(LevelFileTest, NonNumberRealIsAnError) {
    EXPECT_FALSE(Parse(WithReplaced("X = 1.5", "X = 1,5")));
    EXPECT_NE(error.find("position of decoration 0 x"), std::string::npos) << error;
    EXPECT_FALSE(Parse(WithReplaced("X = 1.5", "X = nan")));
    EXPECT_FALSE(Parse(WithReplaced("X = 1.5", "X = 1e999")));
    EXPECT_FALSE(Parse(WithReplaced("X = 1.5", "X = 1.5.2")));
}

TEST_F(LevelFileTest, EveryEarlyEndIsReportedAndNothingIsUsed) {
    const std::string full = kLevel;
    const size_t lastDecoration = full.find("Second") - 2;        // the CR LF after the last decoration
    const size_t lastValue = full.find("Y = 0\r\nanything") + 4;  // the blank before the last value
    const size_t end = full.find("anything");
    level.Width = 99;
    // Cut the file after every token boundary before the second start's last value; a file that ends
    // with its decorations has no second start.
    for (size_t cut = 0; cut <= lastValue; ++cut) {
        if ((full[cut] != ' ' && full[cut] != '\n') || cut == lastDecoration + 1) {
            continue;
        }
        EXPECT_FALSE(Parse(full.substr(0, cut))) << "cut at " << cut;
        EXPECT_NE(error.find("ends before"), std::string::npos) << error;
        EXPECT_EQ(level.Width, 99);
    }
    EXPECT_TRUE(Parse(full.substr(0, end))) << error;
    EXPECT_TRUE(level.HasSecondStart);
    EXPECT_TRUE(Parse(full.substr(0, lastDecoration))) << error;
    EXPECT_FALSE(level.HasSecondStart);
}

TEST_F(LevelFileTest, SizesBelowTwoOrAbsurdAreRejected) {
    EXPECT_FALSE(Parse("w 1 h 5"));
    EXPECT_NE(error.find("the width 1 is outside 2..1024"), std::string::npos) << error;
    EXPECT_FALSE(Parse("w 5 h 0"));
    EXPECT_FALSE(Parse("w -4 h 5"));
    EXPECT_FALSE(Parse("w 100000 h 100000"));
    EXPECT_NE(error.find("outside"), std::string::npos) << error;
    EXPECT_FALSE(Parse("w 99999999999 h 2"));
}

TEST_F(LevelFileTest, FootprintsOutsideTheGridAreRejected) {
    EXPECT_FALSE(Parse(WithReplaced("Base 1\r\nX = 1", "Base 1\r\nX = 3")));
    EXPECT_NE(error.find("the base (3, 1) is outside"), std::string::npos) << error;
    EXPECT_FALSE(Parse(WithReplaced("Player 1\r\nX = 2\r\nY = 0", "Player 1\r\nX = 2\r\nY = -1")));
    EXPECT_NE(error.find("player start"), std::string::npos) << error;
    EXPECT_FALSE(Parse(WithReplaced("X = 2\r\nY = 1\r\nDecor", "X = 2\r\nY = 2\r\nDecor")));
    EXPECT_NE(error.find("spawn point 1"), std::string::npos) << error;
    EXPECT_FALSE(Parse(WithReplaced("Second 1\r\nX = 0", "Second 1\r\nX = 3")));
    EXPECT_NE(error.find("line 40: the second start (3, 0) is outside"), std::string::npos) << error;
    EXPECT_FALSE(Parse(WithReplaced("Second 1", "Second one")));
    EXPECT_NE(error.find("line 38: the second start flag \"one\" is not an integer"), std::string::npos)
        << error;
    EXPECT_NE(error.find("data\\maps\\test.txt"), std::string::npos) << error;
    // The last footprint of a 4 x 3 grid is (2, 1).
    EXPECT_TRUE(Parse(WithReplaced("Base 1\r\nX = 1", "Base 1\r\nX = 2"))) << error;
}

TEST_F(LevelFileTest, NegativeOrHugeCountsAreRejected) {
    EXPECT_FALSE(Parse(WithReplaced("Spawns 2", "Spawns -1")));
    EXPECT_NE(error.find("number of spawn points"), std::string::npos) << error;
    EXPECT_FALSE(Parse(WithReplaced("Decor 2", "Decor 70000")));
    EXPECT_NE(error.find("number of decorations"), std::string::npos) << error;
    EXPECT_FALSE(Parse(WithReplaced("Spawns 2", "Spawns 2000000000")));
}

TEST_F(LevelFileTest, AnyNonzeroFlagMeansPresent) {
    ASSERT_TRUE(Parse(WithReplaced("Base 1", "Base -3"))) << error;
    EXPECT_TRUE(level.HasBase);
    ASSERT_TRUE(Parse(WithReplaced("Player 1\r\nX = 2\r\nY = 0\r\n", "Player 0\r\n"))) << error;
    EXPECT_FALSE(level.HasPlayerStart);
    EXPECT_EQ(level.PlayerStart, (TGridPoint{0, 0}));
    ASSERT_TRUE(Parse(WithReplaced("Second 1\r\nX = 0\r\nY = 0\r\nanything", "Second 0\r\nX"))) << error;
    EXPECT_FALSE(level.HasSecondStart);
}

TEST_F(LevelFileTest, MissingFileIsReported) {
    EXPECT_FALSE(ReadLevelFile(files::TDataRoot("."), "/nonexistent/maps/level1.txt", level, error));
    EXPECT_NE(error.find("level1.txt"), std::string::npos) << error;
}

TEST_F(LevelFileTest, GarbageNeverReadsOutOfBounds) {
    // Bytes of every value, including NUL and high bytes, in place of the grid.
    std::string text = "w 3 h 3 ";
    for (int i = 0; i < 256; ++i) {
        text.push_back(static_cast<char>(i));
    }
    EXPECT_FALSE(Parse(text));
    EXPECT_FALSE(error.empty());
}

TEST_F(LevelFileTest, MutatedFilesEitherParseInsideTheGridOrReportAnError) {
    // Flip, drop and duplicate bytes of a good file; whatever comes out must be safe to build a map from.
    uint32_t seed = 2024;
    auto random = [&seed](uint32_t n) {
        seed = seed * 134775813u + 1u;
        return uint32_t((uint64_t(seed) * n) >> 32);
    };
    const std::string original = kLevel;
    const char alphabet[] = "0123456789-+. \r\nxe";
    for (int round = 0; round < 2000; ++round) {
        std::string text = original;
        for (int edits = 1 + int(random(4)); edits > 0; --edits) {
            const size_t at = random(uint32_t(text.size()));
            switch (random(3)) {
                case 0:
                    text[at] = alphabet[random(sizeof alphabet - 1)];
                    break;
                case 1:
                    text.erase(at, 1);
                    break;
                default:
                    text.insert(at, 1, text[at]);
                    break;
            }
        }
        error.clear();
        TLevelDescription parsed;
        if (!ParseLevel(text, "m.txt", parsed, error)) {
            EXPECT_FALSE(error.empty());
            continue;
        }
        ASSERT_GE(parsed.Width, 2);
        ASSERT_GE(parsed.Height, 2);
        ASSERT_EQ(parsed.Codes.size(), size_t(parsed.Width) * size_t(parsed.Height));
        std::vector<TGridPoint> footprints = parsed.SpawnPoints;
        if (parsed.HasSecondStart) {
            footprints.push_back(parsed.SecondStart);
        }
        for (const TGridPoint& p : footprints) {
            ASSERT_TRUE(p.X >= 0 && p.Y >= 0 && p.X <= parsed.Width - 2 && p.Y <= parsed.Height - 2);
        }
        const auto map = BuildMap(parsed);
        EXPECT_EQ(map->SpawnCount, int32_t(parsed.SpawnPoints.size()));
    }
}
