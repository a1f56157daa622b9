#include "shell/TeamPlay.h"

#include <algorithm>
#include <cmath>

#include "input/Gamepad.h"
#include "util/GE_MATH.h"
#include "world/Player.h"
#include "world/Respaun.h"
#include "world/Team.h"
#include "world/TeamCamera.h"

namespace {

constexpr int32_t kNewGameLives = 3;

}  // namespace

void TTeamPlay::NewGame() {
    TGameState& state = World_.State;
    state.Player2 = TPlayerState{};
    state.Player2.Lives = kNewGameLives;
    state.PlayerOut[0] = state.PlayerOut[1] = false;
    CursorPlaced_ = false;
}

void TTeamPlay::LevelStarted() {
    TGameState& state = World_.State;
    if (state.Map) {
        ChooseSecondStart(*state.Map);
    }
    for (uint8_t player = 0; player < kPlayerCount; ++player) {
        TPlayerSlot slot = PlayerSlot(state, player);
        slot.RespawnPending = !state.PlayerOut[player];
        slot.FirstSpawn = !state.PlayerOut[player];
        slot.ArmourActive = false;
    }
}

bool TTeamPlay::Respawn() {
    TGameState& state = World_.State;
    for (uint8_t player = 0; player < kPlayerCount; ++player) {
        TPlayerSlot slot = PlayerSlot(state, player);
        if (!slot.RespawnPending) {
            continue;
        }
        slot.RespawnPending = false;
        if (slot.FirstSpawn) {
            slot.FirstSpawn = false;
            SpawnPlayer(World_, player);
        } else if (slot.Lives > 0) {
            slot.Lives -= 1;
            SpawnPlayer(World_, player);
        } else {
            state.PlayerOut[player] = true;
        }
    }
    return state.PlayerOut[0] && state.PlayerOut[1];
}

void TTeamPlay::AimAtCursor(uint8_t player, int32_t x, int32_t y, int32_t clientWidth, int32_t clientHeight) {
    TPlayer* tank = FindPlayerTank(World_, player);
    if (tank == nullptr) {
        return;
    }
    TCamera& camera = *Services_.SceneManager->GetCamera();
    const TVector3 direction =
        PickRayDirection(x, y, clientWidth, clientHeight, camera.GetProjection(), camera.GetView());
    TVector3 hit{0.0f, 0.0f, 0.0f};
    if (RayPlaneIntersect(camera.GetPosition(), direction, Plane(0.0f, 1.0f, 0.0f, 0.0f), hit)) {
        tank->AimAt(hit.X, hit.Z);
    }
}

void TTeamPlay::AimAndFollow(int32_t dt, int32_t cursorX, int32_t cursorY, int32_t clientWidth,
                             int32_t clientHeight) {
    if (!Services_.SceneManager || !Services_.Input) {
        return;
    }
    if (!CursorPlaced_) {
        SecondCursorX_ = clientWidth * 3 / 4;
        SecondCursorY_ = clientHeight / 2;
        CursorRestX_ = CursorRestY_ = 0.0f;
        CursorPlaced_ = true;
    }
    const platform::GamepadSnapshot& pad = Services_.Input->SecondPlayerPad();
    float dx = 0.0f;
    float dy = 0.0f;
    GamepadCursorMotion(pad, false, dt, clientWidth, dx, dy);
    dx += CursorRestX_;
    dy += CursorRestY_;
    const float wholeX = std::trunc(dx);
    const float wholeY = std::trunc(dy);
    CursorRestX_ = dx - wholeX;
    CursorRestY_ = dy - wholeY;
    SecondCursorX_ = std::clamp(SecondCursorX_ + static_cast<int32_t>(wholeX), 0, clientWidth - 1);
    SecondCursorY_ = std::clamp(SecondCursorY_ + static_cast<int32_t>(wholeY), 0, clientHeight - 1);

    // Both aim through the camera the last frame was drawn with, as the single-player tank does.
    AimAtCursor(0, cursorX, cursorY, clientWidth, clientHeight);
    if (pad.Connected) {
        AimAtCursor(1, SecondCursorX_, SecondCursorY_, clientWidth, clientHeight);
    }

    TPlayer* first = FindPlayerTank(World_, 0);
    TPlayer* second = FindPlayerTank(World_, 1);
    if (first == nullptr && second == nullptr) {
        return;
    }
    const TVector3 a = (first != nullptr ? first : second)->GetPosition();
    const TVector3 b = (second != nullptr ? second : first)->GetPosition();
    const float aspect = static_cast<float>(clientWidth) / static_cast<float>(std::max(clientHeight, 1));
    const TVector3 position = FrameTeam(a, b, aspect).Position;
    Services_.SceneManager->GetCamera()->SetPosition(position.X, position.Y, position.Z);
}
