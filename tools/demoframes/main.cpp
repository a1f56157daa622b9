// demoframes: replays a demo in a real window on the OpenGL device, as fast as it can (the replay does
// not depend on the pace), and writes the frames asked for as PNGs: FOLDER/frame-NNNNN.png. Before and
// after a change to the renderer the same frames can be compared pixel by pixel.
//
//   demoframes [--data DIR] [--size WxH] [--fragments | --seen] [--unbaked] --demo FILE --out FOLDER FRAME...
//
// --fragments also prints, for each listed frame, every draw call with its triangles, its texture's
// slot and the fragments it handed to the pixel stage and that passed the depth test (the device's
// FragmentCounting::PerDraw), and the frame's totals. --seen prints the same for the opaque draws (the
// blended ones are left out, and the frames show each triangle in a colour of its own) and with them
// the fragments a rasterizer that shades whole 4 x 4 blocks must shade at the least for what each draw
// shows (FragmentCounting::PerDrawSeen): the floor under any order, culling or occlusion test.
// --unbaked draws the level's floor tiles as any other object (no baked chunks, the water uncut), to
// compare both ways.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/GlGraphicsSystem.h"
#include "platform/SdlDesktop.h"
#include "platform/SdlInputDevice.h"
#include "platform/SdlWindow.h"
#include "render/RenderDevice.h"
#include "scene/GE_SCENEMANAGER.h"
#include "shell/Demo.h"
#include "shell/Main.h"
#include "util/Files.h"
#include "world/World.h"

namespace {

constexpr const char* kUsage =
    "Usage: demoframes [--data DIR] [--size WxH] [--fragments | --seen] [--unbaked] --demo FILE\n"
    "                  --out FOLDER FRAME...\n"
    "  Replays the demo in a window and writes each listed frame (counted from 1) as\n"
    "  FOLDER/frame-NNNNN.png. --fragments also prints each listed frame's draw calls with\n"
    "  their triangles, texture slot, fragments shaded and fragments passing the depth test.\n"
    "  --seen counts the opaque draws alone, with the fewest fragments whole 4x4 blocks\n"
    "  could shade for what each shows; its frames show each triangle in a colour of its own.\n"
    "  --unbaked draws the floor tiles one by one (no baked chunks, the water uncut).\n";

int Fail(const std::string& text) {
    std::fprintf(stderr, "demoframes: %s\n", text.c_str());
    return 2;
}

void PrintDraws(unsigned long frame, const std::vector<platform::DrawFragments>& draws, bool seen) {
    unsigned long long triangles = 0, shaded = 0, passed = 0, least = 0;
    for (size_t i = 0; i < draws.size(); ++i) {
        const platform::DrawFragments& d = draws[i];
        std::printf("frame %lu draw %zu: triangles %u texture %u", frame, i, d.Primitives, d.Texture.Slot);
        if (seen && d.Blended) {
            std::printf(" blended, left out\n");
            continue;
        }
        std::printf(" shaded %llu passed %llu", static_cast<unsigned long long>(d.Shaded),
                    static_cast<unsigned long long>(d.Passed));
        if (seen) {
            std::printf(" least %llu", static_cast<unsigned long long>(d.SeenBlocks));
        }
        std::printf("\n");
        triangles += d.Primitives;
        shaded += d.Shaded;
        passed += d.Passed;
        least += d.SeenBlocks;
    }
    std::printf("frame %lu: draws %zu triangles %llu shaded %llu passed %llu ratio %.2f", frame, draws.size(),
                triangles, shaded, passed, passed > 0 ? static_cast<double>(shaded) / passed : 0.0);
    if (seen) {
        std::printf(" least %llu least ratio %.2f", least,
                    passed > 0 ? static_cast<double>(least) / passed : 0.0);
    }
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    std::string data = ".";
    std::string demoPath;
    std::string out;
    int width = 800;
    int height = 600;
    std::set<unsigned long> wanted;
    bool fragments = false;
    bool seen = false;
    bool unbaked = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--data" && hasValue) {
            data = argv[++i];
        } else if (arg == "--fragments") {
            fragments = true;
        } else if (arg == "--seen") {
            fragments = true;
            seen = true;
        } else if (arg == "--unbaked") {
            unbaked = true;
        } else if (arg == "--demo" && hasValue) {
            demoPath = argv[++i];
        } else if (arg == "--out" && hasValue) {
            out = argv[++i];
        } else if (arg == "--size" && hasValue) {
            if (std::sscanf(argv[++i], "%dx%d", &width, &height) != 2 || width <= 0 || height <= 0) {
                return Fail("--size needs WxH");
            }
        } else {
            char* end = nullptr;
            const unsigned long frame = std::strtoul(arg.c_str(), &end, 10);
            if (arg.empty() || *end != '\0' || frame == 0) {
                return Fail("not an option or a frame number: \"" + arg + "\"\n" + kUsage);
            }
            wanted.insert(frame);
        }
    }
    if (demoPath.empty() || out.empty() || wanted.empty()) {
        return Fail(std::string("a demo, a folder and a frame are needed\n") + kUsage);
    }
    std::string error;
    TDemo demo;
    const files::TDataRoot root(data);
    if (!ReadDemoFile(demoPath, demo, error) || !MatchesPlayData(root, demo.Header, error)) {
        return Fail(demoPath + ": " + error);
    }
    std::filesystem::create_directories(out);

    platform::SdlDesktop desktop;
    std::unique_ptr<platform::SdlWindow> window =
        platform::SdlWindow::Create("demoframes", width, height, error);
    if (!window) {
        return Fail(error);
    }
    platform::GlGraphicsSystem graphics;
    platform::SystemClock clock;
    platform::SdlInputDevice input(window.get(), &desktop);
    TWorld world;
    TForm1 form(world, root, *window, desktop, graphics, clock, &input);
    form.Demos().SetSessionOptions(demo.Header.Options);
    form.Demos().SetSeed(demo.Header.Seed);
    form.Demos().SetReplay(&demo.Frames);
    form.Display().SetVsync(false);
    form.Display().SetRenderSize(width, height);
    if (!form.FormCreate(error)) {
        return Fail(error);
    }
    form.Flow()->SetSaveFiles(false);
    platform::GraphicsDevice* device = form.Render() ? DeviceOf(form.Render()->Device()) : nullptr;
    if (fragments &&
        (device == nullptr || !device->SetFragmentCounting(seen ? platform::FragmentCounting::PerDrawSeen
                                                                : platform::FragmentCounting::PerDraw))) {
        return Fail("this device cannot count fragments");
    }
    if (unbaked && form.Services().SceneManager) {
        form.Services().SceneManager->SetFloorBaking(false);
    }
    int status = 0;
    while (!form.Closed() && !form.Demos().ReplayFinished()) {
        const unsigned long frame = form.Demos().ReplayedFrames() + 1;
        if (wanted.count(frame) != 0) {
            char name[32];
            std::snprintf(name, sizeof name, "/frame-%05lu.png", frame);
            form.Screenshots().Request(out + name);
        }
        form.ApplicationEvents1Idle();
        if (fragments && wanted.count(frame) != 0) {
            PrintDraws(frame, device->LastFrameDraws(), seen);
        }
        if (!form.Screenshots().Error().empty()) {
            std::fprintf(stderr, "demoframes: %s\n", form.Screenshots().Error().c_str());
            status = 3;
        }
    }
    form.FormDestroy();
    return status;
}
