// The world: everything that plays, in one object. The game-wide values (TGameState), the services the
// objects reach (TWorldContext: the scene root under which every object of the level lives, the caches,
// the sound, the input) and the random generator. The main window is given one and passes it to the
// game flow; a digest of the world is a walk over it (world/WorldDigest.h), and two worlds can run side
// by side in one process.
//
// Every object of the level holds the world it was made in (a constructor parameter, passed on by the
// level loader and the spawners) and reaches state, services and the random generator through it; the
// effects it leaves draw from the world's generator too. A world must outlive the objects made in it
// (their destroys give their cells back to its map): whoever owns one declares it before the scene.
// Nothing reaches a world except through a reference it was given.
#pragma once

#include "util/Random.h"
#include "world/GameState.h"
#include "world/WorldContext.h"

struct TWorld {
    TGameState State;
    TWorldContext Context;
    TRandomGenerator Random;
};
