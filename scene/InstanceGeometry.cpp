#include "scene/InstanceGeometry.h"

#include <algorithm>
#include <cstring>

int32_t InstanceCopiesPerCall(int32_t vertexCount, int32_t maxCopies) {
    if (vertexCount <= 0) {
        return 0;
    }
    return std::min<int32_t>(maxCopies, 65536 / vertexCount);
}

void ReplicateVertices(const uint8_t* source, uint32_t vertexCount, uint32_t stride, int32_t copies,
                       uint8_t* out) {
    for (int32_t k = 0; k < copies; ++k) {
        const float copy = static_cast<float>(k);
        const uint8_t* in = source;
        for (uint32_t j = 0; j < vertexCount; ++j) {
            std::memcpy(out, in, stride);
            std::memcpy(out + stride, &copy, sizeof copy);
            out += stride + sizeof copy;
            in += stride;
        }
    }
}

void ReplicateIndices(const uint16_t* source, uint32_t indexCount, uint32_t vertexCount, int32_t copies,
                      uint16_t* out) {
    for (int32_t k = 0; k < copies; ++k) {
        const uint32_t base = vertexCount * static_cast<uint32_t>(k);
        for (uint32_t i = 0; i < indexCount; ++i) {
            *out++ = static_cast<uint16_t>(base + source[i]);
        }
    }
}
