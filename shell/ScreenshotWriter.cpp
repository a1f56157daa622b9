#include "shell/ScreenshotWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/Png.h"
#include "util/Log.h"

std::string ScreenshotFileName(const std::tm& localTime, int number) {
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &localTime);
    std::string name = std::string("brelvox-") + stamp;
    if (number > 1) {
        name += "-" + std::to_string(number);
    }
    return name + ".png";
}

bool WriteNewScreenshot(const std::string& folder, const std::tm& localTime, const platform::Image& image,
                        std::string& path, std::string& error) {
    std::string bytes;
    if (!platform::EncodePng(image, bytes, error)) {
        return false;
    }
    std::error_code failure;
    std::filesystem::create_directories(folder, failure);
    if (failure) {
        error = "\"" + folder + "\": cannot create the folder: " + failure.message();
        return false;
    }
    for (int number = 1; number < 1000; ++number) {
        path = folder + "/" + ScreenshotFileName(localTime, number);
        // O_EXCL: a name another shot (or another copy of the game) took is never overwritten.
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 && errno == EEXIST) {
            continue;
        }
        if (fd < 0) {
            error = "\"" + path + "\": cannot create: " + std::strerror(errno);
            return false;
        }
        std::size_t written = 0;
        while (written < bytes.size()) {
            const ssize_t put = write(fd, bytes.data() + written, bytes.size() - written);
            if (put < 0 && errno == EINTR) {
                continue;
            }
            if (put < 0) {
                error = "\"" + path + "\": write error: " + std::strerror(errno);
                close(fd);
                unlink(path.c_str());  // no half picture left behind
                return false;
            }
            written += static_cast<std::size_t>(put);
        }
        if (close(fd) != 0) {
            error = "\"" + path + "\": cannot close: " + std::strerror(errno);
            unlink(path.c_str());
            return false;
        }
        return true;
    }
    error = "\"" + folder + "\": every screenshot name of this second is taken";
    return false;
}

TScreenshotWriter::~TScreenshotWriter() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (worker_.joinable()) {
        worker_.join();
    }
}

void TScreenshotWriter::Queue(platform::Image image, std::string folder) {
    const std::time_t now = std::time(nullptr);
    TJob job{std::move(image), std::move(folder), {}};
    localtime_r(&now, &job.Time);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        jobs_.push_back(std::move(job));
        if (!worker_.joinable()) {
            worker_ = std::thread([this]() { Work(); });
        }
    }
    wake_.notify_one();
}

void TScreenshotWriter::Flush() {
    std::unique_lock<std::mutex> lock(mutex_);
    idle_.wait(lock, [this]() { return jobs_.empty() && !busy_; });
}

std::vector<TScreenshotFailure> TScreenshotWriter::TakeFailures() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<TScreenshotFailure> taken;
    taken.swap(failures_);
    return taken;
}

void TScreenshotWriter::Work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this]() { return stopping_ || !jobs_.empty(); });
        if (jobs_.empty()) {
            return;  // stopping, and everything queued is written
        }
        TJob job = std::move(jobs_.front());
        jobs_.pop_front();
        busy_ = true;
        lock.unlock();
        std::string path;
        std::string error;
        const bool written = WriteNewScreenshot(job.Folder, job.Time, job.Image, path, error);
        if (written) {
            logging::Write("shell", "screenshot written to " + path);
        }
        lock.lock();
        if (!written) {
            failures_.push_back({path.empty() ? job.Folder : path, error});
        }
        busy_ = false;
        idle_.notify_all();
    }
}
