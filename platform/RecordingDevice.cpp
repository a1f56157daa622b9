#include "platform/RecordingDevice.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/Window.h"

namespace platform {

namespace {

constexpr uint32_t kRegisterCount = kVertexShaderRegisters;
constexpr uint8_t kDiscardedByte = 0xCD;  // what a discarded buffer holds until it is written

std::string FormatFloat(float value) {
    char text[32];
    std::snprintf(text, sizeof(text), "%g", static_cast<double>(value));
    return text;
}

}  // namespace

uint32_t RecordedTexture::LevelWidth(uint32_t level) const {
    return std::max(1u, Width >> level);
}
uint32_t RecordedTexture::LevelHeight(uint32_t level) const {
    return std::max(1u, Height >> level);
}

// Appends arguments to a call as it is being recorded; the call's text is closed when the builder goes.
class RecordingDevice::CallBuilder {
public:
    explicit CallBuilder(RecordedCall& call) : call_(call) { call_.Text = call_.Name + "("; }
    ~CallBuilder() { call_.Text += ")"; }
    CallBuilder(const CallBuilder&) = delete;
    CallBuilder& operator=(const CallBuilder&) = delete;

    CallBuilder& Int(int64_t value) {
        Separate();
        call_.Ints.push_back(value);
        call_.Text += std::to_string(value);
        return *this;
    }
    CallBuilder& Float(float value) {
        Separate();
        call_.Floats.push_back(value);
        call_.Text += FormatFloat(value);
        return *this;
    }
    RecordedCall& Call() { return call_; }

private:
    void Separate() {
        if (!first_)
            call_.Text += ", ";
        first_ = false;
    }
    RecordedCall& call_;
    bool first_ = true;
};

RecordingDevice::RecordingDevice(RecordingGraphicsSystem* system, Window* window,
                                 const PresentParameters& parameters)
    : system_(system), window_(window), parameters_(parameters) {
    ResetState();
    // As the OpenGL device does: the device puts its window into the mode it was made for.
    if (window_ != nullptr) {
        window_->SetWindowed(parameters.Windowed);
    }
}

RecordingDevice::~RecordingDevice() {
    if (system_ != nullptr && system_->lastDevice_ == this)
        system_->lastDevice_ = nullptr;
}

void RecordingDevice::ResetState() {
    renderStates_ = {
        {D3DRS_ZENABLE, 1},
        {D3DRS_ZWRITEENABLE, 1},
        {D3DRS_SRCBLEND, D3DBLEND_ONE},
        {D3DRS_DESTBLEND, D3DBLEND_ZERO},
        {D3DRS_CULLMODE, D3DCULL_CCW},
        {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
        {D3DRS_ALPHABLENDENABLE, 0},
    };
    samplerStates_.clear();
    vertexShader_ = pixelShader_ = ShaderHandle{};
    declaration_ = DeclarationHandle{};
    streams_.clear();
    indices_ = IndexBufferHandle{};
    boundTextures_.clear();
    fvf_ = 0;
    constants_.assign(kRegisterCount, {0.0f, 0.0f, 0.0f, 0.0f});
    inScene_ = false;
}

RecordingDevice::CallBuilder RecordingDevice::Record(std::string name) {
    calls_.emplace_back();
    calls_.back().Name = std::move(name);
    return CallBuilder(calls_.back());
}

template <typename Handle, typename Entry>
Entry* RecordingDevice::Use(SlotTable<Handle, Entry>& table, Handle handle, std::string_view call) {
    Entry* entry = table.Find(handle);
    if (entry == nullptr && handle) {
        ++badHandleUses_;
    }
    return table.Use(handle, call);
}

void RecordingDevice::AddCompileMessage(std::string marker, std::string message) {
    compileRules_.emplace_back(std::move(marker), std::move(message));
}

// ---- the log ----

std::vector<RecordedCall> RecordingDevice::LastCalls(size_t n) const {
    size_t first = calls_.size() > n ? calls_.size() - n : 0;
    return std::vector<RecordedCall>(calls_.begin() + static_cast<std::ptrdiff_t>(first), calls_.end());
}

std::vector<RecordedCall> RecordingDevice::FindCalls(std::string_view name) const {
    std::vector<RecordedCall> found;
    for (const RecordedCall& call : calls_) {
        if (call.Name == name)
            found.push_back(call);
    }
    return found;
}

size_t RecordingDevice::CountCalls(std::string_view name) const {
    return static_cast<size_t>(
        std::count_if(calls_.begin(), calls_.end(), [&](const RecordedCall& c) { return c.Name == name; }));
}

size_t RecordingDevice::DrawCallCount() const {
    return CountCalls("DrawIndexedPrimitive") + CountCalls("DrawIndexedPrimitiveUP");
}

std::string RecordingDevice::LogText() const {
    std::string text;
    for (const RecordedCall& call : calls_) {
        text += call.Text;
        text += '\n';
    }
    return text;
}

// ---- state ----

uint32_t RecordingDevice::RenderState(uint32_t state) const {
    auto it = renderStates_.find(state);
    return it == renderStates_.end() ? 0 : it->second;
}

uint32_t RecordingDevice::SamplerState(uint32_t sampler, uint32_t type) const {
    auto it = samplerStates_.find({sampler, type});
    if (it != samplerStates_.end())
        return it->second;
    switch (type) {
        case D3DSAMP_ADDRESSU:
        case D3DSAMP_ADDRESSV:
            return 1;  // D3DTADDRESS_WRAP
        case D3DSAMP_MAGFILTER:
        case D3DSAMP_MINFILTER:
            return D3DTEXF_POINT;
        case D3DSAMP_MIPFILTER:
            return D3DTEXF_NONE;
        case D3DSAMP_MAXANISOTROPY:
            return 1;
        default:
            return 0;
    }
}

StreamBinding RecordingDevice::Stream(uint32_t stream) const {
    auto it = streams_.find(stream);
    return it == streams_.end() ? StreamBinding{} : it->second;
}

TextureHandle RecordingDevice::BoundTexture(uint32_t stage) const {
    auto it = boundTextures_.find(stage);
    return it == boundTextures_.end() ? TextureHandle{} : it->second;
}

std::array<float, 4> RecordingDevice::Constant(uint32_t reg) const {
    return reg < kRegisterCount ? constants_[reg] : std::array<float, 4>{0.0f, 0.0f, 0.0f, 0.0f};
}

int RecordingDevice::DefaultPoolResources() const {
    int count = 0;
    auto countDefault = [&count](auto, const auto& resource) {
        count += resource.Pool == D3DPOOL_DEFAULT ? 1 : 0;
    };
    vertexBuffers_.ForEach(countDefault);
    indexBuffers_.ForEach(countDefault);
    textures_.ForEach(countDefault);
    return count;
}

// ---- GraphicsDevice ----

int32_t RecordingDevice::TestCooperativeLevel() {
    Record("TestCooperativeLevel");
    return cooperativeLevel_;
}

int32_t RecordingDevice::Reset(const PresentParameters& parameters) {
    Record("Reset")
        .Int(parameters.BackBufferWidth)
        .Int(parameters.BackBufferHeight)
        .Int(parameters.Windowed ? 1 : 0)
        .Int(parameters.FullScreen_RefreshRateInHz)
        .Int(parameters.PresentationInterval);
    defaultPoolAtReset_ = DefaultPoolResources();
    if (resetResult_ != D3D_OK)
        return resetResult_;
    if (strictReset_ && defaultPoolAtReset_ > 0)
        return D3DERR_INVALIDCALL;
    parameters_ = parameters;
    ResetState();
    if (window_ != nullptr) {
        window_->SetWindowed(parameters.Windowed);
    }
    if (cooperativeLevel_ == D3DERR_DEVICENOTRESET)
        cooperativeLevel_ = D3D_OK;
    return D3D_OK;
}

void RecordingDevice::Clear(uint32_t flags, uint32_t colorArgb, float z, uint32_t stencil) {
    Record("Clear").Int(flags).Int(colorArgb).Float(z).Int(stencil);
    if (flags & D3DCLEAR_TARGET)
        clearColor_ = colorArgb;
}

void RecordingDevice::BeginScene() {
    Record("BeginScene");
    inScene_ = true;
}

void RecordingDevice::EndScene() {
    Record("EndScene");
    inScene_ = false;
}

void RecordingDevice::Present() {
    Record("Present");
    ++presentCount_;
}

void RecordingDevice::SetRenderState(uint32_t state, uint32_t value) {
    Record("SetRenderState").Int(state).Int(value);
    renderStates_[state] = value;
}

void RecordingDevice::SetSamplerState(uint32_t sampler, uint32_t type, uint32_t value) {
    Record("SetSamplerState").Int(sampler).Int(type).Int(value);
    samplerStates_[{sampler, type}] = value;
}

ShaderHandle RecordingDevice::CreateShader(ShaderStage stage, std::string_view source,
                                           std::string& messages) {
    auto call = Record("CreateShader");
    call.Int(stage == ShaderStage::Vertex ? 0 : 1);
    call.Call().VertexBytes.assign(source.begin(), source.end());
    messages.clear();
    for (const auto& [marker, message] : compileRules_) {
        if (source.find(marker) != std::string_view::npos) {
            if (!messages.empty())
                messages += '\n';
            messages += message;
        }
    }
    if (!messages.empty()) {
        call.Int(0);
        return ShaderHandle{};
    }
    ShaderHandle handle = shaders_.Add(RecordedShader{stage, std::string(source)});
    call.Int(handle.Slot);
    return handle;
}

void RecordingDevice::ReleaseShader(ShaderHandle shader) {
    Record("ReleaseShader").Int(shader.Slot);
    if (Use(shaders_, shader, "ReleaseShader") != nullptr) {
        shaders_.Remove(shader);
    }
}

ShaderHandle RecordingDevice::BindShader(ShaderStage stage, ShaderHandle shader, std::string_view call) {
    const RecordedShader* found = Use(shaders_, shader, call);
    if (found != nullptr && found->Stage != stage) {
        ++badHandleUses_;
        ReportBadHandle(call, stage == ShaderStage::Vertex ? "vertex shader" : "pixel shader", shader.Slot,
                        shader.Generation);
        found = nullptr;
    }
    return found != nullptr ? shader : ShaderHandle{};
}

void RecordingDevice::SetVertexShader(ShaderHandle shader) {
    Record("SetVertexShader").Int(shader.Slot);
    if (ShaderHandle bound = BindShader(ShaderStage::Vertex, shader, "SetVertexShader"); bound || !shader) {
        vertexShader_ = bound;
    }
}

void RecordingDevice::SetPixelShader(ShaderHandle shader) {
    Record("SetPixelShader").Int(shader.Slot);
    if (ShaderHandle bound = BindShader(ShaderStage::Pixel, shader, "SetPixelShader"); bound || !shader) {
        pixelShader_ = bound;
    }
}

void RecordingDevice::SetVertexShaderConstantF(uint32_t startRegister, const float* data, uint32_t count) {
    auto call = Record("SetVertexShaderConstantF");
    call.Int(startRegister).Int(count);
    // Registers beyond the last one are dropped, as the hardware would refuse the call.
    if (startRegister >= kRegisterCount || data == nullptr)
        return;
    uint32_t usable = std::min(count, kRegisterCount - startRegister);
    call.Call().Floats.assign(data, data + 4 * usable);
    for (uint32_t r = 0; r < usable; ++r) {
        std::copy(data + 4 * r, data + 4 * r + 4, constants_[startRegister + r].begin());
    }
}

DeclarationHandle RecordingDevice::CreateVertexDeclaration(const VertexElement* elements) {
    auto call = Record("CreateVertexDeclaration");
    std::vector<VertexElement> list;
    if (elements != nullptr) {
        // A declaration without its end marker would be read past its end; 64 elements is the limit
        // Direct3D 9 puts on a declaration.
        for (size_t i = 0; i < 65; ++i) {
            list.push_back(elements[i]);
            if (IsDeclarationEnd(elements[i]))
                break;
        }
    }
    if (list.empty() || !IsDeclarationEnd(list.back())) {
        call.Int(0);
        return DeclarationHandle{};
    }
    call.Call().VertexBytes.resize(list.size() * sizeof(VertexElement));
    std::memcpy(call.Call().VertexBytes.data(), list.data(), call.Call().VertexBytes.size());
    DeclarationHandle handle = declarations_.Add(std::move(list));
    call.Int(handle.Slot);
    return handle;
}

void RecordingDevice::ReleaseVertexDeclaration(DeclarationHandle declaration) {
    Record("ReleaseVertexDeclaration").Int(declaration.Slot);
    if (Use(declarations_, declaration, "ReleaseVertexDeclaration") != nullptr) {
        declarations_.Remove(declaration);
    }
}

void RecordingDevice::SetVertexDeclaration(DeclarationHandle declaration) {
    Record("SetVertexDeclaration").Int(declaration.Slot);
    if (Use(declarations_, declaration, "SetVertexDeclaration") != nullptr || !declaration) {
        declaration_ = declaration;
    }
}

template <typename Handle>
Handle RecordingDevice::CreateBuffer(SlotTable<Handle, RecordedBuffer>& table, std::string name,
                                     uint32_t length, uint32_t usage, uint32_t formatOrFvf, uint32_t pool) {
    auto call = Record(std::move(name));
    call.Int(length).Int(usage).Int(formatOrFvf).Int(pool);
    if (length == 0) {  // Direct3D refuses empty buffers
        call.Int(0);
        return Handle{};
    }
    RecordedBuffer buffer;
    buffer.Usage = usage;
    buffer.FormatOrFvf = formatOrFvf;
    buffer.Pool = pool;
    buffer.Bytes.assign(length, 0);
    Handle handle = table.Add(std::move(buffer));
    call.Int(handle.Slot);
    return handle;
}

VertexBufferHandle RecordingDevice::CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf,
                                                       uint32_t pool) {
    return CreateBuffer(vertexBuffers_, "CreateVertexBuffer", length, usage, fvf, pool);
}

IndexBufferHandle RecordingDevice::CreateIndexBuffer(uint32_t length, uint32_t usage, uint32_t format,
                                                     uint32_t pool) {
    return CreateBuffer(indexBuffers_, "CreateIndexBuffer", length, usage, format, pool);
}

template <typename Handle>
void* RecordingDevice::Lock(SlotTable<Handle, RecordedBuffer>& table, Handle buffer, uint32_t offset,
                            uint32_t size, uint32_t flags) {
    Record("LockBuffer").Int(buffer.Slot).Int(offset).Int(size).Int(flags);
    RecordedBuffer* found = Use(table, buffer, "LockBuffer");
    if (found == nullptr)
        return nullptr;
    std::vector<uint8_t>& bytes = found->Bytes;
    uint64_t length = bytes.size();
    uint64_t end = size == 0 ? length : uint64_t{offset} + size;
    if (offset >= length || end > length)
        return nullptr;
    if (flags & D3DLOCK_DISCARD)
        std::fill(bytes.begin(), bytes.end(), kDiscardedByte);
    ++found->LockDepth;
    return bytes.data() + offset;
}

void* RecordingDevice::LockBuffer(VertexBufferHandle buffer, uint32_t offset, uint32_t size, uint32_t flags) {
    return Lock(vertexBuffers_, buffer, offset, size, flags);
}

void* RecordingDevice::LockBuffer(IndexBufferHandle buffer, uint32_t offset, uint32_t size, uint32_t flags) {
    return Lock(indexBuffers_, buffer, offset, size, flags);
}

template <typename Handle>
void RecordingDevice::Unlock(SlotTable<Handle, RecordedBuffer>& table, Handle buffer) {
    Record("UnlockBuffer").Int(buffer.Slot);
    RecordedBuffer* found = Use(table, buffer, "UnlockBuffer");
    if (found != nullptr && found->LockDepth > 0)
        --found->LockDepth;
}

void RecordingDevice::UnlockBuffer(VertexBufferHandle buffer) {
    Unlock(vertexBuffers_, buffer);
}

void RecordingDevice::UnlockBuffer(IndexBufferHandle buffer) {
    Unlock(indexBuffers_, buffer);
}

template <typename Handle>
void RecordingDevice::Release(SlotTable<Handle, RecordedBuffer>& table, Handle buffer) {
    Record("ReleaseBuffer").Int(buffer.Slot);
    if (Use(table, buffer, "ReleaseBuffer") != nullptr) {
        table.Remove(buffer);
    }
}

void RecordingDevice::ReleaseBuffer(VertexBufferHandle buffer) {
    Release(vertexBuffers_, buffer);
}

void RecordingDevice::ReleaseBuffer(IndexBufferHandle buffer) {
    Release(indexBuffers_, buffer);
}

void RecordingDevice::SetStreamSource(uint32_t stream, VertexBufferHandle buffer, uint32_t offset,
                                      uint32_t stride) {
    Record("SetStreamSource").Int(stream).Int(buffer.Slot).Int(offset).Int(stride);
    if (Use(vertexBuffers_, buffer, "SetStreamSource") != nullptr || !buffer) {
        streams_[stream] = StreamBinding{buffer, offset, stride};
    }
}

void RecordingDevice::SetIndices(IndexBufferHandle buffer) {
    Record("SetIndices").Int(buffer.Slot);
    if (Use(indexBuffers_, buffer, "SetIndices") != nullptr || !buffer) {
        indices_ = buffer;
    }
}

TextureHandle RecordingDevice::CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                                             uint32_t format, uint32_t pool) {
    auto call = Record("CreateTexture");
    call.Int(width).Int(height).Int(levels).Int(usage).Int(format).Int(pool);
    if (width == 0 || height == 0) {
        call.Int(0);
        return TextureHandle{};
    }
    uint32_t fullChain = 1;
    for (uint32_t w = width, h = height; w > 1 || h > 1; w = std::max(1u, w / 2), h = std::max(1u, h / 2)) {
        ++fullChain;
    }
    uint32_t count = levels == 0 ? fullChain : std::min(levels, fullChain);
    RecordedTexture texture;
    texture.Width = width;
    texture.Height = height;
    texture.Usage = usage;
    texture.Format = format;
    texture.Pool = pool;
    for (uint32_t level = 0; level < count; ++level) {
        texture.Levels.emplace_back(size_t{texture.LevelWidth(level)} * texture.LevelHeight(level) * 4, 0);
    }
    TextureHandle handle = textures_.Add(std::move(texture));
    call.Int(handle.Slot);
    return handle;
}

uint32_t RecordingDevice::TextureLevelCount(TextureHandle texture) {
    Record("TextureLevelCount").Int(texture.Slot);
    const RecordedTexture* found = Use(textures_, texture, "TextureLevelCount");
    return found == nullptr ? 0 : static_cast<uint32_t>(found->Levels.size());
}

void RecordingDevice::WriteTextureLevel(TextureHandle texture, uint32_t level, const uint8_t* bgra,
                                        uint32_t pitch) {
    Record("WriteTextureLevel").Int(texture.Slot).Int(level).Int(pitch);
    RecordedTexture* found = Use(textures_, texture, "WriteTextureLevel");
    if (found == nullptr || level >= found->Levels.size() || bgra == nullptr)
        return;
    RecordedTexture& t = *found;
    uint32_t rowBytes = t.LevelWidth(level) * 4;
    if (pitch < rowBytes)
        return;
    for (uint32_t y = 0; y < t.LevelHeight(level); ++y) {
        std::memcpy(t.Levels[level].data() + size_t{y} * rowBytes, bgra + size_t{y} * pitch, rowBytes);
    }
}

void RecordingDevice::ReleaseTexture(TextureHandle texture) {
    Record("ReleaseTexture").Int(texture.Slot);
    if (Use(textures_, texture, "ReleaseTexture") != nullptr) {
        textures_.Remove(texture);
    }
}

void RecordingDevice::SetTexture(uint32_t stage, TextureHandle texture) {
    Record("SetTexture").Int(stage).Int(texture.Slot);
    if (Use(textures_, texture, "SetTexture") != nullptr || !texture) {
        boundTextures_[stage] = texture;
    }
}

void RecordingDevice::SetFVF(uint32_t fvf) {
    Record("SetFVF").Int(fvf);
    fvf_ = fvf;
    declaration_ = DeclarationHandle{};  // an FVF replaces the declaration, as in Direct3D 9
}

void RecordingDevice::DrawIndexedPrimitive(uint32_t primitiveType, int32_t baseVertexIndex,
                                           uint32_t minVertexIndex, uint32_t numVertices, uint32_t startIndex,
                                           uint32_t primitiveCount) {
    CountDraw(primitiveCount);
    Record("DrawIndexedPrimitive")
        .Int(primitiveType)
        .Int(baseVertexIndex)
        .Int(minVertexIndex)
        .Int(numVertices)
        .Int(startIndex)
        .Int(primitiveCount);
    if (!DrawReadsInside(baseVertexIndex, minVertexIndex, numVertices, startIndex, primitiveCount))
        ++badDraws_;
}

bool RecordingDevice::DrawReadsInside(int32_t baseVertexIndex, uint32_t minVertexIndex, uint32_t numVertices,
                                      uint32_t startIndex, uint32_t primitiveCount) const {
    const RecordedBuffer* indexBuffer = indexBuffers_.Find(indices_);
    StreamBinding stream = Stream(0);
    const RecordedBuffer* vertexBuffer = vertexBuffers_.Find(stream.Buffer);
    if (indexBuffer == nullptr || vertexBuffer == nullptr || stream.Stride == 0)
        return false;
    const std::vector<uint8_t>& indexBytes = indexBuffer->Bytes;
    uint64_t indexEnd = (uint64_t{startIndex} + uint64_t{primitiveCount} * 3) * 2;
    if (indexEnd > indexBytes.size())
        return false;
    uint64_t vertexBytes = vertexBuffer->Bytes.size();
    for (uint64_t i = startIndex; i < indexEnd / 2; ++i) {
        uint32_t index = uint32_t{indexBytes[2 * i]} | (uint32_t{indexBytes[2 * i + 1]} << 8);
        if (index < minVertexIndex || index >= uint64_t{minVertexIndex} + numVertices)
            return false;
        int64_t vertex = int64_t{baseVertexIndex} + index;
        if (vertex < 0)
            return false;
        uint64_t end = uint64_t{stream.Offset} + uint64_t(vertex) * stream.Stride + stream.Stride;
        if (end > vertexBytes)
            return false;
    }
    return true;
}

void RecordingDevice::DrawIndexedPrimitiveUP(uint32_t primitiveType, uint32_t minVertexIndex,
                                             uint32_t numVertices, uint32_t primitiveCount,
                                             const void* indexData, uint32_t indexFormat,
                                             const void* vertexData, uint32_t vertexStride) {
    CountDraw(primitiveCount);
    auto call = Record("DrawIndexedPrimitiveUP");
    call.Int(primitiveType)
        .Int(minVertexIndex)
        .Int(numVertices)
        .Int(primitiveCount)
        .Int(indexFormat)
        .Int(vertexStride);
    if (vertexData != nullptr) {
        const auto* bytes = static_cast<const uint8_t*>(vertexData);
        call.Call().VertexBytes.assign(bytes, bytes + size_t{minVertexIndex + numVertices} * vertexStride);
    }
    if (indexData != nullptr) {
        size_t indexSize = indexFormat == D3DFMT_INDEX16 ? 2 : 4;
        const auto* bytes = static_cast<const uint8_t*>(indexData);
        call.Call().IndexBytes.assign(bytes, bytes + size_t{primitiveCount} * 3 * indexSize);
    }
    // Direct3D 9 unbinds stream 0 and the index buffer after a draw from user memory.
    streams_[0] = StreamBinding{};
    indices_ = IndexBufferHandle{};
}

bool RecordingDevice::ReadBackBuffer(Image& image) {
    Record("ReadBackBuffer");
    int width = static_cast<int>(parameters_.BackBufferWidth);
    int height = static_cast<int>(parameters_.BackBufferHeight);
    if (parameters_.Windowed && window_ != nullptr && (width == 0 || height == 0)) {
        width = window_->ClientWidth();
        height = window_->ClientHeight();
    }
    image = Image{};
    if (width <= 0 || height <= 0)
        return false;
    image.Width = width;
    image.Height = height;
    image.Rgba.resize(size_t(width) * size_t(height) * 4);
    for (size_t i = 0; i < image.Rgba.size(); i += 4) {
        image.Rgba[i + 0] = static_cast<uint8_t>(clearColor_ >> 16);
        image.Rgba[i + 1] = static_cast<uint8_t>(clearColor_ >> 8);
        image.Rgba[i + 2] = static_cast<uint8_t>(clearColor_);
        image.Rgba[i + 3] = 255;
    }
    return true;
}

// ---- the system ----

RecordingGraphicsSystem::~RecordingGraphicsSystem() {
    if (lastDevice_ != nullptr)
        lastDevice_->system_ = nullptr;
}

std::unique_ptr<GraphicsDevice> RecordingGraphicsSystem::CreateDevice(Window* window,
                                                                      const PresentParameters& parameters,
                                                                      std::string& error) {
    ++createCount_;
    lastParameters_ = parameters;
    lastWindow_ = window;
    if (!createFailure_.empty()) {
        error = createFailure_;
        return nullptr;
    }
    if (lastDevice_ != nullptr)
        lastDevice_->system_ = nullptr;
    auto device = std::make_unique<RecordingDevice>(this, window, parameters);
    lastDevice_ = device.get();
    return device;
}

}  // namespace platform
