// The levels as the game reads them: the level list names the thirty levels of the campaign, of rising
// difficulty; every level parses, is 20 x 20 to 40 x 40, has a player start, one to sixteen spawn
// points, brick walls and rock or water, and decoration; and with brick walls shot away every spawn
// point has a way for a tank's 2 x 2 footprint to the base (when the level has one) and to the
// player's start.
#include <gtest/gtest.h>

#include <deque>
#include <sstream>

#include "ContentSupport.h"
#include "util/Files.h"

using namespace content_test;

namespace {

struct Point {
    int x = 0, y = 0;
};

struct Level {
    int width = 0, height = 0;
    std::vector<int> cells;  // row by row
    bool hasBase = false, hasStart = false;
    Point base, start;
    std::vector<Point> spawns;
    int decorations = 0;
    int Cell(int x, int y) const { return cells[size_t(y) * width + x]; }
};

// Reads the level by its tokens; a parse failure is reported in `error`.
bool ParseLevel(const std::string& text, Level& level, std::string& error) {
    std::istringstream in(text);
    std::string label;
    auto integer = [&](int& v) {
        std::string t;
        if (!(in >> t)) {
            error = "early end";
            return false;
        }
        try {
            size_t used = 0;
            v = std::stoi(t, &used);
            if (used != t.size()) {
                throw std::invalid_argument(t);
            }
        } catch (...) {
            error = "not an integer: " + t;
            return false;
        }
        return true;
    };
    auto real = [&]() {
        std::string t;
        if (!(in >> t)) {
            error = "early end";
            return false;
        }
        try {
            size_t used = 0;
            std::stod(t, &used);
            if (used != t.size()) {
                throw std::invalid_argument(t);
            }
        } catch (...) {
            error = "not a number: " + t;
            return false;
        }
        return true;
    };
    auto point = [&](Point& p) {
        return (in >> label >> label) && integer(p.x) && (in >> label >> label) && integer(p.y);
    };
    if (!(in >> label) || !integer(level.width) || !(in >> label) || !integer(level.height)) {
        return false;
    }
    if (level.width < 2 || level.height < 2 || level.width > 256 || level.height > 256) {
        error = "size out of range";
        return false;
    }
    level.cells.resize(size_t(level.width) * level.height);
    for (int& c : level.cells) {
        if (!integer(c)) {
            return false;
        }
    }
    int flag = 0, count = 0;
    if (!(in >> label) || !integer(flag)) {
        return false;
    }
    if ((level.hasBase = flag != 0) && !point(level.base)) {
        return false;
    }
    if (!(in >> label) || !integer(flag)) {
        return false;
    }
    if ((level.hasStart = flag != 0) && !point(level.start)) {
        return false;
    }
    if (!(in >> label) || !integer(count)) {
        return false;
    }
    level.spawns.resize(std::max(0, count));
    for (Point& p : level.spawns) {
        if (!point(p)) {
            return false;
        }
    }
    if (!(in >> label) || !integer(level.decorations)) {
        return false;
    }
    for (int i = 0; i < level.decorations; ++i) {
        std::string path;
        if (!(in >> label >> label >> path)) {
            error = "early end in decoration " + std::to_string(i);
            return false;
        }
        for (int k = 0; k < 9; ++k) {
            if (!(in >> label >> label) || !real()) {
                return false;
            }
        }
    }
    return true;
}

bool Inside(const Level& l, Point p) {
    return p.x >= 0 && p.y >= 0 && p.x <= l.width - 2 && p.y <= l.height - 2;
}

// A footprint is passable when none of its four cells is rock or water (bricks can be shot away).
bool Passable(const Level& l, Point p) {
    for (int dy = 0; dy < 2; ++dy) {
        for (int dx = 0; dx < 2; ++dx) {
            int c = l.Cell(p.x + dx, p.y + dy);
            if (c == 2 || c == 3) {
                return false;
            }
            if (l.hasBase && p.x + dx >= l.base.x && p.x + dx <= l.base.x + 1 && p.y + dy >= l.base.y &&
                p.y + dy <= l.base.y + 1) {
                return false;  // the base itself stands there
            }
        }
    }
    return true;
}

// Breadth-first over footprints from `from` until one for which `goal` holds.
template <typename Goal>
bool Reaches(const Level& l, Point from, Goal goal) {
    std::vector<char> seen(size_t(l.width) * l.height, 0);
    std::deque<Point> wave{from};
    seen[size_t(from.y) * l.width + from.x] = 1;
    while (!wave.empty()) {
        Point p = wave.front();
        wave.pop_front();
        if (goal(p)) {
            return true;
        }
        for (Point n : {Point{p.x + 1, p.y}, Point{p.x, p.y - 1}, Point{p.x - 1, p.y}, Point{p.x, p.y + 1}}) {
            if (Inside(l, n) && !seen[size_t(n.y) * l.width + n.x] && Passable(l, n)) {
                seen[size_t(n.y) * l.width + n.x] = 1;
                wave.push_back(n);
            }
        }
    }
    return false;
}

struct ListEntry {
    std::string path;
    int quota[4] = {0, 0, 0, 0};
    int Total() const { return quota[0] + quota[1] + quota[2] + quota[3]; }
};

std::vector<ListEntry> ReadLevelList() {
    std::string bytes, error;
    EXPECT_TRUE(files::TDataRoot(SourceDir()).ReadFile("data\\maps\\levels.txt", bytes, error)) << error;
    std::istringstream in(bytes);
    int count = 0;
    in >> count;
    std::vector<ListEntry> list;
    for (int i = 0; i < count; ++i) {
        ListEntry e;
        std::string a, b, label;
        in >> a >> b >> e.path;
        for (int& q : e.quota) {
            in >> label >> q;
            EXPECT_TRUE(q >= 0 && q <= 255) << e.path;
        }
        EXPECT_TRUE(in) << "entry " << i;
        list.push_back(e);
    }
    return list;
}

class Levels : public ::testing::Test {
protected:
};

}  // namespace

TEST_F(Levels, TheListHasThirtyLevelsOfRisingDifficulty) {
    std::vector<ListEntry> list = ReadLevelList();
    ASSERT_GE(list.size(), 30u);
    EXPECT_LE(list[0].Total(), 5) << "the first level teaches: few enemies";
    EXPECT_EQ(list[0].quota[3], 0) << "no rocket tanks on the first level";
    for (size_t i = 1; i < list.size(); ++i) {
        EXPECT_GT(list[i].Total(), list[i - 1].Total()) << list[i].path;
        int weighted = list[i].quota[1] + 2 * list[i].quota[2] + 3 * list[i].quota[3];
        int before = list[i - 1].quota[1] + 2 * list[i - 1].quota[2] + 3 * list[i - 1].quota[3];
        EXPECT_GE(weighted, before) << list[i].path << " has weaker enemies than the level before";
    }
}

TEST_F(Levels, EveryLevelIsCompleteAndPlayable) {
    for (const ListEntry& e : ReadLevelList()) {
        std::string bytes, error;
        ASSERT_TRUE(files::TDataRoot(SourceDir()).ReadFile(e.path, bytes, error)) << error;
        Level l;
        ASSERT_TRUE(ParseLevel(bytes, l, error)) << e.path << ": " << error;
        EXPECT_TRUE(l.width >= 20 && l.width <= 40) << e.path;
        EXPECT_TRUE(l.height >= 20 && l.height <= 40) << e.path;
        ASSERT_TRUE(l.hasStart) << e.path;
        EXPECT_GE(l.spawns.size(), 1u) << e.path;
        EXPECT_LE(l.spawns.size(), 16u) << e.path;
        EXPECT_GT(l.decorations, 0) << e.path;
        auto count = [&](int code) { return std::count(l.cells.begin(), l.cells.end(), code); };
        EXPECT_NE(count(1), 0) << e.path << " has no brick wall";
        EXPECT_NE(count(2) + count(3), 0) << e.path << " has neither rock nor water";
        ASSERT_TRUE(!l.hasBase || Inside(l, l.base)) << e.path;
        ASSERT_TRUE(Inside(l, l.start)) << e.path;
        // Start and spawn footprints are clear of walls and water: a covered spawn point loses the
        // level an enemy, a covered start would trap the player.
        auto clear = [&](Point p) {
            for (int dy = 0; dy < 2; ++dy) {
                for (int dx = 0; dx < 2; ++dx) {
                    if (l.Cell(p.x + dx, p.y + dy) != 0) {
                        return false;
                    }
                }
            }
            return true;
        };
        EXPECT_TRUE(clear(l.start)) << e.path;
        EXPECT_TRUE(!l.hasBase || clear(l.base)) << e.path;
        for (const Point& s : l.spawns) {
            ASSERT_TRUE(Inside(l, s)) << e.path;
            EXPECT_TRUE(clear(s)) << e.path << " spawn " << s.x << "," << s.y;
            bool toBase = Reaches(l, s, [&](Point p) {
                int dx = std::abs(p.x - l.base.x), dy = std::abs(p.y - l.base.y);
                return (dx == 2 && dy <= 1) || (dy == 2 && dx <= 1);  // right beside the base
            });
            EXPECT_TRUE(toBase || !l.hasBase)
                << e.path << ": spawn " << s.x << "," << s.y << " cannot reach the base";
            bool toStart = Reaches(l, s, [&](Point p) { return p.x == l.start.x && p.y == l.start.y; });
            EXPECT_TRUE(toStart) << e.path << ": spawn " << s.x << "," << s.y << " cannot reach the player";
        }
    }
}

TEST(LevelParser, RejectsBrokenLevels) {
    Level l;
    std::string error;
    EXPECT_FALSE(ParseLevel("Width 2 Height 2 0 0 0", l, error));
    EXPECT_FALSE(ParseLevel("Width 2 Height 2 0 0 0 x Base 0 Player 0 Spawns 0 Decor 0", l, error));
    EXPECT_FALSE(
        ParseLevel("Width 2 Height 2 0 0 0 0 Base 0 Player 0 Spawns 0 Decor 1 Mesh = a.x", l, error));
    EXPECT_TRUE(ParseLevel("Width 2 Height 2 0 0 0 0 Base 0 Player 0 Spawns 0 Decor 0", l, error)) << error;
}
