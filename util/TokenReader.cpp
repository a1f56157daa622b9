#include "util/TokenReader.h"

#include <charconv>
#include <cmath>
#include <limits>

TTokenReader::TTokenReader(std::string_view bytes, std::string_view fileName, std::string& error)
    : source_(std::string(bytes)), fileName_(fileName), error_(error) {}

bool TTokenReader::Token(const std::string& what, std::string& token) {
    token = ReadToken(source_);
    if (token.empty()) {
        return Fail("the file ends before " + what);
    }
    return true;
}

bool TTokenReader::Next(std::string& token) {
    token = ReadToken(source_);
    return !token.empty();
}

bool TTokenReader::Skip(const std::string& what, int count) {
    std::string token;
    for (int i = 0; i < count; ++i) {
        if (!Token(what, token)) {
            return false;
        }
    }
    return true;
}

bool TTokenReader::Integer(const std::string& what, int32_t& value) {
    std::string token;
    if (!Token(what, token)) {
        return false;
    }
    if (!ParseInteger(token, value)) {
        return Fail(what + " " + QuoteForMessage(token) + " is not an integer");
    }
    return true;
}

bool TTokenReader::Integer(const std::string& what, int32_t low, int32_t high, int32_t& value) {
    if (!Integer(what, value)) {
        return false;
    }
    if (value < low || value > high) {
        return Fail(what + " " + std::to_string(value) + " is outside " + std::to_string(low) + ".." +
                    std::to_string(high));
    }
    return true;
}

bool TTokenReader::Real(const std::string& what, float& value) {
    std::string token;
    if (!Token(what, token)) {
        return false;
    }
    const char* begin = token.data();
    const char* end = token.data() + token.size();
    if (begin != end && *begin == '+') {
        ++begin;  // from_chars takes no plus sign
    }
    double parsed = 0;
    const auto [stop, status] = std::from_chars(begin, end, parsed, std::chars_format::general);
    if (begin == end || status != std::errc() || stop != end || !std::isfinite(parsed) ||
        std::fabs(parsed) > std::numeric_limits<float>::max()) {
        return Fail(what + " " + QuoteForMessage(token) + " is not a number");
    }
    value = static_cast<float>(parsed);
    return true;
}

bool TTokenReader::Fail(const std::string& message) {
    error_ = Place() + ": " + message;
    return false;
}

std::string TTokenReader::Place() const {
    return QuotePathForMessage(fileName_) + ", line " + std::to_string(source_.Line());
}
