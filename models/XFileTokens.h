// The tokens of a .x file's body for the model reader (XFileReader.cpp): TokenStream gives the words of
// a text body and the tokens of a binary one (names, strings, braces, keywords and one number token
// per element of an integer or float list), with fast paths that read plain numbers in place. The
// text tokenizer and its number reading are here and in XFileTokens.cpp, the binary tokenizer in
// XFileBinaryTokens.cpp. A fault in the body is thrown as an XFileError naming the file and the place.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

namespace xfile {

// The bytes before the body of a binary or compressed file: "xof ", version, kind, float size.
constexpr size_t kHeaderSize = 16;

struct XFileError {
    std::string message;
};

constexpr std::array<bool, 256> SeparatorTable() {
    std::array<bool, 256> table{};
    for (unsigned char c : {',', ';', ' ', '"', '\t', '\n', '\r'}) {
        table[c] = true;
    }
    return table;
}
constexpr std::array<bool, 256> kSeparator = SeparatorTable();

inline bool IsSeparator(char c) {
    return kSeparator[static_cast<unsigned char>(c)];
}

inline bool IsNumberOrSeparator(char c) {
    return IsSeparator(c) || (c >= '0' && c <= '9') || c == '.' || c == '-';
}
// One token of either kind of body. A text body gives only words. A binary body gives words for names,
// strings, braces and keywords, and one number token for each element of its integer and float lists.
struct Token {
    enum class Kind : uint8_t { End, Word, Integer, Float };
    Kind kind = Kind::End;
    std::string_view text;  // a word
    uint32_t integer = 0;   // an Integer
    double number = 0;      // an Integer or a Float

    bool operator==(std::string_view word) const { return kind == Kind::Word && text == word; }
    bool operator!=(std::string_view word) const { return !(*this == word); }
    bool IsEnd() const { return kind == Kind::End; }
};
// The token for a message: a word quoted safely, a number as a number.
std::string Describe(const Token& token);

// Decimal text to a double (an optional plus sign before the digits is allowed).
bool ParseDecimal(std::string_view text, double& value);
// Decimal text to a count (an optional plus sign before the digits is allowed).
bool ParseCount(std::string_view text, uint32_t& value);

inline uint16_t ReadU16(const char* p) {
    return static_cast<uint16_t>(static_cast<unsigned char>(p[0]) | static_cast<unsigned char>(p[1]) << 8);
}

inline uint32_t ReadU32(const char* p) {
    return static_cast<uint32_t>(ReadU16(p)) | static_cast<uint32_t>(ReadU16(p + 2)) << 16;
}

// Bit 7 of each byte of `t` (bytes xor '0') that was not a decimal digit.
inline uint64_t NonDigits(uint64_t t) {
    // A byte above 9 has bit 7 set in (its low 7 bits + 0x76) or in itself; no carry crosses bytes.
    return (((t & 0x7F7F7F7F7F7F7F7FULL) + 0x7676767676767676ULL) | t) & 0x8080808080808080ULL;
}

// The value of 8 digits 0..9, one a byte, the first in the lowest byte.
inline uint64_t EightDigits(uint64_t v) {
    v = (v * 10) + (v >> 8);
    return (((v & 0x000000FF000000FFULL) * (100 + (1000000ULL << 32))) +
            (((v >> 16) & 0x000000FF000000FFULL) * (1 + (10000ULL << 32)))) >>
           32;
}

// The leading decimal digits of the 8 bytes at `p` (at most 8) and their value: eight digits are
// converted at once instead of one multiplication each.
inline int LeadingDigits(const char* p, uint64_t& value) {
    uint64_t bytes;
    std::memcpy(&bytes, p, 8);
    const uint64_t t = bytes ^ 0x3030303030303030ULL;  // digits become 0..9
    const uint64_t nonDigits = NonDigits(t);
    const int count = nonDigits == 0 ? 8 : __builtin_ctzll(nonDigits) / 8;
    if (count == 0) {
        value = 0;
        return 0;
    }
    value = EightDigits(t << (8 * (8 - count)));  // the digits, led by zeros
    return count;
}

constexpr uint64_t kDigitZeros = 0x3030303030303030ULL;

// The 8 bytes at `p` when they are digits around one decimal point ("0.950000", "12.5000"): the digits'
// value and how many follow the point; -1 for anything else.
inline int EightByteDecimal(const char* p, uint64_t& value) {
    uint64_t bytes;
    std::memcpy(&bytes, p, 8);
    const uint64_t t = bytes ^ 0x3030303030303030ULL;
    const uint64_t nonDigits = NonDigits(t);
    if (nonDigits == 0 || (nonDigits & (nonDigits - 1)) != 0) {
        return -1;
    }
    const int point = __builtin_ctzll(nonDigits) / 8;
    if (static_cast<char>(bytes >> (8 * point)) != '.') {
        return -1;
    }
    // The digits before the point move up one byte over it, behind a leading zero.
    const uint64_t upToPoint = (nonDigits << 1) - 1;
    value = EightDigits(((t << 8) & upToPoint) | (t & ~upToPoint));
    return 7 - point;
}

constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
constexpr double kInversePowersOfTen[] = {1e-0, 1e-1, 1e-2,  1e-3,  1e-4,  1e-5,  1e-6,  1e-7,
                                          1e-8, 1e-9, 1e-10, 1e-11, 1e-12, 1e-13, 1e-14, 1e-15};

// The float of mantissa / 10^fraction (at most 15 digits in all), bit for bit the float of the double
// quotient, mostly without a division: the product with 10^-fraction is within 3 units of the last place
// of that quotient, so both round to the same float unless the product lies that close to halfway between
// two floats (the 29 bits a float drops near 0x10000000); there the quotient itself decides.
inline float DecimalToFloat(uint64_t mantissa, int fraction) {
    const double whole = static_cast<double>(mantissa);
    const double product = whole * kInversePowersOfTen[fraction];
    uint64_t bits;
    std::memcpy(&bits, &product, sizeof bits);
    if (fraction != 0 && (bits & 0x1FFFFFFFu) - (0x10000000u - 8) <= 16) {
        return static_cast<float>(whole / kPowersOfTen[fraction]);
    }
    return static_cast<float>(product);
}

// `value` (not negative) negated when `negative`, without a branch: signs in a list of coordinates
// follow no pattern a branch predictor could learn.
inline float WithSign(float value, bool negative) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    bits |= static_cast<uint32_t>(negative) << 31;
    std::memcpy(&value, &bits, sizeof bits);
    return value;
}

constexpr float kFloatPowersOfTen[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f};

// The float of mantissa / 10^fraction for a mantissa below 2^24 and a fraction of at most 8, bit for bit
// what DecimalToFloat gives, in one float division: both operands are exact floats, so the quotient is
// rounded once. The double quotient rounded to a float is the same float: a halfway point between two
// floats lies at least 2^-24 / 10^8 of the value away from m / 10^fraction (or exactly on it), more than
// the 2^-53 a double can round by.
inline float SmallDecimalToFloat(uint32_t mantissa, int fraction) {
    return static_cast<float>(mantissa) / kFloatPowersOfTen[fraction];
}

// mantissa / 10^fraction as DecimalToFloat gives it, by the shorter way where it applies.
inline float ToFloat(uint64_t mantissa, int fraction) {
    if (mantissa < (1u << 24) && fraction <= 8) {
        return SmallDecimalToFloat(static_cast<uint32_t>(mantissa), fraction);
    }
    return DecimalToFloat(mantissa, fraction);
}

constexpr uint64_t kIntegerPowersOfTen[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
// The tokens of a body, text or binary, and the place of the last one for messages.
class TokenStream {
public:
    enum class Body { Text, Binary };

    TokenStream(std::string_view fileName) : fileName_(fileName) {}

    // `offset`: where the body starts in the data it is part of (binary places count from there);
    // `inflated`: the body was inflated from a compressed file.
    void Start(std::string_view body, Body kind, size_t offset, bool inflated, int floatSize) {
        text_ = body;
        pos_ = 0;
        start_ = 0;
        binary_ = kind == Body::Binary;
        offset_ = offset;
        inflated_ = inflated;
        floatSize_ = floatSize;
        listLeft_ = 0;
        // Every run of separators, digits, periods and minus signs that starts before the guard ends at
        // or before it: the loops over them need not look for the end of the body.
        guard_ = body.size();
        while (guard_ > 0 && IsNumberOrSeparator(body[guard_ - 1])) {
            --guard_;
        }
        guard_ = guard_ > 0 ? guard_ - 1 : 0;
    }

    Token Next() { return binary_ ? NextBinary() : NextText(); }

    // The next token read in place when it is a plain number: in text "-12.5" (15 digits at most, no
    // exponent), in binary an element of a float list (FastNumber) or of an integer list (FastCount).
    // False, with nothing consumed, for anything else: the caller then reads it as a token. The value
    // is the one std::from_chars gives for the same text (see ParseDecimal).
    bool FastNumber(double& value) {
        if (binary_) {
            if (listLeft_ == 0 || !listFloats_) {
                return false;
            }
            value = ListElement().number;
            return true;
        }
        if (!SkipToToken()) {
            return false;
        }
        const char* begin = text_.data() + pos_;
        const char* end = text_.data() + text_.size();
        const char* p = begin;
        const bool negative = *p == '-';
        p += negative ? 1 : 0;
        uint64_t mantissa = 0;
        int digits = 0;
        if (!Digits(p, end, mantissa, digits)) {
            return false;
        }
        int fraction = 0;
        if (p != end && *p == '.') {
            ++p;
            const int before = digits;
            if (!Digits(p, end, mantissa, digits)) {
                return false;
            }
            fraction = digits - before;
        }
        if (digits == 0 || digits > 15 || (p != end && !IsSeparator(*p))) {
            return false;
        }
        value = static_cast<double>(mantissa) / kPowersOfTen[fraction];
        value = negative ? -value : value;
        start_ = pos_;
        pos_ = static_cast<size_t>(p - text_.data());
        return true;
    }

    // The floats of the current binary float list, up to `most`, copied into `out` and checked; 0 when
    // the next token is not one of them.
    size_t FloatRun(float* out, size_t most) {
        if (!binary_) {
            return TextFloatRun(out, most);
        }
        if (listLeft_ == 0 || !listFloats_) {
            return 0;
        }
        const size_t run = std::min<size_t>(listLeft_, most);
        const char* p = text_.data() + pos_;
        const size_t size = floatSize_ / 8;
        bool bad = false;
        if (size == 4) {
            // A float is infinite or not a number when its exponent bits are all set. Each is checked
            // as it is copied, in one pass: reading back what was just stored stalls on every load.
            uint32_t special = 0;
            for (size_t i = 0; i < run; ++i) {
                uint32_t bits;
                std::memcpy(&bits, p + 4 * i, 4);
                special |= static_cast<uint32_t>((bits & 0x7F800000u) == 0x7F800000u);
                std::memcpy(out + i, &bits, 4);
            }
            bad = special != 0;
        } else {
            for (size_t i = 0; i < run; ++i) {
                double value;
                std::memcpy(&value, p + 8 * i, 8);
                bad |= !(std::fabs(value) <= std::numeric_limits<float>::max());
                out[i] = static_cast<float>(value);
            }
        }
        if (bad) {
            // Stop at the faulty element: the caller's Number names it and its place.
            size_t good = 0;
            while (std::fabs(out[good]) <= std::numeric_limits<float>::max()) {
                ++good;
            }
            pos_ += good * size;
            listLeft_ -= static_cast<uint32_t>(good);
            return good;
        }
        pos_ += run * size;
        listLeft_ -= static_cast<uint32_t>(run);
        start_ = pos_ - size;
        return run;
    }

    // Plain whole numbers (text: up to 9 digits; binary: the current integer list), up to `most`, into
    // `out`; stops before the first that is not one.
    size_t IntegerRun(uint32_t* out, size_t most) {
        if (binary_) {
            if (listLeft_ == 0 || listFloats_) {
                return 0;
            }
            const size_t run = std::min<size_t>(listLeft_, most);
            for (size_t i = 0; i < run; ++i) {
                out[i] = ReadU32(text_.data() + pos_ + 4 * i);
            }
            pos_ += 4 * run;
            listLeft_ -= static_cast<uint32_t>(run);
            start_ = pos_ - 4;
            return run;
        }
        return TextRun(out, most, [](bool checked, auto&&... args) {
            return checked ? PlainInteger<true>(args...) : PlainInteger<false>(args...);
        });
    }

    // One whole number of up to 9 digits at p after the separators before it, as PlainFloat.
    template <bool kChecked>
    static bool PlainInteger(const char*& p, const char* end, uint32_t& out, const char*& start) {
        auto more = [end](const char* at) { return !kChecked || at != end; };
        while (more(p) && IsSeparator(*p)) {
            ++p;
        }
        start = p;
        uint32_t value = 0;
        unsigned d;
        for (; more(p) && (d = static_cast<unsigned>(*p - '0')) < 10 && p - start < 9; ++p) {
            value = value * 10 + d;
        }
        if (p == start || (more(p) && !IsSeparator(*p))) {
            p = start;
            return false;
        }
        out = value;
        return true;
    }

    bool FastCount(uint32_t& value) {
        if (binary_) {
            if (listLeft_ == 0 || listFloats_) {
                return false;
            }
            value = ListElement().integer;
            return true;
        }
        if (!SkipToToken()) {
            return false;
        }
        const char* p = text_.data() + pos_;
        const char* end = text_.data() + text_.size();
        uint64_t number = 0;
        int digits = 0;
        if (!Digits(p, end, number, digits) || digits == 0 || digits > 9 || (p != end && !IsSeparator(*p))) {
            return false;
        }
        value = static_cast<uint32_t>(number);
        start_ = pos_;
        pos_ = static_cast<size_t>(p - text_.data());
        return true;
    }

    // An upper bound for a count read from the file: every element takes at least one byte.
    uint32_t Plausible(uint32_t count) const {
        return static_cast<uint32_t>(std::min<size_t>(count, text_.size() - pos_));
    }

    [[noreturn]] void Fail(const std::string& what) const {
        throw XFileError{fileName_ + ", " + Place() + ": " + what};
    }

private:
    // The plain numbers of a text body (as FastNumber reads them), up to `most`, into `out`; stops
    // before the first that is not one.
    size_t TextFloatRun(float* out, size_t most) {
        return TextRun(out, most, [](bool checked, auto&&... args) {
            return checked ? PlainFloat<true>(args...) : PlainFloat<false>(args...);
        });
    }

    // Up to `most` numbers of a text body into `out`, each read by `read` (a PlainFloat or PlainInteger,
    // checked unless it starts before the guard); stops before the first that is not plain. A loop of
    // its own, so the place lives in a register.
    template <typename Value, typename Read>
    size_t TextRun(Value* out, size_t most, Read read) {
        const char* base = text_.data();
        const char* p = base + pos_;
        const char* end = base + text_.size();
        const char* guard = base + guard_;
        const char* last = base + start_;
        size_t n = 0;
        for (; n < most; ++n) {
            const char* start;
            if (!read(p >= guard, p, end, out[n], start)) {
                break;
            }
            last = start;
        }
        pos_ = static_cast<size_t>(p - base);
        start_ = static_cast<size_t>(last - base);
        return n;
    }

    // One plain number at p after the separators before it: `start` is where it begins and p moves
    // past it. False, with p at its start, when there is none. Unchecked (kChecked false), the loops over
    // separators and digits do not look for the end of the body: p must be before the guard byte.
    template <bool kChecked>
    static bool PlainFloat(const char*& p, const char* end, float& out, const char*& start) {
        auto more = [end](const char* at) { return !kChecked || at != end; };
        while (more(p) && IsSeparator(*p)) {
            ++p;
        }
        start = p;
        const bool negative = more(p) && *p == '-';
        p += negative ? 1 : 0;
        uint64_t mantissa = 0;
        unsigned d;
        if (!kChecked && end - p >= 8) {
            // The most usual shape of all, "0.436416": one digit, the period, six digits.
            uint64_t bytes;
            std::memcpy(&bytes, p, 8);
            const uint64_t t = bytes ^ kDigitZeros;
            if (NonDigits(t) == 0x8000 && (t & 0xFF00) == ('.' ^ '0') << 8 && IsSeparator(p[8])) {
                const uint64_t digits = EightDigits(((t << 8) & 0xFFFF) | (t & ~0xFFFFULL));
                out = WithSign(SmallDecimalToFloat(static_cast<uint32_t>(digits), 6), negative);
                p += 8;
                return true;
            }
        }
        if (end - p >= 8) {
            // The usual shape of an exporter's number, "0.950000" or "12.500000": its first 8 bytes at
            // once, then the digits after them.
            int fraction = EightByteDecimal(p, mantissa);
            if (fraction >= 0) {
                const char* q = p + 8;
                if (!more(q) || IsSeparator(*q)) {
                    out = WithSign(SmallDecimalToFloat(static_cast<uint32_t>(mantissa), fraction), negative);
                    p = q;
                    return true;
                }
                for (int digits = 7; more(q) && (d = static_cast<unsigned>(*q - '0')) < 10 && digits < 15;
                     ++q, ++digits) {
                    mantissa = mantissa * 10 + d;
                    ++fraction;
                }
                if (!more(q) || IsSeparator(*q)) {
                    out = WithSign(ToFloat(mantissa, fraction), negative);
                    p = q;
                    return true;
                }
            }
            mantissa = 0;
        }
        int digits = 0;
        for (; more(p) && (d = static_cast<unsigned>(*p - '0')) < 10; ++p) {
            mantissa = mantissa * 10 + d;
            ++digits;
        }
        int fraction = 0;
        if (more(p) && *p == '.') {
            ++p;
            for (; more(p) && (d = static_cast<unsigned>(*p - '0')) < 10; ++p) {
                mantissa = mantissa * 10 + d;
                ++fraction;
            }
            digits += fraction;
        }
        if (digits == 0 || digits > 15 || (more(p) && !IsSeparator(*p))) {
            p = start;
            return false;
        }
        out = WithSign(ToFloat(mantissa, fraction), negative);
        return true;
    }

    // Skips separators; false at the end of the body or at a comment (left to Next).
    bool SkipToToken() {
        const size_t size = text_.size();
        while (pos_ < size && IsSeparator(text_[pos_])) {
            ++pos_;
        }
        return pos_ < size && text_[pos_] != '/' && text_[pos_] != '#';
    }

    // Appends the decimal digits at `p` to `mantissa`, eight at a time while eight bytes remain; false
    // when there are too many for the short path.
    static bool Digits(const char*& p, const char* end, uint64_t& mantissa, int& digits) {
        for (;;) {
            if (end - p >= 8) {
                uint64_t chunk;
                const int count = LeadingDigits(p, chunk);
                if (digits + count > 15) {
                    return false;
                }
                mantissa = mantissa * kIntegerPowersOfTen[count] + chunk;
                digits += count;
                p += count;
                if (count < 8) {
                    return true;
                }
            } else {
                for (; p != end && static_cast<unsigned>(*p - '0') < 10; ++p) {
                    if (++digits > 15) {
                        return false;
                    }
                    mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
                }
                return true;
            }
        }
    }

    std::string Place() const;

    Token NextText();

    __attribute__((always_inline)) const char* Take(size_t bytes, const char* what) {
        if (__builtin_expect(text_.size() - pos_ < bytes, 0)) {
            FailPastEnd(what);
        }
        const char* p = text_.data() + pos_;
        pos_ += bytes;
        return p;
    }

    [[noreturn]] __attribute__((noinline, cold)) void FailPastEnd(const char* what) const {
        Fail(std::string(what) + " runs past the end of the file");
    }

    Token ListElement() {
        --listLeft_;
        start_ = pos_;
        Token token;
        const char* p = text_.data() + pos_;
        if (!listFloats_) {
            token.kind = Token::Kind::Integer;
            token.integer = ReadU32(p);
            token.number = token.integer;
            pos_ += 4;
        } else if (floatSize_ == 64) {
            token.kind = Token::Kind::Float;
            std::memcpy(&token.number, p, 8);
            pos_ += 8;
        } else {
            float value;
            std::memcpy(&value, p, 4);
            token.kind = Token::Kind::Float;
            token.number = value;
            pos_ += 4;
        }
        return token;
    }

    static Token Word(std::string_view text) {
        Token token;
        token.kind = Token::Kind::Word;
        token.text = text;
        return token;
    }

    Token NextBinary();

    std::string fileName_;
    std::string_view text_;
    size_t pos_ = 0;
    size_t start_ = 0;  // where the last token began
    bool binary_ = false;
    size_t offset_ = 0;
    bool inflated_ = false;
    int floatSize_ = 32;
    uint32_t listLeft_ = 0;  // elements of the current binary list still to give
    size_t guard_ = 0;       // the last byte of a text body that is none of IsNumberOrSeparator's (or 0)
    bool listFloats_ = false;
};

}  // namespace xfile
