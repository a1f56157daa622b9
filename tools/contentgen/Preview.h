// Looking at the content without the game: a small software renderer that draws the models as the
// game's shaders do (texture only, back faces culled by their winding, blended materials last) from
// the game's camera pitch.
#pragma once

#include <string>

namespace contentgen {

// Writes DIR/models.png (every model, 60 degrees from above) and DIR/text.png (sample lines drawn
// from the font atlas the way the game lays glyphs out, at the menu sizes for 800 x 600 and
// 1024 x 768), and DIR/level<N>.png for each LEVELDIR/level<N>.txt, seen from the game's camera over
// the player's start.
bool WritePreviews(const std::string& dir, const std::string& levelDir);

}  // namespace contentgen
