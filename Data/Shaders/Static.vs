#version 330 core
// Mesh parts without skinning: position, normal, texture coordinate 0.
// c0-c3: the transpose of World * View * Projection (c[j] is column j of the row-vector matrix).
// One fixed directional light, above and to the left of the viewer, lights the normal so shapes read;
// the light level goes to the pixel shader as Shade. Pixel shaders read the texture of stage 0 through
// a sampler named s0.

uniform vec4 c[256];

layout(location = 0) in vec3 Position;
layout(location = 1) in vec3 Normal;
layout(location = 2) in vec2 TexCoord;

out vec2 TexCoord0;
out float Shade;

// Towards the light, in view space (+x right, +y up, +z away from the viewer).
const vec3 kToLight = vec3(-0.35, 0.80, -0.48);
const float kAmbient = 0.45;

void main() {
    vec4 p = vec4(Position, 1.0);
    gl_Position = vec4(dot(p, c[0]), dot(p, c[1]), dot(p, c[2]), dot(p, c[3]));
    // The normal turned by the same matrix (a direction, so no translation); the projection only
    // stretches x and y a little, which normalising keeps harmless for lighting.
    vec3 n = vec3(dot(Normal, c[0].xyz), dot(Normal, c[1].xyz), dot(Normal, c[2].xyz));
    float lengthN = length(n);
    float diffuse = lengthN > 0.0 ? max(dot(n / lengthN, normalize(kToLight)), 0.0) : 1.0;
    Shade = kAmbient + (1.0 - kAmbient) * diffuse;
    TexCoord0 = TexCoord;
}
