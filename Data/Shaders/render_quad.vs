#version 330 core
// Rectangles already in clip space (DrawQuad, the GUI): position with w = 1 and texture coordinate 0
// passed through. No constants.

layout(location = 0) in vec3 Position;
layout(location = 2) in vec2 TexCoord;

out vec2 TexCoord0;

void main() {
    gl_Position = vec4(Position, 1.0);
    TexCoord0 = TexCoord;
}
