// The node of the scene tree: a name, a parent, owned children, a position, rotation and scale, and the
// two matrices derived from them.
//
// Conventions:
// - Row vectors (see util/GE_MATH.h). LocalMatrix = Scale * RotationX * RotationY * RotationZ *
//   Translation; rotations are stored in degrees.
// - WorldMatrix = LocalMatrix * the parent's LocalMatrix: it takes in exactly one level of ancestry. The
//   game keeps "Root" and "Level" at the identity and nests objects at most one level below a level
//   object, so that is the full transform of everything it draws.
// - WorldMatrix is all zeros until the first UpdateMatrices that reaches the node.
// - A node owns its children (std::unique_ptr). Names compare exactly, byte for byte.
//
// Removing a node during the scene's update pass is safe: while the top node of a tree defers frees
// (SetDeferFrees, the scene manager does it around its update walk), Remove and DeleteObject take the
// node out of the tree at once but keep its memory alive until the pass ends, so an object may remove
// itself (or another) inside its own Update and the walk never touches freed memory. A node taken out
// with Detach or ExtractObject belongs to the caller from then on; dropping it during the pass frees it
// at once, so game code leaves the world through Remove or DeleteObject only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "util/GE_MATH.h"

class TMoveableObject {
public:
    explicit TMoveableObject(std::string name);
    virtual ~TMoveableObject();

    TMoveableObject(const TMoveableObject&) = delete;
    TMoveableObject& operator=(const TMoveableObject&) = delete;

    // One frame's step; deltaMs is the time since the previous frame in whole milliseconds (never
    // negative). The base does nothing.
    virtual void Update(int32_t deltaMs);

    // Appends the child, sets its Parent to this node and returns it.
    TMoveableObject* AddChild(std::unique_ptr<TMoveableObject> child);
    template <class T>
    T* AddChild(std::unique_ptr<T> child) {
        T* raw = child.get();
        AddChild(std::unique_ptr<TMoveableObject>(std::move(child)));
        return raw;
    }

    // Depth first, pre-order: this node, else the first match in the children in list order; nullptr.
    TMoveableObject* FindObject(const std::string& name);

    // Takes the node out of its parent's list (the parent's last child moves into its slot) and hands
    // back the ownership the parent gave up. Without a parent: nothing happens, nullptr.
    [[nodiscard]] std::unique_ptr<TMoveableObject> Detach();
    // FindObject, then Detach of what was found. A match without a parent (this node itself when it is
    // a root) cannot be handed over and gives nullptr.
    [[nodiscard]] std::unique_ptr<TMoveableObject> ExtractObject(const std::string& name);
    // ExtractObject, then frees what was found (deferred while the tree defers frees).
    void DeleteObject(const std::string& name);
    // Detach, then frees the node itself. How an object leaves the world from inside its own Update;
    // nothing of the node may be touched after the call. A node without a parent is deleted outright,
    // so only call it on a parentless node that nobody else owns.
    void Remove();

    // While on (set on a tree's top node), nodes removed from the tree are kept alive until it is
    // switched off again, which frees them.
    void SetDeferFrees(bool defer);
    bool DefersFrees() const { return DeferFrees; }
    // The topmost ancestor (this node when it has no parent).
    TMoveableObject* Top();

    const std::string& GetName() const { return Name; }
    TMoveableObject* GetParent() const { return Parent; }
    int32_t GetChildCount() const { return static_cast<int32_t>(Children.size()); }
    TMoveableObject* GetChild(int32_t index) const { return Children[static_cast<size_t>(index)].get(); }

    TVector3 GetPosition() const { return Position; }
    TVector3 GetRotation() const { return Rotation; }
    TVector3 GetScale() const { return Scale; }
    void SetPosition(float x, float y, float z);
    // Degrees about X, Y and Z.
    void SetRotation(float x, float y, float z);
    void SetScale(float x, float y, float z);

    // Rebuilds LocalMatrix when a setter changed the node since the last rebuild.
    void RebuildLocalMatrix();
    // Parent before children: RebuildLocalMatrix, WorldMatrix = LocalMatrix * parent's LocalMatrix.
    void UpdateMatrices();
    TMatrix GetWorldMatrix() const { return WorldMatrix; }
    const TMatrix& GetLocalMatrix() const { return LocalMatrix; }
    bool IsChanged() const { return Changed; }

    // Appends the whole subtree in post-order: each child's subtree in list order, then this node.
    void CollectObjects(std::vector<TMoveableObject*>& list);

protected:
    std::string Name;
    TMoveableObject* Parent = nullptr;  // not owned
    std::vector<std::unique_ptr<TMoveableObject>> Children;
    TVector3 Position{0.0f, 0.0f, 0.0f};
    TVector3 Rotation{0.0f, 0.0f, 0.0f};  // degrees
    TVector3 Scale{1.0f, 1.0f, 1.0f};
    TMatrix LocalMatrix;
    bool Changed = false;
    TMatrix WorldMatrix;

private:
    // Frees the node now, or hands it to the top node's pending list while that defers frees.
    static void Free(TMoveableObject* formerTop, std::unique_ptr<TMoveableObject> node);

    bool DeferFrees = false;
    std::vector<std::unique_ptr<TMoveableObject>> PendingFrees;
};
