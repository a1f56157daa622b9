// What the scene manager's draw pass needs from a particle system. The particle systems live in
// effects/, which builds on scene/, so they derive from this node class: the draw pass finds every
// TSceneEffect in the tree (not culled, in tree order) and, with blending on, depth writes off, view *
// projection in c0-c3 and the camera rotation in c4-c7, calls Draw on each.
#pragma once

#include <string>
#include <vector>

#include "scene/GE_MOVEABLEOBJECT.h"

class TSceneEffect : public TMoveableObject {
public:
    explicit TSceneEffect(std::string name) : TMoveableObject(std::move(name)) {}

    // Writes and draws the effect (binds its own shaders and texture).
    virtual void Draw() = 0;
    // Draws the effect and, in the same draw call, as many of effects[next], effects[next + 1], ...
    // as draw exactly like it (its quads first, then theirs in order, so the picture is the one the
    // separate calls give); returns how many of those it took.
    virtual size_t DrawWithFollowing(const std::vector<TSceneEffect*>& effects, size_t next) {
        (void)effects;
        (void)next;
        Draw();
        return 0;
    }
    // Around a device reset: give back and re-create default-pool buffers.
    virtual void OnLostDevice() = 0;
    virtual void OnResetDevice() = 0;
};
