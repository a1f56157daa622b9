// Small value types for the content generator: 3D vectors and a deterministic random generator.
// Coordinates are the game's: left-handed, +x right, +y up, +z forward, one grid cell is one unit.
#pragma once

#include <cmath>
#include <cstdint>

namespace contentgen {

struct Vec3 {
    float x = 0, y = 0, z = 0;
};

inline Vec3 operator+(Vec3 a, Vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator*(Vec3 a, float s) {
    return {a.x * s, a.y * s, a.z * s};
}
inline float Dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 Cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float Length(Vec3 a) {
    return std::sqrt(Dot(a, a));
}
inline Vec3 Normalize(Vec3 a) {
    float l = Length(a);
    return l > 1e-12f ? a * (1.0f / l) : Vec3{0, 1, 0};
}

constexpr float kPi = 3.14159265358979f;

// The content's own generator (not the game's): fixed seeds give the same content on every run.
class Rng {
public:
    explicit Rng(uint32_t seed) : state_(seed * 2654435761u + 12345u) {}
    uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    // A float in [0, 1).
    float Unit() { return static_cast<float>(Next() >> 8) / 16777216.0f; }
    // A float in [lo, hi).
    float Range(float lo, float hi) { return lo + (hi - lo) * Unit(); }

private:
    uint32_t state_;
};

}  // namespace contentgen
