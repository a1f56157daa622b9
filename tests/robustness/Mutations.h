// Deterministic damage for the robustness tests: every input a reader gets here is derived from a real
// file (or a small hand-written one) by a fixed recipe and a fixed seed, so a failure names a case that
// comes back on every run.
//
// Each case carries a short description ("flip at 1234 to 0x7f") that the checks print when a reader
// misbehaves on it.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "tests/robustness/AllocationWatch.h"

namespace robustness {

struct Case {
    std::string what;
    std::string bytes;
};

// A file of the repository's Data folder (a real path relative to the source tree).
inline std::string ReadShipped(const std::string& relative) {
    std::ifstream in(std::string(BRELVOX_SOURCE_DIR) + "/" + relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// xorshift64*: the same sequence on every platform and standard library.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed == 0 ? 0x9E3779B97F4A7C15ull : seed) {}
    uint64_t Next() {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        return state_ * 0x2545F4914F6CDD1Dull;
    }
    std::size_t Below(std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(Next() % n); }

private:
    uint64_t state_;
};

// Every length up to `dense`, then `spread` more lengths evenly up to the whole file.
inline void AddTruncations(const std::string& bytes, std::size_t dense, std::size_t spread,
                           std::vector<Case>& out) {
    for (std::size_t n = 0; n <= dense && n < bytes.size(); ++n) {
        out.push_back({"cut to " + std::to_string(n) + " bytes", bytes.substr(0, n)});
    }
    for (std::size_t i = 1; i <= spread; ++i) {
        const std::size_t n = bytes.size() * i / (spread + 1);
        if (n > dense) {
            out.push_back({"cut to " + std::to_string(n) + " bytes", bytes.substr(0, n)});
        }
    }
}

// The bytes a text reader cares most about, mixed into the random ones.
inline char InterestingByte(Random& random) {
    static const char kBytes[] = {' ', '\n', '\r', '\t', '{', '}', '"',  ';',    ',',    '.',
                                  '-', '+',  '0',  '9',  'e', '/', '\0', '\x7f', '\xff', '\x80'};
    if (random.Below(2) == 0) {
        return kBytes[random.Below(sizeof kBytes)];
    }
    return static_cast<char>(random.Below(256));
}

// `count` single-byte replacements at seeded positions (below `within`, the whole file by default).
inline void AddFlips(const std::string& bytes, std::size_t count, uint64_t seed, std::vector<Case>& out,
                     std::size_t within = std::string::npos) {
    if (bytes.empty()) {
        return;
    }
    Random random(seed);
    for (std::size_t i = 0; i < count; ++i) {
        std::string damaged = bytes;
        const std::size_t at = random.Below(std::min(damaged.size(), within));
        const char c = random.Below(3) == 0 ? static_cast<char>(damaged[at] ^ (1 << random.Below(8)))
                                            : InterestingByte(random);
        damaged[at] = c;
        out.push_back(
            {"byte " + std::to_string(at) + " set to " + std::to_string(static_cast<unsigned char>(c)),
             std::move(damaged)});
    }
}

// `count` single-byte insertions at seeded positions.
inline void AddInsertions(const std::string& bytes, std::size_t count, uint64_t seed,
                          std::vector<Case>& out) {
    Random random(seed);
    for (std::size_t i = 0; i < count; ++i) {
        std::string damaged = bytes;
        const std::size_t at = random.Below(damaged.size() + 1);
        const char c = InterestingByte(random);
        damaged.insert(damaged.begin() + static_cast<std::ptrdiff_t>(at), c);
        out.push_back(
            {"byte " + std::to_string(static_cast<unsigned char>(c)) + " inserted at " + std::to_string(at),
             std::move(damaged)});
    }
}

// Where the numbers of a text are: runs that start with a digit, or a sign or point before one.
inline std::vector<std::pair<std::size_t, std::size_t>> NumberSpans(std::string_view text) {
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    auto part = [&](char c) { return digit(c) || c == '.' || c == ',' || c == 'e' || c == 'E'; };
    std::vector<std::pair<std::size_t, std::size_t>> spans;
    std::size_t i = 0;
    while (i < text.size()) {
        const bool sign = (text[i] == '-' || text[i] == '+') && i + 1 < text.size() && digit(text[i + 1]);
        if (digit(text[i]) || sign) {
            const std::size_t start = i;
            i += sign ? 2 : 1;
            while (i < text.size() && part(text[i]) &&
                   !(text[i] == ',' && (i + 1 >= text.size() || !digit(text[i + 1])))) {
                ++i;
            }
            spans.emplace_back(start, i - start);
        } else {
            ++i;
        }
    }
    return spans;
}

// Values that have broken readers before: the edges of 32 bits, beyond them, signs, words, nothing.
inline const std::vector<std::string>& HostileNumbers() {
    static const std::vector<std::string> kValues = {"2147483647",
                                                     "2147483648",
                                                     "-2147483648",
                                                     "-2147483649",
                                                     "4294967295",
                                                     "4294967296",
                                                     "-1",
                                                     "0",
                                                     "2000000000",
                                                     "1000000000",
                                                     "65535",
                                                     "65536",
                                                     "99999999999999999999999",
                                                     "-0",
                                                     "1e39",
                                                     "-1e39",
                                                     "1e-50",
                                                     "nan",
                                                     "inf",
                                                     "-inf",
                                                     "0x10",
                                                     "x",
                                                     "",
                                                     "--1",
                                                     "+-1",
                                                     "1,,5",
                                                     "1..5",
                                                     "1e",
                                                     "1e+",
                                                     ".",
                                                     ",",
                                                     "-",
                                                     "+",
                                                     "\"",
                                                     "{",
                                                     "}",
                                                     "1 2",
                                                     "\x01",
                                                     "\xff\xfe"};
    return kValues;
}

// `count` cases, each with one number of the text replaced by a hostile value, spread over the text.
inline void AddNumberReplacements(const std::string& text, std::size_t count, uint64_t seed,
                                  std::vector<Case>& out) {
    const auto spans = NumberSpans(text);
    if (spans.empty()) {
        return;
    }
    const auto& values = HostileNumbers();
    Random random(seed);
    for (std::size_t i = 0; i < count; ++i) {
        // Evenly over the numbers, so the header's counts and the last entries are both hit.
        const auto& span = spans[(i * spans.size() / count + random.Below(3)) % spans.size()];
        const std::string& value = values[random.Below(values.size())];
        std::string damaged = text;
        damaged.replace(span.first, span.second, value);
        out.push_back({"number \"" + text.substr(span.first, span.second) + "\" at " +
                           std::to_string(span.first) + " replaced by \"" + value + "\"",
                       std::move(damaged)});
    }
}

// Every number of the first `firstNumbers` of the text replaced by each hostile value: the counts and
// sizes that headers carry.
inline void AddHeaderNumberReplacements(const std::string& text, std::size_t firstNumbers,
                                        std::vector<Case>& out) {
    const auto spans = NumberSpans(text);
    for (std::size_t n = 0; n < firstNumbers && n < spans.size(); ++n) {
        for (const std::string& value : HostileNumbers()) {
            std::string damaged = text;
            damaged.replace(spans[n].first, spans[n].second, value);
            out.push_back({"header number " + std::to_string(n) + " replaced by \"" + value + "\"",
                           std::move(damaged)});
        }
    }
}

// The standard treatment of a text file: truncations, flips, insertions, hostile numbers.
inline std::vector<Case> TextMutations(const std::string& text, uint64_t seed, std::size_t flips,
                                       std::size_t numbers) {
    std::vector<Case> cases;
    AddTruncations(text, 48, 48, cases);
    AddFlips(text, flips, seed, cases);
    AddInsertions(text, flips / 2, seed + 1, cases);
    AddNumberReplacements(text, numbers, seed + 2, cases);
    AddHeaderNumberReplacements(text, 4, cases);
    return cases;
}

// What a reader said about one input.
struct Outcome {
    bool ok = false;
    std::string message;  // the error (or the logged message) when !ok
};

// Feeds every case to `read` and checks the contract: success, or a failure whose message is not empty
// and names `fileName`, and no single allocation beyond kAbsurdAllocation. Reports at most a few cases per
// reader so a broken reader does not flood the log. `read` must not throw.
inline void ExpectNamedFailures(const std::vector<Case>& cases, std::string_view fileName,
                                const std::function<Outcome(const std::string&)>& read) {
    int reported = 0;
    std::size_t failures = 0;
    for (const Case& c : cases) {
        Outcome outcome;
        ResetLargestAllocation();
        try {
            outcome = read(c.bytes);
        } catch (const std::exception& e) {
            ADD_FAILURE() << "exception \"" << e.what() << "\" escaped on: " << c.what;
            continue;
        }
        if (LargestAllocation() > kAbsurdAllocation) {
            ADD_FAILURE() << "reading \"" << fileName << "\" asked for " << LargestAllocation()
                          << " bytes at once (" << c.what << ")";
        }
        if (outcome.ok) {
            continue;
        }
        ++failures;
        if (outcome.message.find(fileName) == std::string::npos && reported < 5) {
            ++reported;
            ADD_FAILURE() << "the message does not name \"" << fileName << "\" (" << c.what
                          << "): " << outcome.message;
        }
    }
    // The damage must reach the reader: a recipe that breaks nothing tests nothing.
    EXPECT_GT(failures, 0u) << "no case made the reader of \"" << fileName << "\" fail";
}

}  // namespace robustness
