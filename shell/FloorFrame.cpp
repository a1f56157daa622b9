#include "shell/FloorFrame.h"

void SetQuadShaders(TGameServices& services) {
    services.Render->SetVertexShader(services.QuadVertexShader.get());
    services.Render->SetPixelShader(services.QuadPixelShader.get());
}

void DrawFloorFrame(TGameServices& services, TGameFlow& flow) {
    TRenderD3D9& render = *services.Render;
    render.ClearTarget(128, 128, 128);
    render.ClearDepth();
    render.BeginScene();
    SetQuadShaders(services);
    render.SetDepthTest(false);
    flow.Hud().DrawTexturedQuad("BG", -1.0f, 1.0f, 2.0f, 2.0f);
    render.SetDepthTest(true);
    render.EndScene();
    render.Present();
}
