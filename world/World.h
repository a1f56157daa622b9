// The world: everything that plays, in one object. The game-wide values (TGameState), the services the
// objects reach (TWorldContext: the scene root under which every object of the level lives, the caches,
// the sound, the input) and the random generator. The main window owns one and passes it to the game
// flow; a digest of the world is a walk over it (world/WorldDigest.h), and two worlds can run side by
// side in one process.
//
// Every object of the level holds the world it was made in (a constructor parameter, passed on by the
// level loader and the spawners) and reaches state, services and the random generator through it;
// the effects it leaves draw from the world's generator too.
//
// GameState() and World() reach the active world, which TWorldScope binds (the main window does at
// each of its entry points); unbound, a default world of the process.
#pragma once

#include "util/Random.h"
#include "world/GameState.h"
#include "world/WorldContext.h"

struct TWorld {
    TGameState State;
    TWorldContext Context;
    TRandomGenerator Random;
};

// The bound world, or the process's default one.
TWorld& ActiveWorld();

// The active world's state and context; Reset* give them back their first values.
TGameState& GameState();
void ResetGameState();
TWorldContext& World();
void ResetWorld();

// Binds `world` until the scope ends, then the one bound before.
class TWorldScope {
public:
    explicit TWorldScope(TWorld& world);
    ~TWorldScope();
    TWorldScope(const TWorldScope&) = delete;
    TWorldScope& operator=(const TWorldScope&) = delete;

private:
    TWorld* previous_;
};
