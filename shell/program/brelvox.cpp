// The program: the main window over SDL2 and OpenGL, run by the idle loop until it is closed.
//
//   brelvox [--data DIR] [--fullscreen | --windowed] [--level N] [--edit FILE] [--record FILE]
//           [--frames N [--screenshot FILE]]
//   brelvox [--data DIR] (--play FILE | --timedemo FILE [--timedemo-json FILE]) [--size WxH]
//   brelvox [--data DIR] --check
//
// Exit codes: 0 closed normally (or N frames run, or the data check found nothing wrong, or the demo
// replayed to its end), 1 start-up failed (or the data check found problems), 2 bad command line, 3 the
// screenshot could not be written, 4 the demo cannot be replayed (or recorded), or it was cut off.
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/DirectInputKeys.h"
#include "platform/GlGraphicsSystem.h"
#include "platform/SdlDesktop.h"
#include "platform/SdlInputDevice.h"
#include "platform/SdlWindow.h"
#include "platform/UserFolder.h"
#include "shell/Check.h"
#include "shell/CommandLine.h"
#include "shell/Demo.h"
#include "shell/FloorFrame.h"
#include "shell/FramePacer.h"
#include "shell/Main.h"
#include "shell/Timedemo.h"
#include "shell/UserFiles.h"
#include "util/Files.h"
#include "util/Log.h"
#include "world/World.h"

#ifndef BRELVOX_VERSION
#define BRELVOX_VERSION "0"
#endif

namespace {

std::string ProgramFolder() {
    std::error_code error;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : program.parent_path().string();
}

// How many game frames and then floor frames --timedemo draws in turn. A shared or virtual machine
// has slow spells lasting seconds; taken in turns, both kinds of frame meet the same ones.
constexpr std::size_t kTimedemoTurn = 30;

// A picture of width x height made to fit inside limitWidth x limitHeight, its shape kept; false when
// it fits already.
bool FitInside(int& width, int& height, int limitWidth, int limitHeight) {
    if (width <= limitWidth && height <= limitHeight) {
        return false;
    }
    const double scale =
        std::min(static_cast<double>(limitWidth) / width, static_cast<double>(limitHeight) / height);
    width = std::max(1, static_cast<int>(width * scale));
    height = std::max(1, static_cast<int>(height * scale));
    return true;
}

// One floor frame, timed.
double FloorFrame(TForm1& form) {
    const auto start = std::chrono::steady_clock::now();
    DrawFloorFrame(form.Services(), *form.Flow());
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The replay loop of --play (paced by the demo's milliseconds, Escape stops) and --timedemo (as fast
// as possible, each frame timed and its draws counted, with a turn of floor frames, timed into
// `floorMs`, after each turn of game frames). Returns false when the player stopped it.
bool Replay(TForm1& form, const TDemo& demo, bool paced, platform::InputDevice& keyboard,
            std::vector<TFrameSample>& samples, std::vector<double>& floorMs) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    double dueMs = 0.0;
    while (!form.Closed() && !form.Demos().ReplayFinished()) {
        if (paced) {
            dueMs += demo.Frames[form.Demos().ReplayedFrames()].Ms;
            std::this_thread::sleep_until(start + std::chrono::duration<double, std::milli>(dueMs));
            platform::KeyboardSnapshot keys;
            if (keyboard.ReadKeyboard(keys) && (keys.Keys[platform::DIK_ESCAPE] & 0x80) != 0) {
                return false;
            }
        }
        platform::GraphicsDevice* device = form.Render() ? DeviceOf(form.Render()->Device()) : nullptr;
        const platform::DrawCounts before = device ? device->Counts() : platform::DrawCounts{};
        const Clock::time_point frameStart = Clock::now();
        form.ApplicationEvents1Idle();
        TFrameSample sample;
        sample.Ms = std::chrono::duration<double, std::milli>(Clock::now() - frameStart).count();
        if (device != nullptr && !form.Closed()) {
            sample.DrawCalls = device->Counts().DrawCalls - before.DrawCalls;
            sample.Triangles = device->Counts().Primitives - before.Primitives;
            sample.FragmentsShaded = device->Counts().FragmentsShaded - before.FragmentsShaded;
            sample.FragmentsPassed = device->Counts().FragmentsPassed - before.FragmentsPassed;
        }
        samples.push_back(sample);
        if (!paced && samples.size() % kTimedemoTurn == 0) {
            for (std::size_t i = 0; i < kTimedemoTurn && !form.Closed() && form.Render() != nullptr; ++i) {
                floorMs.push_back(FloorFrame(form));
            }
        }
    }
    // The last turn, cut short by the demo's end, gets as many floor frames.
    while (!paced && floorMs.size() < samples.size() && !form.Closed() && form.Render() != nullptr) {
        floorMs.push_back(FloorFrame(form));
    }
    return true;
}

// The Data folder (the command line's, the program's own or an installed one, into line.DataFolder)
// and where the player's files go; the exit code when there is none (said on stderr, or in a box to a
// player).
int FindFiles(TCommandLine& line, bool unattended, TUserFiles& userFiles) {
    std::string error;
    if (!line.DataFolder.empty() && !std::filesystem::is_directory(line.DataFolder)) {
        std::fprintf(stderr, "brelvox: --data \"%s\" is not a folder\n", line.DataFolder.c_str());
        return 2;
    }
    std::string dataRoot;
    if (!FindDataRoot(line.DataFolder, ProgramFolder(), dataRoot, error)) {
        if (unattended || line.Check) {
            std::fprintf(stderr, "brelvox: %s\n", error.c_str());
        } else {
            platform::SdlDesktop().ShowMessageBox("Brelvox", error);
        }
        return 1;
    }
    line.DataFolder = dataRoot;
    const bool shared = IsSharedData(dataRoot);
    std::string folderError;
    const std::string userFolder = platform::UserDataFolder("brelvox", folderError);
    if (shared && userFolder.empty()) {
        std::fprintf(stderr, "brelvox: %s; the options and records will not be saved\n", folderError.c_str());
    }
    userFiles = ChooseUserFiles(shared, userFolder);
    if (!userFiles.InData && !line.Check) {
        logging::Write("shell", "Data in " + dataRoot + " is shared: options and records are kept in " +
                                    userFiles.Folder);
    }
    return 0;
}

// --check: one line per problem in the game's files; the exit code.
int CheckData(const TCommandLine& line, const files::TDataRoot& root, const TUserFiles& userFiles) {
    std::vector<std::string> problems = CheckGameData(root, userFiles);
    for (const std::string& problem : problems) {
        std::printf("%s\n", problem.c_str());
    }
    if (problems.empty()) {
        std::printf("Data in %s: no problem found\n", line.DataFolder.c_str());
    }
    return problems.empty() ? 0 : 1;
}

// A demo names any size up to 65535x65535; a window larger than the display is more than X and the
// device can take. Play does not depend on the window's size: one too large is made to fit.
void FitDemoToDisplay(TCommandLine& line, const TDemo& demo, const std::string& demoPath,
                      platform::Desktop& desktop) {
    int width = demo.Header.Options.ScreenWidth;
    int height = demo.Header.Options.ScreenHeight;
    const int limitWidth = desktop.ScreenWidth() > 0 ? std::min(desktop.ScreenWidth(), 8192) : 8192;
    const int limitHeight = desktop.ScreenHeight() > 0 ? std::min(desktop.ScreenHeight(), 8192) : 8192;
    if (FitInside(width, height, limitWidth, limitHeight)) {
        std::fprintf(stderr,
                     "brelvox: demo %s: its %dx%d picture is larger than the %dx%d display; "
                     "replayed at %dx%d\n",
                     demoPath.c_str(), demo.Header.Options.ScreenWidth, demo.Header.Options.ScreenHeight,
                     limitWidth, limitHeight, width, height);
        line.Width = width;
        line.Height = height;
    }
}

// --play and --timedemo after start-up: the replay, its figures or its digest; the exit code.
int ReplayDemo(TForm1& form, const TCommandLine& line, const TDemo& demo, const std::string& demoPath,
               platform::InputDevice& input, const platform::Window& window) {
    std::string error;
    std::vector<TFrameSample> samples;
    samples.reserve(demo.Frames.size());
    std::vector<double> floorMs;
    floorMs.reserve(demo.Frames.size());
    if (!line.Timedemo.empty() && form.Render() != nullptr) {
        if (platform::GraphicsDevice* device = DeviceOf(form.Render()->Device())) {
            device->SetFragmentCounting(platform::FragmentCounting::PerFrame);
        }
    }
    const bool whole = Replay(form, demo, line.Timedemo.empty(), input, samples, floorMs);
    const TWorldDigest digest = form.Closed() ? form.Demos().FinalDigest() : form.Demos().Digest();
    if (!line.Timedemo.empty()) {
        TTimedemoReport result = SummarizeTimedemo(samples, floorMs);
        result.Demo = demoPath;
        result.Width = window.ClientWidth();
        result.Height = window.ClientHeight();
        result.Digest = DigestText(digest);
        std::fputs(TimedemoText(result).c_str(), stdout);
        if (result.FloorMedianMs == 0.0) {
            std::printf("  (no floor frame: the demo closed the game)\n");
        }
        if (!line.TimedemoJson.empty()) {
            // Replaced atomically, like every file the game writes; the path is the command line's.
            const std::string json = std::filesystem::absolute(line.TimedemoJson).string();
            if (!form.Services().Root.WriteFileAtomic(json, TimedemoJson(result), error)) {
                std::fprintf(stderr, "brelvox: %s\n", error.c_str());
                return 4;
            }
        }
    } else {
        std::printf("%s: %s after %zu of %zu frames\n", demoPath.c_str(), whole ? "ended" : "stopped",
                    form.Demos().ReplayedFrames(), demo.Frames.size());
        std::printf("%s\n", DigestText(digest).c_str());
    }
    form.FormDestroy();
    if (demo.CutInsideFrame) {
        std::fprintf(stderr,
                     "brelvox: demo %s: cut off inside frame %zu; the %zu whole frames were replayed\n",
                     demoPath.c_str(), demo.Frames.size() + 1, demo.Frames.size());
        return 4;
    }
    if (demo.Cut) {
        std::fprintf(stderr,
                     "brelvox: demo %s: cut off after frame %zu, before the recording ended; the %zu "
                     "whole frames were replayed\n",
                     demoPath.c_str(), demo.Frames.size(), demo.Frames.size());
        return 4;
    }
    return 0;
}

// Play (or --frames N, or --record FILE) until the window closes; the exit code.
int PlayUntilClosed(TForm1& form, TCommandLine& line, bool unattended) {
    std::string error;
    TDemoWriter recorder;
    if (!line.Record.empty()) {
        TDemoHeader header;
        header.GameVersion = BRELVOX_VERSION;
        header.Seed = form.Demos().Seed();
        header.Options = form.Demos().SessionOptions();
        if (!DigestPlayData(form.Services().Root, header.Data, error, form.Services().UserFiles.Folder) ||
            !recorder.Open(line.Record, header, error)) {
            std::fprintf(stderr, "brelvox: %s\n", error.c_str());
            return 4;
        }
        form.Demos().SetRecorder(&recorder);
    }

    platform::SystemFrameTimer timer;
    TFramePacer pacer(timer);
    // The rate is measured from the 60th frame on: the first ones compile shaders and load pictures.
    constexpr uint64_t kFramesBeforeMeasuring = 60;
    uint64_t startUs = 0;
    while (!form.Closed()) {
        if (unattended && form.FramesDrawn() + 1 == static_cast<uint64_t>(line.Frames) &&
            !line.Screenshot.empty()) {
            form.Screenshots().Request(line.Screenshot);
            line.Screenshot.clear();
        }
        form.ApplicationEvents1Idle();
        if (unattended && form.FramesDrawn() >= static_cast<uint64_t>(line.Frames)) {
            break;
        }
        if (!form.Closed()) {
            pacer.Pace(form.FrameRateLimitNow());
        }
        if (form.FramesDrawn() == kFramesBeforeMeasuring && startUs == 0) {
            startUs = timer.NowMicroseconds();
        }
        if (!form.FrameLoopEnabled() && !form.Closed()) {
            // Minimised in full screen: nothing to draw, so do not spin.
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    if (unattended && startUs != 0 && form.FramesDrawn() > kFramesBeforeMeasuring) {
        // The rate the loop reached, for measuring the cap (scripts/bench-framecap).
        const double seconds = static_cast<double>(timer.NowMicroseconds() - startUs) / 1e6;
        const uint64_t frames = form.FramesDrawn() - kFramesBeforeMeasuring;
        logging::Write("frames", std::to_string(frames) + " frames in " + std::to_string(seconds) + " s: " +
                                     std::to_string(static_cast<double>(frames) / seconds) + " per second");
    }
    form.FormDestroy();
    if (!line.Record.empty()) {
        recorder.Close();
        std::printf("%s: recorded %llu frames\n%s\n", line.Record.c_str(),
                    static_cast<unsigned long long>(recorder.Frames()),
                    DigestText(form.Demos().FinalDigest()).c_str());
        if (!recorder.Error().empty()) {
            std::fprintf(stderr, "brelvox: %s\n", recorder.Error().c_str());
            return 4;
        }
    }
    if (!form.Screenshots().Error().empty()) {
        std::fprintf(stderr, "brelvox: %s\n", form.Screenshots().Error().c_str());
        return 3;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // glibc raises its mmap threshold to the size of each large block freed (a decoded picture, a file
    // read whole), after which such blocks come from the heap and their pages stay resident after use;
    // a fixed threshold keeps every large block in its own mapping, given back to the system when freed.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    TCommandLine line;
    std::string error;
    if (!ParseCommandLine(argc, argv, line, error)) {
        std::fprintf(stderr, "brelvox: %s\nTry \"brelvox --help\" for the options.\n", error.c_str());
        return 2;
    }
    if (line.Help) {
        std::fputs(Usage().c_str(), stdout);
        return 0;
    }
    if (line.Version) {
        std::printf("Brelvox %s\n", BRELVOX_VERSION);
        return 0;
    }
    const std::string demoPath = !line.Play.empty() ? line.Play : line.Timedemo;
    const bool replaying = !demoPath.empty();
    const bool unattended = line.Frames > 0 || replaying;
    TUserFiles userFiles;
    if (const int code = FindFiles(line, unattended, userFiles); code != 0) {
        return code;
    }
    const files::TDataRoot root(line.DataFolder);  // every game file is read from here
    if (line.Check) {
        return CheckData(line, root, userFiles);
    }
    if (!platform::HasDisplay(error)) {
        std::fprintf(stderr, "brelvox: %s\n", error.c_str());
        return 1;
    }

    TDemo demo;
    if (replaying) {
        std::string problem;
        if (!ReadDemoFile(demoPath, demo, error)) {
            std::fprintf(stderr, "brelvox: %s\n", error.c_str());
            return 4;
        }
        if (!MatchesPlayData(root, demo.Header, problem, userFiles.Folder)) {
            std::fprintf(stderr, "brelvox: demo %s: %s\n", demoPath.c_str(), problem.c_str());
            return 4;
        }
    }

    platform::SdlDesktop desktop;
    auto report = [&](const std::string& text) {
        if (unattended) {
            std::fprintf(stderr, "Brelvox: %s\n", text.c_str());  // nobody is there to close a box
        } else {
            desktop.ShowMessageBox("Brelvox", text);
        }
    };
    if (replaying && line.Width == 0) {
        FitDemoToDisplay(line, demo, demoPath, desktop);
    }
    std::unique_ptr<platform::SdlWindow> window = platform::SdlWindow::Create("Brelvox", 640, 480, error);
    if (!window) {
        report(error);
        return 1;
    }
    platform::GlGraphicsSystem graphics;
    platform::SystemClock clock;
    platform::SdlInputDevice input(window.get(), &desktop);
    TWorld world;  // outlives the form, whose objects reach it
    TForm1 form(world, root, *window, desktop, graphics, clock, &input);
    form.SetUserFiles(userFiles);
    if (line.Fullscreen || line.Windowed) {
        form.OverrideWindowed(line.Windowed);
    }
    if (replaying) {
        form.Demos().SetSessionOptions(demo.Header.Options);
        form.Demos().SetSeed(demo.Header.Seed);
        form.Demos().SetReplay(&demo.Frames);
        form.Display().SetVsync(line.Timedemo.empty());
        if (line.Width > 0) {
            form.Display().SetRenderSize(line.Width, line.Height);
        }
    } else {
        form.Demos().SetFirstLevel(static_cast<uint8_t>(line.Level - 1));
    }
    if (!form.FormCreate(error)) {
        report(error);
        return 1;
    }
    // The command line's path is the shell's, not one under the data root.
    if (!line.Edit.empty() &&
        !form.Construction()->OpenFile(std::filesystem::absolute(line.Edit).string(), error)) {
        report(error);
        return 1;
    }
    return replaying ? ReplayDemo(form, line, demo, demoPath, input, *window)
                     : PlayUntilClosed(form, line, unattended);
}
