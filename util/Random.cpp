#include "util/Random.h"

#include <utility>

namespace {

uint32_t Advance(TRandomGenerator& s) {
    s.Seed = s.Seed * 134775813u + 1u;  // unsigned arithmetic wraps modulo 2^32
    return s.Seed;
}

}  // namespace

TRandomGenerator& ProcessRandom() {
    static TRandomGenerator generator;
    return generator;
}

uint32_t RandomSeed() {
    return ProcessRandom().Seed;
}

void SetRandomSeed(uint32_t seed) {
    ProcessRandom().Seed = seed;
}

int32_t Random(TRandomGenerator& generator, int32_t n) {
    const uint32_t seed = Advance(generator);
    if (n <= 0) {
        return 0;
    }
    return static_cast<int32_t>((static_cast<uint64_t>(seed) * static_cast<uint64_t>(n)) >> 32);
}

int32_t Random(int32_t n) {
    return Random(ProcessRandom(), n);
}

float RandomFloat(TRandomGenerator& generator) {
    const uint32_t seed = Advance(generator);
    // seed * 2^-32 in double is exact; the float rounding may reach 1.0 for seeds near 2^32, so clamp
    // to the largest float below one.
    const float value = static_cast<float>(static_cast<double>(seed) / 4294967296.0);
    return value < 1.0f ? value : 0.99999994f;
}

float RandomFloat() {
    return RandomFloat(ProcessRandom());
}

void SetRandomizeSource(RandomTickSource ticks) {
    ProcessRandom().Ticks = std::move(ticks);
}

void Randomize(TRandomGenerator& generator) {
    if (generator.Ticks) {
        generator.Seed = generator.Ticks();
    }
}

void Randomize() {
    Randomize(ProcessRandom());
}
