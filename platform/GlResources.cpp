// Vertex declarations, buffers with a CPU copy for locking, and textures.
#include <algorithm>
#include <cstring>
#include <string>
#include <type_traits>

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
        return DeclarationHandle{};
    }
    Declaration declaration;
    int count = 0;
    while (!IsDeclarationEnd(elements[count])) {
        if (++count > kMaxElements) {
            logging::Write("gl", "vertex declaration without an end marker");
            return DeclarationHandle{};
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
    return declarations_.Add(std::move(declaration));
}

void GlDevice::ReleaseVertexDeclaration(DeclarationHandle declaration) {
    if (declarations_.Use(declaration, "ReleaseVertexDeclaration") == nullptr) {
        return;
    }
    declarations_.Remove(declaration);
    if (declaration_ == declaration) {
        declaration_ = DeclarationHandle{};
    }
}

void GlDevice::SetVertexDeclaration(DeclarationHandle declaration) {
    if (declaration && declarations_.Use(declaration, "SetVertexDeclaration") == nullptr) {
        return;
    }
    declaration_ = declaration;
    fvf_ = 0;
}

void GlDevice::SetFVF(uint32_t fvf) {
    fvf_ = fvf;
    declaration_ = DeclarationHandle{};
    fvfElements_ = FvfElements(fvf, fvfStride_);
}

template <typename Handle>
Handle GlDevice::CreateBuffer(SlotTable<Handle, Buffer>& table, uint32_t length, uint32_t usage,
                              uint32_t pool) {
    if (length == 0 || length > kMaxBufferBytes) {
        return Handle{};
    }
    Buffer buffer;
    buffer.Pool = pool;
    buffer.Size = length;
    buffer.IsIndexBuffer = std::is_same_v<Handle, IndexBufferHandle>;
    // No CPU copy is kept: the buffers the game locks each frame lock with D3DLOCK_DISCARD, and the
    // others are locked once when made. A lock that keeps the contents reads them back (LockBuffer).
    buffer.Usage = (usage & D3DUSAGE_DYNAMIC) ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW;
    glGenBuffers(1, &buffer.Name);
    return table.Add(std::move(buffer));
}

VertexBufferHandle GlDevice::CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t /*fvf*/,
                                                uint32_t pool) {
    return CreateBuffer(vertexBuffers_, length, usage, pool);
}

IndexBufferHandle GlDevice::CreateIndexBuffer(uint32_t length, uint32_t usage, uint32_t format,
                                              uint32_t pool) {
    if (format != D3DFMT_INDEX16) {
        return IndexBufferHandle{};
    }
    return CreateBuffer(indexBuffers_, length, usage, pool);
}

void* GlDevice::LockBuffer(VertexBufferHandle handle, uint32_t offset, uint32_t size, uint32_t flags) {
    Buffer* found = vertexBuffers_.Use(handle, "LockBuffer");
    return found != nullptr ? Lock(*found, offset, size, flags) : nullptr;
}

void* GlDevice::LockBuffer(IndexBufferHandle handle, uint32_t offset, uint32_t size, uint32_t flags) {
    Buffer* found = indexBuffers_.Use(handle, "LockBuffer");
    return found != nullptr ? Lock(*found, offset, size, flags) : nullptr;
}

void* GlDevice::Lock(Buffer& buffer, uint32_t offset, uint32_t size, uint32_t flags) {
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

void GlDevice::UnlockBuffer(VertexBufferHandle handle) {
    if (Buffer* found = vertexBuffers_.Use(handle, "UnlockBuffer")) {
        Unlock(*found);
    }
}

void GlDevice::UnlockBuffer(IndexBufferHandle handle) {
    if (Buffer* found = indexBuffers_.Use(handle, "UnlockBuffer")) {
        Unlock(*found);
    }
}

void GlDevice::Unlock(Buffer& buffer) {
    if (buffer.LockDepth == 0 || --buffer.LockDepth > 0) {
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

template <typename Handle>
bool GlDevice::DeleteBuffer(SlotTable<Handle, Buffer>& table, Handle handle) {
    Buffer* found = table.Use(handle, "ReleaseBuffer");
    if (found == nullptr) {
        return false;
    }
    glDeleteBuffers(1, &found->Name);
    table.Remove(handle);
    return true;
}

void GlDevice::ReleaseBuffer(VertexBufferHandle handle) {
    if (!DeleteBuffer(vertexBuffers_, handle)) {
        return;
    }
    for (Stream& stream : streams_) {
        if (stream.Buffer == handle) {
            stream = Stream{};
        }
    }
}

void GlDevice::ReleaseBuffer(IndexBufferHandle handle) {
    if (DeleteBuffer(indexBuffers_, handle) && indices_ == handle) {
        indices_ = IndexBufferHandle{};
    }
}

void GlDevice::SetStreamSource(uint32_t stream, VertexBufferHandle buffer, uint32_t offset, uint32_t stride) {
    if (buffer && vertexBuffers_.Use(buffer, "SetStreamSource") == nullptr) {
        return;
    }
    if (stream < kStreams) {
        streams_[stream] = Stream{buffer, offset, stride};
    }
}

void GlDevice::SetIndices(IndexBufferHandle buffer) {
    if (buffer && indexBuffers_.Use(buffer, "SetIndices") == nullptr) {
        return;
    }
    indices_ = buffer;
}

TextureHandle GlDevice::CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t /*usage*/,
                                      uint32_t format, uint32_t pool) {
    if (width == 0 || height == 0 || width > kMaxTextureSize || height > kMaxTextureSize ||
        (format != D3DFMT_A8R8G8B8 && format != D3DFMT_X8R8G8B8)) {
        return TextureHandle{};
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
    return textures_.Add(texture);
}

void GlDevice::MakeTextureStorage(TextureHandle handle, Texture& texture, bool alphaOnly) {
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
    const Texture* found = textures_.Use(texture, "TextureLevelCount");
    return found == nullptr ? 0 : found->Levels;
}

void GlDevice::WriteTextureLevel(TextureHandle handle, uint32_t level, const uint8_t* bgra, uint32_t pitch) {
    Texture* found = textures_.Use(handle, "WriteTextureLevel");
    if (found == nullptr || !bgra || level >= found->Levels) {
        return;
    }
    Texture& texture = *found;
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
    Texture* found = textures_.Use(handle, "ReleaseTexture");
    if (found == nullptr) {
        return;
    }
    glDeleteTextures(1, &found->Name);
    textures_.Remove(handle);
    for (int stage = 0; stage < kStages; ++stage) {
        if (stageTextures_[stage] == handle) {
            stageTextures_[stage] = TextureHandle{};
        }
    }
}

void GlDevice::SetTexture(uint32_t stage, TextureHandle handle) {
    if (stage >= kStages) {
        return;
    }
    Texture* found = textures_.Use(handle, "SetTexture");
    if (found == nullptr && handle) {
        return;
    }
    if (found != nullptr && !found->HasStorage) {
        MakeTextureStorage(handle, *found, false);  // never written: it samples zeros
    }
    stageTextures_[stage] = handle;
    glActiveTexture(GL_TEXTURE0 + stage);
    glBindTexture(GL_TEXTURE_2D, found == nullptr ? 0 : found->Name);
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
