#include "gui/InfoReader.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace {

bool IsSeparator(char c) {
    return c == ' ' || c == '\r' || c == '\n';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

bool TInfoReader::NextToken(std::string_view& token) {
    while (position_ < bytes_.size() && IsSeparator(bytes_[position_])) {
        ++position_;
    }
    const size_t start = position_;
    while (position_ < bytes_.size() && !IsSeparator(bytes_[position_])) {
        ++position_;
    }
    token = bytes_.substr(start, position_ - start);
    // The separator that ends a token belongs to it, as with a reader of a text file.
    if (position_ < bytes_.size()) {
        ++position_;
    }
    return !token.empty();
}

bool TInfoReader::NextByte(char& c) {
    if (position_ >= bytes_.size()) {
        return false;
    }
    c = bytes_[position_++];
    return true;
}

bool TInfoReader::SkipPast(char c) {
    while (position_ < bytes_.size()) {
        if (bytes_[position_++] == c) {
            return true;
        }
    }
    return false;
}

int TInfoReader::Line() const {
    int line = 1;
    const size_t end = position_ < bytes_.size() ? position_ : bytes_.size();
    for (size_t i = 0; i < end; ++i) {
        if (bytes_[i] == '\n') {
            ++line;
        }
    }
    return line;
}

bool ParseInfoDecimal(std::string_view token, float& value) {
    // Checked by hand so that only plain decimal notation passes (no hexadecimal, no "inf"), then
    // converted with the decimal point whatever the process locale.
    std::string text;
    text.reserve(token.size());
    size_t i = 0;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) {
        if (token[i] == '-') {
            text += '-';
        }
        ++i;
    }
    size_t digits = 0;
    while (i < token.size() && IsDigit(token[i])) {
        text += token[i++];
        ++digits;
    }
    if (i < token.size() && (token[i] == ',' || token[i] == '.')) {
        text += '.';
        ++i;
        while (i < token.size() && IsDigit(token[i])) {
            text += token[i++];
            ++digits;
        }
    }
    if (digits == 0) {
        return false;
    }
    if (i < token.size() && (token[i] == 'e' || token[i] == 'E')) {
        text += 'e';
        ++i;
        if (i < token.size() && (token[i] == '+' || token[i] == '-')) {
            text += token[i++];
        }
        size_t exponentDigits = 0;
        while (i < token.size() && IsDigit(token[i])) {
            text += token[i++];
            ++exponentDigits;
        }
        if (exponentDigits == 0) {
            return false;
        }
    }
    if (i != token.size()) {
        return false;
    }
    double result = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), result);
    if (error != std::errc() || end != text.data() + text.size()) {
        return false;
    }
    if (!std::isfinite(result) || std::fabs(result) > std::numeric_limits<float>::max()) {
        return false;
    }
    value = static_cast<float>(result);
    return true;
}
