// Scene nodes that the scene manager draws: TGameObject carries a mesh of the mesh cache,
// TAnimGameObject also an animation state for a skinned mesh.
//
// The mesh is an entry of TMeshManager (shared, not owned); it may be null (nothing is drawn). A skinned
// mesh (one with bones) must only be given to a TAnimGameObject: the scene manager reads its Animation.
#pragma once

#include <memory>
#include <string>

#include "scene/GE_MOVEABLEOBJECT.h"

struct TMeshResource;
class TAnimationController;

class TGameObject : public TMoveableObject {
public:
    TGameObject(std::string name, TMeshResource* mesh);
    ~TGameObject() override;

    void Update(int32_t deltaMs) override;
    // Stores the reference.
    virtual void SetMesh(TMeshResource* mesh);
    TMeshResource* GetMesh() const { return Mesh; }
    // A static object keeps its place, its mesh and its parent's place from the frame it is first
    // drawn until it leaves the tree: the scene manager may bake it with others (a level's decoration).
    void SetStatic(bool isStatic) { Static = isStatic; }
    bool IsStatic() const { return Static; }

protected:
    TMeshResource* Mesh = nullptr;  // not owned
    bool Static = false;
};

class TAnimGameObject : public TGameObject {
public:
    TAnimGameObject(std::string name, TMeshResource* mesh);
    ~TAnimGameObject() override;

    // Advances every animation of Animation by the elapsed milliseconds.
    void Update(int32_t deltaMs) override;
    // Stores the mesh, then resets Animation for it (unchanged when the mesh has no animations).
    void SetMesh(TMeshResource* mesh) override;
    TAnimationController* GetAnimation() const { return Animation.get(); }

protected:
    std::unique_ptr<TAnimationController> Animation;
};
