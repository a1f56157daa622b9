#include "gui/GUI.h"

#include "gui/FrameGeometry.h"
#include "gui/GE_FONT.h"
#include "util/Log.h"

namespace {

// The vertex layout of TGUIVertex in engine usage / type codes.
constexpr uint8_t kUsagePosition = 0, kUsageTexCoord = 2;
constexpr uint8_t kTypeFloat2 = 1, kTypeFloat3 = 2;

}  // namespace

TGUI::TGUI(TRenderD3D9& render, const files::TDataRoot& root, const platform::TextureHandle* skinTexture,
           std::string_view vertexShaderFile, std::string_view pixelShaderFile, TFontSlot font,
           TInputSlot input)
    : Render(render),
      VertexBuffer(render.Device()),
      IndexBuffer(render.Device()),
      Declaration(render.Device()),
      Input(input),
      Font(font),
      SkinTexture(skinTexture),
      FineSkin_(render.Device()) {
    VertexShader.LoadFromFileOrLog(root, render.Device(), vertexShaderFile);
    PixelShader.LoadFromFileOrLog(root, render.Device(), pixelShaderFile);
    Declaration.AddElement(kUsagePosition, kTypeFloat3);
    Declaration.AddElement(kUsageTexCoord, kTypeFloat2);
    Declaration.EndDeclaration();
    Declaration.Build();
}

bool TGUI::LoadSkin(const files::TDataRoot& root, std::string_view skinInfoFile, int skinWidth,
                    int skinHeight, std::string& error) {
    return Skin_.LoadFromFile(root, skinInfoFile, skinWidth, skinHeight, error);
}

void TGUI::SetSkinFile(const files::TDataRoot& root, std::string_view skinTextureFile, int skinWidth,
                       int skinHeight) {
    FineSkin_.SetDesign(root, skinTextureFile, skinWidth, skinHeight);
}

void TGUI::ChooseFineness(int wanted) {
    FineSkin_.Choose(wanted);
    if (Font && *Font) {
        (*Font)->ChooseFineness(wanted);
    }
}

TGUI::~TGUI() = default;

TMyForm* TGUI::AddForm(std::unique_ptr<TMyForm> form) {
    if (!form) {
        return nullptr;
    }
    form->SetSlots(Font, Input);
    Forms.push_back(std::move(form));
    return Forms.back().get();
}

TMyForm* TGUI::ActiveFormPtr() const {
    return ActiveForm < Forms.size() ? Forms[ActiveForm].get() : nullptr;
}

void TGUI::ProcessInput(int32_t deltaTime, const TVector2& mousePos) {
    TMyForm* form = ActiveFormPtr();
    if (form == nullptr) {
        return;
    }
    const TVector2 mouse = Vector2(View_.FromScreenX(mousePos.X), View_.FromScreenY(mousePos.Y));
    // By index: a callback may add widgets to the form while it is walked.
    for (size_t i = 0; i < form->Widgets.size(); ++i) {
        if (form->Widgets[i]->Visible) {
            form->Widgets[i]->HandleInput(deltaTime, mouse);
        }
    }
}

void TGUI::Draw() {
    TMyForm* form = ActiveFormPtr();
    if (form == nullptr) {
        return;
    }
    Vertices.clear();
    Indices.clear();
    if (Font && *Font) {
        (*Font)->SetView(View_);
    }
    for (size_t i = 0; i < form->Widgets.size(); ++i) {
        if (form->Widgets[i]->Visible) {
            form->Widgets[i]->Draw(Vertices, Indices, Skin_);
        }
    }
    if (Vertices.empty()) {
        return;
    }
    if (!View_.IsIdentity()) {
        for (TGUIVertex& vertex : Vertices) {
            vertex.X = View_.ToScreenX(vertex.X);
            vertex.Y = View_.ToScreenY(vertex.Y);
        }
    }

    const bool filled =
        UploadFrameGeometry(VertexBuffer, IndexBuffer, Vertices.data(),
                            static_cast<uint32_t>(Vertices.size() * sizeof(TGUIVertex)), Indices);

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
        op.Texture = FineSkin_.Texture(SkinTexture != nullptr ? *SkinTexture : platform::TextureHandle{});
        DrawWithFineFilter(Render, FineSkin_, op);
        Render.SetAlphaBlend(false);
        Render.SetDepthTest(true);
    }

    VertexBuffer.ReleaseBuffer();
    IndexBuffer.ReleaseBuffer();
    Vertices.clear();
    Indices.clear();
}

std::string TGUI::GetActiveFormName() const {
    const TMyForm* form = ActiveFormPtr();
    return form != nullptr ? form->Name : std::string();
}

TMyForm* TGUI::FindForm(std::string_view name) const {
    for (const auto& form : Forms) {
        if (form->Name == name) {
            return form.get();
        }
    }
    return nullptr;
}

void TGUI::SetActiveForm(std::string_view name) {
    for (size_t i = Forms.size(); i-- > 0;) {
        if (Forms[i]->Name == name) {
            ActiveForm = i;
            return;
        }
    }
}
