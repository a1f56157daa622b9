// The particle effects the world's objects leave behind, made with the game's settings: capacity 500,
// the "Particle" shader pair and the texture each kind uses, drawing from the world's random generator.
#pragma once

#include "util/GE_MATH.h"

class TMoveableObject;
class TParticleSystem;
struct TWorld;

// Gives `system` the texture named `name`: its place in the world's particle atlas when the atlas holds
// it (so effects of different kinds draw together), else the texture cache's entry.
void GiveParticleTexture(TWorld& world, const char* name, TParticleSystem& system);

// Burst effects, added to "Level" at a world position.
void AddBang(TWorld& world, const TVector3& position, int variant);  // variant 0 tank or base, 1 rocket
void AddSparks(TWorld& world, const TVector3& position);
void AddRomb(TWorld& world, const TVector3& position);
void AddWallDebris(TWorld& world, const TVector3& position);

// Continuous effects, added as a child at local (0, 0, 0) under the node name "paticlesystem".
void AddSmoke(TWorld& world, TMoveableObject* carrier);
void AddRocketSmoke(TWorld& world, TMoveableObject* carrier);
// Sets the colour of the carrier's smoke to a grey of round(ratio * 255); nothing without smoke.
void ShadeSmoke(TMoveableObject* carrier, float ratio);

// The world position of a node: the translation row of its world matrix.
TVector3 WorldPosition(const TMoveableObject& node);
