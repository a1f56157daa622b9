#include "world/Effects.h"

#include <memory>

#include "effects/GE_PARTICLESYSTEM.h"
#include "models/GE_ResourceManager.h"
#include "render/GE_D3D9.h"
#include "world/World.h"

namespace {

constexpr int32_t kEffectCapacity = 500;

// A particle system of kind T with the game's capacity, the "Particle" shaders and the named texture;
// nullptr when there is no renderer (headless tests of the rules).
template <class T>
std::unique_ptr<T> MakeEffect(TWorld& world, const char* texture) {
    TWorldContext& context = world.Context;
    if (context.Render == nullptr)
        return nullptr;
    TVertexShader* vs = context.Shaders != nullptr ? context.Shaders->GetVertexShader("Particle") : nullptr;
    TPixelShader* ps = context.Shaders != nullptr ? context.Shaders->GetPixelShader("Particle") : nullptr;
    auto effect = std::make_unique<T>(*context.Render, platform::TextureHandle{}, vs, ps, kEffectCapacity);
    GiveParticleTexture(world, texture, *effect);
    effect->RandomSource = &world.Random;
    return effect;
}

template <class T>
void AddToLevel(TWorld& world, std::unique_ptr<T> effect, const TVector3& position) {
    TMoveableObject* level = LevelNode(world);
    if (effect == nullptr || level == nullptr)
        return;
    effect->SetPosition(position.X, position.Y, position.Z);
    level->AddChild(std::move(effect));
}

}  // namespace

void GiveParticleTexture(TWorld& world, const char* name, TParticleSystem& system) {
    TTextureRect rect;
    if (const TTextureAtlas* atlas = world.Context.ParticleAtlas;
        atlas != nullptr && atlas->Find(name, rect)) {
        system.SetTexture(atlas->Texture());
        system.SetTextureRect(rect);
        return;
    }
    TMeshManager* meshes = world.Context.Meshes;
    TTextureResource* texture = meshes != nullptr ? meshes->GetTextureManager()->FindTexture(name) : nullptr;
    system.SetTexture(texture != nullptr ? texture->Texture.Get() : platform::TextureHandle{});
    system.SetTextureRect(TTextureRect{});
}

void AddBang(TWorld& world, const TVector3& position, int variant) {
    auto bang = MakeEffect<TBang>(world, "Bang");
    if (bang != nullptr)
        bang->Variant = static_cast<uint8_t>(variant);
    AddToLevel(world, std::move(bang), position);
}

void AddSparks(TWorld& world, const TVector3& position) {
    AddToLevel(world, MakeEffect<TSparks>(world, "Spark"), position);
}

void AddRomb(TWorld& world, const TVector3& position) {
    AddToLevel(world, MakeEffect<TRomb>(world, "Romb"), position);
}

void AddWallDebris(TWorld& world, const TVector3& position) {
    AddToLevel(world, MakeEffect<TWallDestruct>(world, "Wall"), position);
}

void AddSmoke(TWorld& world, TMoveableObject* carrier) {
    auto smoke = MakeEffect<TSmoke>(world, "Particle");
    if (smoke != nullptr && carrier != nullptr)
        carrier->AddChild(std::move(smoke));
}

void AddRocketSmoke(TWorld& world, TMoveableObject* carrier) {
    auto smoke = MakeEffect<TRoketSmoke>(world, "Particle");
    if (smoke != nullptr && carrier != nullptr)
        carrier->AddChild(std::move(smoke));
}

void ShadeSmoke(TMoveableObject* carrier, float ratio) {
    if (carrier == nullptr)
        return;
    auto* smoke = dynamic_cast<TSmoke*>(carrier->FindObject("paticlesystem"));
    if (smoke == nullptr)
        return;
    float grey = static_cast<float>(RoundHalfEven(ratio * 255.0));
    smoke->SmokeColor.R = grey;
    smoke->SmokeColor.G = grey;
    smoke->SmokeColor.B = grey;
}

TVector3 WorldPosition(const TMoveableObject& node) {
    TMatrix world = node.GetWorldMatrix();
    return Vector3(world._41, world._42, world._43);
}
