#include "gui/FrameGeometry.h"

bool UploadFrameGeometry(TVertexBuffer& vertexBuffer, TIndexBuffer& indexBuffer, const void* vertices,
                         uint32_t vertexBytes, const std::vector<uint16_t>& indices) {
    // Sizes in 32 bits: a 16-bit byte count would wrap beyond 3276 vertices.
    constexpr uint32_t kUsage = platform::D3DUSAGE_DYNAMIC | platform::D3DUSAGE_WRITEONLY;
    const auto indexBytes = static_cast<uint32_t>(indices.size() * sizeof(uint16_t));
    if (!vertexBuffer.CreateBuffer(vertexBytes, kUsage, platform::D3DPOOL_DEFAULT) ||
        !indexBuffer.CreateBuffer(indexBytes, kUsage, platform::D3DPOOL_DEFAULT)) {
        return false;
    }
    if (vertexBuffer.Lock(0, vertexBytes, platform::D3DLOCK_DISCARD) == nullptr) {
        return false;
    }
    vertexBuffer.Write(vertices, 0, vertexBytes);
    vertexBuffer.Unlock();
    if (indexBuffer.Lock(0, indexBytes, platform::D3DLOCK_DISCARD) == nullptr) {
        return false;
    }
    indexBuffer.Write(indices.data(), 0, indexBytes);
    indexBuffer.Unlock();
    return true;
}
