// F12 screenshots: named after the local time, never replacing a picture already there, written on
// the worker thread into a folder it creates, and readable PNGs of the frame.
#include "shell/ScreenshotWriter.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <vector>

#include "platform/Png.h"
#include "util/Log.h"

namespace fs = std::filesystem;

namespace {

platform::Image Picture(uint8_t red) {
    platform::Image image;
    image.Width = 3;
    image.Height = 2;
    image.Rgba.assign(3 * 2 * 4, 255);
    image.Rgba[0] = red;
    return image;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Scratch {
    Scratch() {
        char pattern[] = "/tmp/brelvox_shots_XXXXXX";
        Path = mkdtemp(pattern);
    }
    ~Scratch() { fs::remove_all(Path); }
    std::string Path;
};

}  // namespace

TEST(ScreenshotWriter, TakenNamesGetANumberAndAreNeverReplaced) {
    Scratch scratch;
    std::tm time{};
    time.tm_year = 2026 - 1900;
    time.tm_mon = 11;
    time.tm_mday = 8;
    time.tm_hour = 5;
    time.tm_min = 4;
    time.tm_sec = 9;
    const std::string folder = scratch.Path + "/screenshots";
    std::string first, second, error;
    ASSERT_TRUE(WriteNewScreenshot(folder, time, Picture(10), first, error)) << error;
    ASSERT_TRUE(WriteNewScreenshot(folder, time, Picture(20), second, error)) << error;
    EXPECT_EQ(first, folder + "/brelvox-20261208-050409.png");
    EXPECT_EQ(second, folder + "/brelvox-20261208-050409-2.png");
    platform::Image read;
    ASSERT_TRUE(platform::DecodePng(ReadAll(first), read, error)) << error;
    EXPECT_EQ(read.Rgba[0], 10);  // the first picture was not overwritten by the second
    ASSERT_TRUE(platform::DecodePng(ReadAll(second), read, error)) << error;
    EXPECT_EQ(read.Rgba[0], 20);
}

TEST(ScreenshotWriter, QueuedPicturesAreWrittenAndLoggedAndFailuresKeptForThePlayer) {
    Scratch scratch;
    std::vector<std::string> lines;
    std::mutex linesMutex;
    logging::Sink previous = logging::SetSink([&](std::string_view, std::string_view text) {
        std::lock_guard<std::mutex> lock(linesMutex);
        lines.emplace_back(text);
    });
    {
        TScreenshotWriter writer;
        writer.Queue(Picture(1), scratch.Path + "/a/b");
        writer.Queue(Picture(2), scratch.Path + "/a/b");
        writer.Flush();
        EXPECT_EQ(std::distance(fs::directory_iterator(scratch.Path + "/a/b"), fs::directory_iterator()), 2);
        EXPECT_TRUE(writer.TakeFailures().empty());
        writer.Queue(Picture(3), "/proc/no/such/folder");
        writer.Flush();
        const std::vector<TScreenshotFailure> failures = writer.TakeFailures();
        ASSERT_EQ(failures.size(), 1u);
        EXPECT_EQ(failures[0].Path, "/proc/no/such/folder");
        EXPECT_NE(failures[0].Error.find("/proc/no/such/folder"), std::string::npos) << failures[0].Error;
        EXPECT_TRUE(writer.TakeFailures().empty());  // each failure is told once
    }
    logging::SetSink(previous);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("screenshot written to " + scratch.Path + "/a/b/brelvox-", 0), 0u) << lines[0];
}
