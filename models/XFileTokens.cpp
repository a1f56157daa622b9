#include "models/XFileTokens.h"

#include <charconv>
#include <cstdio>

#include "util/GE_UTILS.h"

namespace xfile {

// The token for a message: a word quoted safely, a number as a number.
std::string Describe(const Token& token) {
    switch (token.kind) {
        case Token::Kind::Word:
            return QuoteForMessage(token.text);
        case Token::Kind::Integer:
            return "the integer " + std::to_string(token.integer);
        case Token::Kind::Float: {
            char buffer[48];
            std::snprintf(buffer, sizeof buffer, "the float %g", token.number);
            return buffer;
        }
        case Token::Kind::End:
            break;
    }
    return "the end of the file";
}
// Decimal text to a double (an optional plus sign before the digits is allowed).
bool ParseDecimal(std::string_view text, double& value) {
    if (text.size() > 1 && text[0] == '+' && text[1] != '-') {
        text.remove_prefix(1);
    }
    const auto [stop, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && stop == text.data() + text.size();
}

bool ParseCount(std::string_view text, uint32_t& value) {
    if (text.size() > 1 && text[0] == '+') {
        text.remove_prefix(1);
    }
    const auto [stop, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && stop == text.data() + text.size();
}
std::string TokenStream::Place() const {
    if (binary_) {
        return "byte " + std::to_string(offset_ + start_) + (inflated_ ? " of the inflated data" : "");
    }
    // Lines are counted only for a message: the tokenizer itself never looks at them.
    const size_t line = 1 + std::count(text_.begin(), text_.begin() + start_, '\n');
    return "line " + std::to_string(line) + (inflated_ ? " of the inflated text" : "");
}

Token TokenStream::NextText() {
    const size_t size = text_.size();
    for (;;) {
        while (pos_ < size && IsSeparator(text_[pos_])) {
            ++pos_;
        }
        if (pos_ >= size) {
            start_ = size;
            return {};
        }
        if (text_[pos_] != '/' && text_[pos_] != '#') {
            break;
        }
        // A slash or a hash that begins a token comments out the rest of the line.
        const void* lineEnd = std::memchr(text_.data() + pos_, '\n', size - pos_);
        pos_ =
            lineEnd != nullptr ? static_cast<size_t>(static_cast<const char*>(lineEnd) - text_.data()) : size;
    }
    start_ = pos_;
    while (pos_ < size && !IsSeparator(text_[pos_])) {
        ++pos_;
    }
    Token token;
    token.kind = Token::Kind::Word;
    token.text = text_.substr(start_, pos_ - start_);
    return token;
}

}  // namespace xfile
