// Small helpers shared by the readers of the game's text files and by every screen-space drawing call:
// a whitespace tokenizer and a line reader over bytes in memory, two path splitters, pixel-to-screen
// conversions, and TListPointer, the list of owned entries the texture and mesh caches hold.
//
// Text is byte-oriented: 8-bit characters, no encoding conversion.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// A text file held in memory with a read position. The tokenizer and the line reader consume from it.
// It owns its bytes, so a reader built from a file outlives the file handle.
class TTextSource {
public:
    TTextSource() = default;
    explicit TTextSource(std::string bytes) : bytes_(std::move(bytes)) {}

    bool Eof() const { return position_ >= bytes_.size(); }
    std::size_t Position() const { return position_; }
    std::string_view Bytes() const { return bytes_; }
    // The 1-based line the read position is on (for messages).
    int Line() const;

    // The next byte, consumed; -1 at the end.
    int ReadByte() { return Eof() ? -1 : static_cast<unsigned char>(bytes_[position_++]); }
    // The next byte without consuming it; -1 at the end.
    int PeekByte() const { return Eof() ? -1 : static_cast<unsigned char>(bytes_[position_]); }

private:
    std::string bytes_;
    std::size_t position_ = 0;
};

// The next token: blanks (TAB, LF, CR, space) are skipped, then bytes are taken up to the next blank,
// which is consumed and not part of the token. At the end of the text the result is empty.
std::string ReadToken(TTextSource& source);

// One whole line with its blanks kept. The line ends at CR LF, LF or a lone CR (consumed, not returned)
// or at the end of the text; at the end the result is empty.
std::string ReadLine(TTextSource& source);

// Parses a whole token as a decimal 32-bit integer (optional sign, digits only). False for anything
// else, including an empty token and values out of range.
bool ParseInteger(std::string_view token, int32_t& value);

// A piece of a file's content made safe to quote in a message (terminal or message box), in double
// quotes: printable ASCII stands as it is; '"' and '\\' are escaped with a backslash; high bytes are read
// as UTF-8 when the whole piece is well-formed UTF-8, else as Windows-1251 (the language files'
// encoding), whose Cyrillic letters are shown in UTF-8; every other byte is written \xNN. More than
// `maxBytes` bytes are cut (never inside a character) and the quote ends in "...".
std::string QuoteForMessage(std::string_view bytes, std::size_t maxBytes = 48);
// The same for a file's name as a message gives it (the game's paths are written the Windows way, and
// a name may come from another file: a level in the level list, a texture in a model): a backslash
// stands as it is, so "Data\maps\level1.txt" reads as written.
std::string QuotePathForMessage(std::string_view path, std::size_t maxBytes = 160);

// A language line with its placeholders filled: every "%1" becomes values[0], "%2" values[1], and so on.
std::string FillPlaceholders(std::string line, const std::vector<std::string>& values);

// The part after the last "\" or "/" (the whole path when there is none; empty when it ends with one).
std::string ExtractFileNamePart(std::string_view path);
// The part up to and including the last "\" or "/"; empty when there is none.
std::string ExtractDirPart(std::string_view path);

// Reference pixels to the renderer's screen space: x from -1 (left) to 1 (right), y from 1 (top) to -1
// (bottom). Division in floating point; a zero width or height gives 0 instead of a division by zero.
float PixelToNdcX(int32_t x, int32_t width);
float PixelToNdcY(int32_t y, int32_t height);
float SizeToNdcW(int32_t w, int32_t width);
float SizeToNdcH(int32_t h, int32_t height);

// A growable list of owned elements with swap-with-last removal: the texture and mesh caches hold
// their entries in one. Pointers to the elements stay valid while the elements are in the list.
template <typename T>
class TListPointer {
public:
    static constexpr uint16_t kMaxCount = 65535;

    bool Full() const { return items_.size() >= kMaxCount; }
    // Appends in the last slot and returns the element. A full list refuses: the element is freed and
    // the result is nullptr.
    T* Add(std::unique_ptr<T> item) {
        assert(!Full() && "TListPointer::Add: list is full");
        if (Full()) {
            return nullptr;
        }
        items_.push_back(std::move(item));
        return items_.back().get();
    }
    // Frees slot `index`, moving the last element into it (order is not kept). An index past the end
    // does nothing.
    void Delete(uint16_t index) {
        if (index >= items_.size()) {
            return;
        }
        if (index != items_.size() - 1) {
            std::swap(items_[index], items_.back());
        }
        items_.pop_back();
    }
    // Frees every element.
    void Clear() {
        items_.clear();
        items_.shrink_to_fit();
    }

    uint16_t Count() const { return static_cast<uint16_t>(items_.size()); }
    T* Item(uint16_t index) const { return index < items_.size() ? items_[index].get() : nullptr; }

private:
    std::vector<std::unique_ptr<T>> items_;
};
