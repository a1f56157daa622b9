#include "world/Map.h"

#include <gtest/gtest.h>

#include <queue>
#include <string>
#include <vector>

namespace {

std::vector<TGridPoint> Search(TMap& map, TGridPoint from, TGridPoint to) {
    map.UpdateBlocked();
    map.ResetDistances();
    map.FindPath(from, to);
    return map.Path();
}

std::string Show(const std::vector<TGridPoint>& path) {
    std::string s;
    for (const TGridPoint& p : path) {
        s += "(" + std::to_string(p.X) + "," + std::to_string(p.Y) + ")";
    }
    return s;
}

// Shortest footprint distance by an independent breadth-first search from `from` (-1: unreachable).
int ReferenceDistance(const TMap& map, TGridPoint from, TGridPoint to) {
    const int w = map.Width() - 1, h = map.Height() - 1;
    std::vector<int> dist(size_t(w * h), -1);
    std::queue<TGridPoint> queue;
    dist[size_t(from.X * h + from.Y)] = 0;
    queue.push(from);
    while (!queue.empty()) {
        const TGridPoint p = queue.front();
        queue.pop();
        if (p == to) {
            return dist[size_t(p.X * h + p.Y)];
        }
        const int dx[4] = {1, -1, 0, 0}, dy[4] = {0, 0, 1, -1};
        for (int n = 0; n < 4; ++n) {
            const TGridPoint q{p.X + dx[n], p.Y + dy[n]};
            if (q.X < 0 || q.Y < 0 || q.X >= w || q.Y >= h || dist[size_t(q.X * h + q.Y)] != -1) {
                continue;
            }
            if (map.Blocked(q.X, q.Y) && !(q == to)) {
                continue;
            }
            dist[size_t(q.X * h + q.Y)] = dist[size_t(p.X * h + p.Y)] + 1;
            queue.push(q);
        }
    }
    return -1;
}

}  // namespace

TEST(MapGrid, StartsFreeWithoutBaseOrSpawns) {
    TMap map(5, 4);
    EXPECT_EQ(map.Width(), 5);
    EXPECT_EQ(map.Height(), 4);
    for (int x = 0; x < 5; ++x) {
        for (int y = 0; y < 4; ++y) {
            EXPECT_EQ(map.Cell(x, y), 0);
        }
    }
    EXPECT_FALSE(map.HasBase);
    EXPECT_FALSE(map.HasPlayerStart);
    EXPECT_EQ(map.PlayerStartX, 0);
    EXPECT_EQ(map.SpawnCount, 0);
    EXPECT_EQ(map.DecorCount, 0);
    EXPECT_TRUE(map.Path().empty());
}

TEST(MapGrid, CentresOfAFourByThreeLevel) {
    TMap map(4, 3);
    const TVector3 first = map.CellCentre(0, 0), last = map.CellCentre(3, 2);
    EXPECT_FLOAT_EQ(first.X, -1.5f);
    EXPECT_FLOAT_EQ(first.Y, 0.0f);
    EXPECT_FLOAT_EQ(first.Z, 1.0f);
    EXPECT_FLOAT_EQ(last.X, 1.5f);
    EXPECT_FLOAT_EQ(last.Z, -1.0f);
    const TVector3 base = map.FootprintCentre(1, 1);
    EXPECT_FLOAT_EQ(base.X, 0.0f);
    EXPECT_FLOAT_EQ(base.Y, 0.0f);
    EXPECT_FLOAT_EQ(base.Z, -0.5f);
}

TEST(MapGrid, OddWidthPutsCellCentresOnWholeNumbers) {
    TMap map(5, 5);
    EXPECT_FLOAT_EQ(map.CellCentre(2, 2).X, 0.0f);
    EXPECT_FLOAT_EQ(map.CellCentre(2, 2).Z, 0.0f);
    EXPECT_FLOAT_EQ(map.FootprintCentre(0, 0).X, -1.5f);
}

TEST(MapGrid, OccupyAndFreeTankMarkFourCells) {
    TMap map(4, 4);
    map.OccupyTank(1, 2);
    EXPECT_EQ(map.Cell(1, 2), 1);
    EXPECT_EQ(map.Cell(2, 2), 1);
    EXPECT_EQ(map.Cell(1, 3), 1);
    EXPECT_EQ(map.Cell(2, 3), 1);
    EXPECT_EQ(map.Cell(0, 2), 0);
    EXPECT_EQ(map.Cell(1, 1), 0);
    map.FreeTank(1, 2);
    for (int x = 0; x < 4; ++x) {
        for (int y = 0; y < 4; ++y) {
            EXPECT_EQ(map.Cell(x, y), 0);
        }
    }
}

TEST(MapGrid, WritesOutsideTheGridAreIgnored) {
    TMap map(3, 3);
    map.OccupyTank(2, 2);  // three of its cells are outside
    map.OccupyTank(-1, -1);
    map.SetCell(3, 0, 1);
    map.SetCell(-5, 100000, 1);
    EXPECT_EQ(map.Cell(2, 2), 1);
    EXPECT_EQ(map.Cell(0, 0), 1);
    EXPECT_EQ(map.Cell(1, 1), 0);
    EXPECT_EQ(map.Cell(3, 0), 1);  // outside reads as occupied
    map.FreeTank(-1, -1);
    EXPECT_EQ(map.Cell(0, 0), 0);
}

TEST(MapGrid, UpdateBlockedWithOnlyTheCentreOccupiedBlocksAllFour) {
    TMap map(3, 3);
    map.SetCell(1, 1, 1);
    map.UpdateBlocked();
    EXPECT_TRUE(map.Blocked(0, 0));
    EXPECT_TRUE(map.Blocked(1, 0));
    EXPECT_TRUE(map.Blocked(0, 1));
    EXPECT_TRUE(map.Blocked(1, 1));
    EXPECT_TRUE(map.Blocked(2, 0));  // no such footprint
}

TEST(MapGrid, UpdateBlockedLooksAtExactlyTheFourCells) {
    TMap map(5, 4);
    map.SetCell(4, 3, 1);  // the last cell: only footprint (3, 2) covers it
    map.UpdateBlocked();
    for (int x = 0; x < 4; ++x) {
        for (int y = 0; y < 3; ++y) {
            EXPECT_EQ(map.Blocked(x, y), x == 3 && y == 2) << x << "," << y;
        }
    }
    map.SetCell(4, 3, 0);
    map.UpdateBlocked();
    EXPECT_FALSE(map.Blocked(3, 2));
}

TEST(MapGrid, ResetDistancesMarksBlockedAndUnvisited) {
    TMap map(4, 3);
    map.SetCell(0, 0, 1);
    map.UpdateBlocked();
    map.ResetDistances();
    EXPECT_EQ(map.Distance(0, 0), TMap::kBlockedDistance);
    EXPECT_EQ(map.Distance(1, 0), TMap::kUnvisited);
    EXPECT_EQ(map.Distance(2, 1), TMap::kUnvisited);
}

TEST(FindPath, NeighbourGivesTwoPoints) {
    TMap map(6, 6);
    const auto path = Search(map, {2, 2}, {3, 2});
    EXPECT_EQ(Show(path), "(2,2)(3,2)");
}

TEST(FindPath, StraightLineAndDistances) {
    TMap map(8, 3);
    const auto path = Search(map, {0, 0}, {5, 0});
    ASSERT_EQ(path.size(), 6u);
    EXPECT_EQ(path.front(), (TGridPoint{0, 0}));
    EXPECT_EQ(path.back(), (TGridPoint{5, 0}));
    EXPECT_EQ(map.Distance(5, 0), 0);
    EXPECT_EQ(map.Distance(0, 0), 5);
}

TEST(FindPath, PrefersPlusXOverMinusYOverMinusXOverPlusY) {
    // Open field, goal diagonal: each point walking back prefers +X, then -Y.
    TMap map(6, 6);
    EXPECT_EQ(Show(Search(map, {1, 3}, {3, 1})), "(1,3)(2,3)(3,3)(3,2)(3,1)");
    // Goal up and to the left: -Y wins over -X.
    EXPECT_EQ(Show(Search(map, {3, 3}, {1, 1})), "(3,3)(3,2)(3,1)(2,1)(1,1)");
    // Goal down and to the left: -X wins over +Y.
    EXPECT_EQ(Show(Search(map, {3, 1}, {1, 3})), "(3,1)(2,1)(1,1)(1,2)(1,3)");
}

TEST(FindPath, TieAroundAnObstacleTakesPlusXFirst) {
    // Wall cells in the column between from and to: the ways over and under are equally long.
    TMap map(7, 7);
    map.SetCell(3, 2, 1);
    map.SetCell(3, 3, 1);
    map.SetCell(3, 4, 1);
    // from (3, 5) to (3, 0): straight up is blocked at (3, 2..4) by footprints x 2..3.
    const auto path = Search(map, {3, 5}, {3, 0});
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path[1], (TGridPoint{4, 5})) << Show(path);
    EXPECT_EQ(int(path.size()) - 1, ReferenceDistance(map, {3, 5}, {3, 0}));
}

TEST(FindPath, FromOnABlockedFootprintIsStillFound) {
    TMap map(6, 6);
    map.SetCell(1, 2, 1);  // a wall cell inside the searching tank's footprint
    const auto path = Search(map, {1, 1}, {4, 1});
    EXPECT_TRUE(map.Blocked(1, 1));
    EXPECT_EQ(Show(path), "(1,1)(2,1)(3,1)(4,1)") << Show(path);
}

TEST(FindPath, UnreachableGoalGivesEmptyPath) {
    TMap map(6, 6);
    for (int y = 0; y < 6; ++y) {
        map.SetCell(3, y, 1);  // a wall from top to bottom
    }
    EXPECT_TRUE(Search(map, {0, 0}, {4, 4}).empty());
}

TEST(FindPath, EndsOutsideTheFootprintsGiveEmptyPath) {
    TMap map(5, 5);
    EXPECT_TRUE(Search(map, {0, 0}, {4, 0}).empty());
    EXPECT_TRUE(Search(map, {-1, 0}, {2, 2}).empty());
    EXPECT_TRUE(Search(map, {0, 0}, {2, 100}).empty());
}

TEST(FindPath, FromEqualToGoalGivesEmptyPath) {
    TMap map(5, 5);
    EXPECT_TRUE(Search(map, {1, 1}, {1, 1}).empty());
}

TEST(FindPath, ShortestOnAMazeMatchesReference) {
    // A comb of walls with gaps at alternating ends.
    TMap map(21, 21);
    for (int x = 3; x < 21; x += 4) {
        for (int y = 0; y < 21; ++y) {
            const bool gap = ((x / 4) % 2 == 0) ? y >= 18 : y <= 2;
            if (!gap) {
                map.SetCell(x, y, 1);
            }
        }
    }
    const auto path = Search(map, {0, 0}, {19, 19});
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(int(path.size()) - 1, ReferenceDistance(map, {0, 0}, {19, 19}));
    for (size_t i = 1; i < path.size(); ++i) {
        EXPECT_EQ(std::abs(path[i].X - path[i - 1].X) + std::abs(path[i].Y - path[i - 1].Y), 1);
        if (i + 1 < path.size()) {
            EXPECT_FALSE(map.Blocked(path[i].X, path[i].Y)) << Show(path);
        }
    }
}

TEST(FindPath, GoalOnABlockedFootprintIsReachable) {
    // Searching towards the player: the goal footprint is the player's, marked on the grid.
    TMap map(6, 6);
    map.OccupyTank(4, 4);
    const auto path = Search(map, {0, 4}, {4, 4});
    EXPECT_TRUE(path.empty() || path.back() == (TGridPoint{4, 4}));
    // The flow frees the player's footprint first; then the way is found.
    map.FreeTank(4, 4);
    EXPECT_EQ(Search(map, {0, 4}, {4, 4}).size(), 5u);
}

TEST(AroundBase, ClearAtTheCornerAndRestoreExactly) {
    TMap map(6, 6);
    for (int x = 0; x < 6; ++x) {
        for (int y = 0; y < 6; ++y) {
            map.SetCell(x, y, 1);
        }
    }
    map.BaseX = 0;
    map.BaseY = 0;
    map.ClearAroundBase();
    int outside = 0;
    for (int i = 0; i < 6; ++i) {
        for (int j = 0; j < 6; ++j) {
            outside += map.SavedCell(i, j) == TMap::kOutsideGrid;
        }
    }
    EXPECT_EQ(outside, 20);
    for (int x = 0; x < 6; ++x) {
        for (int y = 0; y < 6; ++y) {
            EXPECT_EQ(map.Cell(x, y), (x <= 3 && y <= 3) ? 0 : 1) << x << "," << y;
        }
    }
    map.RestoreAroundBase();
    for (int x = 0; x < 6; ++x) {
        for (int y = 0; y < 6; ++y) {
            EXPECT_EQ(map.Cell(x, y), 1) << x << "," << y;
        }
    }
}

TEST(AroundBase, RestoreKeepsMixedCellsAndTouchesNothingElse) {
    TMap map(10, 10);
    map.BaseX = 4;
    map.BaseY = 4;
    map.SetCell(2, 2, 1);  // inside the square, corner
    map.SetCell(7, 7, 1);  // inside, opposite corner
    map.SetCell(8, 8, 1);  // outside the square
    map.SetCell(1, 4, 1);  // outside, left
    map.ClearAroundBase();
    EXPECT_EQ(map.Cell(2, 2), 0);
    EXPECT_EQ(map.Cell(7, 7), 0);
    EXPECT_EQ(map.Cell(8, 8), 1);
    EXPECT_EQ(map.Cell(1, 4), 1);
    map.SetCell(8, 8, 0);  // changes outside the square survive the restore
    map.RestoreAroundBase();
    EXPECT_EQ(map.Cell(2, 2), 1);
    EXPECT_EQ(map.Cell(7, 7), 1);
    EXPECT_EQ(map.Cell(5, 5), 0);
    EXPECT_EQ(map.Cell(8, 8), 0);
}

TEST(AroundBase, RestoreBeforeAnyClearDoesNothing) {
    TMap map(4, 4);
    map.SetCell(1, 1, 1);
    map.RestoreAroundBase();
    EXPECT_EQ(map.Cell(1, 1), 1);
    EXPECT_EQ(map.Cell(0, 0), 0);
}

TEST(MapGrid, TinyGridsHaveNoFootprints) {
    TMap map(1, 5);
    map.UpdateBlocked();
    map.ResetDistances();
    EXPECT_TRUE(map.Blocked(0, 0));
    map.FindPath({0, 0}, {0, 1});
    EXPECT_TRUE(map.Path().empty());
    TMap negative(-3, 2);
    EXPECT_EQ(negative.Width(), 0);
    negative.OccupyTank(0, 0);
    negative.ClearAroundBase();
    negative.RestoreAroundBase();
}
