// The game's pseudo-random generator (the run time's generator in the original game): a linear
// congruential generator over a 32-bit seed,
//     seed := seed * 134775813 + 1  (mod 2^32),
// and every draw advances the seed once before it is used.
//
// Randomize reseeds from the generator's tick source (the main window gives its world's generator the
// game clock; util knows nothing of the platform layer). Each world holds a generator of its own
// (TRandomGenerator) and draws from it with the functions that take one; the ones without a generator
// use the process's own (tools, and effects made outside a world).
// Single-threaded like the rest of the game: no locking.
#pragma once

#include <cstdint>
#include <functional>

// Where Randomize takes its new seed from: milliseconds from the game's clock.
using RandomTickSource = std::function<uint32_t()>;

struct TRandomGenerator {
    uint32_t Seed = 0;
    RandomTickSource Ticks;
};

// The process's own generator.
TRandomGenerator& ProcessRandom();

// The process generator's seed.
uint32_t RandomSeed();
void SetRandomSeed(uint32_t seed);

// An integer in 0 .. n - 1: the high word of the 64-bit product seed * n, after advancing the seed.
// n <= 0 advances the seed and gives 0.
int32_t Random(TRandomGenerator& generator, int32_t n);
int32_t Random(int32_t n);

// A float in [0, 1): seed / 2^32, after advancing the seed.
float RandomFloat(TRandomGenerator& generator);
float RandomFloat();

// The process generator's tick source. Without a source (or with an empty function) Randomize leaves
// the seed as it is.
void SetRandomizeSource(RandomTickSource ticks);

// Reseeds the generator from the tick source.
void Randomize(TRandomGenerator& generator);
void Randomize();
