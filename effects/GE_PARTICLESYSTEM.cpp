#include "effects/GE_PARTICLESYSTEM.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Engine declaration codes (render/VertexDeclaration.h).
constexpr uint8_t kUsagePosition = 0;
constexpr uint8_t kUsageTexCoord = 2;
constexpr uint8_t kUsageColor = 7;
constexpr uint8_t kTypeFloat2 = 1;
constexpr uint8_t kTypeFloat4 = 3;
constexpr uint8_t kTypeColor = 4;

constexpr float kCornerU[4] = {0.0f, 1.0f, 1.0f, 0.0f};
constexpr float kCornerV[4] = {0.0f, 0.0f, 1.0f, 1.0f};

constexpr double kPiDouble = 3.14159265358979323846;

}  // namespace

uint8_t ParticleColorChannel(float value) {
    // A channel pushed below 0 or above 255 by a long frame stays at the end of the range rather than
    // wrapping round to the other end.
    if (!(value > 0.0f)) {
        return 0;
    }
    if (value >= 255.0f) {
        return 255;
    }
    return static_cast<uint8_t>(std::nearbyint(value));  // the default rounding: halves to even
}

uint32_t PackParticleColor(const TParticleColor& color) {
    return uint32_t(ParticleColorChannel(color.A)) << 24 | uint32_t(ParticleColorChannel(color.R)) << 16 |
           uint32_t(ParticleColorChannel(color.G)) << 8 | uint32_t(ParticleColorChannel(color.B));
}

TParticleSystem::TParticleSystem(TRenderD3D9& render, platform::TextureHandle texture,
                                 TVertexShader* vertexShader, TPixelShader* pixelShader, int32_t maxCount)
    : TSceneEffect("paticlesystem"),
      Render(render),
      VertexShader(vertexShader),
      PixelShader(pixelShader),
      VertexBuffer(std::make_unique<TVertexBuffer>(render.Device())),
      IndexBuffer(std::make_unique<TIndexBuffer>(render.Device())),
      Declaration(std::make_unique<TVertexDeclaration>(render.Device())),
      Texture(texture),
      MaxCount(std::clamp(maxCount, 0, kMaxCapacity)) {
    Particles.reserve(static_cast<size_t>(MaxCount));
    OnResetDevice();
    Declaration->AddElement(kUsagePosition, kTypeFloat4);
    Declaration->AddElement(kUsageColor, kTypeColor);
    Declaration->AddElement(kUsageTexCoord, kTypeFloat2);
    Declaration->AddElement(kUsageTexCoord, kTypeFloat2);
    Declaration->EndDeclaration();
    Declaration->Build();
}

TParticleSystem::~TParticleSystem() = default;

bool TParticleSystem::AddParticle(const TParticle& p) {
    if (Count() >= MaxCount) {
        return false;
    }
    TParticle world = p;
    const TVector4 position = Vector4Transform(Vector3ToVector4(p.Position, 1.0f), WorldMatrix);
    const TVector4 velocity = Vector4Transform(Vector3ToVector4(p.Velocity, 0.0f), WorldMatrix);
    world.Position = Vector4ToVector3(position);
    world.Velocity = Vector4ToVector3(velocity);
    Particles.push_back(world);
    return true;
}

void TParticleSystem::RemoveParticle(int32_t index) {
    if (index < 0 || index >= Count()) {
        return;
    }
    if (index != Count() - 1) {
        Particles[static_cast<size_t>(index)] = Particles.back();
    }
    Particles.pop_back();
}

void TParticleSystem::Draw() {
    DrawWithFollowing({}, 0);
}

size_t TParticleSystem::DrawWithFollowing(const std::vector<TSceneEffect*>& effects, size_t next) {
    // Never more than the buffers hold, whatever happened to them.
    const uint32_t capacity = std::min(VertexBuffer->GetLength() / kVertexBytesPerParticle,
                                       IndexBuffer->GetLength() / kIndexBytesPerParticle);
    const uint32_t own = std::min(static_cast<uint32_t>(Count()), capacity);
    uint32_t count = own;
    size_t taken = 0;
    for (size_t i = next; i < effects.size(); ++i) {
        const auto* other = dynamic_cast<const TParticleSystem*>(effects[i]);
        if (other == nullptr) {
            break;
        }
        const auto more = static_cast<uint32_t>(other->Count());
        const bool same = other->Texture == Texture && other->VertexShader == VertexShader &&
                          other->PixelShader == PixelShader;
        if (more != 0 && (!same || more > capacity - count)) {
            break;
        }
        count += more;
        ++taken;
    }
    if (count == 0) {
        return taken;
    }

    void* vertexData = VertexBuffer->Lock(0, count * kVertexBytesPerParticle, platform::D3DLOCK_DISCARD);
    if (vertexData == nullptr) {
        return taken;
    }
    uint16_t* indices = IndexBuffer->Lock(0, count * kIndexBytesPerParticle, platform::D3DLOCK_DISCARD);
    if (indices == nullptr) {
        VertexBuffer->Unlock();
        return taken;
    }
    auto* vertices = static_cast<uint8_t*>(vertexData);
    WriteQuads(vertices, indices, 0, own);
    uint32_t first = own;
    for (size_t i = next; i < next + taken; ++i) {
        const auto& other = static_cast<const TParticleSystem&>(*effects[i]);
        other.WriteQuads(vertices, indices, first, static_cast<uint32_t>(other.Count()));
        first += static_cast<uint32_t>(other.Count());
    }
    VertexBuffer->Unlock();
    IndexBuffer->Unlock();

    Render.SetVertexShader(VertexShader);
    Render.SetPixelShader(PixelShader);
    TRenderOperation op;
    op.Declaration = Declaration.get();
    op.VertexBuffer = VertexBuffer.get();
    op.IndexBuffer = IndexBuffer.get();
    op.NumVertices = static_cast<int32_t>(count * 4);
    op.PrimitiveCount = static_cast<int32_t>(count * 2);
    op.Texture = Texture;
    Render.DrawRenderOperation(op);
    return taken;
}

void TParticleSystem::WriteQuads(uint8_t* vertices, uint16_t* indices, uint32_t first, uint32_t count) const {
    for (uint32_t n = 0; n < count; ++n) {
        const TParticle& p = Particles[n];
        const uint32_t k = first + n;
        const uint32_t color = PackParticleColor(p.Color);
        const float radians = static_cast<float>(p.Angle * kPiDouble / 180.0);
        for (int j = 0; j < 4; ++j) {
            const float u = kCornerU[j] == 0.0f ? TextureRect.U0 : TextureRect.U1;
            const float v = kCornerV[j] == 0.0f ? TextureRect.V0 : TextureRect.V1;
            const TParticleVertex vertex{
                p.Position.X, p.Position.Y, p.Position.Z, static_cast<float>(j), color, u, v,
                radians,      p.Size};
            std::memcpy(vertices + (k * 4 + j) * sizeof(TParticleVertex), &vertex, sizeof vertex);
        }
        const uint16_t corner = static_cast<uint16_t>(k * 4);
        uint16_t* quad = indices + k * 6;
        quad[0] = corner;
        quad[1] = static_cast<uint16_t>(corner + 1);
        quad[2] = static_cast<uint16_t>(corner + 2);
        quad[3] = static_cast<uint16_t>(corner + 2);
        quad[4] = static_cast<uint16_t>(corner + 3);
        quad[5] = corner;
    }
}

void TParticleSystem::OnLostDevice() {
    VertexBuffer->ReleaseBuffer();
    IndexBuffer->ReleaseBuffer();
}

void TParticleSystem::OnResetDevice() {
    const uint32_t capacity = static_cast<uint32_t>(MaxCount);
    VertexBuffer->CreateBuffer(capacity * kVertexBytesPerParticle, platform::D3DUSAGE_DYNAMIC,
                               platform::D3DPOOL_DEFAULT);
    IndexBuffer->CreateBuffer(capacity * kIndexBytesPerParticle, platform::D3DUSAGE_DYNAMIC,
                              platform::D3DPOOL_DEFAULT);
}
