// The flow of a game for two players on one screen, beside TGameFlow: the second player's lives and
// respawns, the end of the game when both players are out, the second player's aiming cursor and the
// camera both players share (world/TeamCamera.h). TGameFlow hands over to it while TGameState::
// TwoPlayers is set; with one player it is never called.
#pragma once

#include <cstdint>

#include "shell/GameServices.h"
#include "world/World.h"

class TTeamPlay {
public:
    // Both must outlive the team play.
    TTeamPlay(TWorld& world, TGameServices& services) : World_(world), Services_(services) {}

    // A new game for two: the second player's three lives and weapon grade 0, both players in.
    void NewGame();
    // After the level is built: each player still in the game spawns, the level's first spawn free.
    void LevelStarted();
    // The respawns of this frame: a player whose tank fell spawns again at their own start while they
    // have lives, else is out. True when both are out: the game is over.
    bool Respawn();
    // The second player's cursor moves with their gamepad's right stick (`dt` ms, a `clientWidth` x
    // `clientHeight` back buffer), each tank aims at the ground under its own cursor (the first at
    // (cursorX, cursorY)), and the shared camera frames the living tanks.
    void AimAndFollow(int32_t dt, int32_t cursorX, int32_t cursorY, int32_t clientWidth,
                      int32_t clientHeight);

    // The second player's aiming cursor, back-buffer pixels.
    int32_t SecondCursorX() const { return SecondCursorX_; }
    int32_t SecondCursorY() const { return SecondCursorY_; }

private:
    void AimAtCursor(uint8_t player, int32_t x, int32_t y, int32_t clientWidth, int32_t clientHeight);

    TWorld& World_;
    TGameServices& Services_;
    int32_t SecondCursorX_ = 0;
    int32_t SecondCursorY_ = 0;
    float CursorRestX_ = 0.0f;  // the cursor's motion under a whole pixel, kept for the next frame
    float CursorRestY_ = 0.0f;
    bool CursorPlaced_ = false;
};
