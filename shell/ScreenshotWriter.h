// Screenshots taken while playing (F12): the frame's pixels are handed over at once and encoded and
// written on a worker thread, so a frame never waits for the PNG encoder or the disk.
//
// Each picture goes to FOLDER/brelvox-YYYYMMDD-HHMMSS.png (local time of the key press), with "-2",
// "-3", ... appended when that name is taken; an existing file is never replaced. The folder is created
// when missing. The path written goes to the log; a picture that could not be written is kept among the
// failures (TakeFailures) for the player to be told.
#pragma once

#include <condition_variable>
#include <ctime>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/GraphicsDevice.h"

// "brelvox-YYYYMMDD-HHMMSS.png" for number 1, "brelvox-YYYYMMDD-HHMMSS-N.png" after that.
std::string ScreenshotFileName(const std::tm& localTime, int number);

// Writes `image` as a PNG under the first free name for `localTime` in `folder`. False with an `error`
// naming the file when it cannot be written; `path` is the file written.
bool WriteNewScreenshot(const std::string& folder, const std::tm& localTime, const platform::Image& image,
                        std::string& path, std::string& error);

// A picture that could not be written: the file (or the folder) and the reason.
struct TScreenshotFailure {
    std::string Path;
    std::string Error;
};

class TScreenshotWriter {
public:
    TScreenshotWriter() = default;
    // Writes what is queued, then stops the worker.
    ~TScreenshotWriter();
    TScreenshotWriter(const TScreenshotWriter&) = delete;
    TScreenshotWriter& operator=(const TScreenshotWriter&) = delete;

    // Takes the picture now (the time of the name is now) and returns at once.
    void Queue(platform::Image image, std::string folder);
    // Returns when everything queued so far is written.
    void Flush();
    // The pictures that could not be written since the last call, oldest first.
    std::vector<TScreenshotFailure> TakeFailures();

private:
    struct TJob {
        platform::Image Image;
        std::string Folder;
        std::tm Time;
    };
    void Work();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<TJob> jobs_;
    std::vector<TScreenshotFailure> failures_;
    bool busy_ = false;
    bool stopping_ = false;
    std::thread worker_;
};
