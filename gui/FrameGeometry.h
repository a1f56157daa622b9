// One frame's quads for the text and the GUI: a dynamic vertex and index buffer pair, made anew in the
// default pool and written with discard locks each time it is filled.
#pragma once

#include <cstdint>
#include <vector>

#include "render/GE_D3D9.h"

// Creates both buffers for `vertexBytes` of vertices and the indices and writes them. False when a
// buffer could not be made or locked: the caller draws nothing this frame.
bool UploadFrameGeometry(TVertexBuffer& vertexBuffer, TIndexBuffer& indexBuffer, const void* vertices,
                         uint32_t vertexBytes, const std::vector<uint16_t>& indices);
