// The six kinds of effect. Every random number is a separate draw of the shared generator, taken in
// the order written; the arithmetic on a draw is done in double and rounded once to float.
#include "effects/GE_PARTICLESYSTEM.h"

namespace {

double R(TParticleSystem& system, int32_t n) {
    return static_cast<double>(system.RandomDraw(n));
}

TVector3 Scaled(const TVector3& direction, double scale) {
    return VectorScale(VectorNormalize(direction), static_cast<float>(scale));
}

// (R(100) + 1) / 100 - 0.5: -0.49 .. 0.5.
float Spread(TParticleSystem& system) {
    return static_cast<float>((R(system, 100) + 1) / 100 - 0.5);
}

void Advance(TParticle& p, int32_t deltaMs) {
    p.Position = VectorAdd(p.Position, VectorScale(p.Velocity, static_cast<float>(deltaMs)));
}

// The step both smoke kinds share: drift, spin, grow by `growth` a millisecond, fade while visible.
void StepSmoke(std::vector<TParticle>& particles, int32_t deltaMs, float growth) {
    const float dt = static_cast<float>(deltaMs);
    for (TParticle& p : particles) {
        Advance(p, deltaMs);
        p.Angle += dt * p.AngleSpeed;
        p.Size += dt * growth;
        if (p.Color.A > 0) {
            p.Color.A -= dt * 0.06f;
        }
        p.Life -= deltaMs;
    }
}

}  // namespace

void TSmoke::Update(int32_t deltaMs) {
    TParticleSystem::Update(deltaMs);
    EmitTimer -= deltaMs;
    if (EmitTimer < 0) {
        EmitTimer = 20;  // what went below zero is dropped
        TParticle p;
        const float vx = static_cast<float>((R(*this, 100) / 1000 - 0.05) * 0.01);
        const float vz = static_cast<float>((R(*this, 100) / 1000 - 0.05) * 0.01);
        p.Velocity = Vector3(vx, 0.003f, vz);
        p.AngleSpeed = static_cast<float>(R(*this, 10) / 100 - 0.05);
        p.Size = 0.5f;
        p.Color = SmokeColor;
        p.Life = 500;
        AddParticle(p);
    }
    StepSmoke(Particles, deltaMs, 0.001f);
    RemoveExpired([](const TParticle& p) { return p.Life < 0; });
}

void TRoketSmoke::Update(int32_t deltaMs) {
    TParticleSystem::Update(deltaMs);
    EmitTimer -= deltaMs;
    if (EmitTimer < 0) {
        EmitTimer = 10;
        TParticle p;
        p.Position = Vector3(0.0f, 0.0f, -0.2f);
        const float dx = static_cast<float>((R(*this, 100) / 1000 - 0.05) * 0.003);
        const float dy = static_cast<float>((R(*this, 100) / 1000 - 0.05) * 0.003);
        p.Velocity = Scaled(Vector3(dx, dy, -0.001f), 0.001);
        p.AngleSpeed = static_cast<float>(R(*this, 10) / 100 - 0.05);
        p.Size = 0.2f;
        p.Color = {255.0f, 255.0f, 255.0f, 255.0f};
        p.Life = 100;
        AddParticle(p);
    }
    StepSmoke(Particles, deltaMs, 0.005f);
    RemoveExpired([](const TParticle& p) { return p.Life < 0; });
}

void TBurstParticleSystem::Update(int32_t deltaMs) {
    TParticleSystem::Update(deltaMs);
    if (FirstUpdate) {
        EmitBurst();
        FirstUpdate = false;
    }
    if (Count() == 0) {
        Remove();  // frees this system: nothing of it may be touched any more
        return;
    }
    for (TParticle& p : Particles) {
        StepParticle(p, deltaMs);
    }
    RemoveExpired([](const TParticle& p) { return p.Life <= 0; });
}

void TSparks::EmitBurst() {
    for (int i = 0; i < 100; ++i) {
        TParticle p;
        const float x = Spread(*this);
        const float y = Spread(*this);
        const float z = Spread(*this);
        p.Velocity = Scaled(Vector3(x, y, z), 0.01);
        p.Size = 0.3f;
        p.Color = {21.0f, 226.0f, 234.0f, 255.0f};
        p.Life = 100;
        AddParticle(p);
    }
}

void TSparks::StepParticle(TParticle& p, int32_t deltaMs) {
    Advance(p, deltaMs);
    p.Life -= deltaMs;
}

void TRomb::EmitBurst() {
    for (int i = 0; i < 30; ++i) {
        TParticle p;
        const float x = static_cast<float>(R(*this, 100) / 100 - 0.5);
        const float y = static_cast<float>(R(*this, 100) / 100);
        const float z = static_cast<float>(R(*this, 100) / 100 - 0.5);
        p.Position = Vector3(x, y, z);
        p.Velocity = Vector3(0.0f, static_cast<float>((R(*this, 5) + 1) / 1000), 0.0f);
        p.AngleSpeed = 1.0f;
        p.Size = 0.3f;
        p.Color = {255.0f, 255.0f, 0.0f, 255.0f};
        p.Life = 400;
        AddParticle(p);
    }
}

void TRomb::StepParticle(TParticle& p, int32_t deltaMs) {
    Advance(p, deltaMs);
    p.Life -= deltaMs;
}

void TWallDestruct::EmitBurst() {
    for (int i = 0; i < 10; ++i) {
        TParticle p;
        p.Position = Vector3(0.0f, 1.0f, 0.0f);
        const float x = static_cast<float>(((R(*this, 100) + 1) / 100 - 0.5) * 0.5);
        const float z = static_cast<float>(((R(*this, 100) + 1) / 100 - 0.5) * 0.5);
        p.Velocity = Scaled(Vector3(x, 1.0f, z), 0.015);
        p.Size = 0.5f;
        p.Angle = static_cast<float>(R(*this, 360));
        p.AngleSpeed = 1.0f;
        p.Color = {255.0f, 255.0f, 255.0f, 255.0f};
        p.Life = 400;
        AddParticle(p);
    }
}

void TWallDestruct::StepParticle(TParticle& p, int32_t deltaMs) {
    const float dt = static_cast<float>(deltaMs);
    const float fade = dt * 0.18f;
    p.Color.R -= fade;
    p.Color.G -= fade;
    p.Color.B -= fade;
    p.Color.A -= fade;
    Advance(p, deltaMs);
    p.Velocity.Y -= dt * 0.0001f;
    p.Size -= dt * 0.0001f;
    p.Angle += dt * 0.3f;
    p.Life -= deltaMs;
}

void TBang::EmitBurst() {
    // Wave 1: fire, always upwards.
    for (int i = 0; i < 50; ++i) {
        TParticle p;
        p.Position = Vector3(0.0f, 1.0f, 0.0f);
        const float x = Spread(*this);
        const float y = static_cast<float>((R(*this, 100) + 1) / 100);
        const float z = Spread(*this);
        const TVector3 d = Vector3(x, y, z);
        if (Variant == 1) {
            p.Velocity = Scaled(d, R(*this, 10) / 2000);
            p.Size = static_cast<float>(R(*this, 100) / 99 + 0.5);
            p.Life = 300;
        } else {
            p.Velocity = Scaled(d, R(*this, 10) / 1500);
            p.Size = static_cast<float>(R(*this, 100) / 99 + 1.0);
            p.Life = 400;
        }
        p.Angle = static_cast<float>(R(*this, 360));
        p.AngleSpeed = static_cast<float>(R(*this, 10) - 5);
        const float g = static_cast<float>(R(*this, 100) + 140);
        const float b = static_cast<float>(R(*this, 60));
        p.Color = {255.0f, g, b, 255.0f};
        p.Falling = false;
        AddParticle(p);
    }
    // Wave 2: smoke (rocket) or sparks thrown up that fall back (tank, base).
    for (int i = 0; i < 20; ++i) {
        TParticle p;
        p.Position = Vector3(0.0f, 1.0f, 0.0f);
        if (Variant == 1) {
            const float x = Spread(*this);
            const float y = static_cast<float>((R(*this, 100) + 1) / 100);
            const float z = Spread(*this);
            p.Velocity = Scaled(Vector3(x, y, z), R(*this, 10) / 400);
            const float r = static_cast<float>(R(*this, 50) + 100);
            const float g = static_cast<float>(R(*this, 50) + 100);
            const float b = static_cast<float>(R(*this, 50) + 100);
            p.Color = {r, g, b, 0.0f};
            p.Life = 400;
            p.Falling = false;
        } else {
            const float x = static_cast<float>(((R(*this, 100) + 1) / 100 - 0.5) * 0.3);
            const float z = static_cast<float>(((R(*this, 100) + 1) / 100 - 0.5) * 0.3);
            p.Velocity = Scaled(Vector3(x, 1.0f, z), R(*this, 10) / 300);
            p.Color = {14.0f, 243.0f, 254.0f, 0.0f};
            p.Falling = true;
            p.Life = 2000;
        }
        p.Color.A = 255.0f;
        p.Size = 0.5f;
        p.Angle = 0.0f;
        p.AngleSpeed = 5.0f;
        AddParticle(p);
    }
}

void TBang::StepParticle(TParticle& p, int32_t deltaMs) {
    const float dt = static_cast<float>(deltaMs);
    Advance(p, deltaMs);
    p.Angle += p.AngleSpeed;  // per update, whatever the frame time
    if (Variant == 1) {
        if (p.Size > 0.003f) {
            p.Size -= dt * 0.003f;
        }
    } else if (!p.Falling) {
        if (p.Size < 1.0f) {
            p.Size += dt * 0.003f;
        }
        for (float* channel : {&p.Color.R, &p.Color.G, &p.Color.B}) {
            if (*channel > 100.0f) {
                *channel -= 1.0f;
            }
        }
    } else {
        if (p.Size > 0.0005f) {
            p.Size -= dt * 0.0005f;
        }
        for (float* channel : {&p.Color.R, &p.Color.G, &p.Color.B}) {
            if (*channel > 3.0f) {
                *channel -= 3.0f;
            }
        }
        p.Velocity.Y -= dt * 0.0001f;
    }
    p.Life -= deltaMs;
}
