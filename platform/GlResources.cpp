// Vertex declarations, buffers with a CPU copy for locking, and textures.
#include <algorithm>
#include <cstring>
#include <string>

#include "platform/GlDevice.h"
#include "util/Log.h"

namespace platform {

namespace {

constexpr int kMaxElements = 64;
constexpr uint32_t kMaxBufferBytes = 256u << 20;
constexpr uint32_t kMaxTextureSize = 16384;

}  // namespace

DeclarationHandle GlDevice::CreateVertexDeclaration(const VertexElement* elements) {
    if (!elements) {
        return 0;
    }
    Declaration declaration;
    int count = 0;
    while (!IsDeclarationEnd(elements[count])) {
        if (++count > kMaxElements) {
            logging::Write("gl", "vertex declaration without an end marker");
            return 0;
        }
    }
    declaration.Elements.assign(elements, elements + count);
    for (const VertexElement& element : declaration.Elements) {
        uint32_t size = 0;
        switch (element.Type) {
            case D3DDECLTYPE_FLOAT1:
            case D3DDECLTYPE_D3DCOLOR:
                size = 4;
                break;
            case D3DDECLTYPE_FLOAT2:
                size = 8;
                break;
            case D3DDECLTYPE_FLOAT3:
                size = 12;
                break;
            case D3DDECLTYPE_FLOAT4:
                size = 16;
                break;
            default:
                break;
        }
        if (element.Stream == 0) {
            declaration.Stride = std::max<uint32_t>(declaration.Stride, element.Offset + size);
        }
    }
    Handle handle = NextHandle();
    declarations_[handle] = std::move(declaration);
    return handle;
}

void GlDevice::ReleaseVertexDeclaration(DeclarationHandle declaration) {
    declarations_.erase(declaration);
    if (declaration_ == declaration) {
        declaration_ = 0;
    }
}

void GlDevice::SetVertexDeclaration(DeclarationHandle declaration) {
    declaration_ = declaration;
    fvf_ = 0;
}

void GlDevice::SetFVF(uint32_t fvf) {
    fvf_ = fvf;
    declaration_ = 0;
    fvfElements_ = FvfElements(fvf, fvfStride_);
}

BufferHandle GlDevice::CreateBuffer(uint32_t length, uint32_t usage, uint32_t pool, bool isIndexBuffer) {
    if (length == 0 || length > kMaxBufferBytes) {
        return 0;
    }
    Buffer buffer;
    buffer.Pool = pool;
    buffer.Size = length;
    buffer.IsIndexBuffer = isIndexBuffer;
    // No CPU copy is kept: the buffers the game locks each frame lock with D3DLOCK_DISCARD, and the
    // others are locked once when made. A lock that keeps the contents reads them back (LockBuffer).
    buffer.Usage = (usage & D3DUSAGE_DYNAMIC) ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW;
    glGenBuffers(1, &buffer.Name);
    Handle handle = NextHandle();
    buffers_[handle] = std::move(buffer);
    return handle;
}

BufferHandle GlDevice::CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t /*fvf*/, uint32_t pool) {
    return CreateBuffer(length, usage, pool, false);
}

BufferHandle GlDevice::CreateIndexBuffer(uint32_t length, uint32_t usage, uint32_t format, uint32_t pool) {
    if (format != D3DFMT_INDEX16) {
        return 0;
    }
    return CreateBuffer(length, usage, pool, true);
}

void* GlDevice::LockBuffer(BufferHandle handle, uint32_t offset, uint32_t size, uint32_t flags) {
    auto found = buffers_.find(handle);
    if (found == buffers_.end()) {
        return nullptr;
    }
    Buffer& buffer = found->second;
    uint64_t length = buffer.Size;
    if (offset >= length) {
        return nullptr;
    }
    uint64_t end = size == 0 ? length : uint64_t{offset} + size;
    if (end > length) {
        return nullptr;
    }
    if (buffer.Shadow.empty()) {
        // The contents come back from the GPU, unless the lock discards them.
        buffer.Shadow.assign(buffer.Size, 0);
        if (!(flags & D3DLOCK_DISCARD) && buffer.Stored > 0) {
            glBindBuffer(GL_COPY_READ_BUFFER, buffer.Name);
            glGetBufferSubData(GL_COPY_READ_BUFFER, 0, buffer.Stored, buffer.Shadow.data());
        }
    }
    ++buffer.LockDepth;
    if (!(flags & D3DLOCK_READONLY)) {
        if (!buffer.Dirty) {
            buffer.DirtyBegin = offset;
            buffer.DirtyEnd = static_cast<uint32_t>(end);
        } else {
            buffer.DirtyBegin = std::min(buffer.DirtyBegin, offset);
            buffer.DirtyEnd = std::max(buffer.DirtyEnd, static_cast<uint32_t>(end));
        }
        buffer.Dirty = true;
    }
    return buffer.Shadow.data() + offset;
}

void GlDevice::UnlockBuffer(BufferHandle handle) {
    auto found = buffers_.find(handle);
    if (found == buffers_.end() || found->second.LockDepth == 0) {
        return;
    }
    Buffer& buffer = found->second;
    if (--buffer.LockDepth > 0) {
        return;
    }
    if (buffer.Dirty) {
        Upload(buffer);
    }
    std::vector<uint8_t>().swap(buffer.Shadow);
}

void GlDevice::Upload(Buffer& buffer) {
    // Only the bytes locked for writing, into the storage the buffer has: OpenGL orders the update
    // after the draws already made from it, and new storage for each discarding lock would cost an
    // allocation of the whole buffer in the driver each time.
    glBindBuffer(GL_COPY_WRITE_BUFFER, buffer.Name);
    if (buffer.DirtyEnd > buffer.Stored) {
        // The copy holds the rest of the storage too (read back, or zeros after a discarding lock).
        buffer.Stored = std::min(buffer.Size, std::max(buffer.DirtyEnd, buffer.Stored * 2));
        glBufferData(GL_COPY_WRITE_BUFFER, buffer.Stored, buffer.Shadow.data(), buffer.Usage);
    } else {
        glBufferSubData(GL_COPY_WRITE_BUFFER, buffer.DirtyBegin, buffer.DirtyEnd - buffer.DirtyBegin,
                        buffer.Shadow.data() + buffer.DirtyBegin);
    }
    if (buffer.IsIndexBuffer) {
        // The bounds only widen with a partial update: the indices outside it are still there.
        const uint32_t wholeEnd = buffer.Size & ~1u;
        const uint32_t dirtyEnd = std::min((buffer.DirtyEnd + 1) & ~1u, wholeEnd);
        const auto* first = reinterpret_cast<const uint16_t*>(buffer.Shadow.data()) + buffer.DirtyBegin / 2;
        const auto* end = reinterpret_cast<const uint16_t*>(buffer.Shadow.data()) + dirtyEnd / 2;
        if (first < end) {
            const auto [lowest, highest] = std::minmax_element(first, end);
            const bool whole = buffer.DirtyBegin == 0 && dirtyEnd == wholeEnd;
            buffer.LowestIndex = whole ? *lowest : std::min(buffer.LowestIndex, *lowest);
            buffer.HighestIndex = whole ? *highest : std::max(buffer.HighestIndex, *highest);
        }
    }
    buffer.Dirty = false;
}

void GlDevice::GrowStorage(Buffer& buffer, uint64_t bytes) {
    if (bytes <= buffer.Stored) {
        return;
    }
    const auto size = static_cast<uint32_t>(
        std::min<uint64_t>(buffer.Size, std::max<uint64_t>(bytes, buffer.Stored * 2ull)));
    std::vector<uint8_t> contents(size, 0);
    if (buffer.Stored > 0) {
        glBindBuffer(GL_COPY_READ_BUFFER, buffer.Name);
        glGetBufferSubData(GL_COPY_READ_BUFFER, 0, buffer.Stored, contents.data());
    }
    glBindBuffer(GL_COPY_WRITE_BUFFER, buffer.Name);
    glBufferData(GL_COPY_WRITE_BUFFER, size, contents.data(), buffer.Usage);
    buffer.Stored = size;
}

void GlDevice::ReleaseBuffer(BufferHandle handle) {
    auto found = buffers_.find(handle);
    if (found == buffers_.end()) {
        return;
    }
    glDeleteBuffers(1, &found->second.Name);
    buffers_.erase(found);
    for (Stream& stream : streams_) {
        if (stream.Buffer == handle) {
            stream = Stream{};
        }
    }
    if (indices_ == handle) {
        indices_ = 0;
    }
}

void GlDevice::SetStreamSource(uint32_t stream, BufferHandle buffer, uint32_t offset, uint32_t stride) {
    if (stream < kStreams) {
        streams_[stream] = Stream{buffer, offset, stride};
    }
}

void GlDevice::SetIndices(BufferHandle buffer) {
    indices_ = buffer;
}

TextureHandle GlDevice::CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t /*usage*/,
                                      uint32_t format, uint32_t pool) {
    if (width == 0 || height == 0 || width > kMaxTextureSize || height > kMaxTextureSize ||
        (format != D3DFMT_A8R8G8B8 && format != D3DFMT_X8R8G8B8)) {
        return 0;
    }
    uint32_t fullChain = 1;
    while ((std::max(width, height) >> fullChain) > 0) {
        ++fullChain;
    }
    Texture texture;
    texture.Width = width;
    texture.Height = height;
    texture.Levels = levels == 0 ? fullChain : std::min(levels, fullChain);
    texture.Format = format;
    texture.Pool = pool;
    glGenTextures(1, &texture.Name);
    Handle handle = NextHandle();
    textures_[handle] = texture;
    return handle;
}

void GlDevice::MakeTextureStorage(Handle handle, Texture& texture, bool alphaOnly) {
    if (texture.HasStorage) {
        // Storage made with glTexStorage2D cannot change: a new name, bound where the old one was.
        glDeleteTextures(1, &texture.Name);
        glGenTextures(1, &texture.Name);
    }
    texture.HasStorage = true;
    texture.AlphaOnly = alphaOnly;
    glActiveTexture(GL_TEXTURE0 + kStages);  // a unit no stage uses
    glBindTexture(GL_TEXTURE_2D, texture.Name);
    // X8R8G8B8 samples with alpha one.
    GLint internalFormat = alphaOnly ? GL_R8 : texture.Format == D3DFMT_A8R8G8B8 ? GL_RGBA8 : GL_RGB8;
    if (textureStorage_) {
        glTexStorage2D(GL_TEXTURE_2D, static_cast<GLsizei>(texture.Levels), internalFormat,
                       static_cast<GLsizei>(texture.Width), static_cast<GLsizei>(texture.Height));
    } else {
        for (uint32_t level = 0; level < texture.Levels; ++level) {
            glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), internalFormat,
                         std::max(texture.Width >> level, 1u), std::max(texture.Height >> level, 1u), 0,
                         alphaOnly ? GL_RED : GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
        }
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(texture.Levels - 1));
    if (alphaOnly) {
        const GLint swizzle[4] = {GL_ONE, GL_ONE, GL_ONE, GL_RED};
        glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, swizzle);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    for (int stage = 0; stage < kStages; ++stage) {
        if (stageTextures_[stage] == handle) {
            glActiveTexture(GL_TEXTURE0 + stage);
            glBindTexture(GL_TEXTURE_2D, texture.Name);
        }
    }
}

uint32_t GlDevice::TextureLevelCount(TextureHandle texture) {
    auto found = textures_.find(texture);
    return found == textures_.end() ? 0 : found->second.Levels;
}

void GlDevice::WriteTextureLevel(TextureHandle handle, uint32_t level, const uint8_t* bgra, uint32_t pitch) {
    auto found = textures_.find(handle);
    if (found == textures_.end() || !bgra || level >= found->second.Levels) {
        return;
    }
    Texture& texture = found->second;
    uint32_t width = std::max(texture.Width >> level, 1u);
    uint32_t height = std::max(texture.Height >> level, 1u);
    if (pitch < width * 4) {
        return;
    }
    // A one-level texture written whole: all white keeps the alpha alone, anything else all four.
    if (texture.Levels == 1 && texture.Format == D3DFMT_A8R8G8B8) {
        bool white = true;
        for (uint32_t y = 0; y < height && white; ++y) {
            const uint8_t* row = bgra + static_cast<size_t>(y) * pitch;
            for (uint32_t x = 0; x < width && white; ++x) {
                white = row[x * 4] == 0xFF && row[x * 4 + 1] == 0xFF && row[x * 4 + 2] == 0xFF;
            }
        }
        if (!texture.HasStorage || texture.AlphaOnly != white) {
            MakeTextureStorage(handle, texture, white);
        }
        if (white) {
            std::vector<uint8_t> alpha;
            alpha.reserve(static_cast<size_t>(width) * height);
            for (uint32_t y = 0; y < height; ++y) {
                const uint8_t* row = bgra + static_cast<size_t>(y) * pitch;
                for (uint32_t x = 0; x < width; ++x) {
                    alpha.push_back(row[x * 4 + 3]);
                }
            }
            glActiveTexture(GL_TEXTURE0 + kStages);
            glBindTexture(GL_TEXTURE_2D, texture.Name);
            glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height),
                            GL_RED, GL_UNSIGNED_BYTE, alpha.data());
            glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
            glBindTexture(GL_TEXTURE_2D, 0);
            return;
        }
    } else if (!texture.HasStorage) {
        MakeTextureStorage(handle, texture, false);
    }
    std::vector<uint8_t> packed;
    if (pitch % 4 != 0) {
        packed.resize(static_cast<size_t>(width) * height * 4);
        for (uint32_t y = 0; y < height; ++y) {
            std::memcpy(packed.data() + static_cast<size_t>(y) * width * 4,
                        bgra + static_cast<size_t>(y) * pitch, width * 4);
        }
        bgra = packed.data();
        pitch = width * 4;
    }
    glActiveTexture(GL_TEXTURE0 + kStages);
    glBindTexture(GL_TEXTURE_2D, texture.Name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(pitch / 4));
    // Rows top first: the first row is t = 0, the top of the image.
    glTexSubImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), 0, 0, static_cast<GLsizei>(width),
                    static_cast<GLsizei>(height), GL_BGRA, GL_UNSIGNED_BYTE, bgra);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void GlDevice::ReleaseTexture(TextureHandle handle) {
    auto found = textures_.find(handle);
    if (found == textures_.end()) {
        return;
    }
    glDeleteTextures(1, &found->second.Name);
    textures_.erase(found);
    for (int stage = 0; stage < kStages; ++stage) {
        if (stageTextures_[stage] == handle) {
            stageTextures_[stage] = 0;
        }
    }
}

void GlDevice::SetTexture(uint32_t stage, TextureHandle handle) {
    if (stage >= kStages) {
        return;
    }
    auto found = textures_.find(handle);
    if (found != textures_.end() && !found->second.HasStorage) {
        MakeTextureStorage(handle, found->second, false);  // never written: it samples zeros
    }
    stageTextures_[stage] = found == textures_.end() ? 0 : handle;
    glActiveTexture(GL_TEXTURE0 + stage);
    glBindTexture(GL_TEXTURE_2D, found == textures_.end() ? 0 : found->second.Name);
}

std::vector<VertexElement> GlDevice::FvfElements(uint32_t fvf, uint32_t& stride) {
    std::vector<VertexElement> elements;
    uint16_t offset = 0;
    auto add = [&](uint8_t type, uint8_t usage, uint8_t index, uint16_t size) {
        elements.push_back(VertexElement{0, offset, type, D3DDECLMETHOD_DEFAULT, usage, index});
        offset = static_cast<uint16_t>(offset + size);
    };
    constexpr uint32_t D3DFVF_XYZRHW = 0x004;
    constexpr uint32_t D3DFVF_NORMAL = 0x010;
    constexpr uint32_t D3DFVF_PSIZE = 0x020;
    constexpr uint32_t D3DFVF_DIFFUSE = 0x040;
    constexpr uint32_t D3DFVF_SPECULAR = 0x080;
    if (fvf & D3DFVF_XYZ) {
        add(D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0, 12);
    } else if (fvf & D3DFVF_XYZRHW) {
        add(D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_POSITION, 0, 16);
    }
    if (fvf & D3DFVF_NORMAL) {
        add(D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL, 0, 12);
    }
    if (fvf & D3DFVF_PSIZE) {
        offset = static_cast<uint16_t>(offset + 4);
    }
    if (fvf & D3DFVF_DIFFUSE) {
        add(D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 0, 4);
    }
    if (fvf & D3DFVF_SPECULAR) {
        add(D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 1, 4);
    }
    uint32_t textures = (fvf >> 8) & 0xF;
    for (uint32_t index = 0; index < textures && index < 8; ++index) {
        add(D3DDECLTYPE_FLOAT2, D3DDECLUSAGE_TEXCOORD, static_cast<uint8_t>(index), 8);
    }
    stride = offset;
    return elements;
}

}  // namespace platform
