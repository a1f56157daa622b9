#include "scene/GE_MOVEABLEOBJECT.h"

#include <algorithm>
#include <cassert>
#include <utility>

namespace {

TMatrix ZeroMatrix() {
    TMatrix m;
    for (auto& row : m.m) {
        std::fill(std::begin(row), std::end(row), 0.0f);
    }
    return m;
}

}  // namespace

TMoveableObject::TMoveableObject(std::string name)
    : Name(std::move(name)), LocalMatrix(MatrixIdentity()), WorldMatrix(ZeroMatrix()) {}

TMoveableObject::~TMoveableObject() {
    // Children first, in list order; pending frees of a top node go with it.
    Children.clear();
    PendingFrees.clear();
}

void TMoveableObject::Update(int32_t /*deltaMs*/) {}

TMoveableObject* TMoveableObject::AddChild(std::unique_ptr<TMoveableObject> child) {
    assert(child && "TMoveableObject::AddChild: null child");
    assert(child.get() != this && "TMoveableObject::AddChild: a node cannot be its own child");
    child->Parent = this;
    Children.push_back(std::move(child));
    return Children.back().get();
}

TMoveableObject* TMoveableObject::FindObject(const std::string& name) {
    if (Name == name) {
        return this;
    }
    for (const auto& child : Children) {
        if (TMoveableObject* found = child->FindObject(name)) {
            return found;
        }
    }
    return nullptr;
}

std::unique_ptr<TMoveableObject> TMoveableObject::Detach() {
    if (Parent == nullptr) {
        return nullptr;
    }
    auto& siblings = Parent->Children;
    auto it = std::find_if(siblings.begin(), siblings.end(),
                           [this](const std::unique_ptr<TMoveableObject>& c) { return c.get() == this; });
    assert(it != siblings.end() && "TMoveableObject::Detach: node missing from its parent's children");
    std::unique_ptr<TMoveableObject> self = std::move(*it);
    if (it != siblings.end() - 1) {
        *it = std::move(siblings.back());
    }
    siblings.pop_back();
    Parent = nullptr;
    return self;
}

std::unique_ptr<TMoveableObject> TMoveableObject::ExtractObject(const std::string& name) {
    TMoveableObject* found = FindObject(name);
    if (found == nullptr) {
        return nullptr;
    }
    return found->Detach();
}

void TMoveableObject::DeleteObject(const std::string& name) {
    TMoveableObject* found = FindObject(name);
    if (found == nullptr || found->Parent == nullptr) {
        return;
    }
    TMoveableObject* top = found->Top();
    Free(top, found->Detach());
}

void TMoveableObject::Remove() {
    if (Parent == nullptr) {
        assert(!DeferFrees && "TMoveableObject::Remove: the top node of a pass cannot remove itself");
        delete this;
        return;
    }
    TMoveableObject* top = Top();
    Free(top, Detach());
}

void TMoveableObject::Free(TMoveableObject* formerTop, std::unique_ptr<TMoveableObject> node) {
    if (formerTop != nullptr && formerTop->DeferFrees) {
        formerTop->PendingFrees.push_back(std::move(node));
    }
    // Otherwise the node (and its subtree) goes here.
}

void TMoveableObject::SetDeferFrees(bool defer) {
    DeferFrees = defer;
    if (!defer) {
        // Destructors of pending nodes may remove further nodes; those are freed at once now.
        std::vector<std::unique_ptr<TMoveableObject>> pending = std::move(PendingFrees);
        PendingFrees.clear();
        pending.clear();
    }
}

TMoveableObject* TMoveableObject::Top() {
    TMoveableObject* node = this;
    while (node->Parent != nullptr) {
        node = node->Parent;
    }
    return node;
}

void TMoveableObject::SetPosition(float x, float y, float z) {
    Position = Vector3(x, y, z);
    Changed = true;
}

void TMoveableObject::SetRotation(float x, float y, float z) {
    Rotation = Vector3(x, y, z);
    Changed = true;
}

void TMoveableObject::SetScale(float x, float y, float z) {
    Scale = Vector3(x, y, z);
    Changed = true;
}

void TMoveableObject::RebuildLocalMatrix() {
    if (!Changed) {
        return;
    }
    Changed = false;
    TMatrix scale, rotationX, rotationY, rotationZ, translation;
    D3DXMatrixScaling(scale, Scale.X, Scale.Y, Scale.Z);
    D3DXMatrixRotationX(rotationX, DegToRad(Rotation.X));
    D3DXMatrixRotationY(rotationY, DegToRad(Rotation.Y));
    D3DXMatrixRotationZ(rotationZ, DegToRad(Rotation.Z));
    D3DXMatrixTranslation(translation, Position.X, Position.Y, Position.Z);
    LocalMatrix = MatrixMultiply(
        MatrixMultiply(MatrixMultiply(MatrixMultiply(scale, rotationX), rotationY), rotationZ), translation);
}

void TMoveableObject::UpdateMatrices() {
    RebuildLocalMatrix();
    if (Parent != nullptr) {
        WorldMatrix = MatrixMultiply(LocalMatrix, Parent->LocalMatrix);
    } else {
        WorldMatrix = LocalMatrix;
    }
    for (const auto& child : Children) {
        child->UpdateMatrices();
    }
}

void TMoveableObject::CollectObjects(std::vector<TMoveableObject*>& list) {
    for (const auto& child : Children) {
        child->CollectObjects(list);
    }
    list.push_back(this);
}
