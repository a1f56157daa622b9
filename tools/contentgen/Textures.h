// Pictures of the game that are not model textures: background, HUD and help icons, cursors and
// particle sprites under Data/Textures.
#pragma once

namespace contentgen {

class Output;

void WriteTextures(Output& out);

}  // namespace contentgen
