#include "world/Team.h"

#include "WorldTestSupport.h"
#include "effects/GE_PARTICLESYSTEM.h"
#include "platform/DirectInputKeys.h"
#include "world/Bonus.h"
#include "world/Bullet.h"
#include "world/Enemy.h"
#include "world/Player.h"
#include "world/Respaun.h"
#include "world/TeamCamera.h"
#include "world/WorldDigest.h"

namespace {

class TeamTest : public WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        world.State.TwoPlayers = true;
    }
    TPlayer* AddPlayer(uint8_t index, int x, int y) {
        return Level()->AddChild(std::make_unique<TPlayer>(
            world, PlayerTankName(index), x, y, FindMesh(world, "Tower1"), FindMesh(world, "Player"), index));
    }
    TEnemy* AddChaser(int x, int y) {
        auto* enemy =
            Level()->AddChild(std::make_unique<TEnemy>(world, "Enemy1", x, y, FindMesh(world, "Enemy1"), 0));
        enemy->SetWeapon(WeaponRow(world, 0));
        enemy->Mode = TEnemy::ChasePlayer;
        enemy->ModeTimer = 100000;
        enemy->FireTimer = 100000;
        return enemy;
    }
};

TEST_F(TeamTest, EachPlayerDrivesWithTheirOwnKeys) {
    LoadText(OpenLevel(20, 20));
    TPlayer* first = AddPlayer(0, 4, 8);
    TPlayer* second = AddPlayer(1, 10, 8);
    keys.SetKey(platform::DIK_UP, true);
    Frame(10);
    EXPECT_EQ(first->CellY, 8);
    EXPECT_EQ(second->CellY, 7);
    keys.ReleaseAll();
    Frames(5, 50);
    keys.SetKey(platform::DIK_W, true);
    Frame(10);
    EXPECT_EQ(first->CellY, 7);
    EXPECT_EQ(second->CellY, 7);
}

TEST_F(TeamTest, SecondTurretTurnsByKeysAndSwingsBackToTheHull) {
    LoadText(OpenLevel(20, 20));
    TPlayer* second = AddPlayer(1, 10, 8);
    Frame(1000);
    EXPECT_FLOAT_EQ(second->TowerAngle, 90.0f);  // the hull faces row - 1 (+z)
    keys.SetKey(platform::DIK_COMMA, true);
    Frame(250);
    EXPECT_NEAR(second->TowerAngle, 135.0f, 0.01f);
    keys.SetKey(platform::DIK_COMMA, false);
    Frame(100);
    EXPECT_NEAR(second->TowerAngle, 99.0f, 0.01f);
    Frame(100);
    EXPECT_FLOAT_EQ(second->TowerAngle, 90.0f);
}

TEST_F(TeamTest, EachPlayerFiresWithTheirOwnControlsAndShellsSpareTheOtherTank) {
    LoadText(OpenLevel(20, 20));
    TPlayer* first = AddPlayer(0, 4, 8);
    TPlayer* second = AddPlayer(1, 8, 8);
    first->Armoured = second->Armoured = false;
    first->AimAt(second->GetPosition().X, second->GetPosition().Z);
    keys.SetKey(platform::DIK_RCONTROL, true);
    Frame(1);
    EXPECT_EQ(second->ReloadTimer, second->Weapon.ReloadTime);
    EXPECT_EQ(first->ReloadTimer, 0);
    keys.ReleaseAll();
    keys.SetButton(0, true);
    Frame(1);
    keys.ReleaseAll();
    EXPECT_EQ(first->ReloadTimer, first->Weapon.ReloadTime);
    Frames(40, 20);  // the first player's shell flies through the second tank
    EXPECT_EQ(second->Health, world.State.PlayerMaxHealth);
    EXPECT_EQ(first->Health, world.State.PlayerMaxHealth);
}

TEST_F(TeamTest, WeaponGradeShieldAndRespawnAreEachPlayersOwn) {
    LoadText(OpenLevel(20, 20));
    TPlayer* first = AddPlayer(0, 4, 8);
    TPlayer* second = AddPlayer(1, 10, 8);
    second->Upgrade();
    EXPECT_EQ(world.State.Player2.UpgradeLevel, 1);
    EXPECT_EQ(world.State.UpgradeLevel, 0);
    EXPECT_EQ(first->Weapon.ReloadTime, PlayerWeapon(world, 0).ReloadTime);
    EXPECT_TRUE(world.State.Player2.ArmourActive);
    Frame(3001);
    EXPECT_FALSE(world.State.Player2.ArmourActive);
    EXPECT_EQ(labels["Armour2"], "");
    second->Health = 0.0f;
    Frame(1);
    EXPECT_TRUE(world.State.Player2.RespawnPending);
    EXPECT_EQ(world.State.Player2.UpgradeLevel, 0);
    EXPECT_FALSE(world.State.PlayerRespawnPending);
}

TEST_F(TeamTest, BonusGoesToThePlayerWhoTakesItAndScoresForTheTeam) {
    LoadText(OpenLevel(20, 20));
    AddPlayer(0, 4, 8);
    TPlayer* second = AddPlayer(1, 10, 8);
    for (int32_t kind : {TBonus::Life, TBonus::Upgrade, TBonus::Armour}) {
        Level()->AddChild(
            std::make_unique<TBonus>(world, "Bonus", FindMesh(world, TBonus::MeshName(kind)), 10, 8, kind));
    }
    const int32_t firstLives = world.State.Lives;
    Frame(1);
    EXPECT_EQ(world.State.Player2.Lives, 4);
    EXPECT_EQ(world.State.Lives, firstLives);
    EXPECT_EQ(world.State.Player2.UpgradeLevel, 1);
    EXPECT_EQ(world.State.UpgradeLevel, 0);
    EXPECT_EQ(second->ArmourTimeLeft, 10000);
    EXPECT_EQ(world.State.Score, 300);
}

TEST_F(TeamTest, EnemyHuntsTheTankItHasTheShorterWayTo) {
    // A wall between the enemy and the second tank, which is nearer as the crow flies: the way round
    // it is longer than the way to the first tank.
    std::vector<std::string> rows(20, std::string(20, '0'));
    for (int x = 0; x < 18; ++x)
        rows[6][x] = '1';
    LoadText(OpenLevel(20, 20, rows));
    TPlayer* first = AddPlayer(0, 2, 16);
    TPlayer* second = AddPlayer(1, 2, 2);
    TEnemy* enemy = AddChaser(2, 9);
    EXPECT_EQ(HuntedPlayer(world, TGridPoint{enemy->CellX, enemy->CellY}), first);
    Frame(1);
    EXPECT_EQ(enemy->WantedFacing, 180);  // towards row + 1, the first tank
    // Both tanks keep their footprints on the map after the searches.
    EXPECT_EQ(Map().Cell(2, 16), 1);
    EXPECT_EQ(Map().Cell(3, 3), 1);
    // With the first tank gone the second is hunted, the long way round.
    first->Remove();
    scene->Update(0);
    EXPECT_EQ(HuntedPlayer(world, TGridPoint{enemy->CellX, enemy->CellY}), second);
    world.State.TwoPlayers = false;
    EXPECT_EQ(HuntedPlayer(world, TGridPoint{enemy->CellX, enemy->CellY}), nullptr);
}

TEST_F(TeamTest, SecondStartIsAFreeFootprintBesideTheFirst) {
    std::vector<std::string> rows(10, std::string(10, '0'));
    rows[0][2] = '1';  // the footprint to the right of (0, 0) is walled
    LoadText(OpenLevel(10, 10, rows));
    EXPECT_EQ(PlayerStart(Map(), 1), (TGridPoint{0, 0}));  // none chosen yet
    ChooseSecondStart(Map());
    EXPECT_EQ(PlayerStart(Map(), 0), (TGridPoint{0, 0}));
    EXPECT_EQ(PlayerStart(Map(), 1), (TGridPoint{0, 2}));
    Map().SecondStart = TGridPoint{6, 6};  // as a level naming its own
    ChooseSecondStart(Map());
    EXPECT_EQ(PlayerStart(Map(), 1), (TGridPoint{6, 6}));
    SpawnPlayer(world, 1);
    Frames(60, 20);
    TPlayer* second = FindPlayerTank(world, 1);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->CellX, 6);
    EXPECT_EQ(second->Index, 1);
    EXPECT_EQ(FindPlayerTank(world, 0), nullptr);
}

TEST_F(TeamTest, ALevelsOwnSecondStartIsKept) {
    LoadText(OpenLevel(10, 10) + "Second 1\nSecond X 6\nSecond Y 4\n");
    ChooseSecondStart(Map());
    EXPECT_EQ(PlayerStart(Map(), 0), (TGridPoint{0, 0}));
    EXPECT_EQ(PlayerStart(Map(), 1), (TGridPoint{6, 4}));
}

TEST_F(TeamTest, TanksAreHeldWhereTheSharedViewEnds) {
    LoadText(OpenLevel(20, 120));
    TPlayer* first = AddPlayer(0, 4, 110);
    TPlayer* second = AddPlayer(1, 10, 110);
    keys.SetKey(platform::DIK_UP, true);
    for (int i = 0; i < 600; ++i)
        Frame(50);
    const float aspect = 800.0f / 600.0f;
    const TVector3 a = first->GetPosition();
    EXPECT_GT(second->CellY, 10);  // held long before the grid's end
    EXPECT_EQ(second->MoveState, TTankMotion::Idle);
    EXPECT_TRUE(TeamFitsInView(a, FootprintCentre(world, second->CellX, second->CellY), aspect));
    EXPECT_FALSE(TeamFitsInView(a, FootprintCentre(world, second->CellX, second->CellY - 1), aspect));
    // The first tank can still come closer, and then the second drives on.
    keys.SetKey(platform::DIK_W, true);
    const int32_t held = second->CellY;
    Frames(20, 50);
    EXPECT_LT(first->CellY, 110);
    EXPECT_LT(second->CellY, held);
}

TEST_F(TeamTest, OnePlayerDigestLeavesOutTheSecondPlayersValues) {
    LoadText(OpenLevel(10, 10));
    world.State.TwoPlayers = false;
    const uint64_t before = DigestWorld(world).Hash;
    world.State.Player2.Lives = 7;
    world.State.PlayerOut[1] = true;
    EXPECT_EQ(DigestWorld(world).Hash, before);
    world.State.TwoPlayers = true;
    const uint64_t two = DigestWorld(world).Hash;
    world.State.Player2.Lives = 6;
    EXPECT_NE(DigestWorld(world).Hash, two);
}

}  // namespace

TEST(TeamCamera, KeepsBothTanksInSightAndNoSmallerThanHalfTheirSinglePlayerSize) {
    const float aspect = 4.0f / 3.0f;
    const TVector3 tank = Vector3(3.0f, 0.0f, -2.0f);
    // One place: exactly the single-player camera.
    TTeamView alone = FrameTeam(tank, tank, aspect);
    EXPECT_TRUE(alone.BothInView);
    EXPECT_FLOAT_EQ(alone.Scale, 1.0f);
    EXPECT_FLOAT_EQ(alone.Position.Y, kCameraHeight);
    EXPECT_FLOAT_EQ(alone.Position.Z, tank.Z - kCameraBehind);
    // The single-player size of a tank on the screen, as the projection draws it: a footprint's width.
    const auto shownWidth = [&](const TVector3& camera, const TVector3& at) {
        TCamera view("test", 1);
        view.SetPosition(camera.X, camera.Y, camera.Z);
        view.SetRotation(kCameraPitch, 0.0f, 0.0f);
        view.SetProjection(kCameraFovY, aspect, kCameraNear, kCameraFar);
        const TMatrix m = MatrixMultiply(view.GetView(), view.GetProjection());
        const TVector4 l = Vector4Transform(Vector4(at.X - 1.0f, 0.0f, at.Z, 1.0f), m);
        const TVector4 r = Vector4Transform(Vector4(at.X + 1.0f, 0.0f, at.Z, 1.0f), m);
        return r.X / r.W - l.X / l.W;
    };
    const float single = shownWidth(alone.Position, tank);
    // Parting sideways and along the view, the camera rises and never past twice the distance.
    for (const TVector3 way :
         {Vector3(1.0f, 0.0f, 0.0f), Vector3(0.0f, 0.0f, 1.0f), Vector3(0.0f, 0.0f, -1.0f)}) {
        float last = 1.0f;
        bool lost = false;
        for (float apart = 0.0f; apart < 200.0f; apart += 2.0f) {
            const TVector3 other = Vector3(tank.X + way.X * apart, 0.0f, tank.Z + way.Z * apart);
            TTeamView view = FrameTeam(tank, other, aspect);
            EXPECT_LE(view.Scale, kTeamCameraMostScale);
            if (!view.BothInView) {
                lost = true;
                continue;
            }
            EXPECT_FALSE(lost) << "in view again at " << apart;
            EXPECT_GE(view.Scale, last);
            last = view.Scale;
            EXPECT_GE(shownWidth(view.Position, tank), single / 2.0f * 0.999f);
            EXPECT_GE(shownWidth(view.Position, other), single / 2.0f * 0.999f);
        }
        EXPECT_TRUE(lost) << "no end to the view";
        EXPECT_GT(last, 1.2f);
    }
}
