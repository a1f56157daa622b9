// The Options screen's choice of resolution beside the "800" and "1024" radio buttons: a label between
// two arrow buttons ("ModeLess" <, "Mode", "ModeMore" >) that steps through the sizes the desktop
// offers. The desktop's own size comes first, marked as such; then the display's modes and the usual
// sizes that fit the desktop, largest first; 1024x768 and 800x600 are always there. The radio buttons
// and the chooser agree: stepping to 800x600 or 1024x768 ticks that button and any other size unticks
// both, and a ticked button brings the chooser to its size.
#pragma once

#include <string>
#include <vector>

#include "gui/GE_GUI.h"
#include "platform/Window.h"

class TResolutionChooser {
public:
    // The sizes offered on a desktop of desktopWidth x desktopHeight whose display lists `modes`.
    static std::vector<platform::ScreenSize> Offered(int desktopWidth, int desktopHeight,
                                                     const std::vector<platform::ScreenSize>& modes);
    // The sizes to step through; the first is the desktop's own.
    void SetSizes(std::vector<platform::ScreenSize> sizes) { Sizes_ = std::move(sizes); }
    const std::vector<platform::ScreenSize>& Sizes() const { return Sizes_; }

    // Shows width x height on the "Options" form of `gui`, with the radio buttons to match (a size not
    // in the list, such as one an options file names, joins it). `desktopMark` follows the
    // desktop's size ("(desktop)" in the player's language).
    void Show(TGUI& gui, int width, int height, const std::string& desktopMark);
    // An arrow: `by` sizes on (negative: back), round the list.
    void Step(TGUI& gui, int by);
    // After the form's input: a radio button ticked by the player brings the chooser to its size.
    void Follow(TGUI& gui);
    // The size chosen: a ticked radio button's, else the chooser's.
    platform::ScreenSize Chosen(TGUI& gui) const;

private:
    void Label(TGUI& gui) const;
    int IndexOf(int width, int height) const;

    std::vector<platform::ScreenSize> Sizes_;
    int Index_ = 0;
    std::string DesktopMark_;
};
