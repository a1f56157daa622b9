// The language table: three parallel lists of lines (Ukrainian, Russian, English); line i of each is
// the same message and the English lines are the keys. Texts are Windows-1251 bytes, never converted.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "util/Files.h"

// The two keys that are language names, as Windows-1251 bytes ("Українська", "Русский"): they read the
// same in every language.
inline constexpr std::string_view kKeyUkrainianName = "\xD3\xEA\xF0\xE0\xBF\xED\xF1\xFC\xEA\xE0";
inline constexpr std::string_view kKeyRussianName = "\xD0\xF3\xF1\xF1\xEA\xE8\xE9";

class TLanguages {
public:
    TLanguages() = default;

    // Reads the three files (game paths in `root`). When one cannot be read, returns false with an `error`
    // naming the file, and the table is left empty; when they do not have as many lines, the table
    // has the lines all three have and the result is false with an `error` naming the shorter file.
    bool LoadFromFiles(const files::TDataRoot& root, std::string_view ukrainianPath,
                       std::string_view russianPath, std::string_view englishPath, std::string& error);
    // Takes one whole line (blanks kept; CR LF, LF or CR ends it) from each text in turn and stops as
    // soon as any of them is at its end, so the table has as many messages as the shortest has lines.
    // False when that left lines of another unread: `error` names the shorter text and a longer one by
    // `names` (the quoted file names; "the Ukrainian text" and so on by default).
    bool LoadFromBytes(std::string_view ukrainian, std::string_view russian, std::string_view english,
                       std::string& error);
    bool LoadFromBytes(std::string_view ukrainian, std::string_view russian, std::string_view english,
                       const std::string_view (&names)[3], std::string& error);

    // The message of `key` (an exact, case-sensitive English line; the first match wins) in language
    // 0 (Ukrainian), 1 (Russian) or 2 (English). Empty when the key is unknown, the table is empty or
    // the language index is out of range.
    std::string GetText(std::string_view key, int language) const;

    std::size_t Count() const { return english_.size(); }

private:
    std::vector<std::string> ukrainian_;
    std::vector<std::string> russian_;
    std::vector<std::string> english_;
};
