#include "platform/GraphicsDevice.h"

namespace platform {

int AttributeLocation(uint8_t usage, uint8_t usageIndex) {
    switch (usage) {
    case D3DDECLUSAGE_POSITION: return usageIndex == 0 ? 0 : -1;
    case D3DDECLUSAGE_NORMAL: return usageIndex == 0 ? 1 : -1;
    case D3DDECLUSAGE_TEXCOORD: return usageIndex <= 1 ? 2 + usageIndex : -1;
    case D3DDECLUSAGE_BLENDWEIGHT: return usageIndex == 0 ? 4 : -1;
    case D3DDECLUSAGE_BLENDINDICES: return usageIndex <= 1 ? 5 + usageIndex : -1;
    case D3DDECLUSAGE_COLOR: return usageIndex == 0 ? 7 : -1;
    default: return -1;
    }
}

}  // namespace platform
