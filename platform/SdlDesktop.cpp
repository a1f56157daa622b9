#include "platform/SdlDesktop.h"

#include <SDL.h>

#include <cstdio>

#include "platform/SdlWindow.h"

namespace platform {

SdlDesktop::SdlDesktop() {
    // Under Wayland SDL would stand in for a warp of the hidden pointer (its own, when a window goes
    // full screen) by locking the pointer and adding up its motion from wherever SDL last saw it: the
    // position it reports then leaves the compositor's pointer behind for good, and the cursor, which
    // goes where that position is, no longer goes where the player points. Without the stand-in a warp
    // simply fails, as the game expects there (X11 ignores the hint).
    SDL_SetHint(SDL_HINT_VIDEO_WAYLAND_EMULATE_MOUSE_WARP, "0");
    std::string error;  // without a display, no screen and no pointer: the window says why
    videoInitialised_ = StartVideo(error);
}

SdlDesktop::~SdlDesktop() {
    if (videoInitialised_) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
}

void SdlDesktop::GetCursorPosition(int& x, int& y) {
    x = 0;
    y = 0;
    SDL_GetGlobalMouseState(&x, &y);
}

void SdlDesktop::SetCursorPosition(int x, int y) {
    // Wayland lets no program move the pointer: the warp fails and the pointer stays where it is, so
    // motion goes on being measured from there.
    warpRefused_ = SDL_WarpMouseGlobal(x, y) != 0;
    if (warpRefused_) {
        return;
    }
    ++warpCount_;
    warpX_ = x;
    warpY_ = y;
}

std::vector<ScreenSize> SdlDesktop::DisplayModes() {
    std::vector<ScreenSize> modes;
    const int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(0, i, &mode) == 0) {
            modes.push_back({mode.w, mode.h});
        }
    }
    return modes;
}

int SdlDesktop::ScreenWidth() {
    SDL_DisplayMode mode;
    return SDL_GetDesktopDisplayMode(0, &mode) == 0 ? mode.w : 0;
}

int SdlDesktop::ScreenHeight() {
    SDL_DisplayMode mode;
    return SDL_GetDesktopDisplayMode(0, &mode) == 0 ? mode.h : 0;
}

void SdlDesktop::HideSystemCursor() {
    SDL_ShowCursor(SDL_DISABLE);
}

void SdlDesktop::ShowMessageBox(const std::string& title, const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
    std::fflush(stderr);
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title.c_str(), text.c_str(), nullptr) != 0) {
        // A bare X server without fonts, for one: the text above is all there is.
        std::fprintf(stderr, "(the message box cannot be shown: %s)\n", SDL_GetError());
    }
}

}  // namespace platform
