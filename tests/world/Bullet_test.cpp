#include "world/Bullet.h"

#include <limits>

#include "WorldTestSupport.h"
#include "effects/GE_PARTICLESYSTEM.h"
#include "world/Base.h"
#include "world/Enemy.h"
#include "world/Player.h"
#include "world/Wall.h"

namespace {

class BulletTest : public WorldTest {
protected:
    // A shell of weapon row `row` at (x, z), flying along `direction` degrees.
    TBullet* Shoot(int row, uint8_t owner, float x, float z, float direction) {
        auto shell = std::make_unique<TBullet>(world, "bullet", WeaponRow(world, row), owner, direction);
        shell->SetPosition(x, 0.5f, z);
        return Level()->AddChild(std::move(shell));
    }
    bool Alive(TMoveableObject* node) {
        for (TMoveableObject* n : All<TMoveableObject>()) {
            if (n == node)
                return true;
        }
        return false;
    }
};

TEST_F(BulletTest, PlayerShellChipsAWallWithDebrisAndNoSparks) {
    // A brick wall at cell (6, 5) of a 10 x 10 level: centre (1.5, 0, -0.5).
    LoadText(OpenLevel(10, 10, {"", "", "", "", "", "0000001000"}));
    auto* wall = dynamic_cast<TWall*>(scene->GetRoot()->FindObject("Wall 6 5"));
    ASSERT_NE(wall, nullptr);
    Frame(1);
    TBullet* shell = Shoot(4, TBullet::FromPlayer, 0.0f, -0.5f, 360.0f);
    Frames(15, 10);  // 1.5 units: the box reaches the wall's square at x = 0.9
    EXPECT_FALSE(Alive(shell));
    EXPECT_FLOAT_EQ(wall->Health, 2.0f);
    EXPECT_EQ(CountSound("wall_dest"), 1);
    EXPECT_EQ(All<TSparks>().size(), 0u);
    EXPECT_EQ(All<TWallDestruct>().size(), 1u);
}

TEST_F(BulletTest, EnemyShellHitsAWallSilently) {
    LoadText(OpenLevel(10, 10, {"", "", "", "", "", "0000001000"}));
    Frame(1);
    Shoot(0, TBullet::FromEnemy, 0.0f, -0.5f, 360.0f);
    Frames(15, 10);
    EXPECT_TRUE(sounds.empty());
    EXPECT_EQ(All<TWallDestruct>().size(), 1u);
}

TEST_F(BulletTest, RocketExplodesOnTheBaseWithABang) {
    LoadText(OpenLevel(10, 10, {}, 4, 4));
    auto* base = dynamic_cast<TBase*>(scene->GetRoot()->FindObject("Base"));
    ASSERT_NE(base, nullptr);
    Frame(1);
    Shoot(3, TBullet::FromEnemy, -3.0f, 0.0f, 360.0f);  // base centre (0, 0, 0), half-size 1
    Frames(30, 10);
    EXPECT_FLOAT_EQ(base->Health, 18.0f);
    EXPECT_EQ(CountSound("bang"), 1);
    auto bangs = All<TBang>();
    ASSERT_EQ(bangs.size(), 1u);
    EXPECT_EQ(bangs[0]->Variant, 1);
}

TEST_F(BulletTest, SidesOnlyHitTheOtherSidesTanks) {
    LoadText(OpenLevel(12, 12));
    auto* enemy = Level()->AddChild(std::make_unique<TEnemy>(world, "Enemy1", 6, 4, nullptr, 0));
    enemy->SetWeapon(WeaponRow(world, 0));
    world.State.FreezeActive = true;  // it stands and holds its fire
    Frame(1);
    float ex = enemy->GetPosition().X;
    float ez = enemy->GetPosition().Z;
    TBullet* friendly = Shoot(0, TBullet::FromEnemy, ex - 3.0f, ez, 360.0f);
    Frames(50, 10);
    EXPECT_FLOAT_EQ(enemy->Health, 3.0f);
    (void)friendly;
    Shoot(4, TBullet::FromPlayer, ex - 3.0f, ez, 360.0f);
    for (int i = 0; i < 50 && enemy->Health == 3.0f; ++i)
        Frame(10);
    EXPECT_FLOAT_EQ(enemy->Health, 2.0f);
    EXPECT_EQ(CountSound("metal_bang"), 1);
    EXPECT_GE(All<TSparks>().size(), 1u);
}

TEST_F(BulletTest, ArmouredPlayerLosesNoHealthButTheShellStillHits) {
    LoadText(OpenLevel(12, 12));
    auto* player = Level()->AddChild(std::make_unique<TPlayer>(
        world, "Player", 4, 4, FindMesh(world, "Tower1"), FindMesh(world, "Player")));
    Frame(1);
    ASSERT_TRUE(player->Armoured);
    TVector3 p = player->GetPosition();
    TBullet* shell = Shoot(0, TBullet::FromEnemy, p.X - 3.0f, p.Z, 360.0f);
    Frames(30, 10);
    EXPECT_FALSE(Alive(shell));
    EXPECT_FLOAT_EQ(player->Health, 10.0f);
    EXPECT_EQ(CountSound("metal_bang"), 1);
}

TEST_F(BulletTest, ShellsOfOppositeSidesShootEachOtherDown) {
    LoadText(OpenLevel(20, 20));
    Frame(1);
    TBullet* a = Shoot(4, TBullet::FromPlayer, -2.0f, 0.0f, 360.0f);
    TBullet* b = Shoot(0, TBullet::FromEnemy, 2.0f, 0.0f, 180.0f);
    for (int i = 0; i < 30 && (Alive(a) || Alive(b)); ++i)
        Frame(10);
    EXPECT_FALSE(Alive(a));
    EXPECT_FALSE(Alive(b));
    EXPECT_EQ(All<TSparks>().size(), 2u);  // both vanished within a frame of each other
}

TEST_F(BulletTest, LeavesTheMapPastTheEdgeWithHalvesToEven) {
    LoadText(OpenLevel(20, 20));
    Frame(1);
    TBullet* shell = Shoot(4, TBullet::FromPlayer, 10.45f, 0.0f, 360.0f);
    Frame(5);  // x = 10.5: nearest to 20.5 is 20, still inside
    EXPECT_TRUE(Alive(shell));
    EXPECT_TRUE(sounds.empty());
    Frame(5);  // x = 10.55: 21 is past the edge
    EXPECT_FALSE(Alive(shell));
    EXPECT_EQ(CountSound("metal_bang"), 1);
}

TEST_F(BulletTest, AShellWithoutAHeadingLeavesAtOnce) {
    // A turret aimed at a point at infinity has no heading; its shell must not fly on for ever.
    LoadText(OpenLevel(20, 20));
    Frame(1);
    TBullet* shell = Shoot(4, TBullet::FromPlayer, 0.0f, 0.0f, std::numeric_limits<float>::quiet_NaN());
    Frame(10);
    EXPECT_FALSE(Alive(shell));
    EXPECT_EQ(CountSound("metal_bang"), 1);
}

TEST_F(BulletTest, EnemyRocketLeavingTheMapExplodesWithoutASound) {
    LoadText(OpenLevel(20, 20));
    Frame(1);
    Shoot(3, TBullet::FromEnemy, 10.45f, 0.0f, 360.0f);
    Frames(3, 10);
    EXPECT_TRUE(sounds.empty());
    EXPECT_EQ(All<TBang>().size(), 1u);
}

TEST_F(BulletTest, RocketTrailsSmoke) {
    LoadText(OpenLevel(20, 20));
    TBullet* rocket = Shoot(7, TBullet::FromPlayer, 0.0f, 0.0f, 90.0f);
    EXPECT_NE(dynamic_cast<TRoketSmoke*>(rocket->FindObject("paticlesystem")), nullptr);
}

}  // namespace
