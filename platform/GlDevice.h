// The OpenGL 3.3 core device behind GlGraphicsSystem (see GlGraphicsSystem.h for the conventions).
// Internal to platform/: only GlGraphicsSystem.cpp makes one.
#pragma once

#include <epoxy/gl.h>

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/GraphicsDevice.h"
#include "platform/SlotTable.h"

namespace platform {

class SdlWindow;

class GlDevice final : public GraphicsDevice {
public:
    GlDevice(SdlWindow& window, bool clipControl);
    ~GlDevice() override;
    GlDevice(const GlDevice&) = delete;
    GlDevice& operator=(const GlDevice&) = delete;

    // Applies the parameters (mode, back-buffer size, vsync) and sets every state to its default.
    void Configure(const PresentParameters& parameters);

    int32_t TestCooperativeLevel() override;
    int32_t Reset(const PresentParameters& parameters) override;

    void Clear(uint32_t flags, uint32_t colorArgb, float z, uint32_t stencil) override;
    void BeginScene() override;
    void EndScene() override;
    void Present() override;

    void SetRenderState(uint32_t state, uint32_t value) override;
    void SetSamplerState(uint32_t sampler, uint32_t type, uint32_t value) override;

    ShaderHandle CreateShader(ShaderStage stage, std::string_view source, std::string& messages) override;
    void ReleaseShader(ShaderHandle shader) override;
    void SetVertexShader(ShaderHandle shader) override;
    void SetPixelShader(ShaderHandle shader) override;
    void SetVertexShaderConstantF(uint32_t startRegister, const float* data, uint32_t count) override;

    DeclarationHandle CreateVertexDeclaration(const VertexElement* elements) override;
    void ReleaseVertexDeclaration(DeclarationHandle declaration) override;
    void SetVertexDeclaration(DeclarationHandle declaration) override;

    VertexBufferHandle CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf,
                                          uint32_t pool) override;
    IndexBufferHandle CreateIndexBuffer(uint32_t length, uint32_t usage, uint32_t format,
                                        uint32_t pool) override;
    void* LockBuffer(VertexBufferHandle buffer, uint32_t offset, uint32_t size, uint32_t flags) override;
    void* LockBuffer(IndexBufferHandle buffer, uint32_t offset, uint32_t size, uint32_t flags) override;
    void UnlockBuffer(VertexBufferHandle buffer) override;
    void UnlockBuffer(IndexBufferHandle buffer) override;
    void ReleaseBuffer(VertexBufferHandle buffer) override;
    void ReleaseBuffer(IndexBufferHandle buffer) override;
    void SetStreamSource(uint32_t stream, VertexBufferHandle buffer, uint32_t offset,
                         uint32_t stride) override;
    void SetIndices(IndexBufferHandle buffer) override;

    TextureHandle CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                                uint32_t format, uint32_t pool) override;
    uint32_t TextureLevelCount(TextureHandle texture) override;
    void WriteTextureLevel(TextureHandle texture, uint32_t level, const uint8_t* bgra,
                           uint32_t pitch) override;
    void ReleaseTexture(TextureHandle texture) override;
    void SetTexture(uint32_t stage, TextureHandle texture) override;

    void SetFVF(uint32_t fvf) override;
    void DrawIndexedPrimitive(uint32_t primitiveType, int32_t baseVertexIndex, uint32_t minVertexIndex,
                              uint32_t numVertices, uint32_t startIndex, uint32_t primitiveCount) override;
    void DrawIndexedPrimitiveUP(uint32_t primitiveType, uint32_t minVertexIndex, uint32_t numVertices,
                                uint32_t primitiveCount, const void* indexData, uint32_t indexFormat,
                                const void* vertexData, uint32_t vertexStride) override;

    bool ReadBackBuffer(Image& image) override;
    bool SetFragmentCounting(FragmentCounting mode) override;

private:
    static constexpr int kStages = 8;
    static constexpr int kStreams = 8;
    static constexpr int kAttributes = 8;

    struct Shader {
        ShaderStage Stage;
        GLuint Name = 0;
        bool WritesTexCoord0 = false;  // a vertex shader that declares `out vec2 TexCoord0`
        std::string Source;            // as compiled; handles of the same source share `Name`
    };
    struct Program {
        GLuint Name = 0;  // 0: linking failed, nothing is drawn with this pair
        GLint Constants = -1;
        GLint ConstantCount = 0;
        uint64_t UploadedVersion = 0;
        GLint DrawNumber = -1;  // FragmentCounting::PerDrawSeen's pixel stage: the draw's number
    };
    struct Declaration {
        std::vector<VertexElement> Elements;
        uint32_t Stride = 0;  // the end of the furthest element of stream 0
    };
    struct Buffer {
        GLuint Name = 0;
        bool IsIndexBuffer = false;
        uint32_t Pool = 0;
        uint32_t Size = 0;
        // OpenGL storage is made as far as the buffer has been written or read, so a buffer made for
        // the most it may ever hold (a particle system's) costs only what it holds; beyond the
        // storage the buffer reads as zeros.
        uint32_t Stored = 0;
        GLenum Usage = GL_STATIC_DRAW;
        std::vector<uint8_t> Shadow;  // the CPU copy locks hand out; empty while not locked
        int LockDepth = 0;
        bool Dirty = false;
        uint32_t DirtyBegin = 0;
        uint32_t DirtyEnd = 0;
        // An index buffer's smallest and largest index, or bounds around them: a draw within them
        // needs no look at its indices.
        uint16_t LowestIndex = 0;
        uint16_t HighestIndex = 0;
    };
    struct Texture {
        GLuint Name = 0;
        uint32_t Width = 0;
        uint32_t Height = 0;
        uint32_t Levels = 0;
        uint32_t Format = 0;
        uint32_t Pool = 0;
        // Storage is made at the first write or use. A one-level A8R8G8B8 texture written all white
        // keeps its alpha alone (a quarter of the memory) and samples as white with that alpha.
        bool HasStorage = false;
        bool AlphaOnly = false;
    };
    struct Stream {
        VertexBufferHandle Buffer;
        uint32_t Offset = 0;
        uint32_t Stride = 0;
    };
    struct SamplerState {
        uint32_t MinFilter = D3DTEXF_POINT;
        uint32_t MagFilter = D3DTEXF_POINT;
        uint32_t MipFilter = D3DTEXF_NONE;
        uint32_t AddressU = 1;  // D3DTADDRESS_WRAP
        uint32_t AddressV = 1;
        uint32_t MaxAnisotropy = 1;
    };

    // Back buffer.
    void ResizeBackBuffer(int width, int height);
    void FollowWindowSize();
    bool WindowIsBackBuffer() const;
    void ChooseTarget();

    // Shaders and programs (GlShaders.cpp).
    GLuint CompileStage(GLenum type, const std::string& source, std::string& log);
    std::string PrepareSource(ShaderStage stage, std::string_view source) const;
    GLuint FallbackShader(ShaderStage stage, bool textured);
    Program* CurrentProgram();
    Program LinkProgram(GLuint vertex, GLuint pixel, std::string& log);
    // Deletes the programs linked with the compiled shader `name`.
    void DropPrograms(GLuint name);
    void UploadConstants(Program& program);
    // Whether SetVertexShader or SetPixelShader may bind the handle: "none", or a live shader of the
    // stage; anything else is reported.
    bool CanBind(ShaderStage stage, ShaderHandle shader, std::string_view call);

    // Fragment counting (GlDevice.cpp): a pair of queries, fragment-shader invocations and samples
    // passed, around each frame or each draw; the results are read when the frame is presented.
    struct QueryPair {
        GLuint Shaded = 0;
        GLuint Passed = 0;
    };
    QueryPair& NextQueries();
    void BeginQueries(const QueryPair& queries);
    void EndQueries();
    void FinishFrameCount();
    // FragmentCounting::PerDrawSeen: each draw's SeenBlocks, from the frame's picture.
    void CountSeenBlocks();
    // Issues `draw` (the GL call), inside queries of its own under FragmentCounting::PerDraw and
    // PerDrawSeen (which leaves out the draws that blend).
    template <typename Draw>
    void CountedDraw(uint32_t primitives, Draw&& draw);

    // Drawing.
    bool PrepareDraw();
    struct BoundStream {
        GLuint Name = 0;
        uint32_t Offset = 0;
        uint32_t Stride = 0;
        size_t Size = 0;           // bytes in the buffer
        Buffer* Source = nullptr;  // the device's buffer, whose storage a draw may have to grow
    };
    // Points the attributes at the streams; false when an index would read past a stream's end.
    bool BindElements(const std::vector<VertexElement>& elements, const BoundStream* streams,
                      uint32_t maxVertex);
    const std::vector<VertexElement>* CurrentElements(uint32_t& stride);
    static std::vector<VertexElement> FvfElements(uint32_t fvf, uint32_t& stride);
    void Upload(Buffer& buffer);
    // Makes storage for at least the first `bytes` (at most the buffer's size), keeping what it holds.
    void GrowStorage(Buffer& buffer, uint64_t bytes);
    // Gives the texture its storage (a new texture name when it had storage already).
    void MakeTextureStorage(TextureHandle handle, Texture& texture, bool alphaOnly);
    // The smallest and largest of `count` indices from `start` on, read back from the buffer.
    void ReadIndexRange(const Buffer& indices, uint32_t start, uint32_t count, uint32_t& lowest,
                        uint32_t& highest);
    template <typename Handle>
    Handle CreateBuffer(SlotTable<Handle, Buffer>& table, uint32_t length, uint32_t usage, uint32_t pool);
    void* Lock(Buffer& buffer, uint32_t offset, uint32_t size, uint32_t flags);
    // Deletes the buffer for ReleaseBuffer; false (and reported) when the handle names none.
    template <typename Handle>
    bool DeleteBuffer(SlotTable<Handle, Buffer>& table, Handle handle);
    void Unlock(Buffer& buffer);
    bool PrimitiveMode(uint32_t primitiveType, uint32_t primitiveCount, GLenum& mode,
                       GLsizei& indexCount) const;

    SdlWindow& window_;
    bool clipControl_;
    PresentParameters parameters_;
    int backWidth_ = 0;
    int backHeight_ = 0;
    uint32_t format_ = 0;
    // Frames are drawn into target_: the window's own buffer (0) when it matches the back buffer,
    // else framebuffer_, which Present copies (and scales) to the window.
    GLuint target_ = 0;
    bool windowHasDepth_ = false;
    bool windowHasAlpha_ = false;
    bool framebufferFits_ = false;  // framebuffer_'s storage has the back buffer's size and format
    GLuint framebuffer_ = 0;
    GLuint colorBuffer_ = 0;
    GLuint depthBuffer_ = 0;
    GLuint vertexArray_ = 0;
    GLuint streamVertices_ = 0;  // the user-pointer draws' vertices and indices
    GLuint streamIndices_ = 0;
    std::array<GLuint, kStages> samplers_{};
    bool anisotropy_ = false;
    bool textureStorage_ = false;  // glTexStorage2D: every level in one allocation, made once
    float maxAnisotropy_ = 1.0f;
    bool sawMinimized_ = false;
    bool reportedBadDraw_ = false;  // each fault is logged once
    bool reportedBadUserDraw_ = false;
    bool pipelineStatistics_ = false;  // GL_ARB_pipeline_statistics_query
    FragmentCounting fragmentCounting_ = FragmentCounting::Off;
    std::vector<QueryPair> queries_;  // made as needed, reused every frame
    size_t queriesUsed_ = 0;          // this frame's
    bool frameCounted_ = false;       // the per-frame queries are running
    std::vector<DrawFragments> frameDraws_;
    GLuint seenPixelShader_ = 0;  // FragmentCounting::PerDrawSeen's: the draw and the triangle
    GLint seenDrawNumber_ = -1;   // where the current program takes the draw's number

    SlotTable<ShaderHandle, Shader> shaders_{"shader"};
    SlotTable<DeclarationHandle, Declaration> declarations_{"vertex declaration"};
    SlotTable<VertexBufferHandle, Buffer> vertexBuffers_{"vertex buffer"};
    SlotTable<IndexBufferHandle, Buffer> indexBuffers_{"index buffer"};
    SlotTable<TextureHandle, Texture> textures_{"texture"};
    std::map<std::pair<GLuint, GLuint>, Program> programs_;
    std::array<GLuint, 3> fallbackShaders_{};  // vertex, pixel textured, pixel white
    std::vector<VertexElement> fvfElements_;
    uint32_t fvfStride_ = 0;

    // Current state.
    ShaderHandle vertexShader_;
    ShaderHandle pixelShader_;
    DeclarationHandle declaration_;
    uint32_t fvf_ = 0;
    std::array<Stream, kStreams> streams_{};
    IndexBufferHandle indices_;
    std::array<TextureHandle, kStages> stageTextures_{};
    std::array<SamplerState, kStages> samplerStates_{};
    std::array<float, kVertexShaderRegisters * 4> constants_{};
    uint64_t constantsVersion_ = 1;
    uint32_t srcBlend_ = D3DBLEND_ONE;
    uint32_t destBlend_ = D3DBLEND_ZERO;
    bool blendEnable_ = false;
    uint32_t zEnable_ = 1;
    uint32_t zWrite_ = 1;
};

}  // namespace platform
