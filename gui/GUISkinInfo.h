// The named rectangles of the GUI skin texture ("Data\GUI\guiskininfo.txt"): every widget looks up
// the rectangle for its current state here and draws it as a textured quad.
//
// File format: a stream of tokens separated by spaces, carriage returns and line feeds (tabs belong
// to tokens). The first token is the number of entries N; then N entries of five tokens: the name
// and four integers in pixels of the skin texture, left, top, right and bottom. Each is stored
// divided by the texture's width or height, so a rectangle is in texture space (0..1). A rectangle
// with right < left or bottom < top mirrors the image. Names are exact and case-sensitive;
// duplicates are allowed and the first wins.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "util/Files.h"

struct TSkinTexCoord {
    std::string Name;
    float Left = 0;
    float Top = 0;
    float Right = 0;
    float Bottom = 0;
};

class TGUISkinInfo {
public:
    // Reads the table from a game path in `root`. On a missing or malformed file returns false with a message
    // naming the file and what was wrong, and leaves the table empty.
    bool LoadFromFile(const files::TDataRoot& root, std::string_view fileName, int textureWidth,
                      int textureHeight, std::string& error);
    // The same on bytes in memory; `sourceName` names them in messages.
    bool LoadFromBytes(std::string_view bytes, std::string_view sourceName, int textureWidth,
                       int textureHeight, std::string& error);

    // Copies the first entry named `name` into `rect` and returns true; when none matches, `rect`
    // is left as it was and the result is false.
    bool GetTexCoord(std::string_view name, TSkinTexCoord& rect) const;

    void Clear() { Items.clear(); }
    int32_t Count() const { return static_cast<int32_t>(Items.size()); }

    std::vector<TSkinTexCoord> Items;
};
