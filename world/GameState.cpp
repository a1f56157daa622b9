#include "world/GameState.h"

TGameState& GameState() {
    static TGameState state;
    return state;
}

void ResetGameState() {
    GameState() = TGameState();
}
