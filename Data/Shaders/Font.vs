#version 330 core
// Text: positions are already in screen space (x, y in -1..1, z = 0) and pass through; the vertex
// colour and the atlas coordinate go on to the pixel stage.

uniform vec4 c[256];

layout(location = 0) in vec3 Position;
layout(location = 2) in vec2 TexCoord;
layout(location = 7) in vec4 Color;

out vec2 TexCoord0;
out vec4 Color0;

void main() {
    gl_Position = vec4(Position, 1.0);
    TexCoord0 = TexCoord;
    Color0 = Color;
}
