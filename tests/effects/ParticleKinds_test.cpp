#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "effects/GE_PARTICLESYSTEM.h"
#include "platform/RecordingDevice.h"
#include "util/Random.h"

namespace {

// The game's generator written out again, so the tests know which draw feeds which field.
class Lcg {
public:
    explicit Lcg(uint32_t seed) : seed_(seed) {}
    double R(int32_t n) {
        seed_ = seed_ * 134775813u + 1u;
        return static_cast<double>((uint64_t(seed_) * uint64_t(n)) >> 32);
    }

private:
    uint32_t seed_;
};

struct Vec {
    double x, y, z;
};

Vec Normalized(Vec v, double scale) {
    const double length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return {v.x / length * scale, v.y / length * scale, v.z / length * scale};
}

constexpr uint32_t kSeed = 0x5EED1234u;

class ParticleKindsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(render.Initialize(nullptr, true, 800, 600, 0, error)) << error;
        device = system.LastDevice();
        level.UpdateMatrices();
    }

    // A system made as the game makes it, added under "Level" at a position, matrices refreshed as the
    // scene manager does before the update pass.
    template <class Kind>
    Kind* Add(float x = 0, float y = 0, float z = 0, int32_t capacity = 500) {
        auto system = std::make_unique<Kind>(render, platform::TextureHandle{}, nullptr, nullptr, capacity);
        system->SetPosition(x, y, z);
        system->RandomSource = &random;
        Kind* raw = level.AddChild(std::move(system));
        level.UpdateMatrices();
        return raw;
    }

    static void ExpectVector(const TVector3& actual, const Vec& expected, const char* what) {
        EXPECT_NEAR(actual.X, expected.x, 1e-6) << what;
        EXPECT_NEAR(actual.Y, expected.y, 1e-6) << what;
        EXPECT_NEAR(actual.Z, expected.z, 1e-6) << what;
    }

    platform::RecordingGraphicsSystem system;
    TRenderD3D9 render{system};
    platform::RecordingDevice* device = nullptr;
    TMoveableObject level{"Level"};
    TRandomGenerator random{kSeed, nullptr};  // the systems' generator, as a world gives them its own
};

}  // namespace

// ---- TSmoke ----

TEST_F(ParticleKindsTest, SmokeEmitsItsFirstParticleAfter300Ms) {
    TSmoke* smoke = Add<TSmoke>();
    smoke->Update(300);
    EXPECT_EQ(smoke->Count(), 0) << "the timer is at 0, not below";
    smoke->Update(1);
    EXPECT_EQ(smoke->Count(), 1);
    EXPECT_EQ(smoke->EmitTimer, 20);
}

TEST_F(ParticleKindsTest, SmokeLongFirstFrameEmitsAndResetsTheTimerTo20) {
    TSmoke* smoke = Add<TSmoke>(2, 0, 1);
    smoke->SmokeColor = {80, 90, 100, 255};
    smoke->Update(301);
    ASSERT_EQ(smoke->Count(), 1);
    EXPECT_EQ(smoke->EmitTimer, 20);

    Lcg r(kSeed);
    const double vx = (r.R(100) / 1000 - 0.05) * 0.01;
    const double vz = (r.R(100) / 1000 - 0.05) * 0.01;
    const double angleSpeed = r.R(10) / 100 - 0.05;
    const TParticle& p = smoke->GetParticles()[0];
    // Emitted at the node, then stepped by the same 301 ms.
    ExpectVector(p.Velocity, {vx, 0.003, vz}, "velocity");
    ExpectVector(p.Position, {2 + vx * 301, 0.003 * 301, 1 + vz * 301}, "position");
    EXPECT_NEAR(p.AngleSpeed, angleSpeed, 1e-7);
    EXPECT_NEAR(p.Angle, 301 * angleSpeed, 1e-5);
    EXPECT_NEAR(p.Size, 0.5 + 0.301, 1e-6);
    EXPECT_FLOAT_EQ(p.Color.R, 80);
    EXPECT_FLOAT_EQ(p.Color.G, 90);
    EXPECT_FLOAT_EQ(p.Color.B, 100);
    EXPECT_NEAR(p.Color.A, 255 - 0.06 * 301, 1e-4);
    EXPECT_EQ(p.Life, 199);
}

TEST_F(ParticleKindsTest, SmokeDrawsThreeRandomNumbersPerParticle) {
    TSmoke* smoke = Add<TSmoke>();
    smoke->Update(301);
    uint32_t seed = kSeed;
    for (int i = 0; i < 3; ++i) {
        seed = seed * 134775813u + 1u;
    }
    EXPECT_EQ(random.Seed, seed);
}

TEST_F(ParticleKindsTest, SmokeParticleLivesUntilItsLifeIsBelowZero) {
    TSmoke* smoke = Add<TSmoke>();
    // Every 100 ms update emits once the first 300 ms are over; a particle lives through life 0 and
    // leaves at -100, so five are alive at a time.
    for (int i = 0; i < 30; ++i) {
        smoke->Update(100);
    }
    EXPECT_EQ(smoke->Count(), 5);
    for (const TParticle& p : smoke->GetParticles()) {
        EXPECT_GE(p.Life, 0);
    }
}

TEST_F(ParticleKindsTest, SmokeAlphaStopsFallingAtZero) {
    TSmoke* smoke = Add<TSmoke>();
    smoke->SmokeColor = {255, 255, 255, 3};
    smoke->Update(301);
    ASSERT_EQ(smoke->Count(), 1);
    const float afterFirst = smoke->GetParticles()[0].Color.A;
    EXPECT_NEAR(afterFirst, 3 - 0.06 * 301, 1e-4);
    smoke->EmitTimer = 1000;  // no new particle
    smoke->Update(50);
    ASSERT_EQ(smoke->Count(), 1);
    EXPECT_FLOAT_EQ(smoke->GetParticles()[0].Color.A, afterFirst);
}

TEST_F(ParticleKindsTest, SmokeNeverRemovesItself) {
    TSmoke* smoke = Add<TSmoke>();
    for (int i = 0; i < 20; ++i) {
        smoke->Update(16);
    }
    smoke->EmitTimer = 1 << 30;
    for (int i = 0; i < 100; ++i) {
        smoke->Update(16);
    }
    EXPECT_EQ(smoke->Count(), 0);
    EXPECT_EQ(level.GetChildCount(), 1);
    EXPECT_EQ(level.GetChild(0), smoke);
}

// ---- TRoketSmoke ----

TEST_F(ParticleKindsTest, RocketSmokeLeavesFromBehindTheRocket) {
    TRoketSmoke* trail = Add<TRoketSmoke>(3, 0.5f, 4);
    trail->SetRotation(0, 90, 0);  // the rocket heads along +x
    level.UpdateMatrices();
    trail->Update(51);
    ASSERT_EQ(trail->Count(), 1);
    EXPECT_EQ(trail->EmitTimer, 10);

    Lcg r(kSeed);
    const double dx = (r.R(100) / 1000 - 0.05) * 0.003;
    const double dy = (r.R(100) / 1000 - 0.05) * 0.003;
    const Vec local = Normalized({dx, dy, -0.001}, 0.001);
    // Turning by 90 degrees about +y takes local (x, y, z) to world (z, y, -x).
    const Vec velocity{local.z, local.y, -local.x};
    const TParticle& p = trail->GetParticles()[0];
    ExpectVector(p.Velocity, velocity, "velocity");
    // Local (0, 0, -0.2) is 0.2 behind the rocket: world (3 - 0.2, 0.5, 4).
    ExpectVector(p.Position, {2.8 + velocity.x * 51, 0.5 + velocity.y * 51, 4 + velocity.z * 51}, "position");
    EXPECT_NEAR(p.Size, 0.2 + 0.005 * 51, 1e-6);
    EXPECT_EQ(p.Life, 49);
    EXPECT_NEAR(p.Color.A, 255 - 0.06 * 51, 1e-4);
}

TEST_F(ParticleKindsTest, RocketSmokeEmitsEveryUpdateOfMoreThan10Ms) {
    TRoketSmoke* trail = Add<TRoketSmoke>();
    trail->Update(51);
    for (int i = 0; i < 4; ++i) {
        trail->Update(11);
    }
    EXPECT_EQ(trail->Count(), 5);
    // Lives of 100: with 11 ms steps a particle is stepped to 89, 78, ... 1, and leaves on its tenth
    // step (-10), so nine are alive at a time.
    for (int i = 0; i < 20; ++i) {
        trail->Update(11);
    }
    EXPECT_EQ(trail->Count(), 9);
}

// ---- Burst kinds ----

TEST_F(ParticleKindsTest, SparksBurstIsOneHundredParticlesAtTheNode) {
    TSparks* sparks = Add<TSparks>(1, 0.5f, 2);
    sparks->Update(10);
    ASSERT_EQ(sparks->Count(), 100);
    EXPECT_FALSE(sparks->FirstUpdate);

    Lcg r(kSeed);
    for (int i = 0; i < 100; ++i) {
        const double x = (r.R(100) + 1) / 100 - 0.5;
        const double y = (r.R(100) + 1) / 100 - 0.5;
        const double z = (r.R(100) + 1) / 100 - 0.5;
        const Vec v = Normalized({x, y, z}, 0.01);
        const TParticle& p = sparks->GetParticles()[static_cast<size_t>(i)];
        ExpectVector(p.Velocity, v, "velocity");
        ExpectVector(p.Position, {1 + v.x * 10, 0.5 + v.y * 10, 2 + v.z * 10}, "position");
        EXPECT_FLOAT_EQ(p.Size, 0.3f);
        EXPECT_EQ(p.Life, 90);
        EXPECT_EQ(PackParticleColor(p.Color), 0xFF15E2EAu);
    }
}

TEST_F(ParticleKindsTest, BurstLeavesTheTreeOnTheUpdateAfterItsLastParticle) {
    TSparks* sparks = Add<TSparks>();
    const size_t buffers = device->LiveBuffers();
    sparks->Update(50);
    EXPECT_EQ(sparks->Count(), 100);
    sparks->Update(50);  // life 0: expired (burst kinds drop life <= 0)
    EXPECT_EQ(sparks->Count(), 0);
    ASSERT_EQ(level.GetChildCount(), 1) << "still in the tree, empty";
    device->ClearLog();
    sparks->Draw();
    EXPECT_EQ(device->DrawCallCount(), 0u);
    sparks->Update(16);  // finds it empty: removes and frees itself
    EXPECT_EQ(level.GetChildCount(), 0);
    EXPECT_EQ(device->LiveBuffers(), buffers - 2);
}

TEST_F(ParticleKindsTest, RombGlittersInAUnitBoxAboveTheBonus) {
    TRomb* romb = Add<TRomb>(4, 0, 6);
    romb->Update(100);
    ASSERT_EQ(romb->Count(), 30);
    Lcg r(kSeed);
    for (int i = 0; i < 30; ++i) {
        const double x = r.R(100) / 100 - 0.5;
        const double y = r.R(100) / 100;
        const double z = r.R(100) / 100 - 0.5;
        const double rise = (r.R(5) + 1) / 1000;
        const TParticle& p = romb->GetParticles()[static_cast<size_t>(i)];
        ExpectVector(p.Velocity, {0, rise, 0}, "velocity");
        ExpectVector(p.Position, {4 + x, y + rise * 100, 6 + z}, "position");
        EXPECT_FLOAT_EQ(p.AngleSpeed, 1.0f);
        EXPECT_FLOAT_EQ(p.Angle, 0.0f) << "the step ignores the angle speed";
        EXPECT_EQ(PackParticleColor(p.Color), 0xFFFFFF00u);
        EXPECT_EQ(p.Life, 300);
    }
    romb->Update(100);
    romb->Update(100);
    EXPECT_EQ(romb->Count(), 30);
    romb->Update(100);
    EXPECT_EQ(romb->Count(), 0);
    EXPECT_EQ(level.GetChildCount(), 1);
    romb->Update(100);
    EXPECT_EQ(level.GetChildCount(), 0);
}

TEST_F(ParticleKindsTest, WallDebrisIsThrownUpFallsAndFades) {
    TWallDestruct* debris = Add<TWallDestruct>();
    debris->Update(20);
    ASSERT_EQ(debris->Count(), 10);
    Lcg r(kSeed);
    for (int i = 0; i < 10; ++i) {
        const double x = ((r.R(100) + 1) / 100 - 0.5) * 0.5;
        const double z = ((r.R(100) + 1) / 100 - 0.5) * 0.5;
        const double angle = r.R(360);
        const Vec v = Normalized({x, 1.0, z}, 0.015);
        const TParticle& p = debris->GetParticles()[static_cast<size_t>(i)];
        // Moved with the velocity of before this step's fall.
        ExpectVector(p.Position, {v.x * 20, 1 + v.y * 20, v.z * 20}, "position");
        ExpectVector(p.Velocity, {v.x, v.y - 20 * 0.0001, v.z}, "velocity");
        EXPECT_NEAR(p.Angle, angle + 20 * 0.3, 1e-4);
        EXPECT_NEAR(p.Size, 0.5 - 20 * 0.0001, 1e-6);
        EXPECT_NEAR(p.Color.R, 255 - 20 * 0.18, 1e-4);
        EXPECT_NEAR(p.Color.A, 255 - 20 * 0.18, 1e-4);
        EXPECT_EQ(p.Life, 380);
    }
}

TEST_F(ParticleKindsTest, BangOfATankHasFireAndFallingSparks) {
    TBang* bang = Add<TBang>();
    bang->Variant = 0;
    bang->Update(10);
    ASSERT_EQ(bang->Count(), 70);
    Lcg r(kSeed);
    for (int i = 0; i < 50; ++i) {
        const double x = (r.R(100) + 1) / 100 - 0.5;
        const double y = (r.R(100) + 1) / 100;
        const double z = (r.R(100) + 1) / 100 - 0.5;
        const Vec v = Normalized({x, y, z}, r.R(10) / 1500);
        const double size = r.R(100) / 99 + 1.0;
        const double angle = r.R(360);
        const double angleSpeed = r.R(10) - 5;
        const double g = r.R(100) + 140;
        const double b = r.R(60);
        const TParticle& p = bang->GetParticles()[static_cast<size_t>(i)];
        ExpectVector(p.Position, {v.x * 10, 1 + v.y * 10, v.z * 10}, "fire position");
        EXPECT_GE(p.Velocity.Y, 0) << "fire goes up";
        EXPECT_NEAR(p.Size, size < 1.0 ? size + 0.03 : size, 1e-6);
        EXPECT_NEAR(p.Angle, angle + angleSpeed, 1e-4);
        EXPECT_FLOAT_EQ(p.Color.R, 254) << "channels above 100 lose 1 per update";
        EXPECT_FLOAT_EQ(p.Color.G, static_cast<float>(g - 1));
        EXPECT_FLOAT_EQ(p.Color.B, static_cast<float>(b > 100 ? b - 1 : b));
        EXPECT_FALSE(p.Falling);
        EXPECT_EQ(p.Life, 390);
    }
    for (int i = 50; i < 70; ++i) {
        const double x = ((r.R(100) + 1) / 100 - 0.5) * 0.3;
        const double z = ((r.R(100) + 1) / 100 - 0.5) * 0.3;
        const Vec v = Normalized({x, 1.0, z}, r.R(10) / 300);
        const TParticle& p = bang->GetParticles()[static_cast<size_t>(i)];
        ExpectVector(p.Position, {v.x * 10, 1 + v.y * 10, v.z * 10}, "spark position");
        ExpectVector(p.Velocity, {v.x, v.y - 10 * 0.0001, v.z}, "spark velocity");
        EXPECT_TRUE(p.Falling);
        EXPECT_EQ(p.Life, 1990);
        EXPECT_FLOAT_EQ(p.Color.R, 11);
        EXPECT_FLOAT_EQ(p.Color.G, 240);
        EXPECT_FLOAT_EQ(p.Color.B, 251);
        EXPECT_FLOAT_EQ(p.Color.A, 255);
        EXPECT_NEAR(p.Size, 0.5 - 10 * 0.0005, 1e-6);
        EXPECT_FLOAT_EQ(p.Angle, 5);
    }
}

TEST_F(ParticleKindsTest, BangOfARocketHasFireAndGreySmoke) {
    TBang* bang = Add<TBang>();
    bang->Variant = 1;
    bang->Update(10);
    ASSERT_EQ(bang->Count(), 70);
    Lcg r(kSeed);
    for (int i = 0; i < 50; ++i) {
        const double x = (r.R(100) + 1) / 100 - 0.5;
        const double y = (r.R(100) + 1) / 100;
        const double z = (r.R(100) + 1) / 100 - 0.5;
        const Vec v = Normalized({x, y, z}, r.R(10) / 2000);
        const double size = r.R(100) / 99 + 0.5;
        r.R(360);
        r.R(10);
        r.R(100);
        r.R(60);
        const TParticle& p = bang->GetParticles()[static_cast<size_t>(i)];
        ExpectVector(p.Velocity, v, "fire velocity");
        EXPECT_NEAR(p.Size, size - 10 * 0.003, 1e-6);
        EXPECT_FLOAT_EQ(p.Color.R, 255) << "rocket fire keeps its colour";
        EXPECT_EQ(p.Life, 290);
    }
    for (int i = 50; i < 70; ++i) {
        const double x = (r.R(100) + 1) / 100 - 0.5;
        const double y = (r.R(100) + 1) / 100;
        const double z = (r.R(100) + 1) / 100 - 0.5;
        const Vec v = Normalized({x, y, z}, r.R(10) / 400);
        const double red = r.R(50) + 100;
        const double green = r.R(50) + 100;
        const double blue = r.R(50) + 100;
        const TParticle& p = bang->GetParticles()[static_cast<size_t>(i)];
        ExpectVector(p.Velocity, v, "smoke velocity");
        EXPECT_FLOAT_EQ(p.Color.R, static_cast<float>(red));
        EXPECT_FLOAT_EQ(p.Color.G, static_cast<float>(green));
        EXPECT_FLOAT_EQ(p.Color.B, static_cast<float>(blue));
        EXPECT_FALSE(p.Falling);
        EXPECT_EQ(p.Life, 390);
    }
}

TEST_F(ParticleKindsTest, BangTurnsFiveDegreesPerUpdateWhateverTheFrameTime) {
    TBang* bang = Add<TBang>();
    bang->Update(7);
    EXPECT_FLOAT_EQ(bang->GetParticles()[60].Angle, 5);
    bang->Update(100);
    EXPECT_FLOAT_EQ(bang->GetParticles()[60].Angle, 10);
}

TEST_F(ParticleKindsTest, BangOfATankEndsWithItsLongestSpark) {
    TBang* bang = Add<TBang>();
    int updates = 1;
    bang->Update(100);
    while (level.GetChildCount() == 1 && updates < 100) {
        bang->Update(100);
        ++updates;
    }
    // Sparks live 2000 ms: gone on the 20th update of 100 ms, the system on the 21st.
    EXPECT_EQ(updates, 21);
    EXPECT_EQ(level.GetChildCount(), 0);
}

TEST_F(ParticleKindsTest, KindsNeverHoldMoreThanTheirCapacity) {
    TSparks* sparks = Add<TSparks>(0, 0, 0, 40);
    TBang* bang = Add<TBang>(0, 0, 0, 25);
    TSmoke* smoke = Add<TSmoke>(0, 0, 0, 2);
    sparks->Update(10);
    bang->Update(10);
    for (int i = 0; i < 20; ++i) {
        smoke->Update(30);
    }
    EXPECT_EQ(sparks->Count(), 40);
    EXPECT_EQ(bang->Count(), 25);
    EXPECT_EQ(smoke->Count(), 2);
    device->ClearLog();
    sparks->Draw();
    const auto locks = device->FindCalls("LockBuffer");
    ASSERT_EQ(locks.size(), 2u);
    EXPECT_EQ(locks[0].Ints[2], 40 * 144);
    EXPECT_EQ(device->BadHandleUses(), 0);
}
