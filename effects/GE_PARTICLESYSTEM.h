// Billboard particle effects: TParticleSystem, the scene node that owns a list of particles and draws
// them as camera-facing textured quads with one indexed draw call (shared with the systems that follow
// it in the draw pass with the same texture and shaders), and the game's six kinds of effect.
//
// Conventions:
// - Time in whole milliseconds; velocities in world units per millisecond; angles in degrees (the
//   vertex carries radians); colour channels on a 0..255 scale.
// - A kind states emitted positions and velocities in the emitter's local frame; AddParticle moves them
//   into world space with the node's WorldMatrix at that moment, so particles already emitted do not
//   follow the emitter when it moves.
// - Every system is named "paticlesystem" (carriers find their smoke by that name).
// - A system never holds more than its capacity (MaxCount, at most 16384 with 16-bit indices): an
//   AddParticle beyond it is refused. The buffers are sized for the capacity once and rewritten with
//   discard locks each frame; Draw allocates nothing.
// - The scene manager sets blending, depth writes and the constants (view * projection in c0-c3, the
//   camera rotation in c4-c7) around Draw; the shaders are "Data/Shaders/particle.vs" / "particle.ps".
//
// Continuous kinds (TSmoke, TRoketSmoke) emit while they live and go with their carrier. Burst kinds
// (TSparks, TBang, TRomb, TWallDestruct) emit once on their first Update and take themselves out of the
// tree (Remove) on the first Update that finds them empty.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/GraphicsDevice.h"
#include "render/GE_D3D9.h"
#include "render/TextureAtlas.h"
#include "scene/SceneEffect.h"
#include "util/GE_MATH.h"
#include "util/Random.h"

struct TParticleColor {
    float R, G, B, A;  // 0..255
};

struct TParticle {
    TVector3 Position{0.0f, 0.0f, 0.0f};  // world units
    TVector3 Velocity{0.0f, 0.0f, 0.0f};  // world units per millisecond
    float Angle = 0.0f;                   // degrees, in the screen plane
    float AngleSpeed = 0.0f;              // degrees per millisecond (per update for TBang)
    float Size = 0.0f;                    // side of the quad, world units
    TParticleColor Color{0.0f, 0.0f, 0.0f, 0.0f};
    int32_t Life = 0;  // milliseconds left
    bool Falling = false;
};

// One corner of a particle's quad, 36 bytes: POSITION FLOAT4 (centre, w = corner 0..3), COLOR
// D3DCOLOR, TEXCOORD0 FLOAT2 (the corner's texture coordinate), TEXCOORD1 FLOAT2 (angle in radians,
// size).
#pragma pack(push, 1)
struct TParticleVertex {
    float X, Y, Z, Corner;
    uint32_t Color;  // ARGB
    float U, V;
    float AngleRadians, Size;
};
#pragma pack(pop)
static_assert(sizeof(TParticleVertex) == 36, "a particle vertex is 36 bytes");

// A colour channel as the vertex stores it: the nearest integer (halves to the even neighbour), kept
// within 0..255.
uint8_t ParticleColorChannel(float value);
// The ARGB word of a particle colour.
uint32_t PackParticleColor(const TParticleColor& color);

class TParticleSystem : public TSceneEffect {
public:
    static constexpr int32_t kMaxCapacity = 16384;  // 4 vertices each within 16-bit indices
    static constexpr uint32_t kVertexBytesPerParticle = 4 * sizeof(TParticleVertex);  // 144
    static constexpr uint32_t kIndexBytesPerParticle = 6 * sizeof(uint16_t);          // 12

    // The renderer, shaders and texture are not owned and must outlive the system; a null shader or a
    // texture of 0 draws with none bound. Creates the buffers and the vertex declaration.
    TParticleSystem(TRenderD3D9& render, platform::TextureHandle texture, TVertexShader* vertexShader,
                    TPixelShader* pixelShader, int32_t maxCount);
    ~TParticleSystem() override;

    // Appends a copy of p in world space: Position as a point, Velocity as a direction through the
    // node's WorldMatrix. False (nothing added) when the system is full.
    bool AddParticle(const TParticle& p);
    // Swap-with-last removal; an index outside the list changes nothing.
    void RemoveParticle(int32_t index);

    void Draw() override;
    // Takes the particle systems that follow with the same texture and shaders (and empty ones) while
    // their particles fit this system's buffers.
    size_t DrawWithFollowing(const std::vector<TSceneEffect*>& effects, size_t next) override;
    void OnLostDevice() override;
    void OnResetDevice() override;

    // Where the particles' picture lies in the texture (a place in a TTextureAtlas); the whole texture
    // by default.
    void SetTextureRect(const TTextureRect& rect) { TextureRect = rect; }
    void SetTexture(platform::TextureHandle texture) { Texture = texture; }
    int32_t Count() const { return static_cast<int32_t>(Particles.size()); }
    int32_t GetMaxCount() const { return MaxCount; }
    const std::vector<TParticle>& GetParticles() const { return Particles; }
    const TVertexDeclaration& GetDeclaration() const { return *Declaration; }
    const TVertexBuffer& GetVertexBuffer() const { return *VertexBuffer; }
    const TIndexBuffer& GetIndexBuffer() const { return *IndexBuffer; }

    // The generator the kinds draw from: their world's (set by whoever makes the system, not owned),
    // or the system's own (seed 0) without one.
    TRandomGenerator* RandomSource = nullptr;
    // A draw of 0 .. n - 1 from that generator.
    int32_t RandomDraw(int32_t n) { return Random(RandomSource != nullptr ? *RandomSource : OwnRandom_, n); }

protected:
    // Writes the quads of the first `count` particles from quad `first` on.
    void WriteQuads(uint8_t* vertices, uint16_t* indices, uint32_t first, uint32_t count) const;

    // Removes, from the highest index down, every particle for which `expired` holds, so all of them
    // leave in the same update despite the swap-with-last removal.
    template <class Expired>
    void RemoveExpired(Expired expired) {
        for (int32_t i = Count() - 1; i >= 0; --i) {
            if (expired(Particles[static_cast<size_t>(i)])) {
                RemoveParticle(i);
            }
        }
    }

    TRenderD3D9& Render;
    TVertexShader* VertexShader;
    TPixelShader* PixelShader;
    std::unique_ptr<TVertexBuffer> VertexBuffer;
    std::unique_ptr<TIndexBuffer> IndexBuffer;
    std::unique_ptr<TVertexDeclaration> Declaration;
    platform::TextureHandle Texture;
    TTextureRect TextureRect;
    std::vector<TParticle> Particles;
    int32_t MaxCount;
    TRandomGenerator OwnRandom_;
};

// Smoke over a damaged tank or the base: one particle every 20 ms after the first 300 ms.
class TSmoke : public TParticleSystem {
public:
    using TParticleSystem::TParticleSystem;
    void Update(int32_t deltaMs) override;

    int32_t EmitTimer = 300;
    TParticleColor SmokeColor{255.0f, 255.0f, 255.0f, 255.0f};  // the carrier changes R, G and B
};

// The trail behind a flying rocket: one particle every 10 ms after the first 50 ms, 0.2 units behind.
class TRoketSmoke : public TParticleSystem {
public:
    using TParticleSystem::TParticleSystem;
    void Update(int32_t deltaMs) override;

    int32_t EmitTimer = 50;
};

// The frame every burst kind shares: emit on the first update, leave the tree on the first update that
// finds no particle, otherwise step and drop the particles whose life ran out (Life <= 0).
class TBurstParticleSystem : public TParticleSystem {
public:
    using TParticleSystem::TParticleSystem;
    void Update(int32_t deltaMs) override;

    bool FirstUpdate = true;

protected:
    virtual void EmitBurst() = 0;
    virtual void StepParticle(TParticle& p, int32_t deltaMs) = 0;
};

// A shell hitting something: 100 sparks in every direction, 100 ms.
class TSparks : public TBurstParticleSystem {
public:
    using TBurstParticleSystem::TBurstParticleSystem;

protected:
    void EmitBurst() override;
    void StepParticle(TParticle& p, int32_t deltaMs) override;
};

// An explosion: 50 fire particles upwards, then 20 of smoke (rocket, Variant 1) or of sparks thrown up
// and falling (tank or base, Variant 0).
class TBang : public TBurstParticleSystem {
public:
    using TBurstParticleSystem::TBurstParticleSystem;

    uint8_t Variant = 0;  // set by the creator before the first update

protected:
    void EmitBurst() override;
    void StepParticle(TParticle& p, int32_t deltaMs) override;
};

// A collected bonus: 30 yellow glitter particles rising in a unit box, 400 ms.
class TRomb : public TBurstParticleSystem {
public:
    using TBurstParticleSystem::TBurstParticleSystem;

protected:
    void EmitBurst() override;
    void StepParticle(TParticle& p, int32_t deltaMs) override;
};

// Debris knocked off a wall by a hit: 10 pieces thrown up, falling and fading, 400 ms.
class TWallDestruct : public TBurstParticleSystem {
public:
    using TBurstParticleSystem::TBurstParticleSystem;

protected:
    void EmitBurst() override;
    void StepParticle(TParticle& p, int32_t deltaMs) override;
};
