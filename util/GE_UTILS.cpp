#include "util/GE_UTILS.h"

#include <algorithm>
#include <cassert>
#include <limits>

int TTextSource::Line() const {
    int line = 1;
    for (std::size_t i = 0; i < position_ && i < bytes_.size(); ++i) {
        // CR LF and a lone LF count once; a lone CR counts too.
        if (bytes_[i] == '\n' || (bytes_[i] == '\r' && (i + 1 >= bytes_.size() || bytes_[i + 1] != '\n'))) {
            ++line;
        }
    }
    return line;
}

static bool IsBlank(int c) {
    return c == '\t' || c == '\n' || c == '\r' || c == ' ';
}

std::string ReadToken(TTextSource& source) {
    std::string token;
    int c = source.ReadByte();
    while (c != -1 && IsBlank(c)) {
        c = source.ReadByte();
    }
    while (c != -1 && !IsBlank(c)) {
        token.push_back(static_cast<char>(c));
        c = source.ReadByte();
    }
    return token;
}

std::string ReadLine(TTextSource& source) {
    std::string line;
    for (int c = source.ReadByte(); c != -1; c = source.ReadByte()) {
        if (c == '\n') {
            break;
        }
        if (c == '\r') {
            if (source.PeekByte() == '\n') {
                source.ReadByte();
            }
            break;
        }
        line.push_back(static_cast<char>(c));
    }
    return line;
}

bool ParseInteger(std::string_view token, int32_t& value) {
    std::size_t i = 0;
    bool negative = false;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) {
        negative = token[i] == '-';
        ++i;
    }
    if (i == token.size()) {
        return false;
    }
    int64_t result = 0;
    for (; i < token.size(); ++i) {
        const char c = token[i];
        if (c < '0' || c > '9') {
            return false;
        }
        result = result * 10 + (c - '0');
        if (result > int64_t(std::numeric_limits<int32_t>::max()) + 1) {
            return false;
        }
    }
    if (negative) {
        result = -result;
    }
    if (result > std::numeric_limits<int32_t>::max() || result < std::numeric_limits<int32_t>::min()) {
        return false;
    }
    value = static_cast<int32_t>(result);
    return true;
}

static std::size_t LastSeparator(std::string_view path) {
    return path.find_last_of("\\/");
}

std::string FillPlaceholders(std::string line, const std::vector<std::string>& values) {
    // From the last: "%1" must not take the start of "%10".
    for (std::size_t i = values.size(); i-- > 0;) {
        const std::string mark = "%" + std::to_string(i + 1);
        for (std::size_t at = line.find(mark); at != std::string::npos; at = line.find(mark, at)) {
            line.replace(at, mark.size(), values[i]);
            at += values[i].size();
        }
    }
    return line;
}

std::string ExtractFileNamePart(std::string_view path) {
    const std::size_t at = LastSeparator(path);
    return std::string(at == std::string_view::npos ? path : path.substr(at + 1));
}

std::string ExtractDirPart(std::string_view path) {
    const std::size_t at = LastSeparator(path);
    return at == std::string_view::npos ? std::string() : std::string(path.substr(0, at + 1));
}

static float Ratio(int32_t value, int32_t whole) {
    return whole == 0 ? 0.0f : static_cast<float>(static_cast<double>(value) / whole);
}

float PixelToNdcX(int32_t x, int32_t width) {
    return width == 0 ? 0.0f : Ratio(x, width) * 2.0f - 1.0f;
}
float PixelToNdcY(int32_t y, int32_t height) {
    return height == 0 ? 0.0f : -(Ratio(y, height) * 2.0f - 1.0f);
}
float SizeToNdcW(int32_t w, int32_t width) {
    return Ratio(w, width) * 2.0f;
}
float SizeToNdcH(int32_t h, int32_t height) {
    return Ratio(h, height) * 2.0f;
}

namespace {

// The length of a well-formed UTF-8 sequence of two to four bytes at the start of `bytes`, else 0.
std::size_t Utf8SequenceLength(std::string_view bytes) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || bytes.size() < length) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) {
            return 0;
        }
    }
    // Overlong three- and four-byte forms, surrogates and code points past U+10FFFF.
    if ((lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xED && byte(1) >= 0xA0) ||
        (lead == 0xF0 && byte(1) < 0x90) || (lead == 0xF4 && byte(1) >= 0x90)) {
        return 0;
    }
    return length;
}

// The Unicode code point of a Windows-1251 Cyrillic letter, or 0 for any other byte.
uint32_t Cp1251Letter(unsigned char c) {
    if (c >= 0xC0) {
        return 0x0410 + (c - 0xC0);
    }
    switch (c) {
        case 0xA8:
            return 0x0401;  // Ё
        case 0xB8:
            return 0x0451;  // ё
        case 0xAA:
            return 0x0404;  // Є
        case 0xBA:
            return 0x0454;  // є
        case 0xAF:
            return 0x0407;  // Ї
        case 0xBF:
            return 0x0457;  // ї
        case 0xB2:
            return 0x0406;  // І
        case 0xB3:
            return 0x0456;  // і
        case 0xA5:
            return 0x0490;  // Ґ
        case 0xB4:
            return 0x0491;  // ґ
        default:
            return 0;
    }
}

std::string Quote(std::string_view bytes, std::size_t maxBytes, bool escapeBackslash) {
    static const char kHex[] = "0123456789ABCDEF";
    // Text that is UTF-8 throughout is read as UTF-8; anything else as Windows-1251, so a Cyrillic word
    // whose first two bytes happen to form a UTF-8 letter is not half misread.
    bool utf8 = true;
    for (std::size_t i = 0; i < bytes.size() && utf8;) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
        } else if (std::size_t length = Utf8SequenceLength(bytes.substr(i)); length > 0) {
            i += length;
        } else {
            utf8 = false;
        }
    }
    std::string out = "\"";
    const std::size_t end = std::min(bytes.size(), maxBytes);
    std::size_t i = 0;
    while (i < end) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        std::size_t length = c >= 0x80 && utf8 ? Utf8SequenceLength(bytes.substr(i)) : 0;
        uint32_t letter = c >= 0x80 && !utf8 ? Cp1251Letter(c) : 0;
        if (c == '"' || (c == '\\' && escapeBackslash)) {
            out += '\\';
            out += static_cast<char>(c);
            ++i;
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
            ++i;
        } else if (length > 0) {
            if (i + length > end) {
                break;  // a character the cut would split goes with the cut
            }
            out.append(bytes.substr(i, length));
            i += length;
        } else if (letter != 0) {
            out += static_cast<char>(0xC0 | (letter >> 6));
            out += static_cast<char>(0x80 | (letter & 0x3F));
            ++i;
        } else {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
            ++i;
        }
    }
    out += '"';
    if (bytes.size() > maxBytes) {
        out += "...";
    }
    return out;
}

}  // namespace

std::string QuoteForMessage(std::string_view bytes, std::size_t maxBytes) {
    return Quote(bytes, maxBytes, true);
}

std::string QuotePathForMessage(std::string_view path, std::size_t maxBytes) {
    return Quote(path, maxBytes, false);
}
