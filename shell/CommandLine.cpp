#include "shell/CommandLine.h"

#include <algorithm>
#include <cstdlib>

#include "platform/UserFolder.h"

namespace {

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
    bool TCommandLine::*Flag;
    bool (*Apply)(TCommandLine& line, const std::string& value, std::string& error);
};

const Option kOptions[] = {
    {"--data", "DIR", "the folder that holds Data (see Files below)", nullptr,
     [](TCommandLine& line, const std::string& value, std::string&) {
         line.DataFolder = value;
         return true;
     }},
    {"--fullscreen", nullptr, "full screen for this run, whatever the options file says (not saved)",
     &TCommandLine::Fullscreen, nullptr},
    {"--windowed", nullptr, "a window for this run, whatever the options file says (not saved)",
     &TCommandLine::Windowed, nullptr},
    {"--frames", "N", "run N frames, then exit with code 0; start-up errors only go to stderr", nullptr,
     [](TCommandLine& line, const std::string& value, std::string& error) {
         long long frames = 0;
         if (!ParseWhole(value, 1, 1000000000LL, frames)) {
             error = "--frames needs a whole number from 1 to 1000000000, not \"" + value + "\"";
             return false;
         }
         line.Frames = frames;
         return true;
     }},
    {"--screenshot", "FILE", "with --frames: write the last frame as a PNG", nullptr,
     [](TCommandLine& line, const std::string& value, std::string&) {
         line.Screenshot = value;
         return true;
     }},
    {"--check", nullptr,
     "read every file the game loads and every level, print one line per\n"
     "problem, exit 0 only when there is none (no window is opened)",
     &TCommandLine::Check, nullptr},
    {"--level", "N", "Play starts a new game at level N (default 1)", nullptr,
     [](TCommandLine& line, const std::string& value, std::string& error) {
         long long level = 0;
         if (!ParseWhole(value, 1, 255, level)) {
             error = "--level needs a level number from 1 to 255, not \"" + value + "\"";
             return false;
         }
         line.Level = static_cast<int>(level);
         return true;
     }},
    {"--edit", "FILE", "open the level FILE in the level editor (Construction)", nullptr,
     [](TCommandLine& line, const std::string& value, std::string&) {
         line.Edit = value;
         return true;
     }},
    {"--record", "FILE", "play, and record the session as a demo in FILE", nullptr,
     [](TCommandLine& line, const std::string& value, std::string&) {
         line.Record = value;
         return true;
     }},
    {"--play", "FILE",
     "replay a demo at its recorded pace (Escape stops it), print the world's\n"
     "digest at the end; no options or records are saved",
     nullptr,
     [](TCommandLine& line, const std::string& value, std::string&) {
         line.Play = value;
         return true;
     }},
    {"--timedemo", "FILE",
     "replay a demo as fast as possible (no vsync), with as many floor frames\n"
     "(clear, one full-screen picture) in turns of 30; print frame times, draw calls,\n"
     "triangles",
     nullptr,
     [](TCommandLine& line, const std::string& value, std::string&) {
         line.Timedemo = value;
         return true;
     }},
    {"--timedemo-json", "FILE", "with --timedemo: also write the figures as JSON", nullptr,
     [](TCommandLine& line, const std::string& value, std::string&) {
         line.TimedemoJson = value;
         return true;
     }},
    {"--size", "WxH", "with --play or --timedemo: the window's size for the run", nullptr,
     [](TCommandLine& line, const std::string& value, std::string& error) {
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
    {"--help", nullptr, "show this text", &TCommandLine::Help, nullptr},
    {"--version", nullptr, "show the version", &TCommandLine::Version, nullptr},
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

}  // namespace

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

bool ParseCommandLine(int argc, const char* const* argv, TCommandLine& line, std::string& error) {
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
    if (!line.Edit.empty() && (replaying || line.Check)) {
        error = "--edit opens the level editor: it takes no --play, --timedemo or --check";
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
