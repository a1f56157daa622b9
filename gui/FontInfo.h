// The glyph table of the bitmap font, read from "Data\Font\font_info.txt".
//
// The file is a stream of tokens (runs of bytes other than space, carriage return and line feed;
// tabs belong to tokens), numbers written with a comma as the decimal separator (a point is read
// as well):
//   1. three tokens, the third an integer: InfoValue1;
//   2. three tokens, the third an integer: InfoValue2;
//   3. four tokens, the fourth an integer N: the number of glyphs;
//   4. one more token, skipped;
//   5. N glyph entries: bytes are skipped up to and including a double quote, the next byte
//      (whatever it is, a space or a quote included) is the glyph's character and one more byte
//      (the closing quote) is skipped; then four groups of three tokens whose third tokens are U, V,
//      Width and Height, in atlas units (0..1).
// The first glyph is special: its Height is the reference line height and its Width the advance of
// characters missing from the table.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct TGlyph {
    uint8_t Char = 0;  // one Windows-1251 byte
    float U = 0;       // top-left corner in the atlas
    float V = 0;
    float Width = 0;  // extent in the atlas
    float Height = 0;
};

struct TFontInfo {
    int16_t InfoValue1 = 0;  // the header's two numbers, kept but not used for drawing
    int16_t InfoValue2 = 0;
    std::vector<TGlyph> Glyphs;  // file order
};

// Reads the table from bytes in memory; `sourceName` names them in messages.
//
// False with an `error` naming the source and the line for a header that is cut short or holds a
// token that is not a number where one belongs, a glyph number that is not a number, a table with
// no glyph, or a first glyph whose Height is not above 0 (every size is measured in it).
//
// A file that ends inside the glyph entries is not an error: the complete glyphs read so far are
// kept, and `warning` says where the file stopped (it is empty otherwise).
bool ParseFontInfo(std::string_view bytes, std::string_view sourceName, TFontInfo& info, std::string& error,
                   std::string& warning);
