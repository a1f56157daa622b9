// The floor of a frame: SDL window, OpenGL 3.3 core context, one shader, one 512 x 512 texture;
// each frame clears, draws a full-screen textured quad and swaps. Prints (one "key value" per line):
//   startup_ms   from main() to the first frame swapped
//   frame_ms     median and 99th percentile of the frames after the first, as "MEDIAN P99"
//   peak_rss_kb  the process's peak resident memory
// Usage: floor [--size WxH] [--frames N]
#include <SDL.h>
#include <epoxy/gl.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

const char* const kVertex = R"(#version 330 core
layout(location = 0) in vec2 Position;
out vec2 TexCoord;
void main() {
    gl_Position = vec4(Position, 0.0, 1.0);
    TexCoord = Position * 0.5 + 0.5;
}
)";

const char* const kPixel = R"(#version 330 core
uniform sampler2D s0;
in vec2 TexCoord;
out vec4 FragColor;
void main() { FragColor = texture(s0, TexCoord); }
)";

GLuint Compile(GLenum type, const char* source) {
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

}  // namespace

int main(int argc, char** argv) {
    const Clock::time_point start = Clock::now();
    int width = 800;
    int height = 600;
    int frames = 600;
    const char* help =
        "Usage: floor [--size WxH] [--frames N]\n"
        "  --size WxH  the window's size (default 800x600)\n"
        "  --frames N  how many frames to draw (default 600)\n"
        "Prints startup_ms, frame_ms (median and 99th percentile) and peak_rss_kb.\n";
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(help, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc &&
            std::sscanf(argv[i + 1], "%dx%d", &width, &height) == 2 && width > 0 && height > 0) {
            ++i;
        } else if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc && std::atoi(argv[i + 1]) > 0) {
            frames = std::atoi(argv[++i]);
        } else {
            std::fputs(help, stderr);
            return 2;
        }
    }
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "floor: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_Window* window = SDL_CreateWindow("floor", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width,
                                          height, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    if (!context) {
        std::fprintf(stderr, "floor: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetSwapInterval(0);

    GLuint program = glCreateProgram();
    glAttachShader(program, Compile(GL_VERTEX_SHADER, kVertex));
    glAttachShader(program, Compile(GL_FRAGMENT_SHADER, kPixel));
    glLinkProgram(program);
    glUseProgram(program);

    constexpr int kTextureSize = 512;
    std::vector<unsigned char> texels(kTextureSize * kTextureSize * 4);
    for (size_t i = 0; i < texels.size(); ++i) {
        texels[i] = static_cast<unsigned char>((i * 2654435761u) >> 24);
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kTextureSize, kTextureSize, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);

    const float quad[] = {-1, -1, 1, -1, -1, 1, 1, 1};
    GLuint vertexArray = 0;
    GLuint buffer = 0;
    glGenVertexArrays(1, &vertexArray);
    glBindVertexArray(vertexArray);
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof quad, quad, GL_STATIC_DRAW);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    glEnableVertexAttribArray(0);
    glViewport(0, 0, width, height);

    std::vector<double> times;
    for (int frame = 0; frame < frames; ++frame) {
        const Clock::time_point begin = Clock::now();
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
        }
        glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        SDL_GL_SwapWindow(window);
        if (frame == 0) {
            std::printf("startup_ms %.1f\n", MillisecondsSince(start));
        } else {
            times.push_back(MillisecondsSince(begin));
        }
    }
    if (!times.empty()) {
        std::sort(times.begin(), times.end());
        std::printf("frame_ms %.3f %.3f\n", times[times.size() / 2],
                    times[std::min(times.size() - 1, times.size() * 99 / 100)]);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak_rss_kb %ld\n", usage.ru_maxrss);

    glDeleteBuffers(1, &buffer);
    glDeleteVertexArrays(1, &vertexArray);
    glDeleteTextures(1, &texture);
    glDeleteProgram(program);
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
