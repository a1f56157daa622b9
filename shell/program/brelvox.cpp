// The program: the main window over SDL2 and OpenGL, run by the idle loop until it is closed.
//
//   brelvox [--data DIR] [--frames N [--screenshot FILE]]
//   brelvox [--data DIR] --check
//
// Exit codes: 0 closed normally (or N frames run, or the data check found nothing wrong), 1 start-up
// failed (or the data check found problems), 2 bad command line, 3 the screenshot could not be written.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/GlGraphicsSystem.h"
#include "platform/SdlDesktop.h"
#include "platform/SdlInputDevice.h"
#include "platform/SdlWindow.h"
#include "shell/Check.h"
#include "shell/Main.h"
#include "util/Files.h"

#ifndef BRELVOX_VERSION
#define BRELVOX_VERSION "0"
#endif

namespace {

constexpr const char* kUsage =
    "Usage: brelvox [options]\n"
    "  --data DIR         the folder that holds Data (default: the program's folder if it holds Data,\n"
    "                     else the current folder)\n"
    "  --frames N         run N frames, then exit with code 0; start-up errors only go to stderr\n"
    "  --screenshot FILE  with --frames: write the last frame as a PNG\n"
    "  --check            read every file the game loads and every level, print one line per\n"
    "                     problem, exit 0 only when there is none (no window is opened)\n"
    "  --help             show this text\n"
    "  --version          show the version\n";

struct CommandLine {
    std::string DataFolder;
    long long Frames = 0;  // 0: run until closed
    std::string Screenshot;
    bool Check = false;
};

// False with a message on a bad command line; `exitNow` for --help and --version.
bool ParseCommandLine(int argc, char** argv, CommandLine& line, bool& exitNow, std::string& error) {
    exitNow = false;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                error = argument + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        if (argument == "--help" || argument == "-h") {
            std::fputs(kUsage, stdout);
            exitNow = true;
            return true;
        }
        if (argument == "--version") {
            std::printf("Brelvox %s\n", BRELVOX_VERSION);
            exitNow = true;
            return true;
        }
        if (argument == "--data") {
            if (!value(line.DataFolder)) {
                return false;
            }
        } else if (argument == "--frames") {
            std::string text;
            if (!value(text)) {
                return false;
            }
            char* end = nullptr;
            long long frames = std::strtoll(text.c_str(), &end, 10);
            if (text.empty() || *end != '\0' || frames < 1 || frames > 1000000000LL) {
                error = "--frames needs a whole number from 1 to 1000000000, not \"" + text + "\"";
                return false;
            }
            line.Frames = frames;
        } else if (argument == "--check") {
            line.Check = true;
        } else if (argument == "--screenshot") {
            if (!value(line.Screenshot)) {
                return false;
            }
        } else {
            error = "unknown option \"" + argument + "\"";
            return false;
        }
    }
    if (!line.Screenshot.empty() && line.Frames == 0) {
        error = "--screenshot needs --frames";
        return false;
    }
    return true;
}

// Whether `folder` holds a folder named "Data" in any letter case.
bool HoldsData(const std::filesystem::path& folder) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        std::string name = entry.path().filename().string();
        if (name.size() == 4 && (name[0] | 0x20) == 'd' && (name[1] | 0x20) == 'a' &&
            (name[2] | 0x20) == 't' && (name[3] | 0x20) == 'a' && entry.is_directory(error)) {
            return true;
        }
    }
    return false;
}

std::string DefaultDataFolder() {
    std::error_code error;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error && HoldsData(program.parent_path())) {
        return program.parent_path().string();
    }
    return ".";
}

}  // namespace

int main(int argc, char** argv) {
    CommandLine line;
    bool exitNow = false;
    std::string error;
    if (!ParseCommandLine(argc, argv, line, exitNow, error)) {
        std::fprintf(stderr, "brelvox: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    if (exitNow) {
        return 0;
    }
    bool unattended = line.Frames > 0;
    if (line.DataFolder.empty()) {
        line.DataFolder = DefaultDataFolder();
    } else if (!std::filesystem::is_directory(line.DataFolder)) {
        std::fprintf(stderr, "brelvox: --data \"%s\" is not a folder\n", line.DataFolder.c_str());
        return 2;
    }
    files::SetDataRoot(line.DataFolder);

    if (line.Check) {
        std::vector<std::string> problems = CheckGameData();
        for (const std::string& problem : problems) {
            std::printf("%s\n", problem.c_str());
        }
        if (problems.empty()) {
            std::printf("Data in %s: no problem found\n", line.DataFolder.c_str());
        }
        return problems.empty() ? 0 : 1;
    }

    platform::SdlDesktop desktop;
    auto report = [&](const std::string& text) {
        if (unattended) {
            std::fprintf(stderr, "Brelvox: %s\n", text.c_str());  // nobody is there to close a box
        } else {
            desktop.ShowMessageBox("Brelvox", text);
        }
    };
    std::unique_ptr<platform::SdlWindow> window = platform::SdlWindow::Create("Brelvox", 640, 480, error);
    if (!window) {
        report(error);
        return 1;
    }
    platform::GlGraphicsSystem graphics;
    platform::SystemClock clock;
    platform::SdlInputDevice input(window.get(), &desktop);
    TForm1 form(*window, desktop, graphics, clock, &input);
    if (!form.FormCreate(error)) {
        report(error);
        return 1;
    }

    while (!form.Closed()) {
        if (unattended && form.FramesDrawn() + 1 == static_cast<uint64_t>(line.Frames) &&
            !line.Screenshot.empty()) {
            form.RequestScreenshot(line.Screenshot);
            line.Screenshot.clear();
        }
        form.ApplicationEvents1Idle();
        if (unattended && form.FramesDrawn() >= static_cast<uint64_t>(line.Frames)) {
            break;
        }
        if (!form.FrameLoopEnabled() && !form.Closed()) {
            // Minimised in full screen: nothing to draw, so do not spin.
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    form.FormDestroy();
    if (!form.ScreenshotError().empty()) {
        std::fprintf(stderr, "brelvox: %s\n", form.ScreenshotError().c_str());
        return 3;
    }
    return 0;
}
