// The program: the main window over SDL2 and OpenGL, run by the idle loop until it is closed.
//
//   brelvox [--data DIR] [--fullscreen | --windowed] [--level N] [--record FILE]
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
#include "shell/Demo.h"
#include "shell/FloorFrame.h"
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

struct CommandLine {
    std::string DataFolder;
    long long Frames = 0;  // 0: run until closed
    std::string Screenshot;
    bool Check = false;
    bool Fullscreen = false;  // for this run, whatever the options file says
    bool Windowed = false;
    bool Help = false;
    bool Version = false;
    int Level = 1;
    std::string Record;
    std::string Play;
    std::string Timedemo;
    std::string TimedemoJson;
    int Width = 0;  // --size; 0: the demo's own
    int Height = 0;
};

// A whole number in [low, high] from `text`.
bool ParseWhole(const std::string& text, long long low, long long high, long long& value) {
    char* end = nullptr;
    value = std::strtoll(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0' && value >= low && value <= high;
}

// One option: its name, the name of its value (nullptr when it takes none), its help (lines after the
// first start with a line break), and either the flag it sets or what its value does to the command
// line (false with an error).
struct Option {
    const char* Name;
    const char* Value;
    const char* Help;
    bool CommandLine::*Flag;
    bool (*Apply)(CommandLine& line, const std::string& value, std::string& error);
};

const Option kOptions[] = {
    {"--data", "DIR", "the folder that holds Data (see Files below)", nullptr,
     [](CommandLine& line, const std::string& value, std::string&) {
         line.DataFolder = value;
         return true;
     }},
    {"--fullscreen", nullptr, "full screen for this run, whatever the options file says (not saved)",
     &CommandLine::Fullscreen, nullptr},
    {"--windowed", nullptr, "a window for this run, whatever the options file says (not saved)",
     &CommandLine::Windowed, nullptr},
    {"--frames", "N", "run N frames, then exit with code 0; start-up errors only go to stderr", nullptr,
     [](CommandLine& line, const std::string& value, std::string& error) {
         long long frames = 0;
         if (!ParseWhole(value, 1, 1000000000LL, frames)) {
             error = "--frames needs a whole number from 1 to 1000000000, not \"" + value + "\"";
             return false;
         }
         line.Frames = frames;
         return true;
     }},
    {"--screenshot", "FILE", "with --frames: write the last frame as a PNG", nullptr,
     [](CommandLine& line, const std::string& value, std::string&) {
         line.Screenshot = value;
         return true;
     }},
    {"--check", nullptr,
     "read every file the game loads and every level, print one line per\n"
     "problem, exit 0 only when there is none (no window is opened)",
     &CommandLine::Check, nullptr},
    {"--level", "N", "Play starts a new game at level N (default 1)", nullptr,
     [](CommandLine& line, const std::string& value, std::string& error) {
         long long level = 0;
         if (!ParseWhole(value, 1, 255, level)) {
             error = "--level needs a level number from 1 to 255, not \"" + value + "\"";
             return false;
         }
         line.Level = static_cast<int>(level);
         return true;
     }},
    {"--record", "FILE", "play, and record the session as a demo in FILE", nullptr,
     [](CommandLine& line, const std::string& value, std::string&) {
         line.Record = value;
         return true;
     }},
    {"--play", "FILE",
     "replay a demo at its recorded pace (Escape stops it), print the world's\n"
     "digest at the end; no options or records are saved",
     nullptr,
     [](CommandLine& line, const std::string& value, std::string&) {
         line.Play = value;
         return true;
     }},
    {"--timedemo", "FILE",
     "replay a demo as fast as possible (no vsync), with as many floor frames\n"
     "(clear, one full-screen picture) in turns of 30; print frame times, draw calls,\n"
     "triangles",
     nullptr,
     [](CommandLine& line, const std::string& value, std::string&) {
         line.Timedemo = value;
         return true;
     }},
    {"--timedemo-json", "FILE", "with --timedemo: also write the figures as JSON", nullptr,
     [](CommandLine& line, const std::string& value, std::string&) {
         line.TimedemoJson = value;
         return true;
     }},
    {"--size", "WxH", "with --play or --timedemo: the window's size for the run", nullptr,
     [](CommandLine& line, const std::string& value, std::string& error) {
         std::size_t x = value.find('x');
         long long width = 0;
         long long height = 0;
         if (x == std::string::npos || !ParseWhole(value.substr(0, x), 320, 8192, width) ||
             !ParseWhole(value.substr(x + 1), 240, 8192, height)) {
             error = "--size needs WIDTHxHEIGHT (320x240 to 8192x8192), not \"" + value + "\"";
             return false;
         }
         line.Width = static_cast<int>(width);
         line.Height = static_cast<int>(height);
         return true;
     }},
    {"--help", nullptr, "show this text", &CommandLine::Help, nullptr},
    {"--version", nullptr, "show the version", &CommandLine::Version, nullptr},
};

constexpr const char* kFilesHelp =
    "Files:\n"
    "  The game reads Data from the --data folder; else from the program's own folder when it\n"
    "  holds Data; else from <program folder>/../share/brelvox (an installed game); else from the\n"
    "  current folder.\n"
    "  The options (options.txt) and the table of records (table_of_records.txt) are kept in Data\n"
    "  when the game runs from a folder it can write (the source tree, --data DIR). With an\n"
    "  installed Data (share/brelvox) or one it cannot write they are kept in the per-user folder\n"
    "  $XDG_DATA_HOME/brelvox (by default ~/.local/share/brelvox); the shipped options.txt is the\n"
    "  default until the player saves the Options screen.\n"
    "  F12 saves the frame as <per-user folder>/screenshots/brelvox-YYYYMMDD-HHMMSS.png.\n";

constexpr const char* kKeysHelp =
    "Keys: W, A, S, D drive, the mouse aims, the left button fires, Escape pauses,\n"
    "  Alt+Enter switches between a window and full screen, F12 takes a screenshot.\n"
    "Gamepad: the left stick or the D-pad drives, the right stick aims, A or the right trigger\n"
    "  fires, Start pauses; in the menus a stick moves the cursor and A clicks.\n"
    "See brelvox(6) for more.\n";

std::string Usage() {
    auto name = [](const Option& option) {
        return std::string("  ") + option.Name + (option.Value ? std::string(" ") + option.Value : "");
    };
    std::size_t column = 0;
    for (const Option& option : kOptions) {
        column = std::max(column, name(option).size() + 2);
    }
    std::string text = "Usage: brelvox [options]\nOptions:\n";
    for (const Option& option : kOptions) {
        std::string left = name(option);
        left.resize(column, ' ');
        std::string help = option.Help;
        for (std::size_t at = help.find('\n'); at != std::string::npos;
             at = help.find('\n', at + column + 1)) {
            help.insert(at + 1, std::string(column, ' '));
        }
        text += left + help + "\n";
    }
    std::string error;
    const std::string userFolder = platform::UserDataFolder("brelvox", error);
    text += kFilesHelp;
    if (!userFolder.empty()) {
        text += "  Your per-user folder is " + userFolder + ".\n";
    }
    return text + kKeysHelp;
}

// False with a message on a bad command line.
bool ParseCommandLine(int argc, char** argv, CommandLine& line, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "-h") {
            argument = "--help";
        }
        const Option* found = nullptr;
        for (const Option& option : kOptions) {
            if (argument == option.Name) {
                found = &option;
            }
        }
        if (found == nullptr) {
            error = "unknown option \"" + argument + "\"";
            return false;
        }
        if (found->Flag != nullptr) {
            line.*found->Flag = true;
            continue;
        }
        if (i + 1 >= argc) {
            error = argument + " needs a value";
            return false;
        }
        if (!found->Apply(line, argv[++i], error)) {
            return false;
        }
    }
    if (!line.Screenshot.empty() && line.Frames == 0) {
        error = "--screenshot needs --frames";
        return false;
    }
    if (line.Fullscreen && line.Windowed) {
        error = "--fullscreen and --windowed cannot go together";
        return false;
    }
    const int demoModes = !line.Record.empty() + !line.Play.empty() + !line.Timedemo.empty();
    if (demoModes > 1) {
        error = "--record, --play and --timedemo exclude each other";
        return false;
    }
    const bool replaying = !line.Play.empty() || !line.Timedemo.empty();
    if (replaying && (line.Frames > 0 || line.Level != 1 || line.Check)) {
        error = "--play and --timedemo take no --frames, --level or --check: the demo holds the session";
        return false;
    }
    if (!line.TimedemoJson.empty() && line.Timedemo.empty()) {
        error = "--timedemo-json needs --timedemo";
        return false;
    }
    if (line.Width > 0 && !replaying) {
        error = "--size needs --play or --timedemo";
        return false;
    }
    return true;
}

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
    const double scale = std::min(static_cast<double>(limitWidth) / width,
                                  static_cast<double>(limitHeight) / height);
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

}  // namespace

int main(int argc, char** argv) {
    // glibc raises its mmap threshold to the size of each large block freed (a decoded picture, a file
    // read whole), after which such blocks come from the heap and their pages stay resident after use;
    // a fixed threshold keeps every large block in its own mapping, given back to the system when freed.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    CommandLine line;
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
    bool unattended = line.Frames > 0 || replaying;
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
    files::SetDataRoot(dataRoot);
    line.DataFolder = dataRoot;
    const bool shared = IsSharedData(dataRoot);
    std::string folderError;
    const std::string userFolder = platform::UserDataFolder("brelvox", folderError);
    if (shared && userFolder.empty()) {
        std::fprintf(stderr, "brelvox: %s; the options and records will not be saved\n", folderError.c_str());
    }
    const TUserFiles userFiles = ChooseUserFiles(shared, userFolder);
    if (!userFiles.InData && !line.Check) {
        logging::Write("shell", "Data in " + dataRoot + " is shared: options and records are kept in " +
                                    userFiles.Folder);
    }

    if (line.Check) {
        std::vector<std::string> problems = CheckGameData(userFiles);
        for (const std::string& problem : problems) {
            std::printf("%s\n", problem.c_str());
        }
        if (problems.empty()) {
            std::printf("Data in %s: no problem found\n", line.DataFolder.c_str());
        }
        return problems.empty() ? 0 : 1;
    }

    TDemo demo;
    if (replaying) {
        std::string problem;
        if (!ReadDemoFile(demoPath, demo, error)) {
            std::fprintf(stderr, "brelvox: %s\n", error.c_str());
            return 4;
        }
        if (!MatchesPlayData(demo.Header, problem)) {
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
        // A demo names any size up to 65535x65535; a window larger than the display is more than X
        // and the device can take. Play does not depend on the window's size.
        int width = demo.Header.Options.ScreenWidth;
        int height = demo.Header.Options.ScreenHeight;
        const int limitWidth = desktop.ScreenWidth() > 0 ? std::min(desktop.ScreenWidth(), 8192) : 8192;
        const int limitHeight = desktop.ScreenHeight() > 0 ? std::min(desktop.ScreenHeight(), 8192) : 8192;
        if (FitInside(width, height, limitWidth, limitHeight)) {
            std::fprintf(stderr, "brelvox: demo %s: its %dx%d picture is larger than the %dx%d display; "
                                 "replayed at %dx%d\n",
                         demoPath.c_str(), demo.Header.Options.ScreenWidth, demo.Header.Options.ScreenHeight,
                         limitWidth, limitHeight, width, height);
            line.Width = width;
            line.Height = height;
        }
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
    TForm1 form(world, *window, desktop, graphics, clock, &input);
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

    if (replaying) {
        std::vector<TFrameSample> samples;
        samples.reserve(demo.Frames.size());
        std::vector<double> floorMs;
        floorMs.reserve(demo.Frames.size());
        const bool whole = Replay(form, demo, line.Timedemo.empty(), input, samples, floorMs);
        const TWorldDigest digest = form.Closed() ? form.Demos().FinalDigest() : form.Demos().Digest();
        if (!line.Timedemo.empty()) {
            TTimedemoReport result = SummarizeTimedemo(samples, floorMs);
            result.Demo = demoPath;
            result.Width = window->ClientWidth();
            result.Height = window->ClientHeight();
            result.Digest = DigestText(digest);
            std::fputs(TimedemoText(result).c_str(), stdout);
            if (result.FloorMedianMs == 0.0) {
                std::printf("  (no floor frame: the demo closed the game)\n");
            }
            if (!line.TimedemoJson.empty()) {
                // Replaced atomically, like every file the game writes; the path is the command line's.
                const std::string json = std::filesystem::absolute(line.TimedemoJson).string();
                if (!files::WriteFileAtomic(json, TimedemoJson(result), error)) {
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

    TDemoWriter recorder;
    if (!line.Record.empty()) {
        TDemoHeader header;
        header.GameVersion = BRELVOX_VERSION;
        header.Seed = form.Demos().Seed();
        header.Options = form.Demos().SessionOptions();
        if (!DigestPlayData(header.Data, error) || !recorder.Open(line.Record, header, error)) {
            std::fprintf(stderr, "brelvox: %s\n", error.c_str());
            return 4;
        }
        form.Demos().SetRecorder(&recorder);
    }

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
        if (!form.FrameLoopEnabled() && !form.Closed()) {
            // Minimised in full screen: nothing to draw, so do not spin.
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
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
