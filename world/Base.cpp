#include "world/Base.h"

#include <cmath>

#include "world/Difficulty.h"
#include "world/Effects.h"
#include "world/Map.h"
#include "world/World.h"

TBase::TBase(TWorld& world, std::string name, TMeshResource* cubeMesh, TMeshResource* bodyMesh)
    : TGameObject(std::move(name), bodyMesh),
      Health(static_cast<float>(BaseFullHealth(world.State))),
      World_(world) {
    if (TMap* map = CurrentMap(World_)) {
        TVector3 centre = FootprintCentre(World_, map->BaseX, map->BaseY);
        SetPosition(centre.X, 0.0f, centre.Z);
    }
    Cube = AddChild(std::make_unique<TGameObject>("Cube", cubeMesh));
    Cube->SetPosition(0.0f, 1.0f, 0.0f);
}

TBase::~TBase() {
    Fall();
}

void TBase::Fall() {
    if (!Standing)
        return;
    Standing = false;
    World_.State.GameOver = true;
}

void TBase::Update(int32_t deltaMs) {
    if (Health < 0.0f) {
        AddBang(World_, WorldPosition(*this), 0);
        Fall();
        Remove();
        return;
    }
    float ratio = Health / static_cast<float>(BaseFullHealth(World_.State));
    if (ratio < 0.75f) {
        if (Smoking) {
            ShadeSmoke(this, ratio);
        } else {
            AddSmoke(World_, this);
            Smoking = true;
        }
    }
    SpinAngle += deltaMs * 0.1f;
    if (SpinAngle > 360.0f)
        SpinAngle -= 360.0f;
    Cube->SetRotation(SpinAngle, SpinAngle, SpinAngle);
}

void TWater::Update(int32_t deltaMs) {
    WavePhase += deltaMs * 0.1f;
    double phase = WavePhase * kPi / 180.0;
    SetScale(static_cast<float>(1.03 + 0.03 * std::cos(phase)), 0.0f,
             static_cast<float>(1.03 + 0.03 * std::sin(phase)));
}
