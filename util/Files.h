// Every file the game reads or writes goes through here. Game paths are written the Windows way,
// with backslashes or slashes and in any letter case ("Data\SHaders\render_quad.vs",
// "data/shaders/Render_Quad.vs"); look-up treats both separators alike and ignores case, component
// by component, relative to the data root (the folder that holds "Data").
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace files {

// The folder game paths are relative to. Default: the current folder.
void SetDataRoot(const std::string& folder);
const std::string& DataRoot();

// The real path of an existing file or folder, or an empty string when none matches. An exact match
// of a component wins over a case-insensitive one; among case-insensitive matches the first in name
// order wins, so the result does not depend on the file system's listing order.
std::string Resolve(std::string_view gamePath);

// Where a write to gamePath goes: the existing file of that name in any case, else the name as written
// inside the existing (case-insensitively resolved) folder. Empty when the folder does not exist.
std::string ResolveForWriting(std::string_view gamePath);

// Reads a whole file. On failure returns false and an `error` naming the file and the reason.
bool ReadFile(std::string_view gamePath, std::string& bytes, std::string& error);

// Reads a whole file by its real path: a regular file of at most 512 MiB. On failure returns false and
// the `problem` without the file's name ("not a regular file", "file too large", "read error: ...").
bool ReadRealFile(const std::string& path, std::string& bytes, std::string& problem);

// Writes a whole file atomically: a temporary file beside it is written, flushed and renamed over the
// old one, so a failed or interrupted write leaves the previous file as it was.
bool WriteFileAtomic(std::string_view gamePath, std::string_view bytes, std::string& error);

// Removes what interrupted atomic writes left behind in the folder a write to gamePath goes to: the
// regular files named "<name>.XXXXXX" (the temporary names WriteFileAtomic uses, X a letter or digit)
// for each of `names`, compared ignoring letter case, last modified at least `minAgeSeconds` ago, so a
// write in progress (by another copy of the game, say) is left alone. Returns how many were removed.
int RemoveStaleTemporaries(std::string_view gamePath, std::initializer_list<std::string_view> names,
                           int minAgeSeconds = 60);

}  // namespace files
