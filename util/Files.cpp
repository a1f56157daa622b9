#include "util/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <utility>
#include <vector>

#include "util/GE_UTILS.h"

namespace files {

namespace {

// Game files are small; anything beyond this is not one of ours.
constexpr off_t kMaxFileSize = off_t(512) * 1024 * 1024;

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) {
            return false;
        }
    }
    return true;
}

std::vector<std::string> SplitComponents(std::string_view path) {
    std::vector<std::string> parts;
    std::string current;
    for (char c : path) {
        if (c == '\\' || c == '/') {
            if (!current.empty() && current != ".") {
                parts.push_back(current);
            }
            current.clear();
        } else {
            current.push_back(c);
        }
    }
    if (!current.empty() && current != ".") {
        parts.push_back(current);
    }
    return parts;
}

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder == ".") {
        return name;
    }
    if (folder.back() == '/') {
        return folder + name;
    }
    return folder + "/" + name;
}

bool Exists(const std::string& path, bool* isDirectory = nullptr) {
    struct stat info;
    if (stat(path.empty() ? "." : path.c_str(), &info) != 0) {
        return false;
    }
    if (isDirectory != nullptr) {
        *isDirectory = S_ISDIR(info.st_mode);
    }
    return true;
}

// The entry of `folder` named `name`: an exact match first, else the first case-insensitive match in
// name order. Empty when there is none.
std::string FindEntry(const std::string& folder, const std::string& name) {
    if (name == "..") {
        return Join(folder, name);
    }
    const std::string exact = Join(folder, name);
    if (Exists(exact)) {
        return exact;
    }
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) {
        return std::string();
    }
    std::vector<std::string> matches;
    while (const dirent* entry = readdir(dir)) {
        if (EqualIgnoringCase(entry->d_name, name)) {
            matches.emplace_back(entry->d_name);
        }
    }
    closedir(dir);
    if (matches.empty()) {
        return std::string();
    }
    std::sort(matches.begin(), matches.end());
    return Join(folder, matches.front());
}

// Resolves the folders of `parts` (all of them when `all`, else all but the last).
bool ResolveFolders(const std::vector<std::string>& parts, std::size_t count, std::string& folder) {
    for (std::size_t i = 0; i < count; ++i) {
        const std::string next = FindEntry(folder, parts[i]);
        bool isDirectory = false;
        if (next.empty() || !Exists(next, &isDirectory) || !isDirectory) {
            return false;
        }
        folder = next;
    }
    return true;
}

// The folder part of a real path, ending in "/"; "." when there is none.
std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

// True when `entry` is "<name>.XXXXXX" as mkstemp makes it from "<name>.XXXXXX".
bool IsTemporaryOf(std::string_view entry, std::string_view name) {
    constexpr std::size_t kSuffix = 7;  // ".XXXXXX"
    if (entry.size() != name.size() + kSuffix || !EqualIgnoringCase(entry.substr(0, name.size()), name) ||
        entry[name.size()] != '.') {
        return false;
    }
    for (char c : entry.substr(name.size() + 1)) {
        const bool alphanumeric = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!alphanumeric) {
            return false;
        }
    }
    return true;
}

std::string Describe(std::string_view gamePath) {
    return QuotePathForMessage(gamePath);
}

}  // namespace

TDataRoot::TDataRoot(std::string folder) : folder_(folder.empty() ? std::string(".") : std::move(folder)) {}

std::string TDataRoot::StartFolder(std::string_view gamePath) const {
    if (!gamePath.empty() && gamePath.front() == '/') {
        return "/";
    }
    return folder_;
}

std::string TDataRoot::Resolve(std::string_view gamePath) const {
    const std::vector<std::string> parts = SplitComponents(gamePath);
    std::string folder = StartFolder(gamePath);
    if (parts.empty()) {
        return Exists(folder) ? folder : std::string();
    }
    if (!ResolveFolders(parts, parts.size() - 1, folder)) {
        return std::string();
    }
    return FindEntry(folder, parts.back());
}

std::string TDataRoot::ResolveForWriting(std::string_view gamePath) const {
    const std::vector<std::string> parts = SplitComponents(gamePath);
    if (parts.empty()) {
        return std::string();
    }
    std::string folder = StartFolder(gamePath);
    if (!ResolveFolders(parts, parts.size() - 1, folder)) {
        return std::string();
    }
    const std::string existing = FindEntry(folder, parts.back());
    return existing.empty() ? Join(folder, parts.back()) : existing;
}

bool ReadRealFile(const std::string& path, std::string& bytes, std::string& problem) {
    // Non-blocking, so that a named pipe in place of a file is refused below instead of waiting
    // forever for a writer; reads of a regular file are not affected.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        problem = std::string("cannot open: ") + std::strerror(errno);
        return false;
    }
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        problem = "not a regular file";
        return false;
    }
    if (info.st_size > kMaxFileSize) {
        close(fd);
        problem = "file too large";
        return false;
    }
    std::string data;
    data.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            problem = std::string("read error: ") + std::strerror(errno);
            close(fd);
            return false;
        }
        if (got == 0) {
            break;
        }
        if (data.size() + std::size_t(got) > std::size_t(kMaxFileSize)) {
            problem = "file too large";
            close(fd);
            return false;
        }
        data.append(buffer, std::size_t(got));
    }
    close(fd);
    bytes = std::move(data);
    return true;
}

bool TDataRoot::ReadFile(std::string_view gamePath, std::string& bytes, std::string& error) const {
    const std::string path = Resolve(gamePath);
    if (path.empty()) {
        error = Describe(gamePath) + ": file not found";
        return false;
    }
    std::string problem;
    if (!ReadRealFile(path, bytes, problem)) {
        error = Describe(gamePath) + ": " + problem;
        return false;
    }
    return true;
}

bool TDataRoot::WriteFileAtomic(std::string_view gamePath, std::string_view bytes, std::string& error) const {
    const std::string target = ResolveForWriting(gamePath);
    if (target.empty()) {
        error = Describe(gamePath) + ": folder does not exist";
        return false;
    }
    std::string temporary = target + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) {
        error = Describe(gamePath) + ": cannot create a temporary file: " + std::strerror(errno);
        return false;
    }
    auto fail = [&](const char* what) {
        error = Describe(gamePath) + ": " + what + ": " + std::strerror(errno);
        close(fd);
        unlink(temporary.c_str());
        return false;
    };
    fchmod(fd, 0644);
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t put = write(fd, bytes.data() + written, bytes.size() - written);
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            return fail("write error");
        }
        written += std::size_t(put);
    }
    if (fsync(fd) != 0) {
        return fail("cannot flush");
    }
    if (close(fd) != 0) {
        error = Describe(gamePath) + ": cannot close: " + std::strerror(errno);
        unlink(temporary.c_str());
        return false;
    }
    if (rename(temporary.c_str(), target.c_str()) != 0) {
        error = Describe(gamePath) + ": cannot replace: " + std::strerror(errno);
        unlink(temporary.c_str());
        return false;
    }
    // Make the rename itself durable.
    const std::string folder = FolderOf(target);
    const int dirFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);
        close(dirFd);
    }
    return true;
}

int TDataRoot::RemoveStaleTemporaries(std::string_view gamePath,
                                      std::initializer_list<std::string_view> names,
                                      int minAgeSeconds) const {
    const std::string target = ResolveForWriting(gamePath);
    if (target.empty()) {
        return 0;
    }
    const std::string folder = FolderOf(target);
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        return 0;
    }
    std::vector<std::string> stale;
    const time_t now = time(nullptr);
    while (const dirent* entry = readdir(dir)) {
        const std::string_view entryName = entry->d_name;
        const bool ours = std::any_of(names.begin(), names.end(),
                                      [&](std::string_view name) { return IsTemporaryOf(entryName, name); });
        if (!ours) {
            continue;
        }
        const std::string path = Join(folder, std::string(entryName));
        struct stat info;
        if (lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            now - info.st_mtime >= minAgeSeconds) {
            stale.push_back(path);
        }
    }
    closedir(dir);
    int removed = 0;
    for (const std::string& path : stale) {
        removed += unlink(path.c_str()) == 0 ? 1 : 0;
    }
    return removed;
}

}  // namespace files
