#include "platform/RecordingDevice.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/Window.h"

namespace platform {

namespace {

constexpr uint32_t kRegisterCount = 256;
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
    vertexShader_ = pixelShader_ = 0;
    declaration_ = 0;
    streams_.clear();
    indices_ = 0;
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

void RecordingDevice::CheckHandle(bool known, Handle handle) {
    if (handle != 0 && !known)
        ++badHandleUses_;
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
    return it == boundTextures_.end() ? 0 : it->second;
}

std::array<float, 4> RecordingDevice::Constant(uint32_t reg) const {
    return reg < kRegisterCount ? constants_[reg] : std::array<float, 4>{0.0f, 0.0f, 0.0f, 0.0f};
}

const RecordedBuffer* RecordingDevice::Buffer(BufferHandle handle) const {
    auto it = buffers_.find(handle);
    return it == buffers_.end() ? nullptr : &it->second;
}

const RecordedTexture* RecordingDevice::Texture(TextureHandle handle) const {
    auto it = textures_.find(handle);
    return it == textures_.end() ? nullptr : &it->second;
}

const RecordedShader* RecordingDevice::Shader(ShaderHandle handle) const {
    auto it = shaders_.find(handle);
    return it == shaders_.end() ? nullptr : &it->second;
}

const std::vector<VertexElement>* RecordingDevice::Declaration(DeclarationHandle handle) const {
    auto it = declarations_.find(handle);
    return it == declarations_.end() ? nullptr : &it->second;
}

int RecordingDevice::DefaultPoolResources() const {
    int count = 0;
    for (const auto& entry : buffers_)
        count += entry.second.Pool == D3DPOOL_DEFAULT ? 1 : 0;
    for (const auto& entry : textures_)
        count += entry.second.Pool == D3DPOOL_DEFAULT ? 1 : 0;
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
        return 0;
    }
    Handle handle = NextHandle();
    shaders_[handle] = RecordedShader{stage, std::string(source)};
    call.Int(handle);
    return handle;
}

void RecordingDevice::ReleaseShader(ShaderHandle shader) {
    Record("ReleaseShader").Int(shader);
    CheckHandle(shaders_.erase(shader) > 0, shader);
}

void RecordingDevice::SetVertexShader(ShaderHandle shader) {
    Record("SetVertexShader").Int(shader);
    auto it = shaders_.find(shader);
    CheckHandle(it != shaders_.end() && it->second.Stage == ShaderStage::Vertex, shader);
    vertexShader_ = shader;
}

void RecordingDevice::SetPixelShader(ShaderHandle shader) {
    Record("SetPixelShader").Int(shader);
    auto it = shaders_.find(shader);
    CheckHandle(it != shaders_.end() && it->second.Stage == ShaderStage::Pixel, shader);
    pixelShader_ = shader;
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
        return 0;
    }
    call.Call().VertexBytes.resize(list.size() * sizeof(VertexElement));
    std::memcpy(call.Call().VertexBytes.data(), list.data(), call.Call().VertexBytes.size());
    Handle handle = NextHandle();
    call.Int(handle);
    declarations_[handle] = std::move(list);
    return handle;
}

void RecordingDevice::ReleaseVertexDeclaration(DeclarationHandle declaration) {
    Record("ReleaseVertexDeclaration").Int(declaration);
    CheckHandle(declarations_.erase(declaration) > 0, declaration);
}

void RecordingDevice::SetVertexDeclaration(DeclarationHandle declaration) {
    Record("SetVertexDeclaration").Int(declaration);
    CheckHandle(declarations_.count(declaration) > 0, declaration);
    declaration_ = declaration;
}

BufferHandle RecordingDevice::CreateBuffer(bool index, uint32_t length, uint32_t usage, uint32_t formatOrFvf,
                                           uint32_t pool) {
    auto call = Record(index ? "CreateIndexBuffer" : "CreateVertexBuffer");
    call.Int(length).Int(usage).Int(formatOrFvf).Int(pool);
    if (length == 0) {  // Direct3D refuses empty buffers
        call.Int(0);
        return 0;
    }
    Handle handle = NextHandle();
    RecordedBuffer& buffer = buffers_[handle];
    buffer.IsIndexBuffer = index;
    buffer.Usage = usage;
    buffer.FormatOrFvf = formatOrFvf;
    buffer.Pool = pool;
    buffer.Bytes.assign(length, 0);
    call.Int(handle);
    return handle;
}

BufferHandle RecordingDevice::CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf,
                                                 uint32_t pool) {
    return CreateBuffer(false, length, usage, fvf, pool);
}

BufferHandle RecordingDevice::CreateIndexBuffer(uint32_t length, uint32_t usage, uint32_t format,
                                                uint32_t pool) {
    return CreateBuffer(true, length, usage, format, pool);
}

void* RecordingDevice::LockBuffer(BufferHandle buffer, uint32_t offset, uint32_t size, uint32_t flags) {
    Record("LockBuffer").Int(buffer).Int(offset).Int(size).Int(flags);
    auto it = buffers_.find(buffer);
    CheckHandle(it != buffers_.end(), buffer);
    if (it == buffers_.end())
        return nullptr;
    std::vector<uint8_t>& bytes = it->second.Bytes;
    uint64_t length = bytes.size();
    uint64_t end = size == 0 ? length : uint64_t{offset} + size;
    if (offset >= length || end > length)
        return nullptr;
    if (flags & D3DLOCK_DISCARD)
        std::fill(bytes.begin(), bytes.end(), kDiscardedByte);
    ++it->second.LockDepth;
    return bytes.data() + offset;
}

void RecordingDevice::UnlockBuffer(BufferHandle buffer) {
    Record("UnlockBuffer").Int(buffer);
    auto it = buffers_.find(buffer);
    CheckHandle(it != buffers_.end(), buffer);
    if (it != buffers_.end() && it->second.LockDepth > 0)
        --it->second.LockDepth;
}

void RecordingDevice::ReleaseBuffer(BufferHandle buffer) {
    Record("ReleaseBuffer").Int(buffer);
    CheckHandle(buffers_.erase(buffer) > 0, buffer);
}

void RecordingDevice::SetStreamSource(uint32_t stream, BufferHandle buffer, uint32_t offset,
                                      uint32_t stride) {
    Record("SetStreamSource").Int(stream).Int(buffer).Int(offset).Int(stride);
    auto it = buffers_.find(buffer);
    CheckHandle(it != buffers_.end() && !it->second.IsIndexBuffer, buffer);
    streams_[stream] = StreamBinding{buffer, offset, stride};
}

void RecordingDevice::SetIndices(BufferHandle buffer) {
    Record("SetIndices").Int(buffer);
    auto it = buffers_.find(buffer);
    CheckHandle(it != buffers_.end() && it->second.IsIndexBuffer, buffer);
    indices_ = buffer;
}

TextureHandle RecordingDevice::CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                                             uint32_t format, uint32_t pool) {
    auto call = Record("CreateTexture");
    call.Int(width).Int(height).Int(levels).Int(usage).Int(format).Int(pool);
    if (width == 0 || height == 0) {
        call.Int(0);
        return 0;
    }
    uint32_t fullChain = 1;
    for (uint32_t w = width, h = height; w > 1 || h > 1; w = std::max(1u, w / 2), h = std::max(1u, h / 2)) {
        ++fullChain;
    }
    uint32_t count = levels == 0 ? fullChain : std::min(levels, fullChain);
    Handle handle = NextHandle();
    RecordedTexture& texture = textures_[handle];
    texture.Width = width;
    texture.Height = height;
    texture.Usage = usage;
    texture.Format = format;
    texture.Pool = pool;
    for (uint32_t level = 0; level < count; ++level) {
        texture.Levels.emplace_back(size_t{texture.LevelWidth(level)} * texture.LevelHeight(level) * 4, 0);
    }
    call.Int(handle);
    return handle;
}

uint32_t RecordingDevice::TextureLevelCount(TextureHandle texture) {
    Record("TextureLevelCount").Int(texture);
    auto it = textures_.find(texture);
    CheckHandle(it != textures_.end(), texture);
    return it == textures_.end() ? 0 : static_cast<uint32_t>(it->second.Levels.size());
}

void RecordingDevice::WriteTextureLevel(TextureHandle texture, uint32_t level, const uint8_t* bgra,
                                        uint32_t pitch) {
    Record("WriteTextureLevel").Int(texture).Int(level).Int(pitch);
    auto it = textures_.find(texture);
    CheckHandle(it != textures_.end(), texture);
    if (it == textures_.end() || level >= it->second.Levels.size() || bgra == nullptr)
        return;
    RecordedTexture& t = it->second;
    uint32_t rowBytes = t.LevelWidth(level) * 4;
    if (pitch < rowBytes)
        return;
    for (uint32_t y = 0; y < t.LevelHeight(level); ++y) {
        std::memcpy(t.Levels[level].data() + size_t{y} * rowBytes, bgra + size_t{y} * pitch, rowBytes);
    }
}

void RecordingDevice::ReleaseTexture(TextureHandle texture) {
    Record("ReleaseTexture").Int(texture);
    CheckHandle(textures_.erase(texture) > 0, texture);
}

void RecordingDevice::SetTexture(uint32_t stage, TextureHandle texture) {
    Record("SetTexture").Int(stage).Int(texture);
    CheckHandle(textures_.count(texture) > 0, texture);
    boundTextures_[stage] = texture;
}

void RecordingDevice::SetFVF(uint32_t fvf) {
    Record("SetFVF").Int(fvf);
    fvf_ = fvf;
    declaration_ = 0;  // an FVF replaces the declaration, as in Direct3D 9
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
    auto indexIt = buffers_.find(indices_);
    StreamBinding stream = Stream(0);
    auto vertexIt = buffers_.find(stream.Buffer);
    if (indexIt == buffers_.end() || vertexIt == buffers_.end() || stream.Stride == 0)
        return false;
    const std::vector<uint8_t>& indexBytes = indexIt->second.Bytes;
    uint64_t indexEnd = (uint64_t{startIndex} + uint64_t{primitiveCount} * 3) * 2;
    if (indexEnd > indexBytes.size())
        return false;
    uint64_t vertexBytes = vertexIt->second.Bytes.size();
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
    indices_ = 0;
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
