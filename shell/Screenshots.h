// The pictures a frame takes, between drawing and presenting it: the one a caller asks for
// (--screenshot, tests), written at once to the path given, and the player's F12, handed to the
// writer's thread for the per-user screenshots folder (shell/ScreenshotWriter.h).
#pragma once

#include <string>
#include <vector>

#include "platform/GraphicsDevice.h"
#include "render/RenderDevice.h"
#include "shell/ScreenshotWriter.h"
#include "shell/UserFiles.h"

class TScreenshots {
public:
    // The next frame drawn writes its back buffer, as it is before Present, to a PNG at `path` (a real
    // path). The outcome is in Error() afterwards: empty when written.
    void Request(const std::string& path);
    bool Pending() const { return !Path_.empty(); }
    const std::string& Error() const { return Error_; }
    // F12 was let go: the frame being drawn goes to the screenshots folder.
    void PressF12() { F12Pressed_ = true; }
    // The frame is drawn: takes what was asked for from the device's back buffer; F12's picture goes
    // to the per-user screenshots folder (none without one: a failure).
    void Take(TDeviceRef device, const TUserFiles& files);
    // Returns when every F12 screenshot taken so far is written.
    void Flush() { Writer_.Flush(); }
    // The F12 pictures that could not be taken or written since the last call.
    std::vector<TScreenshotFailure> TakeFailures();

private:
    void WriteRequested(platform::GraphicsDevice* device);
    void QueueF12(platform::GraphicsDevice* device, const std::string& folder);

    std::string Path_;
    std::string Error_;
    bool F12Pressed_ = false;
    std::vector<TScreenshotFailure> NotTaken_;
    TScreenshotWriter Writer_;
};
