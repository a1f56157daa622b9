#include "gui/GE_FONT.h"

#include <algorithm>
#include <cmath>

#include "gui/FrameGeometry.h"
#include "render/TextureLoader.h"
#include "util/Files.h"
#include "util/GE_MATH.h"
#include "util/Log.h"

namespace {

// The vertex layout of TFontVertex in engine usage / type codes.
constexpr uint8_t kUsagePosition = 0, kUsageTexCoord = 2, kUsageColor = 7;
constexpr uint8_t kTypeFloat2 = 1, kTypeFloat3 = 2, kTypeColor = 4;

}  // namespace

TMYFont::TMYFont(TRenderD3D9& render)
    : Render(render),
      VertexBuffer(render.Device()),
      IndexBuffer(render.Device()),
      Declaration(render.Device()),
      FineAtlas_(render.Device()) {
    Declaration.AddElement(kUsagePosition, kTypeFloat3);
    Declaration.AddElement(kUsageColor, kTypeColor);
    Declaration.AddElement(kUsageTexCoord, kTypeFloat2);
    Declaration.EndDeclaration();
    Declaration.Build();
    for (int16_t& index : GlyphIndex) {
        index = -1;
    }
}

bool TMYFont::LoadFromFile(const files::TDataRoot& root, std::string_view textureFile,
                           std::string_view infoFile, std::string_view pixelShaderFile,
                           std::string_view vertexShaderFile, std::string& error) {
    // Whatever fails leaves the font empty, so it draws nothing rather than untextured blocks.
    SetGlyphs(TFontInfo());
    FontTexture.Reset();
    std::string bytes;
    if (!root.ReadFile(infoFile, bytes, error)) {
        return false;
    }
    TFontInfo info;
    std::string warning;
    if (!ParseFontInfo(bytes, infoFile, info, error, warning)) {
        return false;
    }
    if (!warning.empty()) {
        logging::Write("gui", warning);
    }
    platform::Image atlas;
    platform::TextureHandle texture;
    const bool loaded = ReadImageFile(root, textureFile, atlas, error) &&
                        CreateTextureFromImage(Render.Device(), atlas, false, textureFile, texture, error);
    FontTexture = TUniqueTexture(Render.Device(), texture);
    if (!loaded) {
        return false;
    }
    FineAtlas_.SetDesign(root, textureFile, atlas.Width, atlas.Height);
    SetGlyphs(std::move(info));
    VertexShader.LoadFromFileOrLog(root, Render.Device(), vertexShaderFile);
    PixelShader.LoadFromFileOrLog(root, Render.Device(), pixelShaderFile);
    return true;
}

void TMYFont::SetGlyphs(TFontInfo info) {
    InfoValue1_ = info.InfoValue1;
    InfoValue2_ = info.InfoValue2;
    Glyphs = std::move(info.Glyphs);
    for (int16_t& index : GlyphIndex) {
        index = -1;
    }
    // Every size is measured in the first glyph's height.
    if (!Glyphs.empty() && !(Glyphs[0].Height > 0)) {
        Glyphs.clear();
    }
    // Later entries overwrite earlier ones: the last glyph of a character wins. The table is capped
    // so that every index fits.
    const size_t count = std::min<size_t>(Glyphs.size(), 32767);
    Glyphs.resize(count);
    for (size_t i = 0; i < count; ++i) {
        GlyphIndex[Glyphs[i].Char] = static_cast<int16_t>(i);
    }
}

const TGlyph* TMYFont::Find(uint8_t c) const {
    const int16_t index = GlyphIndex[c];
    return index >= 0 ? &Glyphs[static_cast<size_t>(index)] : nullptr;
}

float TMYFont::TextWidth(std::string_view text) const {
    if (Glyphs.empty()) {
        return 0;
    }
    float width = 0;
    for (const char c : text) {
        const TGlyph* glyph = Find(static_cast<uint8_t>(c));
        width += glyph != nullptr ? glyph->Width : Glyphs[0].Width;
    }
    return width;
}

void TMYFont::DrawText(std::string_view text, float x, float y) {
    if (Glyphs.empty()) {
        return;
    }
    const float lineHeight = Glyphs[0].Height;
    const float s = FontSize / lineHeight;
    // The slant is measured in atlas units of the reference line, not scaled with the text.
    const float slant = std::tan(Italic * static_cast<float>(kPi) / 180.0f) * lineHeight;
    const uint32_t color =
        0xFF000000u | (uint32_t{FontColor.R} << 16) | (uint32_t{FontColor.G} << 8) | uint32_t{FontColor.B};
    float px = x;
    float py = y;
    const size_t first = Vertices.size();
    for (const char c : text) {
        if (c == '\r') {
            px = x;
            py -= lineHeight * s;
            continue;
        }
        if (c == '\n') {
            continue;
        }
        const TGlyph* glyph = Find(static_cast<uint8_t>(c));
        if (glyph == nullptr) {
            px += Glyphs[0].Width * s;
            continue;
        }
        const float w = glyph->Width * s;
        const float h = glyph->Height * s;
        if (Vertices.size() / 4 >= kMaxGlyphsPerFrame) {
            if (!DropLogged) {
                logging::Write("gui", "more than " + std::to_string(kMaxGlyphsPerFrame) +
                                          " glyphs in one frame; the rest of this frame's text is dropped");
                DropLogged = true;
            }
            px += w;
            continue;
        }
        const auto n = static_cast<uint16_t>(Vertices.size());
        Vertices.push_back({px + slant, py, 0, color, glyph->U, glyph->V});
        Vertices.push_back({px + w + slant, py, 0, color, glyph->U + glyph->Width, glyph->V});
        Vertices.push_back({px + w, py - h, 0, color, glyph->U + glyph->Width, glyph->V + glyph->Height});
        Vertices.push_back({px, py - h, 0, color, glyph->U, glyph->V + glyph->Height});
        const uint16_t quad[6] = {n,
                                  static_cast<uint16_t>(n + 1),
                                  static_cast<uint16_t>(n + 2),
                                  static_cast<uint16_t>(n + 2),
                                  static_cast<uint16_t>(n + 3),
                                  n};
        Indices.insert(Indices.end(), quad, quad + 6);
        px += w;
    }
    if (!View_.IsIdentity()) {
        for (size_t i = first; i < Vertices.size(); ++i) {
            Vertices[i].X = View_.ToScreenX(Vertices[i].X);
            Vertices[i].Y = View_.ToScreenY(Vertices[i].Y);
        }
    }
}

void TMYFont::DrawTextInRect(std::string_view text, float x, float y, float width, float height) {
    if (Glyphs.empty()) {
        return;
    }
    const float s = FontSize / Glyphs[0].Height;
    const float textWidth = TextWidth(text) * s;
    const float lineHeight = Glyphs[0].Height * s;
    if (HAlign == 1) {
        x += width - textWidth;
    } else if (HAlign == 2) {
        x += (width - textWidth) / 2;
    }
    if (VAlign == 1) {
        y -= height - lineHeight;
    } else if (VAlign == 2) {
        y -= (height - lineHeight) / 2;
    }
    DrawText(text, x, y);
}

void TMYFont::Flush() {
    if (Vertices.empty()) {
        DropLogged = false;
        return;
    }
    const bool filled =
        UploadFrameGeometry(VertexBuffer, IndexBuffer, Vertices.data(),
                            static_cast<uint32_t>(Vertices.size() * sizeof(TFontVertex)), Indices);

    if (filled) {
        Render.SetVertexShader(&VertexShader);
        Render.SetPixelShader(&PixelShader);
        Render.SetAlphaBlend(true);
        Render.SetDepthTest(false);
        TRenderOperation op;
        op.Declaration = &Declaration;
        op.VertexBuffer = &VertexBuffer;
        op.IndexBuffer = &IndexBuffer;
        op.NumVertices = static_cast<int32_t>(Vertices.size());
        op.PrimitiveCount = static_cast<int32_t>(Indices.size() / 3);
        op.Texture = FineAtlas_.Texture(FontTexture.Get());
        DrawWithFineFilter(Render, FineAtlas_, op);
        Render.SetDepthTest(true);
        Render.SetAlphaBlend(false);
    }

    Vertices.clear();
    Indices.clear();
    VertexBuffer.ReleaseBuffer();
    IndexBuffer.ReleaseBuffer();
    DropLogged = false;
}
