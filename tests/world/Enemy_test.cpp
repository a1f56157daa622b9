#include "world/Enemy.h"

#include "WorldTestSupport.h"
#include "effects/GE_PARTICLESYSTEM.h"
#include "platform/DirectInputKeys.h"
#include "world/Bullet.h"
#include "world/Player.h"

namespace {

class EnemyTest : public WorldTest {
protected:
    TEnemy* AddEnemy(int x, int y, uint8_t kind) {
        auto* enemy = Level()->AddChild(
            std::make_unique<TEnemy>(world, "Enemy1", x, y, FindMesh(world, "Enemy1"), kind));
        enemy->SetWeapon(WeaponRow(world, kind));
        return enemy;
    }
};

TEST_F(EnemyTest, FiresInItsFirstUpdate) {
    LoadText(OpenLevel(12, 12));
    TEnemy* enemy = AddEnemy(5, 5, 0);
    Frame(1);
    auto shells = All<TBullet>();
    ASSERT_EQ(shells.size(), 1u);
    EXPECT_EQ(shells[0]->GetName(), "Bullet");
    EXPECT_EQ(shells[0]->Owner, TBullet::FromEnemy);
    // Facing 0 fires towards +z, 1.5 units ahead.
    EXPECT_NEAR(shells[0]->GetPosition().Z, enemy->GetPosition().Z + 1.5f, 1e-4);
    EXPECT_GE(enemy->FireTimer, 400);
    EXPECT_LT(enemy->FireTimer, 800);
    EXPECT_TRUE(sounds.empty());
}

TEST_F(EnemyTest, TwinGunKindFiresTwoShells) {
    LoadText(OpenLevel(12, 12));
    AddEnemy(5, 5, 2);
    Frame(1);
    EXPECT_EQ(All<TBullet>().size(), 2u);
}

TEST_F(EnemyTest, ZeroHealthStandsAndBelowZeroScoresAndGoes) {
    LoadText(OpenLevel(12, 12));
    world.State.EnemiesAlive = 1;
    TEnemy* enemy = AddEnemy(5, 5, 3);
    enemy->Health = 0.0f;
    Frame(1);
    EXPECT_EQ(All<TEnemy>().size(), 1u);
    enemy->Health = -1.0f;
    Frame(1);
    EXPECT_EQ(All<TEnemy>().size(), 0u);
    EXPECT_EQ(world.State.Score, 400);
    EXPECT_EQ(world.State.EnemiesAlive, 0);
    EXPECT_EQ(CountSound("bang"), 1);
    EXPECT_EQ(Map().Cell(5, 5), 0);
}

TEST_F(EnemyTest, ADestroyedEnemyFreesItsFootprintForTanksUpdatedAfterIt) {
    // The enemy at footprint (4, 2) covers row 3, which the player's step from (4, 4) needs. The enemy
    // is updated first; once it is gone the player steps in the same frame.
    LoadText(OpenLevel(10, 10));
    world.State.EnemiesAlive = 1;
    TEnemy* enemy = AddEnemy(4, 2, 0);
    world.State.FreezeActive = true;  // it holds still and holds its fire
    auto* player = Level()->AddChild(std::make_unique<TPlayer>(
        world, "Player", 4, 4, FindMesh(world, "Tower1"), FindMesh(world, "Player")));
    keys.SetKey(platform::DIK_W, true);
    Frame(10);
    ASSERT_EQ(player->MoveState, TPlayer::Idle);
    enemy->Health = -1.0f;
    Frame(10);
    EXPECT_EQ(All<TEnemy>().size(), 0u);
    EXPECT_EQ(player->MoveState, TPlayer::Stepping);
    EXPECT_EQ(player->CellY, 3);
    EXPECT_EQ(Map().Cell(4, 2), 0);
    EXPECT_EQ(Map().Cell(4, 3), 1);  // the player's now: the enemy's destroy must not free it again
    EXPECT_EQ(world.State.EnemiesAlive, 0);
}

TEST_F(EnemyTest, KindsStepAtTheirOwnPace) {
    EXPECT_EQ(TEnemy::KindStepTime(1), 150);
    EXPECT_EQ(TEnemy::KindStepTime(3), 300);
    LoadText(OpenLevel(12, 12));
    TEnemy* enemy = AddEnemy(5, 5, 1);
    enemy->Mode = TEnemy::Roam;
    enemy->ModeTimer = 100000;
    enemy->StepsLeft = 3;
    enemy->WantedFacing = 0;
    Frame(1);
    EXPECT_EQ(enemy->MoveState, TEnemy::Stepping);
    EXPECT_EQ(enemy->MoveTimer, 150);
    EXPECT_EQ(enemy->CellY, 4);
}

TEST_F(EnemyTest, WithoutABaseAttackTurnsIntoAChase) {
    LoadText(OpenLevel(12, 12));
    TEnemy* enemy = AddEnemy(5, 5, 0);
    enemy->Mode = TEnemy::AttackBase;
    enemy->ModeTimer = 5000;
    enemy->StepsLeft = 0;
    Frame(1);
    EXPECT_EQ(enemy->Mode, TEnemy::ChasePlayer);
    EXPECT_EQ(enemy->ModeTimer, world.State.ChasePlayerTime);
}

TEST_F(EnemyTest, AttackFollowsThePathToTheBase) {
    // Base at footprint (8, 5); the enemy at (2, 5) heads +x.
    LoadText(OpenLevel(12, 12, {}, 8, 5));
    TEnemy* enemy = AddEnemy(2, 5, 0);
    enemy->Mode = TEnemy::AttackBase;
    enemy->ModeTimer = 100000;
    Frame(1);
    EXPECT_EQ(enemy->WantedFacing, 90);
    EXPECT_EQ(enemy->StepsLeft, 1);
    Frame(1);  // the planned step begins with a turn
    EXPECT_EQ(enemy->MoveState, TEnemy::Turning);
    Frames(20, 20);
    EXPECT_GT(enemy->CellX, 2);
    EXPECT_EQ(enemy->CellY, 5);
}

TEST_F(EnemyTest, ChaseHeadsForThePlayer) {
    LoadText(OpenLevel(12, 12));
    Level()->AddChild(std::make_unique<TPlayer>(world, "Player", 5, 1, FindMesh(world, "Tower1"),
                                                FindMesh(world, "Player")));
    TEnemy* enemy = AddEnemy(5, 8, 0);
    enemy->Mode = TEnemy::ChasePlayer;
    enemy->ModeTimer = 100000;
    Frame(1);
    EXPECT_EQ(enemy->WantedFacing, 0);
    EXPECT_EQ(enemy->StepsLeft, 1);
    // The search leaves the player's footprint marked.
    EXPECT_EQ(Map().Cell(5, 1), 1);
}

TEST_F(EnemyTest, FreezeLetsAStepFinishAndThenStands) {
    LoadText(OpenLevel(12, 12));
    TEnemy* enemy = AddEnemy(5, 5, 0);
    enemy->Mode = TEnemy::Roam;
    enemy->ModeTimer = 100000;
    enemy->StepsLeft = 5;
    enemy->WantedFacing = 0;
    Frame(1);
    ASSERT_EQ(enemy->MoveState, TEnemy::Stepping);
    world.State.FreezeActive = true;
    int32_t fireTimer = enemy->FireTimer;
    int32_t modeTimer = enemy->ModeTimer;
    Frames(20, 20);
    EXPECT_EQ(enemy->MoveState, TEnemy::Idle);
    EXPECT_EQ(enemy->CellY, 4);
    EXPECT_EQ(enemy->StepsLeft, 4);
    EXPECT_EQ(enemy->FireTimer, fireTimer);  // neither fires nor counts its mode down while frozen
    EXPECT_EQ(enemy->ModeTimer, modeTimer);
    world.State.FreezeActive = false;
    Frame(1);
    EXPECT_EQ(enemy->MoveState, TEnemy::Stepping);
}

TEST_F(EnemyTest, BlockedStepFallsBackToRoaming) {
    LoadText(OpenLevel(12, 12, {"", "", "", "", "000001000000"}));
    TEnemy* enemy = AddEnemy(5, 5, 0);
    enemy->Mode = TEnemy::ChasePlayer;
    enemy->ModeTimer = 100000;
    enemy->StepsLeft = 1;
    enemy->WantedFacing = 0;
    Frame(1);
    EXPECT_EQ(enemy->Mode, TEnemy::Roam);
    EXPECT_EQ(enemy->ModeTimer, world.State.WanderTime);
    EXPECT_EQ(enemy->StepsLeft, 0);
}

}  // namespace
