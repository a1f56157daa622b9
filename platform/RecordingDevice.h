// A graphics device for tests: every call is logged with its arguments, resources live in CPU memory
// and the current device state can be queried. No window and no GPU are needed.
//
// Each call becomes a RecordedCall: its name, its integer and float arguments in order, and a readable
// text such as "SetRenderState(7, 0)". Buffers and texture levels are real memory, so what the engine
// writes through Lock/Unlock or WriteTextureLevel can be read back. State starts at the Direct3D 9
// defaults (depth test on, as with an automatic depth buffer; cull counter-clockwise; point filtering,
// no mip filter; wrap addressing; blending off with source one, destination zero).
//
// The test decides what the device answers: the cooperative level (OK, lost, not reset), the result
// of Reset, and which shader sources make the "compiler" report messages (which leaves the shader
// uncreated, as the interface requires).
//
// A handle that does not name a live resource of the right kind is counted in BadHandleUses()
// ("none" never counts), so tests can catch releases twice and use after release. Such a call is
// refused as SlotTable.h says (an assertion where assertions are on; logged, and no effect, where
// not); it is still recorded.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/GraphicsDevice.h"
#include "platform/SlotTable.h"

namespace platform {

struct RecordedCall {
    std::string Name;
    std::vector<int64_t> Ints;  // the integer arguments (handle slots, states, counts, flags), in order
    std::vector<float> Floats;  // the float arguments, in order; for SetVertexShaderConstantF the data
    std::string Text;           // "Name(arg, arg, ...)" with every scalar argument in call order
    // DrawIndexedPrimitiveUP: copies of the vertex bytes (vertices 0 .. min + count - 1) and index bytes.
    // CreateShader: the source in VertexBytes. CreateVertexDeclaration: the elements, end marker
    // included, in VertexBytes.
    std::vector<uint8_t> VertexBytes;
    std::vector<uint8_t> IndexBytes;
};

struct RecordedBuffer {
    uint32_t Usage = 0;
    uint32_t FormatOrFvf = 0;  // D3DFMT_INDEX16 for index buffers, the FVF for vertex buffers
    uint32_t Pool = 0;
    std::vector<uint8_t> Bytes;
    int LockDepth = 0;
};

struct RecordedTexture {
    uint32_t Width = 0;
    uint32_t Height = 0;
    uint32_t Usage = 0;
    uint32_t Format = 0;
    uint32_t Pool = 0;
    // One entry per level, B, G, R, A bytes, rows top first, tightly packed (pitch = width * 4).
    std::vector<std::vector<uint8_t>> Levels;
    uint32_t LevelWidth(uint32_t level) const;
    uint32_t LevelHeight(uint32_t level) const;
};

struct RecordedShader {
    ShaderStage Stage = ShaderStage::Vertex;
    std::string Source;
};

struct StreamBinding {
    VertexBufferHandle Buffer;
    uint32_t Offset = 0;
    uint32_t Stride = 0;
};

class RecordingGraphicsSystem;

class RecordingDevice final : public GraphicsDevice {
public:
    RecordingDevice(RecordingGraphicsSystem* system, Window* window, const PresentParameters& parameters);
    ~RecordingDevice() override;

    // ---- what the test controls ----
    void SetCooperativeLevel(int32_t result) { cooperativeLevel_ = result; }
    void SetResetResult(int32_t result) { resetResult_ = result; }
    // Direct3D 9 refuses Reset (D3DERR_INVALIDCALL) while default-pool buffers or textures live. Off by
    // default; DefaultPoolResourcesAtLastReset() tells either way.
    void SetStrictReset(bool strict) { strictReset_ = strict; }
    // Every source that contains `marker` makes the compiler report `message` (an empty marker matches
    // every source). Rules accumulate until ClearCompileMessages.
    void AddCompileMessage(std::string marker, std::string message);
    void ClearCompileMessages() { compileRules_.clear(); }

    // ---- the log ----
    const std::vector<RecordedCall>& Calls() const { return calls_; }
    void ClearLog() { calls_.clear(); }
    // The last `n` calls (fewer when the log is shorter), oldest first.
    std::vector<RecordedCall> LastCalls(size_t n) const;
    std::vector<RecordedCall> FindCalls(std::string_view name) const;
    size_t CountCalls(std::string_view name) const;
    // DrawIndexedPrimitive and DrawIndexedPrimitiveUP together.
    size_t DrawCallCount() const;
    // Texts of the calls, one per line: handy in assertion messages.
    std::string LogText() const;

    // ---- current state ----
    uint32_t RenderState(uint32_t state) const;
    uint32_t SamplerState(uint32_t sampler, uint32_t type) const;
    ShaderHandle BoundVertexShader() const { return vertexShader_; }
    ShaderHandle BoundPixelShader() const { return pixelShader_; }
    DeclarationHandle BoundDeclaration() const { return declaration_; }
    StreamBinding Stream(uint32_t stream) const;
    IndexBufferHandle BoundIndices() const { return indices_; }
    TextureHandle BoundTexture(uint32_t stage) const;
    uint32_t Fvf() const { return fvf_; }
    std::array<float, 4> Constant(uint32_t reg) const;
    bool InScene() const { return inScene_; }
    const PresentParameters& Parameters() const { return parameters_; }
    Window* DeviceWindow() const { return window_; }
    uint32_t LastClearColor() const { return clearColor_; }
    int PresentCount() const { return presentCount_; }
    // Default-pool buffers and textures alive at the last Reset call (-1 before any Reset).
    int DefaultPoolResourcesAtLastReset() const { return defaultPoolAtReset_; }
    int DefaultPoolResources() const;

    // ---- resources (nullptr when the handle names none of that kind) ----
    const RecordedBuffer* Buffer(VertexBufferHandle handle) const { return vertexBuffers_.Find(handle); }
    const RecordedBuffer* Buffer(IndexBufferHandle handle) const { return indexBuffers_.Find(handle); }
    const RecordedTexture* Texture(TextureHandle handle) const { return textures_.Find(handle); }
    const RecordedShader* Shader(ShaderHandle handle) const { return shaders_.Find(handle); }
    // End marker included.
    const std::vector<VertexElement>* Declaration(DeclarationHandle handle) const {
        return declarations_.Find(handle);
    }
    size_t LiveBuffers() const { return vertexBuffers_.Size() + indexBuffers_.Size(); }
    size_t LiveTextures() const { return textures_.Size(); }
    size_t LiveShaders() const { return shaders_.Size(); }
    size_t LiveDeclarations() const { return declarations_.Size(); }
    int BadHandleUses() const { return badHandleUses_; }
    // DrawIndexedPrimitive calls that would read outside their buffers: no index buffer or stream 0,
    // indices past the index buffer, an index outside [min, min + count), or a vertex past stream 0.
    int BadDraws() const { return badDraws_; }

    // ---- GraphicsDevice ----
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
    // An image of the back-buffer size filled with the last clear colour.
    bool ReadBackBuffer(Image& image) override;

private:
    bool DrawReadsInside(int32_t baseVertexIndex, uint32_t minVertexIndex, uint32_t numVertices,
                         uint32_t startIndex, uint32_t primitiveCount) const;
    class CallBuilder;
    CallBuilder Record(std::string name);
    // The entry `handle` names in `table`, for `call`; a bad handle is counted and reported.
    template <typename Handle, typename Entry>
    Entry* Use(SlotTable<Handle, Entry>& table, Handle handle, std::string_view call);
    void ResetState();
    template <typename Handle>
    Handle CreateBuffer(SlotTable<Handle, RecordedBuffer>& table, std::string name, uint32_t length,
                        uint32_t usage, uint32_t formatOrFvf, uint32_t pool);
    template <typename Handle>
    void* Lock(SlotTable<Handle, RecordedBuffer>& table, Handle buffer, uint32_t offset, uint32_t size,
               uint32_t flags);
    template <typename Handle>
    void Unlock(SlotTable<Handle, RecordedBuffer>& table, Handle buffer);
    template <typename Handle>
    void Release(SlotTable<Handle, RecordedBuffer>& table, Handle buffer);
    // The stage-checked shader for SetVertexShader and SetPixelShader.
    ShaderHandle BindShader(ShaderStage stage, ShaderHandle shader, std::string_view call);

    friend class RecordingGraphicsSystem;
    RecordingGraphicsSystem* system_;
    Window* window_;
    PresentParameters parameters_;

    std::vector<RecordedCall> calls_;
    int32_t cooperativeLevel_ = D3D_OK;
    int32_t resetResult_ = D3D_OK;
    bool strictReset_ = false;
    int defaultPoolAtReset_ = -1;
    std::vector<std::pair<std::string, std::string>> compileRules_;

    std::map<uint32_t, uint32_t> renderStates_;
    std::map<std::pair<uint32_t, uint32_t>, uint32_t> samplerStates_;
    ShaderHandle vertexShader_;
    ShaderHandle pixelShader_;
    DeclarationHandle declaration_;
    std::map<uint32_t, StreamBinding> streams_;
    IndexBufferHandle indices_;
    std::map<uint32_t, TextureHandle> boundTextures_;
    uint32_t fvf_ = 0;
    std::vector<std::array<float, 4>> constants_;
    bool inScene_ = false;
    uint32_t clearColor_ = 0;
    int presentCount_ = 0;

    SlotTable<VertexBufferHandle, RecordedBuffer> vertexBuffers_{"vertex buffer"};
    SlotTable<IndexBufferHandle, RecordedBuffer> indexBuffers_{"index buffer"};
    SlotTable<TextureHandle, RecordedTexture> textures_{"texture"};
    SlotTable<ShaderHandle, RecordedShader> shaders_{"shader"};
    SlotTable<DeclarationHandle, std::vector<VertexElement>> declarations_{"vertex declaration"};
    int badHandleUses_ = 0;
    int badDraws_ = 0;
};

// Makes RecordingDevices. The system keeps a pointer to the device it made last (cleared when that
// device is destroyed) so a test can reach the device the engine owns.
class RecordingGraphicsSystem final : public GraphicsSystem {
public:
    ~RecordingGraphicsSystem() override;

    void SetDisplayMode(const DisplayMode& mode) { mode_ = mode; }
    // A non-empty text makes CreateDevice fail with that error.
    void SetCreateFailure(std::string error) { createFailure_ = std::move(error); }

    RecordingDevice* LastDevice() const { return lastDevice_; }
    int CreateCount() const { return createCount_; }
    const PresentParameters& LastCreateParameters() const { return lastParameters_; }
    Window* LastCreateWindow() const { return lastWindow_; }

    DisplayMode GetAdapterDisplayMode() override { return mode_; }
    std::unique_ptr<GraphicsDevice> CreateDevice(Window* window, const PresentParameters& parameters,
                                                 std::string& error) override;

private:
    friend class RecordingDevice;
    DisplayMode mode_{1024, 768, 60, D3DFMT_X8R8G8B8};
    std::string createFailure_;
    RecordingDevice* lastDevice_ = nullptr;
    int createCount_ = 0;
    PresentParameters lastParameters_;
    Window* lastWindow_ = nullptr;
};

}  // namespace platform
