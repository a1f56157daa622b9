#version 330 core
// Instanced copies of one mesh subset: position, normal, texture coordinate 0, and the copy number as
// the next blend-indices element of the mesh's layout. The layouts instanced here have no blend indices
// of their own, so it arrives as blend indices 0 (location 5); a layout that had them would pass it as
// blend indices 1 (location 6). An attribute no element feeds reads 0, so the larger of the two is the
// copy number either way. The geometry is replicated up to 170 times. The projection is a perspective
// one, whose depth is a fixed function of w: clip z = A * clip w + B, with (A, B) in c0.xy. So each
// copy needs three rows of its transposed World * View * Projection, those of clip x, y and w:
// copy n's in c[1 + 3n] .. c[3 + 3n]. Lit exactly as Static.vs: the normal goes through the same
// three columns (its z through A times the w column), so a copy drawn here looks the same as one
// drawn on its own.

uniform vec4 c[512];

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
    int base = 1 + int(max(CopyAsBlendIndices0, CopyAsBlendIndices1) + 0.5) * 3;
    vec4 p = vec4(Position, 1.0);
    float w = dot(p, c[base + 2]);
    gl_Position = vec4(dot(p, c[base]), dot(p, c[base + 1]), c[0].x * w + c[0].y, w);
    vec3 n = vec3(dot(Normal, c[base].xyz), dot(Normal, c[base + 1].xyz), c[0].x * dot(Normal, c[base + 2].xyz));
    float lengthN = length(n);
    float diffuse = lengthN > 0.0 ? max(dot(n / lengthN, normalize(kToLight)), 0.0) : 1.0;
    Shade = kAmbient + (1.0 - kAmbient) * diffuse;
    TexCoord0 = TexCoord;
}
