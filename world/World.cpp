#include "world/World.h"

namespace {

TWorld defaultWorld;
TWorld* bound = nullptr;

}  // namespace

TWorld& ActiveWorld() {
    return bound != nullptr ? *bound : defaultWorld;
}

TWorldScope::TWorldScope(TWorld& world) : previous_(bound) {
    bound = &world;
}

TWorldScope::~TWorldScope() {
    bound = previous_;
}

TGameState& GameState() {
    return ActiveWorld().State;
}

void ResetGameState() {
    ActiveWorld().State = TGameState();
}

TWorldContext& World() {
    return ActiveWorld().Context;
}

void ResetWorld() {
    ActiveWorld().Context = TWorldContext{};
}
