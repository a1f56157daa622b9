#include "scene/GE_GAMEOBJECT.h"

#include <utility>

TGameObject::TGameObject(std::string name, TMeshResource* mesh)
    : TMoveableObject(std::move(name)), Mesh(mesh) {}

TGameObject::~TGameObject() = default;

void TGameObject::Update(int32_t /*deltaMs*/) {}

void TGameObject::SetMesh(TMeshResource* mesh) {
    Mesh = mesh;
}
