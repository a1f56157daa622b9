// A game for two on the game flow: the menu's "Two players", each player's lives and respawns, the end
// of the game only when both are out, the team's score, and the camera that frames both tanks.
#include "shell/TeamPlay.h"

#include "ShellTestSupport.h"
#include "platform/DirectInputKeys.h"
#include "world/Player.h"
#include "world/Respaun.h"
#include "world/Team.h"
#include "world/TeamCamera.h"

namespace {

using TeamPlay = ShellTest;

TEST_F(TeamPlay, TwoPlayersStartsAGameWithATankForEachAtTheirOwnStarts) {
    Click("Two players");
    TGameState& state = World.State;
    EXPECT_EQ(ActiveForm(), "Game");
    EXPECT_TRUE(state.TwoPlayers);
    EXPECT_EQ(state.Lives, 3);
    EXPECT_EQ(state.Player2.Lives, 3);
    EXPECT_EQ(CountInLevel<TRespaun>(), 2);
    Frames(70, 20);
    TPlayer* first = FindPlayerTank(World, 0);
    TPlayer* second = FindPlayerTank(World, 1);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    const TMap& map = *CurrentMap(World);
    EXPECT_EQ(first->CellX, map.PlayerStartX);
    EXPECT_EQ((TGridPoint{second->CellX, second->CellY}), PlayerStart(map, 1));
    EXPECT_NE((TGridPoint{second->CellX, second->CellY}), (TGridPoint{first->CellX, first->CellY}));
    // The shared camera frames both from above the point between them.
    const TVector3 camera = Services.SceneManager->GetCamera()->GetPosition();
    EXPECT_FLOAT_EQ(camera.X, (first->GetPosition().X + second->GetPosition().X) / 2.0f);
    EXPECT_TRUE(TankInView(camera, first->GetPosition(), 800.0f / 600.0f));
    EXPECT_TRUE(TankInView(camera, second->GetPosition(), 800.0f / 600.0f));
    // A one-player game afterwards is one again.
    Flow->StopLevel();
    Services.GUI->SetActiveForm("MainMenu");
    Click("Play");
    EXPECT_FALSE(state.TwoPlayers);
}

TEST_F(TeamPlay, TheSecondPlayerDrivesWithTheKeyBoundToIt) {
    Services.Input->SecondBindings.Codes[SecondDriveUp] = platform::DIK_I;
    Click("Two players");
    Frames(70, 20);
    TPlayer* second = FindPlayerTank(World, 1);
    ASSERT_NE(second, nullptr);
    const TVector3 start = second->GetPosition();
    Keys.SetKey(platform::DIK_UP, true);  // the arrow it had before drives it no more
    Frames(30, 20);
    Keys.SetKey(platform::DIK_UP, false);
    EXPECT_EQ(second->GetPosition().X, start.X);
    EXPECT_EQ(second->GetPosition().Z, start.Z);
    Keys.SetKey(platform::DIK_I, true);
    Frames(30, 20);
    Keys.SetKey(platform::DIK_I, false);
    EXPECT_TRUE(second->GetPosition().X != start.X || second->GetPosition().Z != start.Z);
}

TEST_F(TeamPlay, EachRespawnCostsThatPlayersLifeAndTheGameEndsOnlyWhenBothAreOut) {
    Click("Two players");
    TGameState& state = World.State;
    state.Score = 900;  // the team's
    for (int expected = 2; expected >= 0; --expected) {
        state.Player2.RespawnPending = true;
        Frame(10);
        EXPECT_EQ(state.Player2.Lives, expected);
        EXPECT_EQ(state.Lives, 3);
    }
    state.Player2.RespawnPending = true;
    Frame(10);
    EXPECT_TRUE(state.PlayerOut[1]);
    EXPECT_TRUE(state.InGame);  // the first player plays on
    const int respawns = CountInLevel<TRespaun>();
    state.Player2.RespawnPending = true;  // an out player never comes back
    Frame(10);
    EXPECT_EQ(CountInLevel<TRespaun>(), respawns);
    state.Lives = 0;
    state.PlayerRespawnPending = true;
    Frame(10);
    EXPECT_FALSE(state.InGame);
    EXPECT_EQ(ActiveForm(), "EnterName");
    EXPECT_EQ(Text("EnterName", "Record"), English("Your record") + " : 900");
}

TEST_F(TeamPlay, AnOutPlayerStaysOutOnTheNextLevelAndANewGameBringsThemBack) {
    Click("Two players");
    TGameState& state = World.State;
    state.Player2.Lives = 0;
    state.Player2.RespawnPending = true;
    Frame(10);
    ASSERT_TRUE(state.PlayerOut[1]);
    Flow->StopLevel();
    ASSERT_TRUE(Flow->StartLevel(true));
    Frame(10);
    EXPECT_EQ(CountInLevel<TRespaun>(), 1);
    Flow->StopLevel();
    Services.GUI->SetActiveForm("MainMenu");
    Click("Two players");
    EXPECT_FALSE(state.PlayerOut[1]);
    EXPECT_EQ(state.Player2.Lives, 3);
    EXPECT_EQ(CountInLevel<TRespaun>(), 2);
}

}  // namespace
