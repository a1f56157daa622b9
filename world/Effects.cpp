#include "world/Effects.h"

#include <memory>

#include "effects/GE_PARTICLESYSTEM.h"
#include "models/GE_ResourceManager.h"
#include "render/GE_D3D9.h"
#include "world/WorldContext.h"

namespace {

constexpr int32_t kEffectCapacity = 500;

platform::TextureHandle EffectTexture(const char* name) {
    TMeshManager* meshes = World().Meshes;
    if (meshes == nullptr)
        return 0;
    TTextureResource* texture = meshes->GetTextureManager()->FindTexture(name);
    return texture != nullptr ? texture->Texture : 0;
}

// A particle system of kind T with the game's capacity, the "Particle" shaders and the named texture;
// nullptr when there is no renderer (headless tests of the rules).
template <class T>
std::unique_ptr<T> MakeEffect(const char* texture) {
    TWorldContext& world = World();
    if (world.Render == nullptr)
        return nullptr;
    TVertexShader* vs = world.Shaders != nullptr ? world.Shaders->GetVertexShader("Particle") : nullptr;
    TPixelShader* ps = world.Shaders != nullptr ? world.Shaders->GetPixelShader("Particle") : nullptr;
    return std::make_unique<T>(*world.Render, EffectTexture(texture), vs, ps, kEffectCapacity);
}

template <class T>
void AddToLevel(std::unique_ptr<T> effect, const TVector3& position) {
    TMoveableObject* level = LevelNode();
    if (effect == nullptr || level == nullptr)
        return;
    effect->SetPosition(position.X, position.Y, position.Z);
    level->AddChild(std::move(effect));
}

}  // namespace

void AddBang(const TVector3& position, int variant) {
    auto bang = MakeEffect<TBang>("Bang");
    if (bang != nullptr)
        bang->Variant = static_cast<uint8_t>(variant);
    AddToLevel(std::move(bang), position);
}

void AddSparks(const TVector3& position) {
    AddToLevel(MakeEffect<TSparks>("Spark"), position);
}

void AddRomb(const TVector3& position) {
    AddToLevel(MakeEffect<TRomb>("Romb"), position);
}

void AddWallDebris(const TVector3& position) {
    AddToLevel(MakeEffect<TWallDestruct>("Wall"), position);
}

void AddSmoke(TMoveableObject* carrier) {
    auto smoke = MakeEffect<TSmoke>("Particle");
    if (smoke != nullptr && carrier != nullptr)
        carrier->AddChild(std::move(smoke));
}

void AddRocketSmoke(TMoveableObject* carrier) {
    auto smoke = MakeEffect<TRoketSmoke>("Particle");
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
