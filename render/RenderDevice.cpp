#include "render/RenderDevice.h"

#include <algorithm>

#include "render/Buffers.h"
#include "render/Shaders.h"
#include "render/VertexDeclaration.h"
#include "util/Log.h"

using namespace platform;

TRenderD3D9::TRenderD3D9(GraphicsSystem& system) : D3D(system) {
    static const float kCornerUV[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int i = 0; i < 4; ++i) {
        QuadVertices_[i] = TQuadVertex{0.0f, 0.0f, 0.0f, kCornerUV[i][0], kCornerUV[i][1]};
    }
    static const uint16_t kIndices[6] = {0, 1, 2, 2, 3, 0};
    for (int i = 0; i < 6; ++i)
        QuadIndices_[i] = kIndices[i];
}

TRenderD3D9::~TRenderD3D9() {
    DeviceSlot.reset();
}

PresentParameters TRenderD3D9::BuildPresentParameters(Window* handle, bool windowed, uint16_t width,
                                                      uint16_t height, uint8_t vsync) {
    DisplayMode desktop = D3D.GetAdapterDisplayMode();
    PresentParameters p;
    p.Windowed = windowed;
    if (!windowed) {
        p.BackBufferWidth = width;
        p.BackBufferHeight = height;
        p.FullScreen_RefreshRateInHz = desktop.RefreshRate;
    } else {
        p.BackBufferWidth = WindowBackWidth_;
        p.BackBufferHeight = WindowBackHeight_;
    }
    p.BackBufferFormat = desktop.Format;
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.DeviceWindow = handle;
    p.EnableAutoDepthStencil = true;
    p.AutoDepthStencilFormat = D3DFMT_D16;
    p.PresentationInterval = vsync == 1 ? D3DPRESENT_INTERVAL_ONE : D3DPRESENT_INTERVAL_IMMEDIATE;
    return p;
}

bool TRenderD3D9::Initialize(Window* handle, bool windowed, uint16_t width, uint16_t height, uint8_t vsync,
                             std::string& error) {
    PresentParameters parameters = BuildPresentParameters(handle, windowed, width, height, vsync);
    // The old device goes first: a window holds one device at a time.
    DeviceSlot.reset();
    error.clear();
    DeviceSlot = D3D.CreateDevice(handle, parameters, error);
    if (!DeviceSlot) {
        if (error.empty())
            error = "the graphics device could not be created";
        logging::Write("render", error);
        return false;
    }
    Width_ = width;
    Height_ = height;
    return true;
}

bool TRenderD3D9::ResetDevice(bool windowed, Window* handle, uint16_t width, uint16_t height, uint8_t vsync) {
    if (!DeviceSlot)
        return false;
    return DeviceSlot->Reset(BuildPresentParameters(handle, windowed, width, height, vsync)) == D3D_OK;
}

bool TRenderD3D9::IsDeviceLost() {
    return DeviceSlot && DeviceSlot->TestCooperativeLevel() == D3DERR_DEVICELOST;
}

bool TRenderD3D9::IsDeviceNotReset() {
    return DeviceSlot && DeviceSlot->TestCooperativeLevel() == D3DERR_DEVICENOTRESET;
}

void TRenderD3D9::ClearTarget(uint8_t r, uint8_t g, uint8_t b) {
    if (!DeviceSlot)
        return;
    uint32_t color = (uint32_t{r} << 16) | (uint32_t{g} << 8) | uint32_t{b};  // alpha 0
    DeviceSlot->Clear(D3DCLEAR_TARGET, color, 0.0f, 0);
}

void TRenderD3D9::ClearDepth() {
    if (DeviceSlot)
        DeviceSlot->Clear(D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
}

void TRenderD3D9::BeginScene() {
    if (DeviceSlot)
        DeviceSlot->BeginScene();
}

void TRenderD3D9::EndScene() {
    if (DeviceSlot)
        DeviceSlot->EndScene();
}

void TRenderD3D9::Present() {
    if (DeviceSlot)
        DeviceSlot->Present();
}

void TRenderD3D9::SetDepthTest(bool enable) {
    if (DeviceSlot)
        DeviceSlot->SetRenderState(D3DRS_ZENABLE, enable ? 1 : 0);
}

void TRenderD3D9::SetDepthWrite(bool enable) {
    if (DeviceSlot)
        DeviceSlot->SetRenderState(D3DRS_ZWRITEENABLE, enable ? 1 : 0);
}

void TRenderD3D9::SetAlphaBlend(bool enable) {
    if (!DeviceSlot)
        return;
    if (enable) {
        DeviceSlot->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
        DeviceSlot->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        DeviceSlot->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    } else {
        DeviceSlot->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
    }
}

void TRenderD3D9::SetCullMode(int32_t mode) {
    if (!DeviceSlot)
        return;
    switch (mode) {
        case 0:
            DeviceSlot->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
            break;
        case 1:
            DeviceSlot->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
            break;
        case 2:
            DeviceSlot->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
            break;
        default:
            break;
    }
}

void TRenderD3D9::SetTextureFilter(uint32_t sampler, int32_t mode, uint8_t maxAnisotropy) {
    if (!DeviceSlot)
        return;
    uint32_t filter;
    switch (mode) {
        case 0:
            filter = D3DTEXF_POINT;
            break;
        case 1:
            filter = D3DTEXF_LINEAR;
            break;
        case 2:
            filter = D3DTEXF_ANISOTROPIC;
            break;
        default:
            return;
    }
    DeviceSlot->SetSamplerState(sampler, D3DSAMP_MINFILTER, filter);
    DeviceSlot->SetSamplerState(sampler, D3DSAMP_MAGFILTER, filter);
    if (mode == 2)
        DeviceSlot->SetSamplerState(sampler, D3DSAMP_MAXANISOTROPY, maxAnisotropy);
}

void TRenderD3D9::SetVertexShader(const TVertexShader* shader) {
    if (DeviceSlot)
        DeviceSlot->SetVertexShader(shader != nullptr ? shader->Handle() : ShaderHandle{});
}

void TRenderD3D9::SetPixelShader(const TPixelShader* shader) {
    if (DeviceSlot)
        DeviceSlot->SetPixelShader(shader != nullptr ? shader->Handle() : ShaderHandle{});
}

void TRenderD3D9::SetVertexShaderConstants(uint32_t reg, const float* data, uint32_t count) {
    if (DeviceSlot)
        DeviceSlot->SetVertexShaderConstantF(reg, data, count);
}

void TRenderD3D9::SetVertexShaderConstants(uint32_t reg, const TMatrix* data, uint32_t count) {
    SetVertexShaderConstants(reg, data != nullptr ? &data->_11 : nullptr, count);
}

void TRenderD3D9::DrawQuad(float x, float y, float width, float height) {
    if (!DeviceSlot)
        return;
    QuadVertices_[0].X = x;
    QuadVertices_[0].Y = y;
    QuadVertices_[1].X = x + width;
    QuadVertices_[1].Y = y;
    QuadVertices_[2].X = x + width;
    QuadVertices_[2].Y = y - height;
    QuadVertices_[3].X = x;
    QuadVertices_[3].Y = y - height;
    for (TQuadVertex& v : QuadVertices_)
        v.Z = 0.0f;

    DeviceSlot->SetRenderState(D3DRS_ZENABLE, 0);
    DeviceSlot->SetFVF(D3DFVF_XYZ | D3DFVF_TEX1);
    DeviceSlot->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, QuadIndices_, D3DFMT_INDEX16,
                                       QuadVertices_, sizeof(TQuadVertex));
    DeviceSlot->SetRenderState(D3DRS_ZENABLE, 1);
}

void TRenderD3D9::DrawQuads(const std::vector<TScreenQuad>& quads) {
    if (!DeviceSlot || quads.empty())
        return;
    const size_t count = std::min<size_t>(quads.size(), 16384);  // 16-bit indices
    QuadsVertices_.resize(count * 4);
    QuadsIndices_.resize(count * 6);
    for (size_t q = 0; q < count; ++q) {
        const TScreenQuad& quad = quads[q];
        const float right = quad.X + quad.Width;
        const float bottom = quad.Y - quad.Height;
        const TTextureRect& uv = quad.Picture;
        QuadsVertices_[q * 4 + 0] = TQuadVertex{quad.X, quad.Y, 0.0f, uv.U0, uv.V0};
        QuadsVertices_[q * 4 + 1] = TQuadVertex{right, quad.Y, 0.0f, uv.U1, uv.V0};
        QuadsVertices_[q * 4 + 2] = TQuadVertex{right, bottom, 0.0f, uv.U1, uv.V1};
        QuadsVertices_[q * 4 + 3] = TQuadVertex{quad.X, bottom, 0.0f, uv.U0, uv.V1};
        for (size_t i = 0; i < 6; ++i) {
            QuadsIndices_[q * 6 + i] = static_cast<uint16_t>(q * 4 + QuadIndices_[i]);
        }
    }
    DeviceSlot->SetRenderState(D3DRS_ZENABLE, 0);
    DeviceSlot->SetFVF(D3DFVF_XYZ | D3DFVF_TEX1);
    DeviceSlot->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, static_cast<uint32_t>(count * 4),
                                       static_cast<uint32_t>(count * 2), QuadsIndices_.data(), D3DFMT_INDEX16,
                                       QuadsVertices_.data(), sizeof(TQuadVertex));
    DeviceSlot->SetRenderState(D3DRS_ZENABLE, 1);
}

void TRenderD3D9::DrawRenderOperation(const TRenderOperation& op) {
    if (!DeviceSlot)
        return;
    DeviceSlot->SetVertexDeclaration(op.Declaration != nullptr ? op.Declaration->Handle()
                                                               : DeclarationHandle{});
    DeviceSlot->SetStreamSource(0,
                                op.VertexBuffer != nullptr ? op.VertexBuffer->Handle() : VertexBufferHandle{},
                                0, op.Declaration != nullptr ? op.Declaration->GetStride() : 0);
    DeviceSlot->SetIndices(op.IndexBuffer != nullptr ? op.IndexBuffer->Handle() : IndexBufferHandle{});
    DeviceSlot->SetTexture(0, op.Texture);
    // A negative count would reach the device as a huge one.
    uint32_t numVertices = op.NumVertices > 0 ? static_cast<uint32_t>(op.NumVertices) : 0;
    uint32_t primitiveCount = op.PrimitiveCount > 0 ? static_cast<uint32_t>(op.PrimitiveCount) : 0;
    DeviceSlot->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, numVertices, 0, primitiveCount);
}
