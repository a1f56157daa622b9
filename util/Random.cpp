#include "util/Random.h"

namespace {

uint32_t Advance(TRandomGenerator& s) {
    s.Seed = s.Seed * 134775813u + 1u;  // unsigned arithmetic wraps modulo 2^32
    return s.Seed;
}

}  // namespace

int32_t Random(TRandomGenerator& generator, int32_t n) {
    const uint32_t seed = Advance(generator);
    if (n <= 0) {
        return 0;
    }
    return static_cast<int32_t>((static_cast<uint64_t>(seed) * static_cast<uint64_t>(n)) >> 32);
}

float RandomFloat(TRandomGenerator& generator) {
    const uint32_t seed = Advance(generator);
    // seed * 2^-32 in double is exact; the float rounding may reach 1.0 for seeds near 2^32, so clamp
    // to the largest float below one.
    const float value = static_cast<float>(static_cast<double>(seed) / 4294967296.0);
    return value < 1.0f ? value : 0.99999994f;
}

void Randomize(TRandomGenerator& generator) {
    if (generator.Ticks) {
        generator.Seed = generator.Ticks();
    }
}
