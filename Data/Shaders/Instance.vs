// Instanced copies of one mesh subset. The geometry is replicated up to 60 times; every vertex carries
// its copy number (blend indices 1), and copy n's transposed world * view * projection sits in
// c[4n] .. c[4n + 3].
#version 330 core

uniform vec4 c[256];

layout(location = 0) in vec3 Position;
layout(location = 2) in vec2 TexCoord;
layout(location = 6) in float Instance;

out vec2 TexCoord0;

void main() {
    int base = int(Instance + 0.5) * 4;
    vec4 p = vec4(Position, 1.0);
    gl_Position = vec4(dot(p, c[base]), dot(p, c[base + 1]), dot(p, c[base + 2]), dot(p, c[base + 3]));
    TexCoord0 = TexCoord;
}
