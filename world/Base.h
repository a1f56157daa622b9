// The base the player defends (its destruction ends the game) and the water plane under the level.
#pragma once

#include <cstdint>
#include <string>

#include "scene/GE_GAMEOBJECT.h"

struct TWorld;

class TBase : public TGameObject {
public:
    // Stands at the centre of the world map's base footprint with health BaseMaxHealth and a spinning
    // "Cube".
    TBase(TWorld& world, std::string name, TMeshResource* cubeMesh, TMeshResource* bodyMesh);
    // Sets GameOver: the game flow ends the game on it (also when the level is unloaded).
    ~TBase() override;

    void Update(int32_t deltaMs) override;

    float SpinAngle = 0.0f;
    float Health;
    bool Smoking = false;

private:
    // Sets GameOver, once: when the base removes itself or in its destroy.
    void Fall();
    TWorld& World_;
    bool Standing = true;
    TGameObject* Cube;
};

class TWater : public TGameObject {
public:
    TWater(std::string name, TMeshResource* mesh) : TGameObject(std::move(name), mesh) {}
    // The plane breathes slowly in x and z.
    void Update(int32_t deltaMs) override;

    float WavePhase = 0.0f;  // degrees
};
