// The graphics device the engine draws with: the Direct3D 9 device's semantics, state values and
// conventions, behind an interface. Two implementations: OpenGL 3.3 core (GlGraphicsSystem) for play,
// and a recording device (RecordingGraphicsSystem) that logs every call for tests.
//
// Conventions kept behind this interface, whatever the implementation:
// - clip-space depth runs 0..1, clockwise triangles are front faces, texture (0, 0) is the top-left texel;
// - render and sampler states are the Direct3D 9 numbers below; everything never set keeps the
//   Direct3D 9 default (depth test on, depth writes on, depth func less-equal, cull counter-clockwise,
//   blending off, point min/mag filter, no mip filter, wrap addressing);
// - vertex-shader float constants are kVertexShaderRegisters (512) four-float registers that persist
//   across shader changes, as a Direct3D 9 device whose caps give that many (MaxVertexShaderConst);
// - shaders are GLSL sources with `uniform vec4 c[N]` as the registers (N at most 512; the shaders of
//   the design have 256) and attribute locations fixed by declaration usage (AttributeLocation below);
// - D3DCOLOR vertex data is a little-endian ARGB word (bytes B, G, R, A), read as normalised bytes.
//
// Resources are typed handles, one type per kind (ResourceHandle below); a default-made handle is
// "none", and releasing "none" does nothing. A handle is valid only on the device that made it and
// only until it is released: a device refuses a released handle (see SlotTable.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class Window;

// Direct3D 9 result codes the engine looks at.
// The vertex-shader constant registers a device holds.
constexpr uint32_t kVertexShaderRegisters = 512;

constexpr int32_t D3D_OK = 0;
constexpr int32_t D3DERR_DEVICELOST = static_cast<int32_t>(0x88760868u);
constexpr int32_t D3DERR_DEVICENOTRESET = static_cast<int32_t>(0x88760869u);
constexpr int32_t D3DERR_INVALIDCALL = static_cast<int32_t>(0x8876086Cu);

// Render states (D3DRENDERSTATETYPE) and their values.
constexpr uint32_t D3DRS_ZENABLE = 7;
constexpr uint32_t D3DRS_ZWRITEENABLE = 14;
constexpr uint32_t D3DRS_SRCBLEND = 19;
constexpr uint32_t D3DRS_DESTBLEND = 20;
constexpr uint32_t D3DRS_CULLMODE = 22;
constexpr uint32_t D3DRS_ZFUNC = 23;
constexpr uint32_t D3DRS_ALPHABLENDENABLE = 27;

constexpr uint32_t D3DBLEND_ZERO = 1;
constexpr uint32_t D3DBLEND_ONE = 2;
constexpr uint32_t D3DBLEND_SRCALPHA = 5;
constexpr uint32_t D3DBLEND_INVSRCALPHA = 6;

constexpr uint32_t D3DCULL_NONE = 1;
constexpr uint32_t D3DCULL_CW = 2;
constexpr uint32_t D3DCULL_CCW = 3;

constexpr uint32_t D3DCMP_LESSEQUAL = 4;

// Sampler states (D3DSAMPLERSTATETYPE) and filter values.
constexpr uint32_t D3DSAMP_ADDRESSU = 1;
constexpr uint32_t D3DSAMP_ADDRESSV = 2;
constexpr uint32_t D3DSAMP_MAGFILTER = 5;
constexpr uint32_t D3DSAMP_MINFILTER = 6;
constexpr uint32_t D3DSAMP_MIPFILTER = 7;
constexpr uint32_t D3DSAMP_MAXANISOTROPY = 10;

constexpr uint32_t D3DTEXF_NONE = 0;
constexpr uint32_t D3DTEXF_POINT = 1;
constexpr uint32_t D3DTEXF_LINEAR = 2;
constexpr uint32_t D3DTEXF_ANISOTROPIC = 3;

// Clear flags.
constexpr uint32_t D3DCLEAR_TARGET = 1;
constexpr uint32_t D3DCLEAR_ZBUFFER = 2;

// Buffer usage, pools and lock flags.
constexpr uint32_t D3DUSAGE_WRITEONLY = 0x8;
constexpr uint32_t D3DUSAGE_DYNAMIC = 0x200;
constexpr uint32_t D3DPOOL_DEFAULT = 0;
constexpr uint32_t D3DPOOL_MANAGED = 1;
constexpr uint32_t D3DLOCK_READONLY = 0x10;
constexpr uint32_t D3DLOCK_DISCARD = 0x2000;

// Formats.
constexpr uint32_t D3DFMT_A8R8G8B8 = 21;
constexpr uint32_t D3DFMT_X8R8G8B8 = 22;
constexpr uint32_t D3DFMT_D16 = 80;
constexpr uint32_t D3DFMT_INDEX16 = 101;

// Primitive types, flexible vertex format bits, swap effect, present intervals.
constexpr uint32_t D3DPT_TRIANGLELIST = 4;
constexpr uint32_t D3DFVF_XYZ = 0x002;
constexpr uint32_t D3DFVF_TEX1 = 0x100;
constexpr uint32_t D3DSWAPEFFECT_DISCARD = 1;
constexpr uint32_t D3DPRESENT_INTERVAL_ONE = 1;
constexpr uint32_t D3DPRESENT_INTERVAL_IMMEDIATE = 0x80000000u;

// Vertex declaration element types, methods and usages (D3DDECLTYPE, D3DDECLMETHOD, D3DDECLUSAGE).
constexpr uint8_t D3DDECLTYPE_FLOAT1 = 0;
constexpr uint8_t D3DDECLTYPE_FLOAT2 = 1;
constexpr uint8_t D3DDECLTYPE_FLOAT3 = 2;
constexpr uint8_t D3DDECLTYPE_FLOAT4 = 3;
constexpr uint8_t D3DDECLTYPE_D3DCOLOR = 4;
constexpr uint8_t D3DDECLTYPE_UNUSED = 17;
constexpr uint8_t D3DDECLMETHOD_DEFAULT = 0;

constexpr uint8_t D3DDECLUSAGE_POSITION = 0;
constexpr uint8_t D3DDECLUSAGE_BLENDWEIGHT = 1;
constexpr uint8_t D3DDECLUSAGE_BLENDINDICES = 2;
constexpr uint8_t D3DDECLUSAGE_NORMAL = 3;
constexpr uint8_t D3DDECLUSAGE_TEXCOORD = 5;
constexpr uint8_t D3DDECLUSAGE_TANGENT = 6;
constexpr uint8_t D3DDECLUSAGE_BINORMAL = 7;
constexpr uint8_t D3DDECLUSAGE_COLOR = 10;

// D3DVERTEXELEMENT9: 8 bytes, packed.
#pragma pack(push, 1)
struct VertexElement {
    uint16_t Stream;
    uint16_t Offset;
    uint8_t Type;
    uint8_t Method;
    uint8_t Usage;
    uint8_t UsageIndex;
};
#pragma pack(pop)
static_assert(sizeof(VertexElement) == 8, "D3DVERTEXELEMENT9 is 8 bytes");

// The end marker of a declaration (D3DDECL_END).
constexpr VertexElement D3DDECL_END = {0xFF, 0, D3DDECLTYPE_UNUSED, 0, 0, 0};

inline bool IsDeclarationEnd(const VertexElement& e) {
    return e.Stream == 0xFF;
}

// The attribute location a GLSL shader declares for a declaration usage and usage index:
// position 0, normal 1, texcoord 0 and 1 at 2 and 3, blend weights 4, blend indices 0 and 1 at
// 5 and 6 (the instanced copy number arrives as blend indices 1), colour 7. Other usages: -1.
int AttributeLocation(uint8_t usage, uint8_t usageIndex);

// D3DPRESENT_PARAMETERS, as far as the engine fills it.
struct PresentParameters {
    uint32_t BackBufferWidth = 0;  // 0 in a window: the client size is used
    uint32_t BackBufferHeight = 0;
    uint32_t BackBufferFormat = 0;
    uint32_t SwapEffect = 0;
    Window* DeviceWindow = nullptr;
    bool Windowed = false;
    bool EnableAutoDepthStencil = false;
    uint32_t AutoDepthStencilFormat = 0;
    uint32_t FullScreen_RefreshRateInHz = 0;
    uint32_t PresentationInterval = 0;
};

// D3DDISPLAYMODE.
struct DisplayMode {
    uint32_t Width = 0;
    uint32_t Height = 0;
    uint32_t RefreshRate = 0;
    uint32_t Format = D3DFMT_X8R8G8B8;
};

// A resource handle: the slot the resource has in its device's table of that kind, and the generation
// of the slot when the resource was made. Slot 0 is "none". Releasing a resource moves its slot to the
// next generation, so the handle it had no longer names anything, even once the slot is used again.
// Each kind is its own type: a texture handle does not convert to a buffer handle.
template <typename Kind>
struct ResourceHandle {
    uint32_t Slot = 0;
    uint32_t Generation = 0;

    explicit operator bool() const { return Slot != 0; }
    friend bool operator==(ResourceHandle a, ResourceHandle b) {
        return a.Slot == b.Slot && a.Generation == b.Generation;
    }
    friend bool operator!=(ResourceHandle a, ResourceHandle b) { return !(a == b); }
};

struct ShaderKind;
struct DeclarationKind;
struct VertexBufferKind;
struct IndexBufferKind;
struct TextureKind;
using ShaderHandle = ResourceHandle<ShaderKind>;
using DeclarationHandle = ResourceHandle<DeclarationKind>;
using VertexBufferHandle = ResourceHandle<VertexBufferKind>;
using IndexBufferHandle = ResourceHandle<IndexBufferKind>;
using TextureHandle = ResourceHandle<TextureKind>;

enum class ShaderStage { Vertex, Pixel };

// An RGBA8 image, top row first (a screenshot of the back buffer).
struct Image {
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Rgba;
};

// Draw calls and the primitives (triangles) they drew, counted by every device since it was made.
// The fragments are counted only while SetFragmentCounting is on, by a device that can count them:
// those the rasterizer handed to the pixel stage (before the depth test) and those that passed it.
struct DrawCounts {
    uint64_t DrawCalls = 0;
    uint64_t Primitives = 0;
    uint64_t FragmentsShaded = 0;
    uint64_t FragmentsPassed = 0;
};

// One draw call of the last presented frame, with its fragments (FragmentCounting::PerDraw).
struct DrawFragments {
    uint32_t Primitives = 0;
    TextureHandle Texture;  // of stage 0
    uint64_t Shaded = 0;
    uint64_t Passed = 0;
    // FragmentCounting::PerDrawSeen: 16 for each 4 x 4 block of the picture and each of this draw's
    // triangles seen in it (what a rasterizer that shades whole blocks must shade at the least, in any
    // order and with every hidden triangle culled); Blended: the draw blends, and was left out.
    uint64_t SeenBlocks = 0;
    bool Blended = false;
};

// Off; counted per frame (from BeginScene to Present, two queries a frame); or per draw call, each
// kept for the last presented frame (LastFrameDraws). PerDrawSeen counts per draw too, but draws every
// opaque triangle in a colour of its own (its draw and its number) and leaves out the draws that blend,
// so that the presented picture tells which triangle is seen at each pixel (DrawFragments::SeenBlocks);
// the picture is not the game's.
enum class FragmentCounting { Off, PerFrame, PerDraw, PerDrawSeen };

// IDirect3DDevice9, as far as the engine uses it.
class GraphicsDevice {
public:
    virtual ~GraphicsDevice() = default;

    const DrawCounts& Counts() const { return counts_; }

    // D3D_OK, D3DERR_DEVICELOST or D3DERR_DEVICENOTRESET.
    virtual int32_t TestCooperativeLevel() = 0;
    // Re-creates the swap chain; default-pool resources must have been released. D3D_OK on success.
    virtual int32_t Reset(const PresentParameters& parameters) = 0;

    virtual void Clear(uint32_t flags, uint32_t colorArgb, float z, uint32_t stencil) = 0;
    virtual void BeginScene() = 0;
    virtual void EndScene() = 0;
    virtual void Present() = 0;

    virtual void SetRenderState(uint32_t state, uint32_t value) = 0;
    virtual void SetSamplerState(uint32_t sampler, uint32_t type, uint32_t value) = 0;

    // Compiles a GLSL source of the given stage. Any text the compiler reports (errors or warnings)
    // is returned in `messages`; a shader is only created when there is none.
    virtual ShaderHandle CreateShader(ShaderStage stage, std::string_view source, std::string& messages) = 0;
    virtual void ReleaseShader(ShaderHandle shader) = 0;
    virtual void SetVertexShader(ShaderHandle shader) = 0;
    virtual void SetPixelShader(ShaderHandle shader) = 0;
    // `count` four-float registers from `data`, starting at register `startRegister` (0..255).
    virtual void SetVertexShaderConstantF(uint32_t startRegister, const float* data, uint32_t count) = 0;

    // `elements` ends with D3DDECL_END.
    virtual DeclarationHandle CreateVertexDeclaration(const VertexElement* elements) = 0;
    virtual void ReleaseVertexDeclaration(DeclarationHandle declaration) = 0;
    virtual void SetVertexDeclaration(DeclarationHandle declaration) = 0;

    virtual VertexBufferHandle CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf,
                                                  uint32_t pool) = 0;
    virtual IndexBufferHandle CreateIndexBuffer(uint32_t length, uint32_t usage, uint32_t format,
                                                uint32_t pool) = 0;
    // Lock, Unlock and Release take either kind of buffer. Lock returns nullptr when the range is
    // outside the buffer (size 0 means "to the end"). D3DLOCK_DISCARD gives undefined contents;
    // D3DLOCK_READONLY gives the current contents and Unlock uploads nothing.
    virtual void* LockBuffer(VertexBufferHandle buffer, uint32_t offset, uint32_t size, uint32_t flags) = 0;
    virtual void* LockBuffer(IndexBufferHandle buffer, uint32_t offset, uint32_t size, uint32_t flags) = 0;
    virtual void UnlockBuffer(VertexBufferHandle buffer) = 0;
    virtual void UnlockBuffer(IndexBufferHandle buffer) = 0;
    virtual void ReleaseBuffer(VertexBufferHandle buffer) = 0;
    virtual void ReleaseBuffer(IndexBufferHandle buffer) = 0;
    virtual void SetStreamSource(uint32_t stream, VertexBufferHandle buffer, uint32_t offset,
                                 uint32_t stride) = 0;
    virtual void SetIndices(IndexBufferHandle buffer) = 0;

    // A texture of `levels` mip levels (0: the full chain down to 1 x 1) in D3DFMT_A8R8G8B8.
    virtual TextureHandle CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                                        uint32_t format, uint32_t pool) = 0;
    virtual uint32_t TextureLevelCount(TextureHandle texture) = 0;
    // Replaces one level's texels: rows top first, each texel B, G, R, A bytes (A8R8G8B8 in memory).
    virtual void WriteTextureLevel(TextureHandle texture, uint32_t level, const uint8_t* bgra,
                                   uint32_t pitch) = 0;
    virtual void ReleaseTexture(TextureHandle texture) = 0;
    virtual void SetTexture(uint32_t stage, TextureHandle texture) = 0;

    virtual void SetFVF(uint32_t fvf) = 0;
    virtual void DrawIndexedPrimitive(uint32_t primitiveType, int32_t baseVertexIndex,
                                      uint32_t minVertexIndex, uint32_t numVertices, uint32_t startIndex,
                                      uint32_t primitiveCount) = 0;
    virtual void DrawIndexedPrimitiveUP(uint32_t primitiveType, uint32_t minVertexIndex, uint32_t numVertices,
                                        uint32_t primitiveCount, const void* indexData, uint32_t indexFormat,
                                        const void* vertexData, uint32_t vertexStride) = 0;

    // The back buffer as it is now (before Present), top row first.
    virtual bool ReadBackBuffer(Image& image) = 0;

    // Counting of fragments (see DrawCounts); false when the device cannot count them (the mode then
    // stays Off).
    virtual bool SetFragmentCounting(FragmentCounting mode) { return mode == FragmentCounting::Off; }
    // The draw calls of the last presented frame, under FragmentCounting::PerDraw.
    const std::vector<DrawFragments>& LastFrameDraws() const { return lastFrameDraws_; }

    // Releases a resource of any kind (what the owners above the platform layer call).
    void Release(ShaderHandle shader) { ReleaseShader(shader); }
    void Release(DeclarationHandle declaration) { ReleaseVertexDeclaration(declaration); }
    void Release(VertexBufferHandle buffer) { ReleaseBuffer(buffer); }
    void Release(IndexBufferHandle buffer) { ReleaseBuffer(buffer); }
    void Release(TextureHandle texture) { ReleaseTexture(texture); }

protected:
    // Each implementation counts its draw calls here.
    void CountDraw(uint32_t primitives) {
        ++counts_.DrawCalls;
        counts_.Primitives += primitives;
    }
    void CountFragments(uint64_t shaded, uint64_t passed) {
        counts_.FragmentsShaded += shaded;
        counts_.FragmentsPassed += passed;
    }
    std::vector<DrawFragments> lastFrameDraws_;

private:
    DrawCounts counts_;
};

// IDirect3D9: makes the device for a window.
class GraphicsSystem {
public:
    virtual ~GraphicsSystem() = default;
    virtual DisplayMode GetAdapterDisplayMode() = 0;
    // nullptr with a message in `error` when no device can be made.
    virtual std::unique_ptr<GraphicsDevice> CreateDevice(Window* window, const PresentParameters& parameters,
                                                         std::string& error) = 0;
};

}  // namespace platform
