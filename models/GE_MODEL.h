// The model unit: TMesh (the data of one .x file and its reader), TMeshDraw (a mesh with GPU buffers
// and materials) and TAnimationController (per-object animation state).
#pragma once

#include "models/AnimationController.h"
#include "models/Mesh.h"
#include "models/MeshDraw.h"
