// The whole game without a screen: the main window's code on a headless window and desktop, the
// recording device (its call log cleared every frame), a virtual clock and scripted input. Tests and
// the demo bot play and record with it; a demo replays on it as fast as the processor allows.
#pragma once

#include <memory>
#include <string>

#include "platform/HeadlessWindow.h"
#include "platform/InputDevice.h"
#include "platform/RecordingDevice.h"
#include "shell/Demo.h"
#include "shell/Main.h"
#include "world/World.h"

class THeadlessGame {
public:
    // The game plays in a world of its own, which World() gives to whoever looks at it, on the game
    // files in `root`.
    explicit THeadlessGame(const files::TDataRoot& root) : root_(root) {
        form_ = std::make_unique<TForm1>(world_, root_, window_, desktop_, graphics_, clock_, &input_);
    }
    ~THeadlessGame() { form_->FormDestroy(); }
    THeadlessGame(const THeadlessGame&) = delete;
    THeadlessGame& operator=(const THeadlessGame&) = delete;

    TForm1& Form() { return *form_; }
    TWorld& World() { return world_; }
    platform::ScriptedInputDevice& Input() { return input_; }
    platform::HeadlessWindow& Window() { return window_; }

    // Starts the game (the form's demo setters go before). False with `error`. A headless game never
    // writes the player's options or table of records.
    bool Start(std::string& error) {
        if (!form_->FormCreate(error)) {
            return false;
        }
        form_->Flow()->SetSaveFiles(false);
        return true;
    }

    // One frame of `ms` milliseconds, as the idle loop runs it.
    void Frame(uint32_t ms) {
        clock_.Advance(ms);
        form_->ApplicationEvents1Idle();
        if (form_->Render() != nullptr) {
            if (auto* device =
                    dynamic_cast<platform::RecordingDevice*>(DeviceOf(form_->Render()->Device()))) {
                device->ClearLog();
            }
        }
    }

    // Starts the game replaying `demo` (the Data must match; the demo must outlive the game).
    bool StartReplay(const TDemo& demo, std::string& error) {
        if (!MatchesPlayData(root_, demo.Header, error)) {
            return false;
        }
        form_->Demos().SetSessionOptions(demo.Header.Options);
        form_->Demos().SetSeed(demo.Header.Seed);
        form_->Demos().SetReplay(&demo.Frames);
        return Start(error);
    }

    // Replays `demo` to its end (the Data must match); the digest text of the world at the end.
    static bool ReplayDigest(const files::TDataRoot& root, const TDemo& demo, std::string& digest,
                             std::string& error) {
        THeadlessGame game(root);
        if (!game.StartReplay(demo, error)) {
            return false;
        }
        while (!game.Form().Closed() && !game.Form().Demos().ReplayFinished()) {
            game.Frame(0);
        }
        digest = DigestText(game.Form().Closed() ? game.Form().Demos().FinalDigest()
                                                 : game.Form().Demos().Digest());
        return true;
    }

private:
    files::TDataRoot root_;
    TWorld world_;
    platform::HeadlessWindow window_{800, 600};
    platform::HeadlessDesktop desktop_{1280, 1024};
    platform::RecordingGraphicsSystem graphics_;
    platform::VirtualClock clock_{1000};
    platform::ScriptedInputDevice input_;
    std::unique_ptr<TForm1> form_;
};
