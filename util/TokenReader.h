// Values read by position from a blank-separated text file (the level list, level files): each read
// names what it expects, and a failure leaves a message that names the file, the line and the value.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "util/GE_UTILS.h"

class TTokenReader {
public:
    // `error` receives the message of the first failure.
    TTokenReader(std::string_view bytes, std::string_view fileName, std::string& error);

    // The next token; false at the end of the file.
    bool Token(const std::string& what, std::string& token);
    // The next token when there is one: false at the end of the file, which is no failure (an optional
    // entry at the end).
    bool Next(std::string& token);
    // Reads and drops `count` tokens (labels).
    bool Skip(const std::string& what, int count);
    // A decimal integer, optionally within low..high.
    bool Integer(const std::string& what, int32_t& value);
    bool Integer(const std::string& what, int32_t low, int32_t high, int32_t& value);
    // A finite real with "." as the decimal separator that fits a float.
    bool Real(const std::string& what, float& value);

    // Records a failure at the current place; always false.
    bool Fail(const std::string& message);

private:
    std::string Place() const;

    TTextSource source_;
    std::string_view fileName_;
    std::string& error_;
};
