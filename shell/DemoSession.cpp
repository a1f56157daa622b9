#include "shell/DemoSession.h"

void TDemoSession::SetSessionOptions(const TDemoOptions& options) {
    SessionOptions_ = options;
    HasSessionOptions_ = true;
}

void TDemoSession::SetSeed(uint32_t seed) {
    Seed_ = seed;
    SeedGiven_ = true;
}

void TDemoSession::SetReplay(const TDemoFrames* frames) {
    Replay_ = frames;
    ReplayNext_ = 0;
}

void TDemoSession::ApplyOptions(TGameState& state) const {
    if (!HasSessionOptions_) {
        state.FirstLevel = FirstLevel_;
        if (Difficulty_) {
            state.Difficulty = *Difficulty_;
        }
        return;
    }
    state.Difficulty = SessionOptions_.Difficulty;
    state.Bindings = SessionOptions_.Bindings;
    state.SecondBindings = SessionOptions_.SecondBindings;
    state.Windowed = SessionOptions_.Windowed;
    state.ScreenWidth = SessionOptions_.ScreenWidth;
    state.ScreenHeight = SessionOptions_.ScreenHeight;
    state.Language = SessionOptions_.Language;
    state.FirstLevel = SessionOptions_.FirstLevel;
}

uint32_t TDemoSession::StartSeed(uint32_t tick) {
    if (!SeedGiven_) {
        Seed_ = tick;
    }
    return Seed_;
}

bool TDemoSession::NextReplayed(TDemoFrame& frame) {
    if (ReplayNext_ >= Replay_->size()) {
        return false;
    }
    frame = (*Replay_)[ReplayNext_++];
    return true;
}

void TDemoSession::FramePlayed(const TDemoFrame& frame) {
    if (Recorder_ != nullptr) {
        Recorder_->Write(frame);
    }
    if (Recorder_ != nullptr || Replay_ != nullptr) {
        History_ = FoldHistory(History_, DigestWorld(World_).Hash);
        ++HistoryFrames_;
    }
}

TDemoOptions TDemoSession::SessionOptions() const {
    const TGameState& state = World_.State;
    TDemoOptions options;
    options.Windowed = state.Windowed;
    options.ScreenWidth = state.ScreenWidth;
    options.ScreenHeight = state.ScreenHeight;
    options.Language = state.Language;
    options.FirstLevel = state.FirstLevel;
    options.Difficulty = state.Difficulty;
    options.Bindings = state.Bindings;
    options.SecondBindings = state.SecondBindings;
    return options;
}

TWorldDigest TDemoSession::Digest() const {
    TWorldDigest digest = DigestWorld(World_);
    digest.History = History_;
    digest.Frames = HistoryFrames_;
    return digest;
}
