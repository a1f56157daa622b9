// TVertexBuffer and TIndexBuffer: device buffers created, locked, filled and released through the
// renderer's device slot. Index buffers always hold 16-bit indices.
//
// Write and WriteStrided copy into the range of the last Lock (they do nothing when no lock is held, and
// refuse a copy that would leave the locked range, logging it). Unlock ends the lock.
// ReleaseHandle gives the device buffer back but keeps the size, usage and pool so CreateBuffer can make
// it again after a device reset; ReleaseBuffer also forgets the length.
#pragma once

#include <cstdint>
#include <type_traits>

#include "platform/GraphicsDevice.h"
#include "render/DeviceResource.h"
#include "render/RenderDevice.h"

// The state and operations both buffer kinds share; BufferHandle is the device's handle of the kind.
template <typename BufferHandle>
class TBufferBase {
public:
    TBufferBase(const TBufferBase&) = delete;
    TBufferBase& operator=(const TBufferBase&) = delete;

    // ReleaseBuffer, then a new device buffer of `length` bytes. True when the device made one.
    bool CreateBuffer(uint32_t length, uint32_t usage, uint32_t pool);
    void ReleaseBuffer();
    void ReleaseHandle();
    void Unlock();
    // Copies `size` bytes from `source` to the locked data + `offset`.
    void Write(const void* source, uint32_t offset, uint32_t size);

    uint32_t GetLength() const { return Length_; }
    uint32_t Usage() const { return Usage_; }
    uint32_t Pool() const { return Pool_; }
    BufferHandle Handle() const { return Handle_.Get(); }
    // Counts the locks that may have written the contents; with Handle(), tells whether a copy made
    // of them is still current.
    uint32_t Version() const { return Version_; }
    const BufferHandle* HandleRef() const { return &Handle_.Get(); }

protected:
    static constexpr bool kIndex = std::is_same_v<BufferHandle, platform::IndexBufferHandle>;

    explicit TBufferBase(TDeviceRef deviceRef) : DeviceRef_(deviceRef) {}
    ~TBufferBase() = default;
    // The device lock; remembers the pointer and how many bytes it gives.
    void* LockBytes(uint32_t offset, uint32_t size, uint32_t flags);
    // True when [offset, offset + size) lies inside the locked range; logs when not.
    bool InsideLock(uint64_t offset, uint64_t size) const;

    TDeviceRef DeviceRef_;
    TDeviceResource<BufferHandle> Handle_;
    uint8_t* LockedData_ = nullptr;
    uint32_t LockedSize_ = 0;
    uint32_t Length_ = 0;
    uint32_t Usage_ = 0;
    uint32_t Pool_ = 0;
    uint32_t Version_ = 0;
};

extern template class TBufferBase<platform::VertexBufferHandle>;
extern template class TBufferBase<platform::IndexBufferHandle>;

class TVertexBuffer : public TBufferBase<platform::VertexBufferHandle> {
public:
    explicit TVertexBuffer(TDeviceRef deviceRef) : TBufferBase(deviceRef) {}

    // Size 0 locks to the end. nullptr when the device refuses (no buffer, range outside).
    void* Lock(uint32_t offset, uint32_t size, uint32_t flags) { return LockBytes(offset, size, flags); }
    void* LockedData() const { return LockedData_; }
    // Interleaves one attribute array into the locked vertices: element e (elementSize bytes at
    // source + e * elementSize) goes to vertex firstVertex + e at elementOffset, vertices `stride` apart.
    void WriteStrided(const void* source, uint32_t stride, uint32_t count, uint32_t firstVertex,
                      uint32_t elementOffset, uint32_t elementSize);
};

class TIndexBuffer : public TBufferBase<platform::IndexBufferHandle> {
public:
    explicit TIndexBuffer(TDeviceRef deviceRef) : TBufferBase(deviceRef) {}

    uint16_t* Lock(uint32_t offset, uint32_t size, uint32_t flags) {
        return static_cast<uint16_t*>(LockBytes(offset, size, flags));
    }
    uint16_t* LockedData() const { return reinterpret_cast<uint16_t*>(LockedData_); }
};
