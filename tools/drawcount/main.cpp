// drawcount: replays each demo on the headless game (the recording device, no window) and prints its
// draw calls and triangles per frame: median and worst. With --worst it also lists the calls of the
// frame with the most draws, from its first state change to its last draw, to see what they draw.
//
//   drawcount [--data DIR] [--worst] DEMO...
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/RecordingDevice.h"
#include "shell/Demo.h"
#include "shell/HeadlessGame.h"
#include "util/Files.h"

namespace {

constexpr const char* kUsage =
    "Usage: drawcount [--data DIR] [--worst] DEMO...\n"
    "  Replays each demo headless; prints frames, draw calls per frame (median, worst) and\n"
    "  triangles per frame (median, worst). --worst lists the calls of the frame with the most draws.\n";

template <typename T>
T Median(std::vector<T> values) {
    if (values.empty()) {
        return T{};
    }
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

bool Count(const files::TDataRoot& root, const std::string& path, bool listWorst) {
    TDemo demo;
    std::string error;
    THeadlessGame game(root);
    if (!ReadDemoFile(path, demo, error) || !game.StartReplay(demo, error)) {
        std::fprintf(stderr, "drawcount: %s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    std::vector<size_t> draws;
    std::vector<uint64_t> triangles;
    std::string worstLog;
    while (!game.Form().Closed() && !game.Form().Demos().ReplayFinished()) {
        auto* device = dynamic_cast<platform::RecordingDevice*>(DeviceOf(game.Form().Render()->Device()));
        if (device == nullptr) {
            std::fprintf(stderr, "drawcount: %s: the game has no recording device\n", path.c_str());
            return false;
        }
        const uint64_t before = device->Counts().Primitives;
        device->ClearLog();
        game.Form().ApplicationEvents1Idle();
        draws.push_back(device->DrawCallCount());
        triangles.push_back(device->Counts().Primitives - before);
        if (listWorst && draws.back() == *std::max_element(draws.begin(), draws.end())) {
            worstLog = "frame " + std::to_string(draws.size()) + ":\n" + device->LogText();
        }
    }
    std::printf("%s: frames %zu draws median %zu worst %zu triangles median %llu worst %llu\n", path.c_str(),
                draws.size(), Median(draws),
                draws.empty() ? 0 : *std::max_element(draws.begin(), draws.end()),
                static_cast<unsigned long long>(Median(triangles)),
                static_cast<unsigned long long>(
                    triangles.empty() ? 0 : *std::max_element(triangles.begin(), triangles.end())));
    if (listWorst) {
        std::fputs(worstLog.c_str(), stdout);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::string data;  // the current folder unless --data says otherwise
    bool listWorst = false;
    std::vector<std::string> demos;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--data" && i + 1 < argc) {
            data = argv[++i];
        } else if (arg == "--worst") {
            listWorst = true;
        } else {
            demos.push_back(arg);
        }
    }
    if (demos.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    bool ok = true;
    for (const std::string& demo : demos) {
        ok = Count(files::TDataRoot(data), demo, listWorst) && ok;
    }
    return ok ? 0 : 1;
}
