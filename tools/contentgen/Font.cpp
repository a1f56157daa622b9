// The glyph atlas: DejaVu Sans Bold, narrowed a little (the menu buttons are narrow for their
// captions), white on transparent, one cell per character, every cell as high
// as a text line with the baseline at the same place, so the game can place glyphs edge to edge.
// The game's screen space stretches x by the 4:3 aspect of its display modes (a glyph's width and
// height are both scaled by the line height in atlas units), so glyphs are rasterised three quarters
// as wide as they are meant to look.
#include "Font.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "Output.h"

namespace contentgen {

namespace {

constexpr int kAtlasWidth = 512;
constexpr int kAtlasHeight = 512;
constexpr int kEmPixels = 30;
// Blank rows above and below the glyphs: a line of text is drawn as high as the widget's text size,
// and the letters look right in a 40-pixel button when they take about two thirds of that.
constexpr int kLinePadding = 4;

// How much narrower than drawn the atlas glyphs are: 3/4 for the screen's aspect, and a little more.
constexpr float kAtlasXScale = 0.75f * 0.88f;

std::string FontFile(bool bold) {
    return std::string(CONTENTGEN_FONT_DIR) + (bold ? "/DejaVuSans-Bold.ttf" : "/DejaVuSans.ttf");
}

struct FreeType {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    FreeType(bool bold, int pixels, float xScale) {
        if (FT_Init_FreeType(&library) != 0) {
            library = nullptr;
            return;
        }
        if (FT_New_Face(library, FontFile(bold).c_str(), 0, &face) != 0) {
            std::fprintf(stderr, "contentgen: cannot open %s\n", FontFile(bold).c_str());
            face = nullptr;
            return;
        }
        FT_Set_Char_Size(face, pixels * 64, pixels * 64, 72, 72);
        FT_Matrix squeeze{static_cast<FT_Fixed>(std::lround(xScale * 65536)), 0, 0, 0x10000};
        FT_Set_Transform(face, &squeeze, nullptr);
    }
    ~FreeType() {
        if (face) {
            FT_Done_Face(face);
        }
        if (library) {
            FT_Done_FreeType(library);
        }
    }
    bool Ok() const { return face != nullptr; }
};

// The Windows-1251 bytes of the font and the characters they stand for.
std::vector<std::pair<unsigned char, uint32_t>> Charset() {
    std::vector<std::pair<unsigned char, uint32_t>> set;
    for (int c = 32; c <= 126; ++c) {
        set.emplace_back(static_cast<unsigned char>(c), static_cast<uint32_t>(c));
    }
    for (int c = 0xC0; c <= 0xFF; ++c) {
        set.emplace_back(static_cast<unsigned char>(c), static_cast<uint32_t>(0x410 + c - 0xC0));
    }
    const std::pair<unsigned char, uint32_t> extra[] = {
        {0xA8, 0x401}, {0xB8, 0x451},  {0xAA, 0x404},  {0xBA, 0x454},  {0xB2, 0x406},  {0xB3, 0x456},
        {0xAF, 0x407}, {0xBF, 0x457},  {0xA5, 0x490},  {0xB4, 0x491},  {0xB9, 0x2116}, {0xAB, 0xAB},
        {0xBB, 0xBB},  {0x96, 0x2013}, {0x97, 0x2014}, {0x85, 0x2026},
    };
    for (const auto& e : extra) {
        set.push_back(e);
    }
    return set;
}

std::vector<uint32_t> DecodeUtf8(const std::string& s) {
    std::vector<uint32_t> out;
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        int n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : 4;
        uint32_t cp = n == 1 ? c : n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
        for (int k = 1; k < n && i + k < s.size(); ++k) {
            cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        }
        out.push_back(cp);
        i += n;
    }
    return out;
}

// Copies the rendered glyph in `g` into its cell of the atlas: the cell's top-left corner at (cellX,
// cellY), `width` x `lineHeight` pixels, the baseline `ascender` pixels below the cell's top.
void BlitGlyph(Canvas& atlas, FT_GlyphSlot g, int cellX, int cellY, int width, int lineHeight, int ascender) {
    const FT_Bitmap& bm = g->bitmap;
    for (unsigned row = 0; row < bm.rows; ++row) {
        for (unsigned col = 0; col < bm.width; ++col) {
            int x = static_cast<int>(col) + g->bitmap_left;
            int y = ascender - g->bitmap_top + static_cast<int>(row);
            if (x < 0 || x >= width || y < 0 || y >= lineHeight) {
                continue;  // ink outside the cell would show in the neighbour's cell
            }
            float a = bm.buffer[row * bm.pitch + col] / 255.0f;
            atlas.Set(cellX + x, cellY + y, Color{1, 1, 1, a});
        }
    }
}

}  // namespace

void WriteFont(Output& out) {
    FreeType ft(true, kEmPixels, kAtlasXScale);
    if (!ft.Ok()) {
        out.Write("Font/font_info.txt", "");  // makes the run fail visibly in the comparison
        return;
    }
    FT_Face face = ft.face;
    int ascender = static_cast<int>(std::ceil(face->size->metrics.ascender / 64.0)) + kLinePadding;
    int descender = static_cast<int>(std::floor(face->size->metrics.descender / 64.0)) - kLinePadding;
    int lineHeight = ascender - descender;
    Canvas atlas(kAtlasWidth, kAtlasHeight, Color{1, 1, 1, 0});

    struct Entry {
        unsigned char code;
        uint32_t codePoint;
        int x, y, width;
    };
    std::vector<Entry> entries;
    int penX = 1, penY = 1;
    for (const auto& [code, cp] : Charset()) {
        if (FT_Load_Char(face, cp, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) != 0) {
            continue;
        }
        FT_GlyphSlot g = face->glyph;
        int advance = static_cast<int>(std::lround(g->advance.x / 64.0));
        int width = std::max(advance, 1);
        if (penX + width + 1 > kAtlasWidth) {
            penX = 1;
            penY += lineHeight + 2;
        }
        if (penY + lineHeight > kAtlasHeight) {
            std::fprintf(stderr, "contentgen: font atlas is full\n");
            break;
        }
        BlitGlyph(atlas, g, penX, penY, width, lineHeight, ascender);
        entries.push_back({code, cp, penX, penY, width});
        penX += width + 2;
    }

    // The finer atlases for large screens: every cell exactly `factor` times the cell above, so the
    // same description serves them all, each glyph rendered anew at `factor` times the size.
    for (int factor : kFinerAtlasFactors) {
        FreeType fine(true, kEmPixels * factor, kAtlasXScale);
        Canvas fineAtlas(kAtlasWidth * factor, kAtlasHeight * factor, Color{1, 1, 1, 0});
        for (const Entry& e : entries) {
            if (fine.Ok() &&
                FT_Load_Char(fine.face, e.codePoint, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) == 0) {
                BlitGlyph(fineAtlas, fine.face->glyph, e.x * factor, e.y * factor, e.width * factor,
                          lineHeight * factor, ascender * factor);
            }
        }
        out.WritePng("Font/font_" + std::to_string(factor) + "x.png", fineAtlas.Image());
    }

    auto num = [](float v) { return FormatNumber(v, ','); };
    std::string info;
    info += "Size = " + std::to_string(kEmPixels) + "\r\n";
    info += "LineHeight = " + std::to_string(lineHeight) + "\r\n";
    info += "Glyph count = " + std::to_string(entries.size()) + "\r\n";
    info += "Glyphs:\r\n";
    // The space comes first: its height is the line height and its width the advance of any
    // character the table lacks.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return (a.code == ' ') > (b.code == ' '); });
    for (const Entry& e : entries) {
        info += "\"";
        info += static_cast<char>(e.code);
        info += "\"\r\n";
        info += "U = " + num(static_cast<float>(e.x) / kAtlasWidth) + "\r\n";
        info += "V = " + num(static_cast<float>(e.y) / kAtlasHeight) + "\r\n";
        info += "Width = " + num(static_cast<float>(e.width) / kAtlasWidth) + "\r\n";
        info += "Height = " + num(static_cast<float>(lineHeight) / kAtlasHeight) + "\r\n";
    }
    out.Write("Font/font_info.txt", info);
    out.WritePng("Font/font.png", atlas.Image());
}

float MeasureText(const std::string& utf8, int pixelSize, bool bold) {
    FreeType ft(bold, pixelSize, 1.0f);
    if (!ft.Ok()) {
        return 0;
    }
    float w = 0;
    for (uint32_t cp : DecodeUtf8(utf8)) {
        if (FT_Load_Char(ft.face, cp, FT_LOAD_DEFAULT) == 0) {
            w += ft.face->glyph->advance.x / 64.0f;
        }
    }
    return w;
}

float DrawText(Canvas& canvas, const std::string& utf8, float x, float y, int pixelSize, Color color,
               bool bold) {
    FreeType ft(bold, pixelSize, 1.0f);
    if (!ft.Ok()) {
        return 0;
    }
    int ascender = static_cast<int>(std::ceil(ft.face->size->metrics.ascender / 64.0));
    float pen = x;
    for (uint32_t cp : DecodeUtf8(utf8)) {
        if (FT_Load_Char(ft.face, cp, FT_LOAD_RENDER) != 0) {
            continue;
        }
        FT_GlyphSlot g = ft.face->glyph;
        int ox = static_cast<int>(std::lround(pen)) + g->bitmap_left;
        int oy = static_cast<int>(std::lround(y)) + ascender - g->bitmap_top;
        for (unsigned row = 0; row < g->bitmap.rows; ++row) {
            for (unsigned col = 0; col < g->bitmap.width; ++col) {
                float a = g->bitmap.buffer[row * g->bitmap.pitch + col] / 255.0f;
                canvas.Blend(ox + static_cast<int>(col), oy + static_cast<int>(row), color, a);
            }
        }
        pen += g->advance.x / 64.0f;
    }
    return pen - x;
}

}  // namespace contentgen
