// TRenderD3D9: the one rendering device of the program, and TRenderOperation, one indexed draw.
//
// The renderer owns the device in its `Device` slot (DeviceSlot below). Every other graphics object
// holds a TDeviceRef, the address of that slot, so it always reaches the device that is current after
// a re-creation. Objects must not outlive the renderer.
//
// Every operation is safe without a device (before Initialize, or after it failed): it does nothing and
// the queries answer "not lost", "not waiting for a reset", "reset failed".
//
// Screen space for DrawQuad is clip space: x from -1 (left) to 1 (right), y from 1 (top) to -1 (bottom).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/GraphicsDevice.h"
#include "util/GE_MATH.h"

using TDeviceRef = const std::unique_ptr<platform::GraphicsDevice>*;

// The device of a slot, or nullptr when there is no slot or no device in it.
inline platform::GraphicsDevice* DeviceOf(TDeviceRef ref) {
    return ref != nullptr ? ref->get() : nullptr;
}

class TVertexDeclaration;
class TVertexBuffer;
class TIndexBuffer;
class TVertexShader;
class TPixelShader;

// What one indexed triangle-list draw needs. The objects are the caller's (not owned); the texture
// handle belongs to the texture cache. Any of them may be missing: the draw then binds "none".
struct TRenderOperation {
    TVertexDeclaration* Declaration = nullptr;  // its stride is the stream stride
    TVertexBuffer* VertexBuffer = nullptr;      // stream 0
    TIndexBuffer* IndexBuffer = nullptr;        // 16-bit indices
    int32_t NumVertices = 0;                    // vertices addressed by the indices
    int32_t PrimitiveCount = 0;                 // triangles
    platform::TextureHandle Texture;            // bound to stage 0; none draws untextured
};

// One corner of the DrawQuad rectangle: position in clip space, texture coordinate. 20 bytes.
struct TQuadVertex {
    float X, Y, Z, U, V;
};
static_assert(sizeof(TQuadVertex) == 20, "quad vertices are 5 packed floats");

// Where a picture lies in its texture, in texture coordinates: (U0, V0) its top-left corner, (U1, V1)
// its bottom-right one. The whole texture by default.
struct TTextureRect {
    float U0 = 0.0f;
    float V0 = 0.0f;
    float U1 = 1.0f;
    float V1 = 1.0f;
};

// A rectangle for DrawQuads: its top-left corner and size in clip space, and the part of the texture
// it shows.
struct TScreenQuad {
    float X = 0.0f;
    float Y = 0.0f;
    float Width = 0.0f;
    float Height = 0.0f;
    TTextureRect Picture;
};

class TRenderD3D9 {
public:
    // The graphics system stands for the Direct3D object; it must outlive the renderer.
    explicit TRenderD3D9(platform::GraphicsSystem& system);
    ~TRenderD3D9();
    TRenderD3D9(const TRenderD3D9&) = delete;
    TRenderD3D9& operator=(const TRenderD3D9&) = delete;

    // Creates the device for the window (replacing any earlier one). `width` and `height` are the
    // back-buffer size in full screen (a window uses its client size); vsync 1 waits for the vertical
    // blank. On failure returns false, leaves no device and says why in `error` (also logged).
    bool Initialize(platform::Window* handle, bool windowed, uint16_t width, uint16_t height, uint8_t vsync,
                    std::string& error);
    // Device Reset with present parameters built as in Initialize; true when it succeeded.
    bool ResetDevice(bool windowed, platform::Window* handle, uint16_t width, uint16_t height, uint8_t vsync);
    bool IsDeviceLost();
    bool IsDeviceNotReset();
    // From the next Initialize or ResetDevice, a window's back buffer is width x height, shown in its
    // shape inside the client area with black bars; 0 x 0 (the default): the client size.
    void SetWindowBackBuffer(uint16_t width, uint16_t height) {
        WindowBackWidth_ = width;
        WindowBackHeight_ = height;
    }

    void ClearTarget(uint8_t r, uint8_t g, uint8_t b);
    void ClearDepth();
    void BeginScene();
    void EndScene();
    void Present();

    // The address of the device slot.
    TDeviceRef Device() const { return &DeviceSlot; }

    void SetDepthTest(bool enable);
    void SetDepthWrite(bool enable);
    // On: source alpha / inverse source alpha. Off: only the enable state is cleared.
    void SetAlphaBlend(bool enable);
    // 0: cull nothing, 1: cull counter-clockwise (the default), 2: cull clockwise; other values: nothing.
    void SetCullMode(int32_t mode);
    // Min and mag filter of a sampler: 0 point, 1 linear, 2 anisotropic (also setting the maximum
    // anisotropy); other modes change nothing. The mip filter is never touched.
    void SetTextureFilter(uint32_t sampler, int32_t mode, uint8_t maxAnisotropy);

    // Binds the shader's handle; an empty shader or nullptr binds none.
    void SetVertexShader(const TVertexShader* shader);
    void SetPixelShader(const TPixelShader* shader);
    // `count` four-float registers from `data`, starting at `reg`.
    void SetVertexShaderConstants(uint32_t reg, const float* data, uint32_t count);
    // `count` registers from matrices laid one after another (4 registers each).
    void SetVertexShaderConstants(uint32_t reg, const TMatrix* data, uint32_t count);

    // A textured rectangle in clip space, (x, y) its top-left corner. Draws with the depth test off and
    // turns it on afterwards, whatever it was before. The caller binds shaders and texture first.
    void DrawQuad(float x, float y, float width, float height);
    // Several such rectangles in one draw call, in their order, each showing its part of the bound
    // texture (icons of one atlas); nothing for none.
    void DrawQuads(const std::vector<TScreenQuad>& quads);
    void DrawRenderOperation(const TRenderOperation& op);

    int32_t Width() const { return Width_; }
    int32_t Height() const { return Height_; }
    const TQuadVertex* QuadVertices() const { return QuadVertices_; }
    const uint16_t* QuadIndices() const { return QuadIndices_; }

private:
    platform::PresentParameters BuildPresentParameters(platform::Window* handle, bool windowed,
                                                       uint16_t width, uint16_t height, uint8_t vsync);

    platform::GraphicsSystem& D3D;
    std::unique_ptr<platform::GraphicsDevice> DeviceSlot;  // the `Device` field
    int32_t Width_ = 0;  // back-buffer size given at creation; a reset does not change it
    int32_t Height_ = 0;
    TQuadVertex QuadVertices_[4];
    uint16_t QuadIndices_[6];
    std::vector<TQuadVertex> QuadsVertices_;
    std::vector<uint16_t> QuadsIndices_;
    uint16_t WindowBackWidth_ = 0;
    uint16_t WindowBackHeight_ = 0;
};
