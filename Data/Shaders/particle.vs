#version 330 core
// Particles: every vertex carries its quad's centre, the corner number 0..3 (in w), the quad's angle in
// its screen plane (radians) and side. The corner is placed around the centre in the camera's plane:
// c4..c7 hold the transposed camera rotation (the inverse view matrix without translation), so the
// offset turns from view space into world space; then the transposed view * projection in c0..c3.
// Corners 0..3 are top-left, top-right, bottom-right, bottom-left as the viewer sees them.

uniform vec4 c[256];

layout(location = 0) in vec4 Position;
layout(location = 2) in vec2 TexCoord;
layout(location = 3) in vec2 AngleSize;
layout(location = 7) in vec4 Color;

out vec2 TexCoord0;
out vec4 Color0;

const vec2 kCorners[4] = vec2[4](vec2(-0.5, 0.5), vec2(0.5, 0.5), vec2(0.5, -0.5), vec2(-0.5, -0.5));

void main() {
    int corner = clamp(int(Position.w + 0.5), 0, 3);
    vec2 local = kCorners[corner] * AngleSize.y;
    float s = sin(AngleSize.x);
    float co = cos(AngleSize.x);
    vec4 offset = vec4(local.x * co - local.y * s, local.x * s + local.y * co, 0.0, 0.0);
    vec3 world = Position.xyz + vec3(dot(offset, c[4]), dot(offset, c[5]), dot(offset, c[6]));
    vec4 p = vec4(world, 1.0);
    gl_Position = vec4(dot(p, c[0]), dot(p, c[1]), dot(p, c[2]), dot(p, c[3]));
    TexCoord0 = TexCoord;
    Color0 = Color;
}
