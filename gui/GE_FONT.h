// TMYFont: all text of the game, drawn from one texture atlas of glyphs (see FontInfo.h for the
// description file).
//
// Text is queued, not drawn: DrawText and DrawTextInRect append one textured quad per glyph to the
// font's queues, and Flush, called once per frame after the GUI, draws the whole queue in one draw
// call and empties it. Positions are in GUI screen space: x from -1 (left) to 1 (right), y from 1
// (top) to -1 (bottom); FontSize is the height of one text line in those units.
//
// FontColor, FontSize, Italic, HAlign and VAlign are the current text style: the widgets set them
// just before each request.
//
// The queues address vertices with 16-bit indices: one frame holds at most kMaxGlyphsPerFrame glyphs;
// glyphs beyond that are dropped (and the drop is logged once per frame), never drawn corrupted.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "gui/BaseWidget.h"
#include "gui/FineTextures.h"
#include "gui/FontInfo.h"
#include "render/DeviceResource.h"
#include "render/GE_D3D9.h"
#include "util/Files.h"
#include "util/ScreenLayout.h"

#pragma pack(push, 1)
struct TFontVertex {
    float X, Y, Z;
    uint32_t Color;  // D3DCOLOR: 0xAARRGGBB
    float U, V;
};
#pragma pack(pop)
static_assert(sizeof(TFontVertex) == 24, "TFontVertex is a storage format of 24 bytes");

class TMYFont {
public:
    // Four vertices and six 16-bit indices per glyph; the index count must stay within 16 bits.
    static constexpr size_t kMaxGlyphsPerFrame = 65535 / 6;  // 10922

    // Creates the buffer objects and the TFontVertex declaration on the renderer's device; the
    // renderer must outlive the font.
    explicit TMYFont(TRenderD3D9& render);
    TMYFont(const TMYFont&) = delete;
    TMYFont& operator=(const TMYFont&) = delete;

    // Reads the glyph table, loads the atlas (one level) and compiles the two shaders. The game
    // passes "Data\Font\font.png", "Data\Font\font_info.txt", "Data\Shaders\Font.ps",
    // "Data\Shaders\Font.vs". False with an `error` naming the file when the table or the atlas cannot
    // be read (the font then draws nothing); a shader that does not compile is logged and left empty,
    // as everywhere in the renderer. The files are read from `root`.
    bool LoadFromFile(const files::TDataRoot& root, std::string_view textureFile, std::string_view infoFile,
                      std::string_view pixelShaderFile, std::string_view vertexShaderFile,
                      std::string& error);
    // Takes a glyph table read elsewhere (tests, tools); the atlas and shaders are left as they are.
    // A table whose first glyph's Height is not above 0 leaves the font without glyphs.
    void SetGlyphs(TFontInfo info);

    // The sum of the atlas widths of Text's glyphs (unscaled); a byte not in the table counts the
    // first glyph's width. Carriage returns and line feeds are looked up like any other byte.
    float TextWidth(std::string_view text) const;
    // Queues Text with its first line's top-left corner at (x, y). A carriage return starts a new line
    // FontSize lower at x; a line feed is ignored; a byte not in the table leaves a gap as wide as the
    // first glyph.
    void DrawText(std::string_view text, float x, float y);
    // Aligns Text (as one line) in the rectangle with top-left corner (x, y) by HAlign (0 left, 1 right,
    // 2 centre) and VAlign (0 top, 1 bottom, 2 middle), then DrawText.
    void DrawTextInRect(std::string_view text, float x, float y, float width, float height);
    // Draws everything queued in one draw call and empties the queues. Nothing is drawn when the
    // queue is empty.
    void Flush();
    // Where the text queued from now on goes on the screen: its positions and FontSize are in the
    // view's clip space (the identity until set).
    void SetView(const TScreenView& view) { View_ = view; }
    const TScreenView& View() const { return View_; }
    // Draws from the atlas `wanted` times finer than the design's ("font_2x.png" beside "font.png"),
    // or the next coarser one there is (gui/FineTextures.h); 1 draws from the design's atlas. The glyphs
    // stay where they are. Reads the finer atlas the first time it is wanted.
    void ChooseFineness(int wanted) { FineAtlas_.Choose(wanted); }
    int Fineness() const { return FineAtlas_.Factor(); }

    size_t VertexCount() const { return Vertices.size(); }
    size_t IndexCount() const { return Indices.size(); }
    size_t GlyphCount() const { return Glyphs.size(); }
    const std::vector<TGlyph>& GlyphTable() const { return Glyphs; }
    const std::vector<TFontVertex>& QueuedVertices() const { return Vertices; }
    const std::vector<uint16_t>& QueuedIndices() const { return Indices; }
    platform::TextureHandle Texture() const { return FontTexture.Get(); }
    int16_t InfoValue1() const { return InfoValue1_; }
    int16_t InfoValue2() const { return InfoValue2_; }

    TFontColor FontColor;  // alpha is not used: text is opaque
    float FontSize = 0.08f;
    float Italic = 0;  // slant, degrees
    uint8_t HAlign = 0;
    uint8_t VAlign = 0;

private:
    // The glyph of a byte (the last table entry with that character), or nullptr.
    const TGlyph* Find(uint8_t c) const;

    TRenderD3D9& Render;
    TUniqueTexture FontTexture;
    int16_t InfoValue1_ = 0;
    int16_t InfoValue2_ = 0;
    TVertexBuffer VertexBuffer;
    TIndexBuffer IndexBuffer;
    TVertexDeclaration Declaration;
    TVertexShader VertexShader;
    TPixelShader PixelShader;
    std::vector<TGlyph> Glyphs;
    int16_t GlyphIndex[256];  // index into Glyphs per byte, -1 for none
    std::vector<TFontVertex> Vertices;
    std::vector<uint16_t> Indices;
    bool DropLogged = false;
    TScreenView View_;
    TFineTextures FineAtlas_;
};
