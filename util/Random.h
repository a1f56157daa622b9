// The game's pseudo-random generator (the run time's generator in the original game): a linear
// congruential generator over a 32-bit seed,
//     seed := seed * 134775813 + 1  (mod 2^32),
// and every draw advances the seed once before it is used.
//
// Randomize reseeds from the generator's tick source (the main window gives its world's generator the
// game clock; util knows nothing of the platform layer). There is no process-wide generator: each
// world holds one of its own (TRandomGenerator), and so does every tool or effect that draws outside
// a world. A generator is used from one thread.
#pragma once

#include <cstdint>
#include <functional>

// Where Randomize takes its new seed from: milliseconds from the game's clock.
using RandomTickSource = std::function<uint32_t()>;

struct TRandomGenerator {
    uint32_t Seed = 0;
    RandomTickSource Ticks;
};

// An integer in 0 .. n - 1: the high word of the 64-bit product seed * n, after advancing the seed.
// n <= 0 advances the seed and gives 0.
int32_t Random(TRandomGenerator& generator, int32_t n);

// A float in [0, 1): seed / 2^32, after advancing the seed.
float RandomFloat(TRandomGenerator& generator);

// Reseeds the generator from its tick source; without one (or with an empty function) the seed stays.
void Randomize(TRandomGenerator& generator);
