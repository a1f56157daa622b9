// Every file the game reads or writes goes through here. Game paths are written the Windows way,
// with backslashes or slashes and in any letter case ("Data\SHaders\render_quad.vs",
// "data/shaders/Render_Quad.vs"); look-up treats both separators alike and ignores case, component
// by component, relative to the data root (the folder that holds "Data").
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace files {

// The folder game paths are relative to, as a value: whoever reads or writes game files is handed one
// (the program makes it from --data or the install layout; a test or a tool makes its own). A game path
// that starts with "/" is a real path and is looked up from the file system's root instead.
class TDataRoot {
public:
    // An empty folder means the current one.
    explicit TDataRoot(std::string folder);

    const std::string& Folder() const { return folder_; }

    // The real path of an existing file or folder, or an empty string when none matches. An exact
    // match of a component wins over a case-insensitive one; among case-insensitive matches the first
    // in name order wins, so the result does not depend on the file system's listing order.
    std::string Resolve(std::string_view gamePath) const;

    // Where a write to gamePath goes: the existing file of that name in any case, else the name as
    // written inside the existing (case-insensitively resolved) folder. Empty when the folder does not
    // exist.
    std::string ResolveForWriting(std::string_view gamePath) const;

    // Reads a whole file. On failure returns false and an `error` naming the file and the reason.
    bool ReadFile(std::string_view gamePath, std::string& bytes, std::string& error) const;

    // Writes a whole file atomically: a temporary file beside it is written, flushed and renamed over
    // the old one, so a failed or interrupted write leaves the previous file as it was.
    bool WriteFileAtomic(std::string_view gamePath, std::string_view bytes, std::string& error) const;

    // Removes what interrupted atomic writes left behind in the folder a write to gamePath goes to: the
    // regular files named "<name>.XXXXXX" (the temporary names WriteFileAtomic uses, X a letter or
    // digit) for each of `names`, compared ignoring letter case, last modified at least
    // `minAgeSeconds` ago, so a write in progress (by another copy of the game, say) is left alone.
    // Returns how many were removed.
    int RemoveStaleTemporaries(std::string_view gamePath, std::initializer_list<std::string_view> names,
                               int minAgeSeconds = 60) const;

private:
    std::string StartFolder(std::string_view gamePath) const;

    std::string folder_;
};

// Reads a whole file by its real path: a regular file of at most 512 MiB. On failure returns false and
// the `problem` without the file's name ("not a regular file", "file too large", "read error: ...").
bool ReadRealFile(const std::string& path, std::string& bytes, std::string& problem);

}  // namespace files
