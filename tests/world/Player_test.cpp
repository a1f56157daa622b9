#include "world/Player.h"

#include "WorldTestSupport.h"
#include "effects/GE_PARTICLESYSTEM.h"
#include "platform/DirectInputKeys.h"
#include "scene/GE_GAMEOBJECT.h"
#include "world/Bullet.h"
#include "world/Wall.h"

namespace {

class PlayerTest : public WorldTest {
protected:
    TPlayer* AddPlayer(int x, int y) {
        return Level()->AddChild(std::make_unique<TPlayer>(world, "Player", x, y, FindMesh(world, "Tower1"),
                                                           FindMesh(world, "Player")));
    }
    bool FootprintTaken(int x, int y) {
        return Map().Cell(x, y) && Map().Cell(x + 1, y) && Map().Cell(x, y + 1) && Map().Cell(x + 1, y + 1);
    }
};

TEST_F(PlayerTest, StepTakes200msAndCarriesALateFrameIntoTheNextStep) {
    LoadText(OpenLevel(10, 10));
    TPlayer* player = AddPlayer(4, 4);
    keys.SetKey(platform::DIK_W, true);
    Frame(10);  // starts the step towards row 3
    EXPECT_EQ(player->MoveState, TPlayer::Stepping);
    EXPECT_EQ(player->CellY, 3);
    EXPECT_EQ(player->PrevCellY, 4);
    EXPECT_EQ(player->MoveTimer, 200);
    Frame(216);  // ends the step 16 ms late; the next one begins with what is left
    EXPECT_EQ(player->MoveState, TPlayer::Stepping);
    EXPECT_EQ(player->CellY, 2);
    EXPECT_EQ(player->PrevCellY, 3);
    EXPECT_EQ(player->MoveTimer, 184);
    EXPECT_TRUE(FootprintTaken(4, 2));
    EXPECT_TRUE(FootprintTaken(4, 3));
}

TEST_F(PlayerTest, ReleasingTheKeySnapsToTheFootprintCentre) {
    LoadText(OpenLevel(10, 10));
    TPlayer* player = AddPlayer(4, 4);
    keys.SetKey(platform::DIK_W, true);
    Frame(10);
    Frames(3, 50);
    keys.SetKey(platform::DIK_W, false);
    Frames(3, 50);
    TVector3 centre = Map().FootprintCentre(4, 3);
    EXPECT_EQ(player->MoveState, TPlayer::Idle);
    EXPECT_FLOAT_EQ(player->GetPosition().X, centre.X);
    EXPECT_FLOAT_EQ(player->GetPosition().Z, centre.Z);
    EXPECT_TRUE(FootprintTaken(4, 3));
    EXPECT_EQ(Map().Cell(4, 5), 0);  // the row it left is free again
}

TEST_F(PlayerTest, TwoKeysHeldDoNothingUntilOneIsReleased) {
    LoadText(OpenLevel(10, 10));
    TPlayer* player = AddPlayer(4, 4);
    keys.SetKey(platform::DIK_W, true);
    keys.SetKey(platform::DIK_D, true);
    Frames(10, 20);
    EXPECT_EQ(player->MoveState, TPlayer::Idle);
    EXPECT_EQ(player->CellX, 4);
    EXPECT_EQ(player->CellY, 4);
    keys.SetKey(platform::DIK_D, false);
    Frame(20);
    EXPECT_EQ(player->MoveState, TPlayer::Stepping);
}

TEST_F(PlayerTest, TurnsTheShortWayBetween270And0) {
    LoadText(OpenLevel(10, 10));
    TPlayer* player = AddPlayer(4, 4);
    auto* body = player->FindObject("Body");
    keys.SetKey(platform::DIK_A, true);
    Frame(100);  // from 0 to 270 counts 0 as 360: halfway is 315
    EXPECT_EQ(player->MoveState, TPlayer::Turning);
    EXPECT_NEAR(body->GetRotation().Y, -45.0f, 1e-3);
    Frame(101);
    EXPECT_EQ(player->Facing, 270);
    EXPECT_FLOAT_EQ(body->GetRotation().Y, 270.0f);
    keys.SetKey(platform::DIK_A, false);
    keys.SetKey(platform::DIK_W, true);  // back to 0 through 315
    Frame(100);
    EXPECT_NEAR(body->GetRotation().Y, 315.0f, 1e-3);
}

TEST_F(PlayerTest, BlockedStepKeepsItsFootprintMarked) {
    LoadText(OpenLevel(10, 10, {"0000000000", "0000000000", "0000000000", "0000100000"}));
    TPlayer* player = AddPlayer(4, 4);
    keys.SetKey(platform::DIK_W, true);
    Frames(5, 30);
    EXPECT_EQ(player->MoveState, TPlayer::Idle);
    EXPECT_EQ(player->CellY, 4);
    EXPECT_TRUE(FootprintTaken(4, 4));
    TVector3 centre = Map().FootprintCentre(4, 4);
    EXPECT_FLOAT_EQ(player->GetPosition().Z, centre.Z);
}

TEST_F(PlayerTest, StepsWhereAWallFellEarlierInTheSameFrame) {
    // The wall at cell (4, 3) is updated before the tank (the loader's walls come first under "Level"):
    // when it falls, its cell is free for the tank's step in the same frame.
    LoadText(OpenLevel(10, 10, {"", "", "", "0000100000"}));
    TPlayer* player = AddPlayer(4, 4);
    auto* wall = dynamic_cast<TWall*>(scene->GetRoot()->FindObject("Wall 4 3"));
    ASSERT_NE(wall, nullptr);
    keys.SetKey(platform::DIK_W, true);
    Frame(10);
    ASSERT_EQ(player->MoveState, TPlayer::Idle);  // blocked while the wall stands
    wall->Health = 0.0f;
    Frame(10);
    EXPECT_EQ(player->MoveState, TPlayer::Stepping);
    EXPECT_EQ(player->CellY, 3);
    EXPECT_EQ(Map().Cell(4, 3), 1);  // now the tank's
}

TEST_F(PlayerTest, FiresOneShellAheadOfTheTurretThenReloads) {
    LoadText(OpenLevel(10, 10));
    TPlayer* player = AddPlayer(4, 4);
    Frame(1);
    player->AimAt(100.0f, player->GetPosition().Z);  // along +x
    keys.SetButton(0, true);
    Frame(1);
    auto shells = All<TBullet>();
    ASSERT_EQ(shells.size(), 1u);
    EXPECT_NEAR(shells[0]->GetPosition().X, player->GetPosition().X + 1.0f, 1e-4);
    EXPECT_FLOAT_EQ(shells[0]->GetPosition().Y, 0.5f);
    EXPECT_EQ(shells[0]->Owner, TBullet::FromPlayer);
    EXPECT_EQ(CountSound("laser"), 1);
    EXPECT_EQ(player->ReloadTimer, 500);
    Frame(100);
    EXPECT_EQ(CountSound("laser"), 1);
}

TEST_F(PlayerTest, TwinGunFiresTwoShellsAndRocketsSoundDifferent) {
    LoadText(OpenLevel(10, 10));
    world.State.UpgradeLevel = 2;
    TPlayer* player = AddPlayer(4, 4);
    keys.SetButton(0, true);
    Frame(1);
    EXPECT_EQ(All<TBullet>().size(), 2u);
    player->Upgrade();
    EXPECT_EQ(world.State.UpgradeLevel, 3);
    EXPECT_TRUE(player->Weapon.IsRocket);
    EXPECT_EQ(player->FindObject("Tower") ? static_cast<TGameObject*>(player->FindObject("Tower"))->GetMesh()
                                          : nullptr,
              FindMesh(world, "Tower4"));
    Frame(600);
    EXPECT_EQ(CountSound("shoot"), 1);
}

TEST_F(PlayerTest, ShieldCountsDownOnTheArmourLabelAndGoes) {
    LoadText(OpenLevel(10, 10));
    TPlayer* player = AddPlayer(4, 4);
    EXPECT_TRUE(world.State.ArmourActive);
    Frame(500);  // 3000 ms shown as 3 before the decrement
    EXPECT_EQ(labels["Armour"], "3");
    Frame(1000);  // 2500 ms: halves go to the even neighbour
    EXPECT_EQ(labels["Armour"], "2");
    Frames(2, 1000);
    EXPECT_EQ(labels["Armour"], "");
    EXPECT_FALSE(world.State.ArmourActive);
    EXPECT_FALSE(player->Armoured);
    Frame(10);  // the shield mesh removes itself in its next update
    EXPECT_EQ(player->FindObject("Armour"), nullptr);
}

TEST_F(PlayerTest, DestructionAtZeroHealthExplodesAndAsksForARespawn) {
    LoadText(OpenLevel(10, 10));
    world.State.UpgradeLevel = 2;
    TPlayer* player = AddPlayer(4, 4);
    Frame(1);
    player->Health = 0.0f;
    Frame(1);
    EXPECT_EQ(scene->GetRoot()->FindObject("Player"), nullptr);
    EXPECT_TRUE(world.State.PlayerRespawnPending);
    EXPECT_EQ(world.State.UpgradeLevel, 0);
    EXPECT_EQ(CountSound("bang"), 1);
    EXPECT_EQ(All<TBang>().size(), 1u);
    EXPECT_EQ(Map().Cell(4, 4), 0);
}

TEST_F(PlayerTest, SmokesWhenDamagedAndStopsWhenRepaired) {
    LoadText(OpenLevel(10, 10));
    TPlayer* player = AddPlayer(4, 4);
    player->Health = 5.0f;
    Frame(1);
    EXPECT_TRUE(player->Smoking);
    Frame(1);
    auto* smoke = dynamic_cast<TSmoke*>(player->FindObject("paticlesystem"));
    ASSERT_NE(smoke, nullptr);
    EXPECT_FLOAT_EQ(smoke->SmokeColor.R, 128.0f);  // 0.5 * 255 = 127.5, to the even 128
    player->Health = 10.0f;
    Frame(1);
    EXPECT_FALSE(player->Smoking);
    EXPECT_EQ(player->FindObject("paticlesystem"), nullptr);
}

}  // namespace
