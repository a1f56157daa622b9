// Demo recording and replay for the main window: the options and the seed a session starts with,
// the frames written to a recording or taken from a replay, and the world's digest with the history
// of every frame recorded or replayed (shell/Demo.h has the file format, world/WorldDigest.h the
// digest).
#pragma once

#include <cstddef>
#include <cstdint>

#include "shell/Demo.h"
#include "world/World.h"
#include "world/WorldDigest.h"

class TDemoSession {
public:
    // The world must outlive the session.
    explicit TDemoSession(const TWorld& world) : World_(world) {}

    // ---- before start-up ----
    // Replaces the options file's display and language settings and the first level of a new game.
    void SetSessionOptions(const TDemoOptions& options);
    // Play starts a new game at this level index (when no session options are given).
    void SetFirstLevel(uint8_t level) { FirstLevel_ = level; }
    // The random seed and the game clock's first tick (by default the clock's tick at start-up).
    void SetSeed(uint32_t seed);
    // Each frame the game runs is written to `writer` (owned by the caller; null stops recording).
    void SetRecorder(TDemoWriter* writer) { Recorder_ = writer; }
    // Frames come from `frames` (owned by the caller) instead of the clock, the input device, the
    // desktop pointer and the window's focus; no file is written. After the last frame the game stands
    // still and ReplayFinished() is true.
    void SetReplay(const TDemoFrames* frames);

    // ---- at start-up ----
    // The session's options (or first level) over what the options file gave.
    void ApplyOptions(TGameState& state) const;
    // The seed given, or `tick` when none was.
    uint32_t StartSeed(uint32_t tick);

    // ---- every frame ----
    bool Replaying() const { return Replay_ != nullptr; }
    bool Recording() const { return Recorder_ != nullptr; }
    // The next replayed frame; false when the replay is over.
    bool NextReplayed(TDemoFrame& frame);
    // After a frame ran: it is written to the recording, and the world's digest joins the history.
    void FramePlayed(const TDemoFrame& frame);

    bool ReplayFinished() const { return Replay_ != nullptr && ReplayNext_ >= Replay_->size(); }
    size_t ReplayedFrames() const { return ReplayNext_; }
    uint32_t Seed() const { return Seed_; }
    // What is in force: the options and the seed a recording's header holds.
    TDemoOptions SessionOptions() const;
    // The world as it stands, with the history of every frame recorded or replayed so far;
    // FinalDigest is the one taken as the session ended (see Finish).
    TWorldDigest Digest() const;
    void Finish() { FinalDigest_ = Digest(); }
    const TWorldDigest& FinalDigest() const { return FinalDigest_; }

private:
    const TWorld& World_;
    uint32_t Seed_ = 0;
    bool SeedGiven_ = false;
    bool HasSessionOptions_ = false;
    uint8_t FirstLevel_ = 0;
    TDemoOptions SessionOptions_;
    TWorldDigest FinalDigest_;
    uint64_t History_ = 0;  // every recorded or replayed frame's world digest, folded
    uint64_t HistoryFrames_ = 0;
    TDemoWriter* Recorder_ = nullptr;
    const TDemoFrames* Replay_ = nullptr;
    size_t ReplayNext_ = 0;
};
