// The least a frame can cost in the game's window, drawn by --timedemo beside the game's frames so
// that their cost reads against it: clear, one full-screen textured quad (the menus' background),
// present. The menus draw their background the same way.
#pragma once

#include "shell/GameFlow.h"
#include "shell/GameServices.h"

// The shaders of the screen-space quads (the backdrop, the cursor).
void SetQuadShaders(TGameServices& services);
void DrawFloorFrame(TGameServices& services, TGameFlow& flow);
