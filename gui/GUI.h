// TGUI: the game's menus and HUD. It owns a list of named forms, exactly one of which is active:
// only the active form receives input and is drawn. Each frame the shell calls ProcessInput with the
// cursor in screen space, and later Draw, which collects the skin quads of every widget of the
// active form into one array and draws them in one draw call, while the widgets queue their text in
// the font (the shell flushes the font right after).
//
// The skin texture is the texture cache's entry (not owned); the GUI reads its handle at each draw.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "gui/BaseWidget.h"
#include "gui/FineTextures.h"
#include "gui/Form.h"
#include "gui/GUISkinInfo.h"
#include "render/GE_D3D9.h"
#include "util/ScreenLayout.h"

class TGUI {
public:
    // Compiles the quad shaders and builds the TGUIVertex declaration. The game passes the "GUI"
    // texture, "Data\Shaders\render_quad.vs" and "Data\Shaders\render_quad.ps". `skinTexture` is the
    // address of the texture cache entry's handle (nullptr: untextured). `font` and `input` are the
    // slots the shell keeps the font and the input in; the font slot may still be empty. The skin
    // stays empty (every widget draws with texture coordinates 0) until LoadSkin. Files are read from
    // `root`.
    TGUI(TRenderD3D9& render, const files::TDataRoot& root, const platform::TextureHandle* skinTexture,
         std::string_view vertexShaderFile, std::string_view pixelShaderFile, TFontSlot font,
         TInputSlot input);
    // The skin description ("Data\GUI\guiskininfo.txt" on a 512 x 256 texture in the game). A file that
    // cannot be read leaves the skin empty and gives false with an `error` naming the file and the line;
    // the shell decides whether to stop.
    bool LoadSkin(const files::TDataRoot& root, std::string_view skinInfoFile, int skinWidth, int skinHeight,
                  std::string& error);
    // The skin texture's file ("Data\GUI\guiskintex.png", 512 x 256) under `root`, beside which the finer
    // skins for large screens lie (gui/FineTextures.h). Without it the skin is always the design's.
    void SetSkinFile(const files::TDataRoot& root, std::string_view skinTextureFile, int skinWidth,
                     int skinHeight);
    // Draws the skin, and the font's text, from textures `wanted` times finer than the design's (or the
    // next coarser there are); 1 is the design's. Nothing moves: only the texels get finer.
    void ChooseFineness(int wanted);
    int SkinFineness() const { return FineSkin_.Factor(); }
    ~TGUI();
    TGUI(const TGUI&) = delete;
    TGUI& operator=(const TGUI&) = delete;

    // Takes the form, hands it the font and input slots and appends it. Returns the form.
    TMyForm* AddForm(std::unique_ptr<TMyForm> form);

    // HandleInput on every widget of the active form, in the order added. mousePos is in screen
    // space; deltaTime in milliseconds. Nothing happens without forms. When a widget's callback
    // switches forms, the rest of the form that was active when the pass began still gets its input.
    void ProcessInput(int32_t deltaTime, const TVector2& mousePos);
    // Draws the skin quads of the active form in one draw call (none when no widget queued a quad).
    void Draw();

    // The Name of the active form; empty without forms.
    std::string GetActiveFormName() const;
    // The first form named `name`, or nullptr.
    TMyForm* FindForm(std::string_view name) const;
    // Makes the last form named `name` active; an unknown name changes nothing. No widget state is
    // reset by a switch.
    void SetActiveForm(std::string_view name);

    // Where the forms go on the screen: widgets are placed, and ProcessInput's mousePos is given, in the
    // view's clip space and the screen's respectively (the identity until set). The font's queued text
    // follows the same view from the next Draw.
    void SetView(const TScreenView& view) { View_ = view; }
    const TScreenView& View() const { return View_; }

    TMyForm* ActiveFormPtr() const;
    size_t FormCount() const { return Forms.size(); }
    const TGUISkinInfo& Skin() const { return Skin_; }

private:
    TRenderD3D9& Render;
    TGUIVB Vertices;
    TGUIIB Indices;
    TVertexBuffer VertexBuffer;
    TIndexBuffer IndexBuffer;
    TVertexDeclaration Declaration;
    TGUISkinInfo Skin_;
    TInputSlot Input;
    TFontSlot Font;
    TVertexShader VertexShader;
    TPixelShader PixelShader;
    const platform::TextureHandle* SkinTexture;
    std::vector<std::unique_ptr<TMyForm>> Forms;
    size_t ActiveForm = 0;
    TScreenView View_;
    TFineTextures FineSkin_;
};
