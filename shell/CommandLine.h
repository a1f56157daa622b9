// The game's command line: its options, the usage text that lists them (--help), and the checks of
// options that need or exclude each other.
#pragma once

#include <string>

struct TCommandLine {
    std::string DataFolder;
    long long Frames = 0;  // 0: run until closed
    std::string Screenshot;
    bool Check = false;
    bool Fullscreen = false;  // for this run, whatever the options file says
    bool Windowed = false;
    bool Help = false;
    bool Version = false;
    int Level = 1;
    std::string Edit;  // --edit FILE: the level editor on FILE
    std::string Record;
    std::string Play;
    std::string Timedemo;
    std::string TimedemoJson;
    int Width = 0;  // --size; 0: the demo's own
    int Height = 0;
};

// False with a message on a bad command line (an unknown option, a value missing or out of range,
// options that exclude each other). "-h" is "--help".
bool ParseCommandLine(int argc, const char* const* argv, TCommandLine& line, std::string& error);

// The usage text: every option with its help, where the game's files are, the keys.
std::string Usage();
