// Binds a handle as stream 0. Built with BRELVOX_RIGHT_KIND it passes a vertex buffer and compiles;
// without, it passes a texture, which must not compile (HandleKinds.cmake checks both).
#include "platform/GraphicsDevice.h"

#ifdef BRELVOX_RIGHT_KIND
using Passed = platform::VertexBufferHandle;
#else
using Passed = platform::TextureHandle;
#endif

void BindStream(platform::GraphicsDevice& device, Passed handle) {
    device.SetStreamSource(0, handle, 0, 20);
}
