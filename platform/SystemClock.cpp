#include <SDL.h>

#include "platform/Clock.h"

namespace platform {

uint32_t SystemClock::TickCount() {
    return SDL_GetTicks();
}

}  // namespace platform
