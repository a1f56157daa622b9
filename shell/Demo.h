// Demos: one play session recorded frame by frame, replayed to exactly the same game.
//
// A demo file is little-endian binary:
//   header  "BRLVXDEM" (8 bytes), format version (u32), the game's version (u16 length + bytes), the
//           random seed (u32, also the game clock's first tick), the options in force (windowed u8,
//           screen width u16, screen height u16, language u8, first level u8; from format version 3
//           on the difficulty u8 and the six controls u16 each, input/KeyBindings.h; from version 5 on
//           the second player's seven keys u16 each), the input snapshot's
//           version (u32), the play data (u16 count, then per file its game path (u16 length + bytes)
//           and the FNV-1a 64 digest of its bytes (u64)): "Data/Config.txt", the level list and every
//           level it names.
//   frames  one record per frame the game ran: "F", the frame's milliseconds (u16, at most
//           kDemoMostFrameMs), the window events that reach the world (u8, TDemoEvent bits), the
//           cursor in back-buffer pixels of the options' resolution (i16, i16), then the input
//           snapshot (platform/InputDevice.h; version 2 holds the gamepad). From format version 4 a
//           frame in which a second controller is attached is "P" instead: the same fields, then the
//           second controller (platform::WriteGamepadSnapshot). A session without one (every
//           single-player session with one controller or none) writes only "F" and stays version 3.
//   end     (format version 2 on) "E" and the number of frames (u32): the recording finished. A
//           version 1 demo has no end record and ends with its last frame.
// The recorder writes the header at once and each frame as it ends, flushed, into FILE.part, and the
// end record and the rename to FILE when the session ends (an older FILE stays until then). A session
// cut short by a crash leaves FILE.part, which replays up to its last whole frame and says it was cut.
//
// Everything that decides play comes from the header and the frames: the seed, the options, the clock
// (the header's tick plus the frames' milliseconds), the keys, the mouse, the cursor and the focus loss
// that pauses a level. A demo recorded on other play data refuses to replay. A demo of a format before
// version 3 was played on Normal with the default controls, and replays so.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "input/KeyBindings.h"
#include "platform/InputDevice.h"
#include "util/Files.h"
#include "world/Difficulty.h"

inline constexpr char kDemoMagic[8] = {'B', 'R', 'L', 'V', 'X', 'D', 'E', 'M'};
inline constexpr uint32_t kDemoVersion = 3;
inline constexpr uint32_t kDemoOldestVersion = 1;  // the first format, without an end record
// The format of a demo holding "P" frames; the writer moves the header to it at the first such frame.
inline constexpr uint32_t kDemoTwoControllerVersion = 4;
// The format of a demo whose second player's keys are not the defaults: the header holds them (after
// the six controls, seven u16, input/KeyBindings.h TSecondKeyBindings), and "P" frames may follow.
// The writer writes it for such a header (the version passed is raised), every other demo keeps its
// format; older formats replay with the default second-player keys.
inline constexpr uint32_t kDemoSecondKeysVersion = 5;
inline constexpr uint32_t kDemoNewestVersion = kDemoSecondKeysVersion;
// Longer frames are recorded as this long; a demo holding a longer frame is damaged.
inline constexpr uint32_t kDemoMostFrameMs = 10000;

enum TDemoEvent : uint8_t {
    kDemoFocusLost = 1,  // the window lost the focus before this frame: a running level pauses
};

struct TDemoOptions {
    bool Windowed = true;
    int32_t ScreenWidth = 800;
    int32_t ScreenHeight = 600;
    uint8_t Language = 0;
    uint8_t FirstLevel = 0;  // the level index Play starts a new game at
    uint8_t Difficulty = kDifficultyNormal;
    TKeyBindings Bindings;
    TSecondKeyBindings SecondBindings;
};

struct TDemoDataFile {
    std::string Path;  // a game path, as the game names it
    uint64_t Digest = 0;
};

struct TDemoHeader {
    uint32_t Version = kDemoVersion;
    std::string GameVersion;
    uint32_t Seed = 0;
    TDemoOptions Options;
    uint32_t InputVersion = platform::kInputSnapshotVersion;
    std::vector<TDemoDataFile> Data;
};

struct TDemoFrame {
    uint32_t Ms = 0;
    uint8_t Events = 0;
    int32_t CursorX = 0;  // back-buffer pixels of the options' resolution
    int32_t CursorY = 0;
    platform::InputSnapshot Input;
};

// The frames of a demo, each kept as its "P" record (EncodeDemoFrame with room for a second controller): a
// few dozen bytes where a decoded frame, with its 256 keys, takes a few hundred, so a long demo replays from
// a fraction of the memory. Reading one decodes its record.
class TDemoFrames {
public:
    std::size_t size() const { return Records_.size() / RecordBytes(); }
    bool empty() const { return Records_.empty(); }
    TDemoFrame operator[](std::size_t index) const;
    void push_back(const TDemoFrame& frame);
    void Set(std::size_t index, const TDemoFrame& frame);
    // Room for `bytes` of records, so reading a file does not grow the store step by step.
    void reserve(std::size_t bytes) { Records_.reserve(bytes); }

private:
    // Every record of the current input version has this length.
    static std::size_t RecordBytes();
    std::string Records_;
};

struct TDemo {
    TDemoHeader Header;
    TDemoFrames Frames;
    // The bytes end before the recording did: Frames holds the whole frames before the cut. Either
    // inside a frame record, or after a whole one where a demo that marks its end has no end record.
    bool Cut = false;
    bool CutInsideFrame = false;
};

uint64_t DigestBytes(std::string_view bytes);

void EncodeDemoHeader(const TDemoHeader& header, std::string& out);
// An "F" record, or "P" when the frame's second controller is attached (or `alwaysSecond`).
void EncodeDemoFrame(const TDemoFrame& frame, std::string& out, bool alwaysSecond = false);

// Reads a whole demo. False with `problem` (without the file's name) for a short or wrong header, a
// version this game cannot read, a damaged frame or end record or an absurd frame time. A file that
// ends before its end record (inside a frame record, or after a whole one) is read with its whole
// frames, Cut set.
bool ParseDemo(std::string_view bytes, TDemo& demo, std::string& problem);
// ParseDemo of a file by its real path (a regular file of at most 512 MiB); `error` is one line,
// "demo FILE: problem".
bool ReadDemoFile(const std::string& path, TDemo& demo, std::string& error);

// The player's own levels among the play data are named by this mark and their place in the per-user
// folder ("<user>/levels/levels.txt", "<user>/levels/NAME.txt").
inline constexpr const char* kUserPlayDataMark = "<user>/";

// The digests of the play data under `root`: "Data/Config.txt", the level list, every level
// it names (in list order); then, when `userFolder` holds the player's own levels (shell/UserLevels.h),
// their list and every level in it, so a session that may play them replays only where they are the
// same. False with `error` when one cannot be read.
bool DigestPlayData(const files::TDataRoot& root, std::vector<TDemoDataFile>& files, std::string& error,
                    const std::string& userFolder = std::string());
// False with a `problem` naming the first file that differs from the installed Data, or the player's
// level (under `userFolder`) the demo was recorded with that is missing or changed.
bool MatchesPlayData(const files::TDataRoot& root, const TDemoHeader& header, std::string& problem,
                     const std::string& userFolder = std::string());

// Writes a demo as the session goes, into PATH.part: each Write appends one frame and flushes it; Close
// appends the end record and renames the file to PATH.
class TDemoWriter {
public:
    TDemoWriter() = default;
    ~TDemoWriter();
    TDemoWriter(const TDemoWriter&) = delete;
    TDemoWriter& operator=(const TDemoWriter&) = delete;

    // Creates `path`.part (a real path) and writes the header. False with `error`.
    bool Open(const std::string& path, const TDemoHeader& header, std::string& error);
    // False once a write failed (the disk is full): the error is in Error(), later frames are dropped
    // and the file stays PATH.part.
    bool Write(const TDemoFrame& frame);
    void Close();
    const std::string& Error() const { return error_; }
    uint64_t Frames() const { return frames_; }

private:
    std::FILE* file_ = nullptr;
    bool twoControllers_ = false;  // the header says version 3
    std::string path_;
    std::string error_;
    std::string buffer_;
    uint64_t frames_ = 0;
};
