#include "util/GE_UTILS.h"

#include <cassert>
#include <limits>

#include "util/Files.h"

bool TTextSource::LoadFile(std::string_view gamePath, std::string& error) {
    std::string bytes;
    position_ = 0;
    if (!files::ReadFile(gamePath, bytes, error)) {
        bytes_.clear();
        return false;
    }
    bytes_ = std::move(bytes);
    return true;
}

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

bool TListPointer::Add(void* p) {
    assert(items_.size() < kMaxCount && "TListPointer::Add: list is full");
    if (items_.size() >= kMaxCount) {
        return false;
    }
    items_.push_back(p);
    return true;
}

void TListPointer::Delete(uint16_t index) {
    if (index >= items_.size()) {
        return;
    }
    if (index != items_.size() - 1) {
        items_[index] = items_.back();
    }
    items_.pop_back();
}

void TListPointer::Clear() {
    items_.clear();
    items_.shrink_to_fit();
}
