// The replicated geometry of an instanced draw: several copies of one mesh subset in one vertex and one
// index buffer, each vertex carrying its copy number so the vertex shader can pick the copy's matrix.
#pragma once

#include <cstdint>

// How many copies one instanced call may take for a subset addressing `vertexCount` vertices: at most
// `maxCopies`, and few enough that every replicated vertex stays reachable by a 16-bit index. Below 2
// the subset cannot be instanced.
int32_t InstanceCopiesPerCall(int32_t vertexCount, int32_t maxCopies);

// Writes `copies` copies of `vertexCount` vertices of `stride` bytes; vertex j of copy k is source
// vertex j followed by the float k. `out` holds copies * vertexCount * (stride + 4) bytes.
void ReplicateVertices(const uint8_t* source, uint32_t vertexCount, uint32_t stride, int32_t copies,
                       uint8_t* out);

// Writes `copies` copies of `indexCount` 16-bit indices; copy k's indices are the source indices plus
// vertexCount * k. `out` holds copies * indexCount indices. The caller keeps vertexCount * copies at
// or below 65536 (InstanceCopiesPerCall).
void ReplicateIndices(const uint16_t* source, uint32_t indexCount, uint32_t vertexCount, int32_t copies,
                      uint16_t* out);
