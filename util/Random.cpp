#include "util/Random.h"

#include <utility>

namespace {

TRandomGenerator processGenerator;
TRandomGenerator* active = nullptr;

TRandomGenerator& State() {
    return active != nullptr ? *active : processGenerator;
}

uint32_t Advance() {
    TRandomGenerator& s = State();
    s.Seed = s.Seed * 134775813u + 1u;  // unsigned arithmetic wraps modulo 2^32
    return s.Seed;
}

}  // namespace

TRandomGenerator* SetActiveRandom(TRandomGenerator* generator) {
    TRandomGenerator* previous = active;
    active = generator;
    return previous;
}

uint32_t RandomSeed() {
    return State().Seed;
}

void SetRandomSeed(uint32_t seed) {
    State().Seed = seed;
}

int32_t Random(int32_t n) {
    const uint32_t seed = Advance();
    if (n <= 0) {
        return 0;
    }
    return static_cast<int32_t>((static_cast<uint64_t>(seed) * static_cast<uint64_t>(n)) >> 32);
}

float RandomFloat() {
    const uint32_t seed = Advance();
    // seed * 2^-32 in double is exact; the float rounding may reach 1.0 for seeds near 2^32, so clamp
    // to the largest float below one.
    const float value = static_cast<float>(static_cast<double>(seed) / 4294967296.0);
    return value < 1.0f ? value : 0.99999994f;
}

void SetRandomizeSource(RandomTickSource ticks) {
    State().Ticks = std::move(ticks);
}

void Randomize() {
    TRandomGenerator& s = State();
    if (s.Ticks) {
        s.Seed = s.Ticks();
    }
}
