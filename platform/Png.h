// PNG reading and writing (libpng). Images are RGBA8, top row first.
#pragma once

#include <string>
#include <string_view>

#include "platform/GraphicsDevice.h"

namespace platform {

// Decodes a PNG held in memory into RGBA8 whatever its colour type or depth. On failure returns false
// and an error saying what is wrong; `image` is then left empty.
bool DecodePng(std::string_view bytes, Image& image, std::string& error);

// Encodes RGBA8 as a PNG (8-bit RGBA, no interlace). Deterministic: the same image gives the same bytes.
bool EncodePng(const Image& image, std::string& bytes, std::string& error);

// Writes a PNG to a real path (not a game path).
bool WritePngFile(const std::string& path, const Image& image, std::string& error);

}  // namespace platform
