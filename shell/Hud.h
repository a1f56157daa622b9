// What the game draws over the picture besides the GUI: the head-up display of a running level (the
// armour and clock icons, one icon per life, the aiming cursor), the bonus icons of "Help", and the
// textured quads of the menus' backdrop and cursor. The HUD's icons come from its atlas in one draw
// call when there is one.
#pragma once

#include <cstdint>
#include <vector>

#include "shell/GameServices.h"
#include "util/ScreenLayout.h"
#include "world/World.h"

class THud {
public:
    // Both must outlive the HUD; the services may be filled in later (before the first call).
    THud(const TWorld& world, TGameServices& services) : World_(world), Services_(services) {}

    // The HUD over the scene (quad shaders, blending on, depth test off): the armour and clock icons
    // and one life icon per life in the layout's HUD view, and the aiming cursor centred on the cursor
    // (pixels of the layout's screen). In a game for two the second player's lives and shield are on
    // the right, and their own aiming cursor is drawn where SetSecondCursor put it.
    void DrawHud(int32_t cursorClientX, int32_t cursorClientY, const TScreenLayout& layout);
    // The second player's aiming cursor (pixels of the layout's screen), shown while `shown`.
    void SetSecondCursor(bool shown, int32_t x, int32_t y) {
        SecondCursorShown_ = shown;
        SecondCursorX_ = x;
        SecondCursorY_ = y;
    }
    // The seven bonus icons of "Help", in the menus' view.
    void DrawHelpIcons(const TScreenView& view);
    // One textured quad of the texture cache entry `texture` (nothing drawn bound when it is missing),
    // top-left (x, y) and size in clip space. The caller sets the shaders and states.
    void DrawTexturedQuad(const char* texture, float x, float y, float width, float height);

private:
    const TWorld& World_;
    TGameServices& Services_;
    std::vector<TScreenQuad> HudQuads_;  // the HUD icons of this frame, kept to reuse its memory
    bool SecondCursorShown_ = false;
    int32_t SecondCursorX_ = 0;
    int32_t SecondCursorY_ = 0;
};
