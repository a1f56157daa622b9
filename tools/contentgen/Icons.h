// The program's icon for the desktop: the player's tank from the game's own models and textures,
// drawn by the software renderer.
#pragma once

#include "Output.h"

namespace contentgen {

// The application id the desktop files are named after.
inline constexpr const char* kAppId = "io.github.brelvox.Brelvox";

// desktop/icons/<N>x<N>/<id>.png for N = 48, 64, 128 and 256.
void WriteIcons(Output& out);

}  // namespace contentgen
