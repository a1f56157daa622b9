#include "shell/Screenshots.h"

#include <utility>

#include "platform/Png.h"

void TScreenshots::Request(const std::string& path) {
    Path_ = path;
    Error_.clear();
}

void TScreenshots::Take(TDeviceRef device, const TUserFiles& files) {
    if (!Path_.empty()) {
        WriteRequested(DeviceOf(device));
    }
    if (F12Pressed_) {
        QueueF12(DeviceOf(device), files.ScreenshotFolder());
    }
}

void TScreenshots::WriteRequested(platform::GraphicsDevice* device) {
    std::string path;
    path.swap(Path_);
    platform::Image image;
    if (!device || !device->ReadBackBuffer(image)) {
        Error_ = path + ": the back buffer cannot be read";
        return;
    }
    if (!platform::WritePngFile(path, image, Error_) && Error_.empty()) {
        Error_ = path + ": cannot be written";
    }
}

void TScreenshots::QueueF12(platform::GraphicsDevice* device, const std::string& folder) {
    F12Pressed_ = false;
    platform::Image image;
    if (folder.empty()) {
        NotTaken_.push_back({"screenshot", "there is no per-user folder to put it in"});
    } else if (!device || !device->ReadBackBuffer(image)) {
        NotTaken_.push_back({"screenshot", "the back buffer cannot be read"});
    } else {
        Writer_.Queue(std::move(image), folder);
    }
}

std::vector<TScreenshotFailure> TScreenshots::TakeFailures() {
    std::vector<TScreenshotFailure> failures;
    failures.swap(NotTaken_);
    for (TScreenshotFailure& failure : Writer_.TakeFailures()) {
        failures.push_back(std::move(failure));
    }
    return failures;
}
