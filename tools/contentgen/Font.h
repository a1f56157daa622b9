// The game's bitmap font, rendered with FreeType from DejaVu Sans, and text drawing for pictures.
#pragma once

#include <string>

#include "Canvas.h"

namespace contentgen {

class Output;

// How many times finer than the design's the large screens' font atlases and skins are: the game
// draws from them when its menus are scaled up, from the same descriptions.
inline constexpr int kFinerAtlasFactors[] = {2, 4};

// Writes Font/font.png and Font/font_info.txt, and Font/font_<N>x.png for each finer factor N.
void WriteFont(Output& out);

// Draws UTF-8 text with its top-left corner of the line box at (x, y), `pixelSize` em height.
// Returns the advance width in pixels. Bold picks DejaVu Sans Bold.
float DrawText(Canvas& canvas, const std::string& utf8, float x, float y, int pixelSize, Color color,
               bool bold = true);
float MeasureText(const std::string& utf8, int pixelSize, bool bold = true);

}  // namespace contentgen
