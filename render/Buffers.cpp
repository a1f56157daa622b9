#include "render/Buffers.h"

#include <cstring>

#include "util/Log.h"

using namespace platform;

template <typename BufferHandle>
bool TBufferBase<BufferHandle>::CreateBuffer(uint32_t length, uint32_t usage, uint32_t pool) {
    ReleaseBuffer();
    Length_ = length;
    Usage_ = usage;
    Pool_ = pool;
    GraphicsDevice* device = DeviceOf(DeviceRef_);
    if (device == nullptr)
        return false;
    if constexpr (kIndex) {
        Handle_ = TDeviceResource<BufferHandle>(
            DeviceRef_, device->CreateIndexBuffer(length, usage, D3DFMT_INDEX16, pool));
    } else {
        Handle_ =
            TDeviceResource<BufferHandle>(DeviceRef_, device->CreateVertexBuffer(length, usage, 0, pool));
    }
    return static_cast<bool>(Handle_);
}

template <typename BufferHandle>
void TBufferBase<BufferHandle>::ReleaseHandle() {
    Handle_.Reset();
    LockedData_ = nullptr;
    LockedSize_ = 0;
}

template <typename BufferHandle>
void TBufferBase<BufferHandle>::ReleaseBuffer() {
    ReleaseHandle();
    Length_ = 0;
}

template <typename BufferHandle>
void* TBufferBase<BufferHandle>::LockBytes(uint32_t offset, uint32_t size, uint32_t flags) {
    LockedData_ = nullptr;
    LockedSize_ = 0;
    GraphicsDevice* device = DeviceOf(DeviceRef_);
    if (device == nullptr || !Handle_)
        return nullptr;
    void* data = device->LockBuffer(Handle_.Get(), offset, size, flags);
    if (data != nullptr && (flags & D3DLOCK_READONLY) == 0) {
        ++Version_;
    }
    if (data != nullptr) {
        LockedData_ = static_cast<uint8_t*>(data);
        LockedSize_ = size != 0 ? size : (offset < Length_ ? Length_ - offset : 0);
    }
    return data;
}

template <typename BufferHandle>
void TBufferBase<BufferHandle>::Unlock() {
    if (GraphicsDevice* device = DeviceOf(DeviceRef_); device != nullptr && Handle_) {
        device->UnlockBuffer(Handle_.Get());
    }
    LockedData_ = nullptr;
    LockedSize_ = 0;
}

template <typename BufferHandle>
bool TBufferBase<BufferHandle>::InsideLock(uint64_t offset, uint64_t size) const {
    if (LockedData_ == nullptr) {
        logging::Write("render", kIndex ? "write to an index buffer that is not locked"
                                        : "write to a vertex buffer that is not locked");
        return false;
    }
    if (offset + size > LockedSize_) {
        logging::Write("render", std::string("write past the locked range of ") +
                                     (kIndex ? "an index buffer" : "a vertex buffer") + "; not written");
        return false;
    }
    return true;
}

template <typename BufferHandle>
void TBufferBase<BufferHandle>::Write(const void* source, uint32_t offset, uint32_t size) {
    if (size == 0 || source == nullptr || !InsideLock(offset, size))
        return;
    std::memcpy(LockedData_ + offset, source, size);
}

template class TBufferBase<VertexBufferHandle>;
template class TBufferBase<IndexBufferHandle>;

void TVertexBuffer::WriteStrided(const void* source, uint32_t stride, uint32_t count, uint32_t firstVertex,
                                 uint32_t elementOffset, uint32_t elementSize) {
    if (count == 0 || elementSize == 0 || source == nullptr)
        return;
    // The last byte written decides whether the whole copy fits.
    uint64_t first = uint64_t{stride} * firstVertex + elementOffset;
    uint64_t end = first + uint64_t{stride} * (count - 1) + elementSize;
    if (!InsideLock(0, end))
        return;
    const auto* from = static_cast<const uint8_t*>(source);
    for (uint32_t e = 0; e < count; ++e) {
        std::memcpy(LockedData_ + first + uint64_t{stride} * e, from + uint64_t{elementSize} * e,
                    elementSize);
    }
}
