// The world: everything that plays, in one object. The game-wide values (TGameState), the services the
// objects reach (TWorldContext: the scene root under which every object of the level lives, the caches,
// the sound, the input) and the random generator. The main window owns one and passes it to the game
// flow; a digest of the world is a walk over it (world/WorldDigest.h), and two worlds can run side by
// side in one process.
//
// The objects of the level still reach their world through GameState(), World() and the random
// functions; those act on the active world, which whoever runs a world binds with TWorldScope for the
// time it runs it (the main window does at each of its entry points). Unbound, they reach a default
// world of the process (older tests use it).
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

// Binds `world` (its random generator too) until the scope ends, then the one bound before.
class TWorldScope {
public:
    explicit TWorldScope(TWorld& world);
    ~TWorldScope();
    TWorldScope(const TWorldScope&) = delete;
    TWorldScope& operator=(const TWorldScope&) = delete;

private:
    TWorld* previous_;
    TRandomGenerator* previousRandom_;
};
