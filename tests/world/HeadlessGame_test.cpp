// Whole stretches of play on a shipped level, without a window: the player drives, aims and fires
// under scripted input while enemies come in through the spawn points, and the rules decide the rest.
#include "WorldTestSupport.h"
#include "platform/DirectInputKeys.h"
#include "world/Base.h"
#include "world/Bonus.h"
#include "world/Enemy.h"
#include "world/Player.h"
#include "world/Respaun.h"
#include "world/Wall.h"

namespace {

constexpr int32_t kFrame = 16;

class HeadlessGameTest : public WorldTest {
protected:
    void StartLevelOne() {
        std::string error;
        ASSERT_TRUE(LoadLevel(world, root, "data\\maps\\level1.txt", error)) << error;
        SpawnPlayer(world);
        Frames(70, kFrame);  // the spawn effect brings the tank in after a second
        ASSERT_NE(Player(), nullptr);
    }
    TPlayer* Player() { return dynamic_cast<TPlayer*>(scene->GetRoot()->FindObject("Player")); }

    // One frame as the game flow runs it: the scene update, then the turret aimed at the point.
    void AimedFrame(float x, float z) {
        Frame(kFrame);
        if (TPlayer* player = Player())
            player->AimAt(x, z);
    }
};

TEST_F(HeadlessGameTest, ShootingThroughTheOwnWallsBringsTheBaseDown) {
    StartLevelOne();
    TPlayer* player = Player();
    EXPECT_EQ(player->CellX, 7);
    EXPECT_EQ(player->CellY, 22);
    size_t walls = All<TWall>().size();

    // Drive one footprint to the right: a turn, then a step.
    keys.SetKey(platform::DIK_D, true);
    Frames(30, kFrame);
    keys.SetKey(platform::DIK_D, false);
    Frames(20, kFrame);
    ASSERT_EQ(player->CellX, 9);
    EXPECT_EQ(player->Facing, 90);

    // Fire along +x: the two bricks of the base's west wall fall, then the base itself.
    keys.SetButton(0, true);
    TVector3 p = player->GetPosition();
    for (int i = 0; i < 3000 && !world.State.GameOver; ++i)
        AimedFrame(p.X + 10.0f, p.Z);
    EXPECT_TRUE(world.State.GameOver);
    EXPECT_EQ(scene->GetRoot()->FindObject("Base"), nullptr);
    EXPECT_EQ(scene->GetRoot()->FindObject("Wall 11 22"), nullptr);
    EXPECT_EQ(scene->GetRoot()->FindObject("Wall 11 23"), nullptr);
    // The shells graze the enclosure's north wall on their way in, so a third brick may go too.
    EXPECT_LE(All<TWall>().size(), walls - 2);
    EXPECT_EQ(Map().Cell(11, 23), 0);
    EXPECT_GE(CountSound("wall_dest"), 6);
    EXPECT_GE(CountSound("metal_bang"), 21);
}

TEST_F(HeadlessGameTest, HuntingTheEnemiesScoresAndKeepsTheCountsStraight) {
    StartLevelOne();
    world.State.EnemyQuota[0] = 4;
    int32_t spawnTimer = 5000;
    int32_t bonusTimer = 10000;
    keys.SetButton(0, true);
    int killed = 0;
    for (int frame = 0; frame < 4000 && !world.State.GameOver; ++frame) {
        // The enemy and bonus timers and the respawn, as the game flow runs them.
        if (!world.State.AllEnemiesSpawned) {
            if (spawnTimer > 0) {
                spawnTimer -= kFrame;
            } else if (world.State.EnemiesAlive < 5) {
                SpawnEnemy(world);
                spawnTimer = 5000;
            }
        }
        if (bonusTimer < 1) {
            SpawnBonus(world);
            bonusTimer = 10000;
        } else {
            bonusTimer -= kFrame;
        }
        if (world.State.PlayerRespawnPending) {
            world.State.PlayerRespawnPending = false;
            SpawnPlayer(world);
        }
        // Aim at the nearest enemy.
        TVector3 target = Vector3(0.0f, 0.0f, 13.0f);
        float best = 1e9f;
        TPlayer* player = Player();
        for (TEnemy* enemy : All<TEnemy>()) {
            float d = player ? VectorDistance(enemy->GetPosition(), player->GetPosition()) : 0.0f;
            if (d < best) {
                best = d;
                target = enemy->GetPosition();
            }
        }
        size_t enemiesBefore = All<TEnemy>().size();
        AimedFrame(target.X, target.Z);
        if (All<TEnemy>().size() < enemiesBefore)
            ++killed;
        if (world.State.AllEnemiesSpawned && world.State.EnemiesAlive == 0)
            break;
    }
    EXPECT_GE(world.State.Score, 100);
    EXPECT_GE(killed, 1);
    // Kind 0 enemies score 100 each, and so does every bonus picked up on the way.
    EXPECT_EQ(world.State.Score, 100 * killed + 100 * CountSound("bonus"));
    // Every living or spawning enemy is counted once.
    size_t spawning = 0;
    for (TRespaun* effect : All<TRespaun>())
        spawning += effect->IsEnemy;
    EXPECT_EQ(world.State.EnemiesAlive, All<TEnemy>().size() + spawning);
}

}  // namespace
