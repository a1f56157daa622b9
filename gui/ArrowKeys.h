// The Left and Right arrow keys and the controller's D-pad left and right as one step, acting when let
// go as the game's keys do. Polled once per frame by the widget that may take them, whether or not it
// takes them that frame, so a press made elsewhere is not taken for one made on it.
#pragma once

class TInput;

class TArrowKeys {
public:
    // -1 for Left or D-pad left let go this frame, +1 for Right or D-pad right, else 0 (Left wins).
    int Poll(const TInput& input);

private:
    bool PadLeft_ = false;  // the D-pad as the last frame saw it
    bool PadRight_ = false;
};
