// Level files under damage: the shipped levels cut, flipped and given hostile numbers, and hand-made
// grids and counts far beyond what the file holds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/robustness/Mutations.h"
#include "world/LevelFile.h"

using namespace robustness;

namespace {

Outcome ReadLevel(const std::string& bytes, const char* name) {
    TLevelDescription level;
    Outcome o;
    o.ok = ParseLevel(bytes, name, level, o.message);
    if (!o.ok) {
        return o;
    }
    // What the parser promises a loader: a grid of the stated size and footprints inside it.
    if (level.Width < 2 || level.Height < 2 || level.Width > kMaxLevelSize || level.Height > kMaxLevelSize ||
        level.Codes.size() != std::size_t(level.Width) * std::size_t(level.Height)) {
        ADD_FAILURE() << "accepted a " << level.Width << " x " << level.Height << " grid with "
                      << level.Codes.size() << " codes";
        return o;
    }
    std::vector<TGridPoint> points = level.SpawnPoints;
    if (level.HasBase) {
        points.push_back(level.Base);
    }
    if (level.HasPlayerStart) {
        points.push_back(level.PlayerStart);
    }
    for (const TGridPoint& p : points) {
        if (p.X < 0 || p.Y < 0 || p.X > level.Width - 2 || p.Y > level.Height - 2) {
            ADD_FAILURE() << "accepted a footprint at (" << p.X << ", " << p.Y << ")";
        }
    }
    BuildMap(level);
    return o;
}

TEST(LevelFile_Damaged, ShippedLevelsFailWithTheFileNamedOrGiveAGridInRange) {
    for (const char* path : {"Data/maps/level1.txt", "Data/maps/level3.txt"}) {
        const std::string text = ReadShipped(path);
        ASSERT_FALSE(text.empty()) << path;
        ExpectNamedFailures(TextMutations(text, 71, 300, 300), "level.txt", [](const std::string& bytes) {
            return ReadLevel(bytes, "data\\maps\\level.txt");
        });
    }
}

TEST(LevelFile_Damaged, TheTailOfTheLargestLevelIsHitToo) {
    // The decorations sit at the end: numbers there are replaced one by one.
    const std::string text = ReadShipped("Data/maps/level2.txt");
    ASSERT_FALSE(text.empty());
    std::vector<Case> cases;
    const std::string tail = text.substr(text.size() / 2);
    std::vector<Case> tailCases;
    AddNumberReplacements(tail, 300, 73, tailCases);
    for (Case& c : tailCases) {
        cases.push_back({c.what, text.substr(0, text.size() / 2) + c.bytes});
    }
    ExpectNamedFailures(cases, "level2.txt",
                        [](const std::string& bytes) { return ReadLevel(bytes, "data\\maps\\level2.txt"); });
}

TEST(LevelFile_Hostile, CountsFarBeyondTheFileAreRefusedWithTheFileNamed) {
    const std::string grid = "W 2\nH 2\n0 0\n0 0\nB 0\nP 0\n";
    const std::vector<std::string> inputs = {
        "W 1024\nH 1024\n0\n",                               // a full-size grid with one code
        "W 2000000000\nH 2\n",                               // beyond the largest grid
        "W 1024\nH -1024\n",                                 // a negative height
        grid + "S 2000000000\nX = 0\nY = 0\n",               // spawn points beyond the bound
        grid + "S 65535\n",                                  // many spawn points, none written
        grid + "S 0\nD 65535\nM = a.x\n",                    // many decorations, one begun
        grid + "S 0\nD 1000000000\n",                        // decorations beyond the bound
        grid + "S 1\nX = 2147483647\nY = 0\n",               // a footprint far outside
        grid + "S 1\nX = -2147483648\nY = 0\n",              // and on the other side
        grid + "S 0\nD 1\nM = a.x\nX = 1e39\n",              // a real beyond a float
        grid + "S 0\nD 1\nM = a.x\nX = nan\n",               // not a number
        grid + "S 0\nD 1\nM = a.x\nX = 0x1p3\n",             // hexadecimal
        "W 2\nH 2\n0 0\n0 0\nB 1\nX = 0\nY = 2147483647\n",  // a base outside
        std::string(1 << 20, ' '),                           // a megabyte of blanks
        std::string(1 << 16, '9'),                           // one enormous token
    };
    for (const std::string& input : inputs) {
        TLevelDescription level;
        std::string error;
        EXPECT_FALSE(ParseLevel(input, "huge.txt", level, error)) << input.substr(0, 60);
        EXPECT_NE(error.find("huge.txt"), std::string::npos) << error.substr(0, 200);
    }
}

}  // namespace
