// The renderer unit: the device (TRenderD3D9, TRenderOperation), shaders and the shader manager,
// vertex declarations and vertex and index buffers. Texture loading is in render/TextureLoader.h.
#pragma once

#include "render/Buffers.h"
#include "render/RenderDevice.h"
#include "render/Shaders.h"
#include "render/VertexDeclaration.h"
