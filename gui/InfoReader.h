// The tokenizer of the font description and the GUI skin description. Both files are a stream of
// tokens: runs of bytes other than space, carriage return and line feed (a tab is part of a token).
// The font reader also reads single bytes (the quoted glyph character), so the reader exposes both.
//
// The reader works on bytes in memory and never reads past their end: at the end it reports "no
// token" / "no byte", and the callers turn that into a message naming the file and the line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class TInfoReader {
public:
    explicit TInfoReader(std::string_view bytes) : bytes_(bytes) {}

    // The next token; false (and an empty token) when only separators are left.
    bool NextToken(std::string_view& token);
    // The next byte, whatever it is; false at the end.
    bool NextByte(char& c);
    // Skips bytes up to and including the next `c`; false when the end comes first.
    bool SkipPast(char c);

    // 1-based line of the reading position (for messages).
    int Line() const;
    bool AtEnd() const { return position_ >= bytes_.size(); }

private:
    std::string_view bytes_;
    size_t position_ = 0;
};

// Whole numbers are read with ParseInteger of util/GE_UTILS.h.

// A whole token as a finite decimal number: an optional sign, digits with an optional fraction
// after a comma (the files are written with a comma; a point is accepted as well) and an optional
// exponent. False for anything else, for infinities, NaN and values beyond a single float.
bool ParseInfoDecimal(std::string_view token, float& value);
