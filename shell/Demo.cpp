#include "shell/Demo.h"

#include <algorithm>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "shell/Levels.h"
#include "shell/StartupFiles.h"
#include "shell/UserLevels.h"
#include "util/Files.h"

namespace {

void PutU8(std::string& out, uint32_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
}
void PutU16(std::string& out, uint32_t value) {
    PutU8(out, value);
    PutU8(out, value >> 8);
}
void PutU32(std::string& out, uint32_t value) {
    PutU16(out, value);
    PutU16(out, value >> 16);
}
void PutU64(std::string& out, uint64_t value) {
    PutU32(out, static_cast<uint32_t>(value));
    PutU32(out, static_cast<uint32_t>(value >> 32));
}
void PutText(std::string& out, std::string_view text) {
    const std::size_t size = text.size() < 0xFFFF ? text.size() : 0xFFFF;
    PutU16(out, static_cast<uint32_t>(size));
    out.append(text.substr(0, size));
}

// Reads little-endian fields; once a read runs past the end every later read fails too.
class TReader {
public:
    explicit TReader(std::string_view bytes) : bytes_(bytes) {}
    bool Has(std::size_t count) const { return ok_ && bytes_.size() - at_ >= count; }
    uint64_t Unsigned(int size) {
        if (!Has(static_cast<std::size_t>(size))) {
            ok_ = false;
            return 0;
        }
        uint64_t value = 0;
        for (int i = size - 1; i >= 0; --i) {
            value = (value << 8) | static_cast<uint8_t>(bytes_[at_ + static_cast<std::size_t>(i)]);
        }
        at_ += static_cast<std::size_t>(size);
        return value;
    }
    std::string Text() {
        const auto size = static_cast<std::size_t>(Unsigned(2));
        if (!Has(size)) {
            ok_ = false;
            return std::string();
        }
        std::string text(bytes_.substr(at_, size));
        at_ += size;
        return text;
    }
    bool Ok() const { return ok_; }
    bool AtEnd() const { return at_ == bytes_.size(); }
    std::size_t& Offset() { return at_; }
    std::string_view Bytes() const { return bytes_; }

private:
    std::string_view bytes_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

constexpr std::size_t kLongestGameVersion = 64;
constexpr std::size_t kMostDataFiles = 1000;

}  // namespace

uint64_t DigestBytes(std::string_view bytes) {
    uint64_t hash = 14695981039346656037ull;
    for (char c : bytes) {
        hash = (hash ^ static_cast<uint8_t>(c)) * 1099511628211ull;
    }
    return hash;
}

void EncodeDemoHeader(const TDemoHeader& header, std::string& out) {
    out.append(kDemoMagic, sizeof kDemoMagic);
    PutU32(out, header.Version);
    PutText(out, header.GameVersion);
    PutU32(out, header.Seed);
    PutU8(out, header.Options.Windowed ? 1 : 0);
    PutU16(out, static_cast<uint32_t>(header.Options.ScreenWidth));
    PutU16(out, static_cast<uint32_t>(header.Options.ScreenHeight));
    PutU8(out, header.Options.Language);
    PutU8(out, header.Options.FirstLevel);
    if (header.Version >= 3) {
        PutU8(out, header.Options.Difficulty);
        for (uint16_t code : header.Options.Bindings.Codes) {
            PutU16(out, code);
        }
    }
    if (header.Version >= kDemoSecondKeysVersion) {
        for (uint16_t code : header.Options.SecondBindings.Codes) {
            PutU16(out, code);
        }
    }
    PutU32(out, header.InputVersion);
    PutU16(out, static_cast<uint32_t>(header.Data.size()));
    for (const TDemoDataFile& file : header.Data) {
        PutText(out, file.Path);
        PutU64(out, file.Digest);
    }
}

namespace {

// The fields of a frame record after its "F" (or "P", with `second`); false when the bytes end inside
// them.
bool ReadFrameFields(TReader& reader, uint32_t inputVersion, bool second, TDemoFrame& frame) {
    frame.Ms = static_cast<uint32_t>(reader.Unsigned(2));
    frame.Events = static_cast<uint8_t>(reader.Unsigned(1));
    frame.CursorX = static_cast<int16_t>(reader.Unsigned(2));
    frame.CursorY = static_cast<int16_t>(reader.Unsigned(2));
    return reader.Ok() &&
           platform::ReadInputSnapshot(reader.Bytes(), reader.Offset(), inputVersion, frame.Input) &&
           (!second ||
            platform::ReadGamepadSnapshot(reader.Bytes(), reader.Offset(), frame.Input.SecondGamepad));
}

}  // namespace

std::size_t TDemoFrames::RecordBytes() {
    static const std::size_t bytes = [] {
        std::string record;
        EncodeDemoFrame(TDemoFrame{}, record, true);
        return record.size();
    }();
    return bytes;
}

TDemoFrame TDemoFrames::operator[](std::size_t index) const {
    TDemoFrame frame;
    if (index < size()) {
        TReader reader(std::string_view(Records_).substr(index * RecordBytes(), RecordBytes()));
        reader.Offset() = 1;  // past the "P"
        ReadFrameFields(reader, platform::kInputSnapshotVersion, true, frame);
    }
    return frame;
}

void TDemoFrames::push_back(const TDemoFrame& frame) {
    EncodeDemoFrame(frame, Records_, true);
}

void TDemoFrames::Set(std::size_t index, const TDemoFrame& frame) {
    if (index < size()) {
        std::string record;
        EncodeDemoFrame(frame, record, true);
        Records_.replace(index * RecordBytes(), RecordBytes(), record);
    }
}

void EncodeDemoFrame(const TDemoFrame& frame, std::string& out, bool alwaysSecond) {
    const bool second = alwaysSecond || frame.Input.SecondGamepad.Connected;
    PutU8(out, second ? 'P' : 'F');
    PutU16(out, frame.Ms < kDemoMostFrameMs ? frame.Ms : kDemoMostFrameMs);
    PutU8(out, frame.Events);
    PutU16(out, static_cast<uint32_t>(static_cast<int16_t>(frame.CursorX)));
    PutU16(out, static_cast<uint32_t>(static_cast<int16_t>(frame.CursorY)));
    platform::WriteInputSnapshot(frame.Input, out);
    if (second) {
        platform::WriteGamepadSnapshot(frame.Input.SecondGamepad, out);
    }
}

namespace {

// The end record after its "E": the number of frames, then nothing more.
bool ReadEndRecord(TReader& reader, TDemo& demo, std::string& problem) {
    const std::size_t start = reader.Offset() - 1;
    const uint64_t frames = reader.Unsigned(4);
    if (!reader.Ok()) {
        demo.Cut = true;  // every frame is whole; the end record is not
        return true;
    }
    if (frames != demo.Frames.size()) {
        problem = "the end record at byte " + std::to_string(start) + " counts " + std::to_string(frames) +
                  " frames, the file holds " + std::to_string(demo.Frames.size());
        return false;
    }
    if (!reader.AtEnd()) {
        problem = std::to_string(reader.Bytes().size() - reader.Offset()) +
                  " bytes follow the end record at byte " + std::to_string(start);
        return false;
    }
    return true;
}

}  // namespace

bool ParseDemo(std::string_view bytes, TDemo& demo, std::string& problem) {
    demo = TDemo{};
    TReader reader(bytes);
    if (bytes.size() < sizeof kDemoMagic) {
        problem = "too short to be a demo (" + std::to_string(bytes.size()) + " bytes)";
        return false;
    }
    if (std::memcmp(bytes.data(), kDemoMagic, sizeof kDemoMagic) != 0) {
        problem = "not a Brelvox demo (it does not begin with \"BRLVXDEM\")";
        return false;
    }
    reader.Offset() = sizeof kDemoMagic;
    TDemoHeader& header = demo.Header;
    header.Version = static_cast<uint32_t>(reader.Unsigned(4));
    if (reader.Ok() && (header.Version < kDemoOldestVersion || header.Version > kDemoNewestVersion)) {
        problem = "demo format version " + std::to_string(header.Version) + ", this game reads version " +
                  std::to_string(kDemoNewestVersion) +
                  (header.Version > kDemoNewestVersion ? " (a newer game made it)" : "");
        return false;
    }
    header.GameVersion = reader.Text();
    if (header.GameVersion.size() > kLongestGameVersion) {
        problem = "the header's game version is " + std::to_string(header.GameVersion.size()) + " bytes long";
        return false;
    }
    header.Seed = static_cast<uint32_t>(reader.Unsigned(4));
    const uint64_t windowed = reader.Unsigned(1);
    header.Options.Windowed = windowed != 0;
    header.Options.ScreenWidth = static_cast<int32_t>(reader.Unsigned(2));
    header.Options.ScreenHeight = static_cast<int32_t>(reader.Unsigned(2));
    header.Options.Language = static_cast<uint8_t>(reader.Unsigned(1));
    header.Options.FirstLevel = static_cast<uint8_t>(reader.Unsigned(1));
    bool controlsGood = true;
    if (header.Version >= 3) {
        header.Options.Difficulty = static_cast<uint8_t>(reader.Unsigned(1));
        for (int action = 0; action < ActionCount; ++action) {
            const auto code = static_cast<uint16_t>(reader.Unsigned(2));
            controlsGood = controlsGood && CanBind(static_cast<TAction>(action), code);
            header.Options.Bindings.Codes[action] = code;
        }
    }
    if (header.Version >= kDemoSecondKeysVersion) {
        for (uint16_t& code : header.Options.SecondBindings.Codes) {
            code = static_cast<uint16_t>(reader.Unsigned(2));
            controlsGood = controlsGood && code >= 1 && code < kMouseButtonCode;
        }
    }
    header.InputVersion = static_cast<uint32_t>(reader.Unsigned(4));
    const auto count = static_cast<std::size_t>(reader.Unsigned(2));
    if (reader.Ok() &&
        (windowed > 1 || header.Options.ScreenWidth < 1 || header.Options.ScreenHeight < 1 ||
         header.Options.Language > 2 || header.Options.Difficulty >= kDifficultyCount || !controlsGood)) {
        problem = "the header's options are damaged";
        return false;
    }
    if (reader.Ok() && header.InputVersion != platform::kInputSnapshotVersion) {
        problem = "input record version " + std::to_string(header.InputVersion) +
                  ", this game reads version " + std::to_string(platform::kInputSnapshotVersion);
        return false;
    }
    if (count > kMostDataFiles) {
        problem = "the header names " + std::to_string(count) + " data files";
        return false;
    }
    for (std::size_t i = 0; i < count && reader.Ok(); ++i) {
        TDemoDataFile file;
        file.Path = reader.Text();
        file.Digest = reader.Unsigned(8);
        header.Data.push_back(file);
    }
    if (!reader.Ok()) {
        problem = "the header is cut off (the file has " + std::to_string(bytes.size()) + " bytes)";
        return false;
    }

    demo.Frames.reserve(bytes.size() - reader.Offset());  // records are as long in memory as in the file
    const bool marksItsEnd = header.Version >= 2;
    while (!reader.AtEnd()) {
        const std::size_t start = reader.Offset();
        const std::size_t number = demo.Frames.size() + 1;
        const uint64_t tag = reader.Unsigned(1);
        if (tag == 'E' && marksItsEnd) {
            return ReadEndRecord(reader, demo, problem);
        }
        const bool second = tag == 'P' && header.Version >= kDemoTwoControllerVersion;
        if (tag != 'F' && !second) {
            problem = "frame " + std::to_string(number) + " at byte " + std::to_string(start) +
                      " does not begin with \"F\"";
            return false;
        }
        TDemoFrame frame;
        if (!ReadFrameFields(reader, header.InputVersion, second, frame)) {
            demo.Cut = true;
            demo.CutInsideFrame = true;
            return true;
        }
        if (frame.Ms > kDemoMostFrameMs) {
            problem = "frame " + std::to_string(number) + " lasts " + std::to_string(frame.Ms) +
                      " ms (at most " + std::to_string(kDemoMostFrameMs) + ")";
            return false;
        }
        if ((frame.Events & ~kDemoFocusLost) != 0) {
            problem = "frame " + std::to_string(number) + " at byte " + std::to_string(start) + " is damaged";
            return false;
        }
        demo.Frames.push_back(frame);
    }
    demo.Cut = marksItsEnd;
    return true;
}

bool ReadDemoFile(const std::string& path, TDemo& demo, std::string& error) {
    std::string bytes;
    std::string problem;
    if (!files::ReadRealFile(path, bytes, problem) || !ParseDemo(bytes, demo, problem)) {
        error = "demo " + path + ": " + problem;
        return false;
    }
    return true;
}

bool DigestPlayData(const files::TDataRoot& root, std::vector<TDemoDataFile>& files, std::string& error,
                    const std::string& userFolder) {
    files.clear();
    auto add = [&](const std::string& path, const std::string& name) {
        std::string bytes;
        if (!root.ReadFile(path, bytes, error)) {
            return false;
        }
        files.push_back({name, DigestBytes(bytes)});
        return true;
    };
    if (!add(kConfigFile, kConfigFile) || !add(kLevelListFile, kLevelListFile)) {
        return false;
    }
    TLevels levels;
    if (!levels.LoadFromFile(root, kLevelListFile, error)) {
        return false;
    }
    for (const TLevelEntry& entry : levels.Entries()) {
        if (!add(entry.path, entry.path)) {
            return false;
        }
    }
    TUserLevels own(userFolder);
    std::error_code ignored;
    if (own.Folder().empty() || !std::filesystem::exists(own.ListPath(), ignored)) {
        return true;
    }
    std::vector<std::string> problems;  // a level left out of the list is left out here too
    own.Load(problems);
    if (!add(own.ListPath(), std::string(kUserPlayDataMark) + "levels/levels.txt")) {
        return false;
    }
    for (const TUserLevels::TEntry& entry : own.Entries()) {
        if (!add(entry.Path, std::string(kUserPlayDataMark) + "levels/" + entry.Name + ".txt")) {
            return false;
        }
    }
    return true;
}

bool MatchesPlayData(const files::TDataRoot& root, const TDemoHeader& header, std::string& problem,
                     const std::string& userFolder) {
    std::vector<TDemoDataFile> installed;
    if (!DigestPlayData(root, installed, problem)) {
        return false;
    }
    std::size_t shipped = 0;
    const std::string mark = kUserPlayDataMark;
    for (const TDemoDataFile& recorded : header.Data) {
        if (recorded.Path.compare(0, mark.size(), mark) == 0) {
            // One of the player's levels: it must be here, as it was.
            const std::string path = (userFolder.empty() ? std::string("(no per-user folder)") : userFolder) +
                                     "/" + recorded.Path.substr(mark.size());
            std::string bytes;
            std::string ignored;
            if (userFolder.empty() || !root.ReadFile(path, bytes, ignored)) {
                problem = "recorded with the player's level file " + path + ", which is missing";
                return false;
            }
            if (DigestBytes(bytes) != recorded.Digest) {
                problem = "recorded with the player's level file " + path + ", which has changed since";
                return false;
            }
            continue;
        }
        ++shipped;
        bool found = false;
        for (const TDemoDataFile& file : installed) {
            if (file.Path == recorded.Path) {
                found = true;
                if (file.Digest != recorded.Digest) {
                    problem =
                        "recorded on other play data: " + recorded.Path + " differs from the installed one";
                    return false;
                }
            }
        }
        if (!found) {
            problem = "recorded on other play data: " + recorded.Path + " is not among the installed levels";
            return false;
        }
    }
    if (installed.size() != shipped) {
        problem = "recorded on other play data: the level list names other levels";
        return false;
    }
    return true;
}

TDemoWriter::~TDemoWriter() {
    Close();
}

bool TDemoWriter::Open(const std::string& path, const TDemoHeader& header, std::string& error) {
    Close();
    path_ = path;
    error_.clear();
    frames_ = 0;
    const std::string part = path + ".part";
    file_ = std::fopen(part.c_str(), "wb");
    if (file_ == nullptr) {
        error = "demo " + part + ": cannot be created (" + std::strerror(errno) + ")";
        return false;
    }
    buffer_.clear();
    TDemoHeader written = header;
    if (written.Options.SecondBindings != TSecondKeyBindings{}) {
        written.Version = std::max(written.Version, kDemoSecondKeysVersion);
    }
    twoControllers_ = written.Version >= kDemoTwoControllerVersion;
    EncodeDemoHeader(written, buffer_);
    if (std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size() || std::fflush(file_) != 0) {
        error = "demo " + part + ": cannot be written (" + std::strerror(errno) + ")";
        std::fclose(file_);
        file_ = nullptr;
        return false;
    }
    return true;
}

bool TDemoWriter::Write(const TDemoFrame& frame) {
    if (file_ == nullptr) {
        return false;
    }
    buffer_.clear();
    if (frame.Input.SecondGamepad.Connected && !twoControllers_) {
        // The header's version, right after the magic, says from now on that "P" frames follow.
        std::string version;
        PutU32(version, kDemoTwoControllerVersion);
        twoControllers_ = std::fseek(file_, sizeof kDemoMagic, SEEK_SET) == 0 &&
                          std::fwrite(version.data(), 1, version.size(), file_) == version.size() &&
                          std::fseek(file_, 0, SEEK_END) == 0;
        if (!twoControllers_) {
            error_ = "demo " + path_ + ".part: cannot be written (" + std::strerror(errno) +
                     "); recording stopped, the whole frames before stay there";
            std::fclose(file_);
            file_ = nullptr;
            return false;
        }
    }
    EncodeDemoFrame(frame, buffer_);
    if (std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size() || std::fflush(file_) != 0) {
        error_ = "demo " + path_ + ".part: cannot be written (" + std::strerror(errno) +
                 "); recording stopped, the whole frames before stay there";
        std::fclose(file_);
        file_ = nullptr;
        return false;
    }
    ++frames_;
    return true;
}

void TDemoWriter::Close() {
    if (file_ == nullptr) {
        return;
    }
    buffer_.clear();
    PutU8(buffer_, 'E');
    PutU32(buffer_, static_cast<uint32_t>(frames_));
    const bool ended = std::fwrite(buffer_.data(), 1, buffer_.size(), file_) == buffer_.size();
    const bool closed = std::fclose(file_) == 0 && ended;
    file_ = nullptr;
    if (!closed || std::rename((path_ + ".part").c_str(), path_.c_str()) != 0) {
        error_ = "demo " + path_ + ": cannot be finished (" + std::strerror(errno) + "); the frames are in " +
                 path_ + ".part";
    }
}
