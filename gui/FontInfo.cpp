#include "gui/FontInfo.h"

#include <limits>

#include "gui/InfoReader.h"
#include "util/GE_UTILS.h"

namespace {

std::string Where(std::string_view sourceName, const TInfoReader& reader) {
    return QuotePathForMessage(sourceName) + ", line " + std::to_string(reader.Line()) + ": ";
}

// Skips `count` - 1 tokens and returns the last one in `token`; false at the end of the bytes.
bool NthToken(TInfoReader& reader, int count, std::string_view& token) {
    for (int i = 0; i < count; ++i) {
        if (!reader.NextToken(token)) {
            return false;
        }
    }
    return true;
}

bool ReadHeaderValue(TInfoReader& reader, int tokens, const char* what, std::string_view sourceName,
                     int32_t& value, std::string& error) {
    std::string_view token;
    if (!NthToken(reader, tokens, token)) {
        error = QuotePathForMessage(sourceName) + ": the file ends before " + what;
        return false;
    }
    if (!ParseInteger(token, value)) {
        error = Where(sourceName, reader) + what + " is " + QuoteForMessage(token) + ", not a whole number";
        return false;
    }
    return true;
}

bool FitsInt16(int32_t value) {
    return value >= std::numeric_limits<int16_t>::min() && value <= std::numeric_limits<int16_t>::max();
}

}  // namespace

bool ParseFontInfo(std::string_view bytes, std::string_view sourceName, TFontInfo& info, std::string& error,
                   std::string& warning) {
    warning.clear();
    TInfoReader reader(bytes);
    TFontInfo result;
    int32_t value1 = 0, value2 = 0, count = 0;
    if (!ReadHeaderValue(reader, 3, "the first header value", sourceName, value1, error) ||
        !ReadHeaderValue(reader, 3, "the second header value", sourceName, value2, error) ||
        !ReadHeaderValue(reader, 4, "the number of glyphs", sourceName, count, error)) {
        return false;
    }
    if (!FitsInt16(value1) || !FitsInt16(value2)) {
        error = QuotePathForMessage(sourceName) + ": a header value is outside -32768..32767";
        return false;
    }
    if (count < 0) {
        error = QuotePathForMessage(sourceName) + ": the number of glyphs is negative (" +
                std::to_string(count) + ")";
        return false;
    }
    result.InfoValue1 = static_cast<int16_t>(value1);
    result.InfoValue2 = static_cast<int16_t>(value2);
    std::string_view token;
    reader.NextToken(token);  // the word after the count

    static const char* const kFieldNames[4] = {"U", "V", "Width", "Height"};
    for (int32_t entry = 0; entry < count; ++entry) {
        const std::string stop = QuotePathForMessage(sourceName) + ": the file ends inside glyph " +
                                 std::to_string(entry + 1) + " of " + std::to_string(count) + "; " +
                                 std::to_string(entry) + " glyphs read";
        TGlyph glyph;
        char c = 0;
        if (!reader.SkipPast('"') || !reader.NextByte(c)) {
            warning = stop;
            break;
        }
        glyph.Char = static_cast<uint8_t>(c);
        char closingQuote = 0;
        if (!reader.NextByte(closingQuote)) {
            warning = stop;
            break;
        }
        float* const fields[4] = {&glyph.U, &glyph.V, &glyph.Width, &glyph.Height};
        bool complete = true;
        for (int field = 0; field < 4 && complete; ++field) {
            if (!NthToken(reader, 3, token)) {
                complete = false;
                break;
            }
            if (!ParseInfoDecimal(token, *fields[field])) {
                error = Where(sourceName, reader) + "the " + kFieldNames[field] + " of glyph " +
                        std::to_string(entry + 1) + " is " + QuoteForMessage(token) + ", not a number";
                return false;
            }
        }
        if (!complete) {
            warning = stop;
            break;
        }
        result.Glyphs.push_back(glyph);
    }

    if (result.Glyphs.empty()) {
        error = QuotePathForMessage(sourceName) + ": the font has no glyphs";
        return false;
    }
    if (!(result.Glyphs[0].Height > 0)) {
        error = QuotePathForMessage(sourceName) +
                ": the first glyph's Height must be above 0 (it is the line height)";
        return false;
    }
    info = std::move(result);
    return true;
}
