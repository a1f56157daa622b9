// TVertexDeclaration: a vertex layout built element by element from engine usage and type codes.
//
// Engine usage codes: 0 position, 1 normal, 2 texture coordinate, 3 binormal, 4 tangent, 5 blend
// weights, 6 blend indices, 7 colour (any other code counts as position). Engine type codes: 0 to 3
// one to four floats, 4 a D3DCOLOR; any other code gives a one-float element that takes no room (the
// stride is unchanged). Every element
// is on stream 0, at the current stride, with the next usage index of its usage.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/GraphicsDevice.h"
#include "render/DeviceResource.h"
#include "render/RenderDevice.h"

// The device usage of an engine usage code.
uint8_t MapDeclarationUsage(uint8_t usage);
// The device type of an engine type code, and its size in bytes (0 for an unknown code).
uint8_t MapDeclarationType(uint8_t dataType);
uint8_t DeclarationTypeSize(uint8_t dataType);

class TVertexDeclaration {
public:
    static constexpr int kUsageCodes = 8;

    explicit TVertexDeclaration(TDeviceRef deviceRef);
    TVertexDeclaration(const TVertexDeclaration&) = delete;
    TVertexDeclaration& operator=(const TVertexDeclaration&) = delete;

    void AddElement(uint8_t usage, uint8_t dataType);
    // Appends the end marker; the stride is unchanged.
    void EndDeclaration();
    // Releases the handle and creates the device declaration from the elements. Elements without an end
    // marker are built as if EndDeclaration had been called.
    void Build();
    // Empty layout, no handle, counters 0.
    void Clear();
    // Clear, then take the layout of the operation's declaration without its end marker (stride, elements,
    // usage counters), ready for more elements. An operation without a declaration leaves this empty.
    void CopyFrom(const TRenderOperation& op);

    uint8_t GetStride() const { return Stride_; }
    // Offset of the first element with the usage (engine code) and usage index; 0 when none matches.
    uint8_t ElementOffset(uint8_t usage, uint8_t usageIndex) const;

    platform::DeclarationHandle Handle() const { return Handle_.Get(); }
    const std::vector<platform::VertexElement>& Elements() const { return Elements_; }
    uint8_t Count() const { return static_cast<uint8_t>(Elements_.size()); }
    // The next usage index for an engine usage code (0 for codes outside 0..7).
    uint8_t UsageCounter(uint8_t usage) const { return usage < kUsageCodes ? UsageCounters_[usage] : 0; }

private:
    bool HasEnd() const;

    TDeviceRef DeviceRef_;
    TUniqueDeclaration Handle_;
    std::vector<platform::VertexElement> Elements_;
    uint8_t Stride_ = 0;
    uint8_t UsageCounters_[kUsageCodes] = {};
};
