#include "../world/WorldTestSupport.h"
#include "scene/GE_CAMERA.h"
#include "shell/Levels.h"
#include "world/LevelCheck.h"
#include "world/Team.h"
#include "world/TeamCamera.h"
#include "world/Wall.h"

namespace {

using ShippedLevelsTest = WorldTest;

bool Overlap(const TGridPoint& a, const TGridPoint& b) {
    return std::abs(a.X - b.X) < 2 && std::abs(a.Y - b.Y) < 2;
}

bool Reaches(TMap& map, const TGridPoint& from, const TGridPoint& to) {
    map.UpdateBlocked();
    map.ResetDistances();
    map.FindPath(from, to);
    return !map.Path().empty();
}

// Every level of the shipped list loads through the game's loader and is playable: a start, at least
// one spawn point and one enemy; the base, the start and the spawn points on free cells inside the map,
// none on another; and every spawn point reaches the start and the base over land once the brick walls
// are shot away (rock and water stay).
TEST_F(ShippedLevelsTest, EveryShippedLevelLoadsAndEverySpawnPointReachesTheStartAndTheBase) {
    TLevels levels;
    std::string error;
    ASSERT_TRUE(levels.LoadFromFile(root, "data\\maps\\levels.txt", error)) << error;
    ASSERT_GE(levels.Count(), 30);
    for (const TLevelEntry& entry : levels.Entries()) {
        SCOPED_TRACE(entry.path);
        EXPECT_GT(entry.enemies[0] + entry.enemies[1] + entry.enemies[2] + entry.enemies[3], 0);
        TLevelDescription level;
        ASSERT_TRUE(ReadLevelFile(root, entry.path, level, error)) << error;
        ASSERT_TRUE(level.HasPlayerStart);
        ASSERT_FALSE(level.SpawnPoints.empty());
        std::vector<std::pair<const char*, TGridPoint>> points{{"start", level.PlayerStart}};
        if (level.HasBase) {
            points.push_back({"base", level.Base});
        }
        for (const TGridPoint& spawn : level.SpawnPoints) {
            points.push_back({"spawn", spawn});
        }
        for (std::size_t i = 0; i < points.size(); ++i) {
            const auto& [what, p] = points[i];
            ASSERT_TRUE(p.X >= 0 && p.Y >= 0 && p.X <= level.Width - 2 && p.Y <= level.Height - 2)
                << what << " " << p.X << "," << p.Y << " outside the map";
            for (int32_t dx = 0; dx < 2; ++dx) {
                for (int32_t dy = 0; dy < 2; ++dy) {
                    const int32_t code = level.Code(p.X + dx, p.Y + dy);
                    EXPECT_TRUE(code != kCellBrickWall && code != kCellRockWall && code != kCellWater)
                        << what << " " << p.X << "," << p.Y << " on a taken cell";
                }
            }
            for (std::size_t j = i + 1; j < points.size(); ++j) {
                EXPECT_FALSE(Overlap(p, points[j].second))
                    << what << " " << p.X << "," << p.Y << " on the " << points[j].first;
            }
        }

        ASSERT_TRUE(LoadLevel(world, root, entry.path, error)) << error;
        TMap& map = Map();
        for (TWall* wall : All<TWall>()) {
            if (wall->MaxHealth == 3.0f) {
                map.SetCell(wall->CellX, wall->CellY, 0);
            }
        }
        const TGridPoint start{map.PlayerStartX, map.PlayerStartY};
        for (const TGridPoint& spawn : map.SpawnPoints) {
            EXPECT_TRUE(Reaches(map, spawn, start))
                << "spawn " << spawn.X << "," << spawn.Y << " to the start";
            if (map.HasBase) {
                map.ClearAroundBase();
                EXPECT_TRUE(Reaches(map, spawn, TGridPoint{map.BaseX, map.BaseY}))
                    << "spawn " << spawn.X << "," << spawn.Y << " to the base";
                map.RestoreAroundBase();
            }
        }
        UnloadLevel(world);
    }
}

// On the largest shipped level, for pairs of footprints all over it: where the shared view holds both
// tanks, each stands on the screen where the aiming ray through its pixel meets the ground (the game's
// own picking, the oracle of what is seen), at both screen shapes; the second start is free.
TEST_F(ShippedLevelsTest, SharedCameraKeepsBothTanksInSightAllOverTheLargestLevel) {
    TLevels levels;
    std::string error;
    ASSERT_TRUE(levels.LoadFromFile(root, "data\\maps\\levels.txt", error)) << error;
    std::string largest;
    int32_t most = 0;
    for (const TLevelEntry& entry : levels.Entries()) {
        ASSERT_TRUE(LoadLevel(world, root, entry.path, error)) << error;
        if (Map().Width() * Map().Height() > most) {
            most = Map().Width() * Map().Height();
            largest = entry.path;
        }
        ChooseSecondStart(Map());
        const TGridPoint second = PlayerStart(Map(), 1);
        EXPECT_FALSE(second == (TGridPoint{Map().PlayerStartX, Map().PlayerStartY})) << entry.path;
        UnloadLevel(world);
    }
    ASSERT_TRUE(LoadLevel(world, root, largest, error)) << error;
    const TMap& map = Map();
    int pairs = 0;
    int inView = 0;
    for (const auto& [width, height] : {std::pair{800, 600}, std::pair{1280, 1024}}) {
        const float aspect = static_cast<float>(width) / static_cast<float>(height);
        for (int32_t ay = 0; ay < map.Height() - 1; ay += 5) {
            for (int32_t ax = 0; ax < map.Width() - 1; ax += 5) {
                for (int32_t by = 0; by < map.Height() - 1; by += 2) {
                    for (int32_t bx = 0; bx < map.Width() - 1; bx += 2) {
                        const TVector3 tanks[2] = {map.FootprintCentre(ax, ay), map.FootprintCentre(bx, by)};
                        const TTeamView view = FrameTeam(tanks[0], tanks[1], aspect);
                        ++pairs;
                        if (!view.BothInView)
                            continue;
                        ++inView;
                        TCamera camera("game", 1);
                        camera.SetPosition(view.Position.X, view.Position.Y, view.Position.Z);
                        camera.SetRotation(60.0f, 0.0f, 0.0f);
                        camera.SetProjection(1.5707964f, aspect, 1.0f, 100.0f);
                        const TMatrix vp = MatrixMultiply(camera.GetView(), camera.GetProjection());
                        for (const TVector3& tank : tanks) {
                            const TVector4 clip = Vector4Transform(Vector4(tank.X, 0.0f, tank.Z, 1.0f), vp);
                            const int px = static_cast<int>((clip.X / clip.W + 1.0f) * 0.5f * width);
                            const int py = static_cast<int>((1.0f - clip.Y / clip.W) * 0.5f * height);
                            ASSERT_TRUE(px >= 0 && px < width && py >= 0 && py < height)
                                << ax << "," << ay << " with " << bx << "," << by;
                            const TVector3 ray = PickRayDirection(px, py, width, height,
                                                                  camera.GetProjection(), camera.GetView());
                            TVector3 hit{0.0f, 0.0f, 0.0f};
                            ASSERT_TRUE(RayPlaneIntersect(camera.GetPosition(), ray,
                                                          Plane(0.0f, 1.0f, 0.0f, 0.0f), hit));
                            EXPECT_NEAR(hit.X, tank.X, 0.5f);
                            EXPECT_NEAR(hit.Z, tank.Z, 0.5f);
                        }
                    }
                }
            }
        }
    }
    // Most pairs of a level fit in one view; only the farthest ones are held apart.
    EXPECT_GT(inView, pairs / 2);
}

}  // namespace

namespace {

// Whatever levels the list ships pass every check of the editor, warnings included.
TEST(ShippedLevelChecks, EveryShippedLevelPassesTheEditorsChecks) {
    const files::TDataRoot root(BRELVOX_SOURCE_DIR);
    TLevels levels;
    std::string error;
    ASSERT_TRUE(levels.LoadFromFile(root, "data\\maps\\levels.txt", error)) << error;
    for (const TLevelEntry& entry : levels.Entries()) {
        TLevelDescription level;
        ASSERT_TRUE(ReadLevelFile(root, entry.path, level, error)) << error;
        for (const TLevelProblem& problem : CheckLevel(level, entry.enemies)) {
            ADD_FAILURE() << entry.path << ": " << LevelProblemText(problem);
        }
    }
}

}  // namespace
