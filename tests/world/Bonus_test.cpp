#include "world/Bonus.h"

#include "WorldTestSupport.h"
#include "effects/GE_PARTICLESYSTEM.h"
#include "world/Enemy.h"
#include "world/Player.h"
#include "world/Wall.h"

namespace {

class BonusTest : public WorldTest {
protected:
    TPlayer* AddPlayer(int x, int y) {
        return Level()->AddChild(std::make_unique<TPlayer>(world, "Player", x, y, FindMesh(world, "Tower1"),
                                                           FindMesh(world, "Player")));
    }
    TBonus* AddBonus(int x, int y, int32_t kind) {
        return Level()->AddChild(
            std::make_unique<TBonus>(world, "Bonus", FindMesh(world, TBonus::MeshName(kind)), x, y, kind));
    }
};

TEST_F(BonusTest, CollectedWithinOneUnitOnly) {
    LoadText(OpenLevel(12, 12));
    TPlayer* player = AddPlayer(4, 4);
    TBonus* bonus = AddBonus(4, 4, TBonus::Life);
    TVector3 p = player->GetPosition();
    bonus->SetPosition(p.X + 1.0f, 0.0f, p.Z);
    Frame(1);
    EXPECT_EQ(world.State.Lives, 3);
    bonus->SetPosition(p.X + 0.99f, 0.0f, p.Z);
    Frame(1);
    EXPECT_EQ(world.State.Lives, 4);
    EXPECT_EQ(world.State.Score, 100);
    EXPECT_EQ(CountSound("bonus"), 1);
    EXPECT_EQ(All<TBonus>().size(), 0u);
    EXPECT_EQ(All<TRomb>().size(), 1u);
}

TEST_F(BonusTest, EnemiesNeverCollect) {
    LoadText(OpenLevel(12, 12));
    Level()->AddChild(std::make_unique<TEnemy>(world, "Enemy1", 4, 4, nullptr, 0));
    AddBonus(4, 4, TBonus::Life);
    Frames(3, 10);
    EXPECT_EQ(All<TBonus>().size(), 1u);
    EXPECT_EQ(world.State.Lives, 3);
}

TEST_F(BonusTest, BombDestroysEveryEnemyWithItsScore) {
    LoadText(OpenLevel(16, 16));
    world.State.EnemiesAlive = 2;
    Level()->AddChild(std::make_unique<TEnemy>(world, "Enemy1", 10, 10, nullptr, 0));
    Level()->AddChild(std::make_unique<TEnemy>(world, "Enemy1", 12, 2, nullptr, 1));
    AddPlayer(2, 2);
    AddBonus(2, 2, TBonus::Bomb);
    Frame(1);
    Frame(1);
    EXPECT_EQ(All<TEnemy>().size(), 0u);
    EXPECT_EQ(world.State.Score, 100 + 100 + 200);
    EXPECT_EQ(world.State.EnemiesAlive, 0);
}

TEST_F(BonusTest, RemountRepairsToTenAndTimeFreezes) {
    LoadText(OpenLevel(12, 12));
    world.State.PlayerMaxHealth = 20;
    TPlayer* player = AddPlayer(4, 4);
    player->Health = 3.0f;
    AddBonus(4, 4, TBonus::Remount);
    AddBonus(4, 4, TBonus::Time);
    Frame(1);
    EXPECT_FLOAT_EQ(player->Health, 10.0f);
    EXPECT_TRUE(world.State.FreezeActive);
    EXPECT_EQ(world.State.FreezeTimeLeft, 10000);
}

TEST_F(BonusTest, UpgradeStopsAtTheLastGradeButStillScores) {
    LoadText(OpenLevel(12, 12));
    world.State.UpgradeLevel = 3;
    AddPlayer(4, 4);
    AddBonus(4, 4, TBonus::Upgrade);
    Frame(1);
    EXPECT_EQ(world.State.UpgradeLevel, 3);
    EXPECT_EQ(world.State.Score, 100);
}

TEST_F(BonusTest, WallRingRepairsBuildsAndLeavesWaterAtTheGridEdge) {
    // Base at footprint (0, 4) of a 10 x 10 level: the ring is column 2 and rows 3 and 6 of columns 0-2;
    // a brick wall stands at (2, 4), water at (1, 3).
    LoadText(OpenLevel(10, 10, {"", "", "", "0300000000", "0010000000"}, 0, 4));
    auto* levelWall = dynamic_cast<TWall*>(scene->GetRoot()->FindObject("Wall 2 4"));
    ASSERT_NE(levelWall, nullptr);
    levelWall->Health = 1.0f;
    AddPlayer(6, 6);
    AddBonus(6, 6, TBonus::WallRing);
    Frame(1);
    EXPECT_FLOAT_EQ(levelWall->Health, 3.0f);
    auto walls = All<TWall>();
    int built = 0;
    for (TWall* wall : walls) {
        if (wall->GetName() == "Wall") {
            ++built;
            EXPECT_FLOAT_EQ(wall->Health, 5.0f);
            EXPECT_FLOAT_EQ(wall->MaxHealth, 5.0f);
            EXPECT_GE(wall->CellX, 0);
            EXPECT_NE(wall->CellX * 100 + wall->CellY, 103);  // not on the water
        }
    }
    // Ring cells inside the grid: (0..2, 3), (2, 4), (2, 5), (0..2, 6) = 8; minus the level wall and the
    // water.
    EXPECT_EQ(built, 6);
    EXPECT_EQ(Map().Cell(0, 3), 1);
    EXPECT_EQ(Map().Cell(2, 6), 1);
}

TEST_F(BonusTest, WallRingBuildsWhereARingWallFellEarlierInTheSameFrame) {
    // Base at footprint (4, 4); the level's brick wall at (3, 3) on the ring falls in the frame in which
    // the bonus is collected. The wall is updated first, so its cell is free and gets a new wall.
    LoadText(OpenLevel(10, 10, {"", "", "", "0001000000"}, 4, 4));
    auto* levelWall = dynamic_cast<TWall*>(scene->GetRoot()->FindObject("Wall 3 3"));
    ASSERT_NE(levelWall, nullptr);
    AddPlayer(7, 7);
    AddBonus(7, 7, TBonus::WallRing);
    levelWall->Health = 0.0f;
    Frame(1);
    EXPECT_EQ(scene->GetRoot()->FindObject("Wall 3 3"), nullptr);
    TWall* rebuilt = nullptr;
    for (TWall* wall : All<TWall>()) {
        if (wall->CellX == 3 && wall->CellY == 3)
            rebuilt = wall;
    }
    ASSERT_NE(rebuilt, nullptr);
    EXPECT_EQ(rebuilt->GetName(), "Wall");
    EXPECT_FLOAT_EQ(rebuilt->Health, 5.0f);
    EXPECT_EQ(Map().Cell(3, 3), 1);
    EXPECT_EQ(All<TWall>().size(), 12u);
}

TEST_F(BonusTest, ShieldBonusRenewsTheTime) {
    LoadText(OpenLevel(12, 12));
    TPlayer* player = AddPlayer(4, 4);
    Frame(1000);
    AddBonus(4, 4, TBonus::Armour);
    Frame(1);
    EXPECT_EQ(player->ArmourTimeLeft, 10000);
    int shields = 0;
    for (int i = 0; i < player->GetChildCount(); ++i)
        shields += player->GetChild(i)->GetName() == "Armour";
    EXPECT_EQ(shields, 1);
}

TEST_F(BonusTest, SpawnBonusPicksAFreeFootprint) {
    LoadText(OpenLevel(6, 6, {"111111", "100001", "100001", "100001", "100001", "111111"}));
    for (int i = 0; i < 20; ++i)
        SpawnBonus(world);
    auto bonuses = All<TBonus>();
    ASSERT_EQ(bonuses.size(), 20u);
    for (TBonus* bonus : bonuses) {
        TVector3 p = bonus->GetPosition();
        // Free footprints are (1..3, 1..3): centres x in -1..1, z in -1..1.
        EXPECT_GE(p.X, -1.0f);
        EXPECT_LE(p.X, 1.0f);
        EXPECT_GE(p.Z, -1.0f);
        EXPECT_LE(p.Z, 1.0f);
    }
}

TEST_F(BonusTest, SpawnBonusGivesUpOnAFullMap) {
    LoadText(OpenLevel(4, 4, {"1111", "1111", "1111", "1111"}));
    SpawnBonus(world);
    EXPECT_EQ(All<TBonus>().size(), 0u);
}

TEST_F(BonusTest, WallRingNeedsABase) {
    LoadText(OpenLevel(10, 10));
    AddPlayer(4, 4);
    AddBonus(4, 4, TBonus::WallRing);
    Frame(1);
    EXPECT_EQ(world.State.Score, 100);
    EXPECT_EQ(All<TWall>().size(), 0u);
    EXPECT_EQ(Map().Cell(0, 0), 0);
}

TEST_F(BonusTest, RingWallsStandWhereTheyAreFromTheFrameTheyAreBuilt) {
    LoadText(OpenLevel(10, 10, {}, 4, 4));
    AddPlayer(0, 0);
    AddBonus(0, 0, TBonus::WallRing);
    Frame(1);
    for (TWall* wall : All<TWall>()) {
        TVector3 centre = Map().CellCentre(wall->CellX, wall->CellY);
        EXPECT_FLOAT_EQ(wall->GetWorldMatrix()._41, centre.X);
        EXPECT_FLOAT_EQ(wall->GetWorldMatrix()._43, centre.Z);
    }
    EXPECT_EQ(All<TWall>().size(), 12u);
}

}  // namespace
