// The desktop around the window over SDL2: the global pointer, the screen size, the system cursor and
// message boxes.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Window.h"

namespace platform {

class SdlDesktop final : public Desktop {
public:
    SdlDesktop();
    ~SdlDesktop() override;
    SdlDesktop(const SdlDesktop&) = delete;
    SdlDesktop& operator=(const SdlDesktop&) = delete;

    void GetCursorPosition(int& x, int& y) override;
    void SetCursorPosition(int x, int y) override;
    bool MovesPointer() override { return !warpRefused_; }
    int ScreenWidth() override;
    int ScreenHeight() override;
    std::vector<ScreenSize> DisplayModes() override;
    void HideSystemCursor() override;
    // Printed to stderr, then shown in a box (if one can be shown at all).
    void ShowMessageBox(const std::string& title, const std::string& text) override;

    // Counts the SetCursorPosition calls that moved the pointer (none under Wayland, where a program
    // cannot) and keeps the last target, so mouse motion can be measured from the point the program put
    // the pointer at (SdlInputDevice).
    uint32_t WarpCount() const { return warpCount_; }
    void LastWarp(int& x, int& y) const {
        x = warpX_;
        y = warpY_;
    }

private:
    bool videoInitialised_ = false;
    bool warpRefused_ = false;  // the last SetCursorPosition could not move the pointer
    uint32_t warpCount_ = 0;
    int warpX_ = 0;
    int warpY_ = 0;
};

}  // namespace platform
