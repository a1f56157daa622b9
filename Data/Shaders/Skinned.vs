#version 330 core
// Skinned mesh parts: position, normal, texture coordinate 0, four bone weights and four bone indices.
// c0-c3: the transpose of World * View * Projection. From c4: the bone palette, bone b's transposed
// skinning matrix in c[4 + 4b] .. c[7 + 4b] (c[4 + 4b + j] is column j of the row-vector matrix).
// A free blend slot has index 255.0 and weight 0; weights are used as they are, not renormalised.
// Only bones 0 to 62 fit the registers; a slot naming another bone is skipped. A vertex no bone holds
// stays where the model put it.
// The light is the one of Static.vs, so skinned and static meshes shade alike.

uniform vec4 c[256];

layout(location = 0) in vec3 Position;
layout(location = 1) in vec3 Normal;
layout(location = 2) in vec2 TexCoord;
layout(location = 4) in vec4 BlendWeights;
layout(location = 5) in vec4 BlendIndices;

out vec2 TexCoord0;
out float Shade;

const vec3 kToLight = vec3(-0.35, 0.80, -0.48);
const float kAmbient = 0.45;
const int kMaxBone = 62;

void main() {
    vec4 p = vec4(Position, 1.0);
    vec3 skinned = vec3(0.0);
    vec3 skinnedNormal = vec3(0.0);
    float held = 0.0;
    for (int i = 0; i < 4; ++i) {
        float w = BlendWeights[i];
        int bone = int(BlendIndices[i] + 0.5);
        if (w == 0.0 || bone < 0 || bone > kMaxBone) {
            continue;
        }
        int r = 4 + 4 * bone;
        skinned += w * vec3(dot(p, c[r]), dot(p, c[r + 1]), dot(p, c[r + 2]));
        skinnedNormal += w * vec3(dot(Normal, c[r].xyz), dot(Normal, c[r + 1].xyz), dot(Normal, c[r + 2].xyz));
        held += w;
    }
    if (held == 0.0) {
        skinned = Position;
        skinnedNormal = Normal;
    }
    vec4 s = vec4(skinned, 1.0);
    gl_Position = vec4(dot(s, c[0]), dot(s, c[1]), dot(s, c[2]), dot(s, c[3]));
    vec3 n = vec3(dot(skinnedNormal, c[0].xyz), dot(skinnedNormal, c[1].xyz), dot(skinnedNormal, c[2].xyz));
    float lengthN = length(n);
    float diffuse = lengthN > 0.0 ? max(dot(n / lengthN, normalize(kToLight)), 0.0) : 1.0;
    Shade = kAmbient + (1.0 - kAmbient) * diffuse;
    TexCoord0 = TexCoord;
}
