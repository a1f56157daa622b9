// TDeviceResource: the owner of one device resource (a texture, a buffer, a shader, a vertex
// declaration) for the objects above the platform layer. Move-only; the resource is released when the
// owner goes, is assigned another, or is Reset.
//
// The owner reaches the device through the renderer's slot (TDeviceRef), as every graphics object
// does, so the release goes to the device current at the time; with no device (none made, or gone)
// it releases nothing. Like the objects that hold it, an owner must not outlive the renderer.
#pragma once

#include <utility>

#include "platform/GraphicsDevice.h"
#include "render/RenderDevice.h"

template <typename Handle>
class TDeviceResource {
public:
    TDeviceResource() = default;
    // Takes over `handle`, made on the device in `deviceRef`'s slot; "none" gives an empty owner.
    TDeviceResource(TDeviceRef deviceRef, Handle handle) : DeviceRef_(deviceRef), Handle_(handle) {}
    ~TDeviceResource() { Reset(); }

    TDeviceResource(TDeviceResource&& other) noexcept
        : DeviceRef_(other.DeviceRef_), Handle_(std::exchange(other.Handle_, Handle{})) {}
    TDeviceResource& operator=(TDeviceResource&& other) noexcept {
        if (this != &other) {
            Reset();
            DeviceRef_ = other.DeviceRef_;
            Handle_ = std::exchange(other.Handle_, Handle{});
        }
        return *this;
    }
    TDeviceResource(const TDeviceResource&) = delete;
    TDeviceResource& operator=(const TDeviceResource&) = delete;

    // The handle, for the device calls that use it; it stays where it is while the owner lives.
    const Handle& Get() const { return Handle_; }
    explicit operator bool() const { return static_cast<bool>(Handle_); }

    // Releases the resource now; the owner is empty afterwards.
    void Reset() {
        if (Handle_) {
            if (platform::GraphicsDevice* device = DeviceOf(DeviceRef_)) {
                device->Release(Handle_);
            }
            Handle_ = Handle{};
        }
    }

private:
    TDeviceRef DeviceRef_ = nullptr;
    Handle Handle_;
};

using TUniqueTexture = TDeviceResource<platform::TextureHandle>;
using TUniqueShader = TDeviceResource<platform::ShaderHandle>;
using TUniqueDeclaration = TDeviceResource<platform::DeclarationHandle>;
