// A notice over every screen: one line in yellow along the bottom, shown for kNoticeMs of the game's
// frames and then gone (a save that failed says so this way).
#pragma once

#include <cstdint>
#include <string>

#include "gui/GE_FONT.h"

class TNotice {
public:
    static constexpr int32_t kNoticeMs = 8000;

    // Shows `text` (Windows-1251 bytes) from now on, in place of any notice shown before.
    void Show(const std::string& text);
    // The notice shown now; empty when none.
    const std::string& Text() const { return Text_; }
    // Counts the notice's time down by one frame of `dt` milliseconds.
    void Tick(int32_t dt);
    // Queues the notice's text on the font, as large as a HUD line and smaller when the line would
    // not fit the screen's width (the font's Flush draws it).
    void Queue(TMYFont* font);

private:
    std::string Text_;
    int32_t LeftMs_ = 0;
};
