#version 330 core
// Instanced copies of one mesh subset: position, normal, texture coordinate 0, and the copy number as
// the next blend-indices element of the mesh's layout. The layouts instanced here have no blend indices
// of their own, so it arrives as blend indices 0 (location 5); a layout that had them would pass it as
// blend indices 1 (location 6). An attribute no element feeds reads 0, so the larger of the two is the
// copy number either way. The geometry is replicated up to 84 times. c0-c3: the transpose of
// View * Projection, shared by the copies; copy n's world matrix, transposed, in c[4 + 3n] .. c[6 + 3n]
// (its fourth column is always 0, 0, 0, 1, so three registers hold it). Lit exactly as Static.vs: the
// normal goes through the world matrix, then through View * Projection, which is the product Static.vs
// applies at once, so a copy drawn here looks the same as one drawn on its own.

uniform vec4 c[256];

layout(location = 0) in vec3 Position;
layout(location = 1) in vec3 Normal;
layout(location = 2) in vec2 TexCoord;
layout(location = 5) in float CopyAsBlendIndices0;
layout(location = 6) in float CopyAsBlendIndices1;

out vec2 TexCoord0;
out float Shade;

// Towards the light, in view space (+x right, +y up, +z away from the viewer).
const vec3 kToLight = vec3(-0.35, 0.80, -0.48);
const float kAmbient = 0.45;

void main() {
    int base = 4 + int(max(CopyAsBlendIndices0, CopyAsBlendIndices1) + 0.5) * 3;
    vec4 p = vec4(Position, 1.0);
    vec4 world = vec4(dot(p, c[base]), dot(p, c[base + 1]), dot(p, c[base + 2]), 1.0);
    gl_Position = vec4(dot(world, c[0]), dot(world, c[1]), dot(world, c[2]), dot(world, c[3]));
    vec3 worldNormal =
        vec3(dot(Normal, c[base].xyz), dot(Normal, c[base + 1].xyz), dot(Normal, c[base + 2].xyz));
    vec3 n = vec3(dot(worldNormal, c[0].xyz), dot(worldNormal, c[1].xyz), dot(worldNormal, c[2].xyz));
    float lengthN = length(n);
    float diffuse = lengthN > 0.0 ? max(dot(n / lengthN, normalize(kToLight)), 0.0) : 1.0;
    Shade = kAmbient + (1.0 - kAmbient) * diffuse;
    TexCoord0 = TexCoord;
}
