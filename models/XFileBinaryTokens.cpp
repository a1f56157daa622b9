// The binary tokenizer: a binary body is a run of 16-bit token types, each followed by its data.
#include "models/XFileTokens.h"

namespace xfile {

Token TokenStream::NextBinary() {
    if (listLeft_ > 0) {
        return ListElement();
    }
    for (;;) {
        start_ = pos_;
        if (pos_ >= text_.size()) {
            return {};
        }
        const uint16_t type = ReadU16(Take(2, "a token"));
        switch (type) {
            case 1:    // name
            case 2: {  // string, then the separator token that ends it
                const uint32_t length = ReadU32(Take(4, "the length of a name"));
                const std::string_view text(Take(length, type == 1 ? "a name" : "a string"), length);
                if (type == 2) {
                    Take(2, "the end of a string");
                }
                return Word(text);
            }
            case 3: {
                listFloats_ = false;
                listLeft_ = 1;
                Take(4, "an integer");
                pos_ -= 4;
                return ListElement();
            }
            case 5:
                Take(16, "a GUID");
                return Word("<guid>");
            case 6:
            case 7: {
                const uint32_t count = ReadU32(Take(4, "the length of a list"));
                listFloats_ = type == 7;
                const size_t element = listFloats_ ? static_cast<size_t>(floatSize_ / 8) : 4;
                Take(count * element, type == 6 ? "an integer list" : "a float list");
                pos_ -= count * element;
                if (count == 0) {
                    continue;
                }
                listLeft_ = count;
                return ListElement();
            }
            case 10:
                return Word("{");
            case 11:
                return Word("}");
            case 19:  // comma
            case 20:  // semicolon
                continue;
            default: {
                // Types 12 to 31; 19 and 20 (comma, semicolon) are taken above.
                static constexpr const char* kWords[] = {
                    "(",     ")",     "[",     "]",     "<",     ">",     ".",     nullptr, nullptr, nullptr,
                    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, "template"};
                static constexpr const char* kTypes[] = {"WORD",    "DWORD",   "FLOAT",  "DOUBLE", "CHAR",
                                                         "UCHAR",   "SWORD",   "SDWORD", "void",   "string",
                                                         "unicode", "cstring", "array"};
                if (type >= 12 && type <= 31 && kWords[type - 12] != nullptr) {
                    return Word(kWords[type - 12]);
                }
                if (type >= 40 && type <= 52) {
                    return Word(kTypes[type - 40]);
                }
                Fail("unknown binary token type " + std::to_string(type));
            }
        }
    }
}

}  // namespace xfile
