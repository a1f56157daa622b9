#include <limits>

#include "WorldTestSupport.h"
#include "effects/GE_PARTICLESYSTEM.h"
#include "scene/GE_GAMEOBJECT.h"
#include "world/Base.h"
#include "world/Enemy.h"
#include "world/Player.h"
#include "world/Respaun.h"
#include "world/Wall.h"

namespace {

using WallTest = WorldTest;

TEST_F(WallTest, LooksFollowTheHealthRatio) {
    LoadText(OpenLevel(8, 8));
    TWall* wall = Level()->AddChild(MakeBrickWall(world, "Wall", 2, 2, 5.0f));
    EXPECT_EQ(Map().Cell(2, 2), 1);
    wall->Health = 3.0f;  // 0.6: damaged
    Frame(1);
    EXPECT_EQ(wall->GetMesh(), FindMesh(world, "Wall1"));
    wall->Health = 2.0f;  // 0.4: wrecked
    Frame(1);
    EXPECT_EQ(wall->GetMesh(), FindMesh(world, "Wall2"));
    wall->Health = 1.0f;  // 0.2: keeps the wrecked look
    Frame(1);
    EXPECT_EQ(wall->GetMesh(), FindMesh(world, "Wall2"));
    wall->Health = 5.0f;
    Frame(1);
    EXPECT_EQ(wall->GetMesh(), FindMesh(world, "Wall"));
    wall->Health = 0.0f;
    Frame(1);
    EXPECT_EQ(All<TWall>().size(), 0u);
    EXPECT_EQ(Map().Cell(2, 2), 0);
}

TEST_F(WallTest, RockWallsTakeSixHits) {
    LoadText(OpenLevel(8, 8, {"", "", "00200000"}));
    auto* rock = dynamic_cast<TWall*>(scene->GetRoot()->FindObject("Wall 2 2"));
    ASSERT_NE(rock, nullptr);
    EXPECT_FLOAT_EQ(rock->MaxHealth, 6.0f);
    rock->Health = 4.0f;
    Frame(1);
    EXPECT_EQ(rock->GetMesh(), FindMesh(world, "Wall_rock1"));
    rock->Health = 3.0f;
    Frame(1);
    EXPECT_EQ(rock->GetMesh(), FindMesh(world, "Wall_rock2"));
}

using BaseTest = WorldTest;

TEST_F(BaseTest, StandsAtZeroAndFallsBelowItEndingTheGame) {
    LoadText(OpenLevel(8, 8, {}, 3, 3));
    auto* base = dynamic_cast<TBase*>(scene->GetRoot()->FindObject("Base"));
    ASSERT_NE(base, nullptr);
    EXPECT_FLOAT_EQ(base->Health, 20.0f);
    base->Health = 0.0f;
    Frame(1);
    EXPECT_FALSE(world.State.GameOver);
    EXPECT_TRUE(base->Smoking);
    base->Health = -1.0f;
    Frame(1);
    EXPECT_EQ(scene->GetRoot()->FindObject("Base"), nullptr);
    EXPECT_TRUE(world.State.GameOver);
    EXPECT_EQ(All<TBang>().size(), 1u);
    EXPECT_TRUE(sounds.empty());
}

// A node updated after everything added before it; it notes the game-over flag as it sees it.
class GameOverProbe : public TMoveableObject {
public:
    explicit GameOverProbe(TWorld& world) : TMoveableObject("Probe"), World_(world) {}
    void Update(int32_t) override { Seen = World_.State.GameOver; }
    bool Seen = false;

private:
    TWorld& World_;
};

TEST_F(BaseTest, TheFallIsSeenAtOnceByObjectsUpdatedAfterTheBase) {
    LoadText(OpenLevel(8, 8, {}, 3, 3));
    auto* base = dynamic_cast<TBase*>(scene->GetRoot()->FindObject("Base"));
    ASSERT_NE(base, nullptr);
    auto* probe = Level()->AddChild(std::make_unique<GameOverProbe>(world));
    base->Health = -1.0f;
    Frame(1);
    EXPECT_TRUE(probe->Seen);
}

TEST_F(BaseTest, CubeSpinsAboveTheBody) {
    LoadText(OpenLevel(8, 8, {}, 3, 3));
    Frame(100);
    TMoveableObject* cube = scene->GetRoot()->FindObject("Cube");
    ASSERT_NE(cube, nullptr);
    EXPECT_FLOAT_EQ(cube->GetRotation().X, 10.0f);
    EXPECT_FLOAT_EQ(cube->GetPosition().Y, 1.0f);
}

using SpawnTest = WorldTest;

TEST_F(SpawnTest, EnemyArrivesAfterOneSecond) {
    LoadText(OpenLevel(12, 12, {}, -1, -1, {{4, 4}}));
    world.State.EnemyQuota[2] = 1;
    SpawnEnemy(world);
    EXPECT_TRUE(world.State.AllEnemiesSpawned);
    EXPECT_EQ(world.State.EnemiesAlive, 1);
    EXPECT_EQ(world.State.EnemyQuota[2], 0);
    auto effects = All<TRespaun>();
    ASSERT_EQ(effects.size(), 1u);
    EXPECT_FLOAT_EQ(effects[0]->GetPosition().Y, 1.0f);
    Frames(9, 100);
    EXPECT_EQ(All<TEnemy>().size(), 0u);
    EXPECT_GT(effects[0]->Count(), 0);
    Frame(100);
    auto enemies = All<TEnemy>();
    ASSERT_EQ(enemies.size(), 1u);
    EXPECT_EQ(enemies[0]->Kind, 2);
    EXPECT_EQ(enemies[0]->GetName(), "Enemy1");
    EXPECT_EQ(enemies[0]->GetMesh(), FindMesh(world, "Enemy3"));
    EXPECT_EQ(enemies[0]->Weapon.ReloadTime, 300);
    EXPECT_EQ(All<TRespaun>().size(), 0u);
}

TEST_F(SpawnTest, PlayerArrivesAtTheStart) {
    LoadText(OpenLevel(12, 12));
    SpawnPlayer(world);
    Frames(11, 100);
    auto* player = dynamic_cast<TPlayer*>(scene->GetRoot()->FindObject("Player"));
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->CellX, 0);
    EXPECT_EQ(player->CellY, 0);
}

TEST_F(SpawnTest, ACoveredSpawnPointCostsTheLevelAnEnemy) {
    LoadText(OpenLevel(12, 12, {}, -1, -1, {{4, 4}}));
    Map().OccupyTank(4, 4);
    world.State.EnemyQuota[0] = 2;
    SpawnEnemy(world);
    EXPECT_EQ(world.State.EnemyQuota[0], 1);
    EXPECT_EQ(world.State.EnemiesAlive, 0);
    EXPECT_FALSE(world.State.AllEnemiesSpawned);
    EXPECT_EQ(All<TRespaun>().size(), 0u);
}

TEST_F(SpawnTest, TheLastEnemyIsCountedBeforeItsPointIsTested) {
    LoadText(OpenLevel(12, 12, {}, -1, -1, {{4, 4}}));
    Map().OccupyTank(4, 4);
    world.State.EnemyQuota[1] = 1;
    SpawnEnemy(world);
    EXPECT_TRUE(world.State.AllEnemiesSpawned);
    EXPECT_EQ(world.State.EnemiesAlive, 0);
}

TEST_F(SpawnTest, NoSpawnPointsOrNoQuotaSpawnNothing) {
    LoadText(OpenLevel(12, 12));
    world.State.EnemyQuota[0] = 3;
    SpawnEnemy(world);
    EXPECT_EQ(world.State.EnemyQuota[0], 3);
    UnloadLevel(world);
    LoadText(OpenLevel(12, 12, {}, -1, -1, {{4, 4}}));
    world.State.EnemyQuota[0] = 0;
    SpawnEnemy(world);
    EXPECT_EQ(All<TRespaun>().size(), 0u);
    EXPECT_FALSE(world.State.AllEnemiesSpawned);
}

TEST_F(SpawnTest, ASpawnPointPastIndex255IsTheOneTheEnemyComesFrom) {
    // 300 spawn points: the first 256 on a covered footprint, the rest on a free one. Whatever index the
    // draw gives, an effect may only start at the free point, and its enemy must arrive there.
    std::vector<std::pair<int, int>> spawns(256, {0, 0});
    spawns.resize(300, {10, 10});
    LoadText(OpenLevel(20, 20, {}, -1, -1, spawns));
    Map().OccupyTank(0, 0);
    for (int i = 0; i < 200 && All<TRespaun>().empty(); ++i) {
        world.State.EnemyQuota[0] = 5;
        SpawnEnemy(world);
    }
    auto effects = All<TRespaun>();
    ASSERT_EQ(effects.size(), 1u);
    EXPECT_GE(effects[0]->SpawnIndex, 256);
    TVector3 free = Map().FootprintCentre(10, 10);
    EXPECT_FLOAT_EQ(effects[0]->GetPosition().X, free.X);
    EXPECT_FLOAT_EQ(effects[0]->GetPosition().Z, free.Z);
    Frames(11, 100);
    auto enemies = All<TEnemy>();
    ASSERT_EQ(enemies.size(), 1u);
    EXPECT_EQ(enemies[0]->CellX, 10);
    EXPECT_EQ(enemies[0]->CellY, 10);
}

TEST_F(SpawnTest, ASpawnCountBeyondThePointsDrawsNoPointThatIsNotThere) {
    LoadText(OpenLevel(12, 12, {}, -1, -1, {{4, 4}}));
    Map().SpawnCount = 1000;
    for (int i = 0; i < 50; ++i) {
        world.State.EnemyQuota[0] = 5;
        SpawnEnemy(world);
    }
    TVector3 only = Map().FootprintCentre(4, 4);
    for (TRespaun* effect : All<TRespaun>()) {
        EXPECT_EQ(effect->SpawnIndex, 0);
        EXPECT_FLOAT_EQ(effect->GetPosition().X, only.X);
        EXPECT_FLOAT_EQ(effect->GetPosition().Z, only.Z);
    }
}

TEST_F(SpawnTest, LargeQuotasAreNotMistakenForTheLastEnemy) {
    // Summed in 32 bits these would wrap round to 1, the count that marks the last enemy.
    LoadText(OpenLevel(12, 12, {}, -1, -1, {{4, 4}}));
    world.State.EnemyQuota[0] = std::numeric_limits<int32_t>::max();
    world.State.EnemyQuota[1] = std::numeric_limits<int32_t>::max();
    world.State.EnemyQuota[2] = 3;
    SpawnEnemy(world);
    EXPECT_FALSE(world.State.AllEnemiesSpawned);
    EXPECT_EQ(world.State.EnemiesAlive, 1);
}

TEST_F(SpawnTest, WaterBreathesFlatInY) {
    LoadText(OpenLevel(8, 8));
    TWater* water = Level()->AddChild(std::make_unique<TWater>("water", FindMesh(world, "water")));
    Frame(900);  // 90 degrees
    EXPECT_NEAR(water->GetScale().X, 1.03f, 1e-5);
    EXPECT_NEAR(water->GetScale().Z, 1.06f, 1e-5);
    EXPECT_FLOAT_EQ(water->GetScale().Y, 0.0f);
}

}  // namespace
