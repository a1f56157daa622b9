#include "scene/GE_GAMEOBJECT.h"

#include <utility>

#include "models/AnimationController.h"

TGameObject::TGameObject(std::string name, TMeshResource* mesh)
    : TMoveableObject(std::move(name)), Mesh(mesh) {}

TGameObject::~TGameObject() = default;

void TGameObject::Update(int32_t /*deltaMs*/) {}

void TGameObject::SetMesh(TMeshResource* mesh) {
    Mesh = mesh;
}

TAnimGameObject::TAnimGameObject(std::string name, TMeshResource* mesh)
    : TGameObject(std::move(name), nullptr), Animation(std::make_unique<TAnimationController>()) {
    TAnimGameObject::SetMesh(mesh);
}

TAnimGameObject::~TAnimGameObject() = default;

void TAnimGameObject::Update(int32_t deltaMs) {
    Animation->Advance(deltaMs);
}

void TAnimGameObject::SetMesh(TMeshResource* mesh) {
    TGameObject::SetMesh(mesh);
    Animation->SetMesh(mesh);
}
