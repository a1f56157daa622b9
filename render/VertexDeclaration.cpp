#include "render/VertexDeclaration.h"

#include <algorithm>

#include "util/Log.h"

using namespace platform;

uint8_t MapDeclarationUsage(uint8_t usage) {
    switch (usage) {
        case 0:
            return D3DDECLUSAGE_POSITION;
        case 1:
            return D3DDECLUSAGE_NORMAL;
        case 2:
            return D3DDECLUSAGE_TEXCOORD;
        case 3:
            return D3DDECLUSAGE_BINORMAL;
        case 4:
            return D3DDECLUSAGE_TANGENT;
        case 5:
            return D3DDECLUSAGE_BLENDWEIGHT;
        case 6:
            return D3DDECLUSAGE_BLENDINDICES;
        case 7:
            return D3DDECLUSAGE_COLOR;
        default:
            return D3DDECLUSAGE_POSITION;
    }
}

uint8_t MapDeclarationType(uint8_t dataType) {
    switch (dataType) {
        case 0:
            return D3DDECLTYPE_FLOAT1;
        case 1:
            return D3DDECLTYPE_FLOAT2;
        case 2:
            return D3DDECLTYPE_FLOAT3;
        case 3:
            return D3DDECLTYPE_FLOAT4;
        case 4:
            return D3DDECLTYPE_D3DCOLOR;
        default:
            return D3DDECLTYPE_FLOAT1;
    }
}

uint8_t DeclarationTypeSize(uint8_t dataType) {
    switch (dataType) {
        case 0:
            return 4;
        case 1:
            return 8;
        case 2:
            return 12;
        case 3:
            return 16;
        case 4:
            return 4;
        default:
            return 0;
    }
}

TVertexDeclaration::TVertexDeclaration(TDeviceRef deviceRef) : DeviceRef_(deviceRef) {
    Clear();
}

bool TVertexDeclaration::HasEnd() const {
    return !Elements_.empty() && IsDeclarationEnd(Elements_.back());
}

void TVertexDeclaration::AddElement(uint8_t usage, uint8_t dataType) {
    // The stride and the element count are bytes; a layout that would overflow them is refused rather
    // than given wrong offsets.
    uint8_t size = DeclarationTypeSize(dataType);
    if (Stride_ + size > 255 || Elements_.size() >= 254) {
        logging::Write("render", "vertex declaration too large; element not added");
        return;
    }
    // Codes outside 0..7 are declared as positions, so they take the position's usage index: two
    // elements of one usage must never share an index.
    uint8_t counter = usage < kUsageCodes ? usage : 0;
    VertexElement e;
    e.Stream = 0;
    e.Offset = Stride_;
    e.Type = MapDeclarationType(dataType);
    e.Method = D3DDECLMETHOD_DEFAULT;
    e.Usage = MapDeclarationUsage(usage);
    e.UsageIndex = UsageCounters_[counter]++;
    Elements_.push_back(e);
    Stride_ = static_cast<uint8_t>(Stride_ + size);
}

void TVertexDeclaration::EndDeclaration() {
    Elements_.push_back(D3DDECL_END);
}

void TVertexDeclaration::Build() {
    Handle_.Reset();
    GraphicsDevice* device = DeviceOf(DeviceRef_);
    if (device == nullptr)
        return;
    if (HasEnd()) {
        Handle_ = TUniqueDeclaration(DeviceRef_, device->CreateVertexDeclaration(Elements_.data()));
    } else {
        // The device reads up to the end marker; never let it run past our elements.
        std::vector<VertexElement> ended = Elements_;
        ended.push_back(D3DDECL_END);
        Handle_ = TUniqueDeclaration(DeviceRef_, device->CreateVertexDeclaration(ended.data()));
    }
}

void TVertexDeclaration::Clear() {
    Stride_ = 0;
    Handle_.Reset();
    Elements_.clear();
    std::fill(std::begin(UsageCounters_), std::end(UsageCounters_), uint8_t{0});
}

void TVertexDeclaration::CopyFrom(const TRenderOperation& op) {
    const TVertexDeclaration* source = op.Declaration;
    // Taken before Clear, so copying a declaration onto itself works.
    std::vector<VertexElement> elements;
    uint8_t stride = 0;
    uint8_t counters[kUsageCodes] = {};
    if (source != nullptr) {
        // Everything before the first end marker; a source that was never ended is copied whole.
        for (const VertexElement& e : source->Elements_) {
            if (IsDeclarationEnd(e))
                break;
            elements.push_back(e);
        }
        stride = source->Stride_;
        std::copy(std::begin(source->UsageCounters_), std::end(source->UsageCounters_), counters);
    }
    Clear();
    Elements_ = std::move(elements);
    Stride_ = stride;
    std::copy(std::begin(counters), std::end(counters), UsageCounters_);
}

uint8_t TVertexDeclaration::ElementOffset(uint8_t usage, uint8_t usageIndex) const {
    uint8_t wanted = MapDeclarationUsage(usage);
    for (const VertexElement& e : Elements_) {
        if (IsDeclarationEnd(e))
            break;
        if (e.Usage == wanted && e.UsageIndex == usageIndex)
            return static_cast<uint8_t>(e.Offset);
    }
    return 0;
}
