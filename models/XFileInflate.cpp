#include "models/XFileInflate.h"

#include <zlib.h>

#include <algorithm>

#include "models/XFileTokens.h"

namespace xfile {

namespace {

// A compressed block's data may refer back this far into the output before it.
constexpr size_t kDeflateWindow = 32768;

}  // namespace

void InflateBody(std::string_view file, std::string_view fileName, std::string& out) {
    size_t pos = kHeaderSize;
    auto fail = [&](const std::string& what) {
        throw XFileError{std::string(fileName) + ", byte " + std::to_string(pos) + ": " + what};
    };
    if (file.size() - pos < 4) {
        fail("the file ends before the size of its compressed content");
    }
    const uint32_t total = ReadU32(file.data() + pos);
    pos += 4;
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) {
        fail("the inflater could not start");
    }
    struct End {
        z_stream& stream;
        ~End() { inflateEnd(&stream); }
    } end{stream};
    // The inflated size from the blocks' own sizes, so the output grows once.
    size_t inflated = 0;
    for (size_t at = pos; at + 4 <= file.size() && inflated <= total;
         at += 4u + ReadU16(file.data() + at + 2)) {
        inflated += ReadU16(file.data() + at);
    }
    out.reserve(std::min<size_t>(inflated, total));
    for (int block = 0; pos < file.size(); ++block) {
        if (file.size() - pos < 6) {
            fail("compressed block " + std::to_string(block) + " is cut short");
        }
        const uint16_t size = ReadU16(file.data() + pos);
        const uint16_t packed = ReadU16(file.data() + pos + 2);
        if (packed < 2 || file.size() - pos - 4 < packed || file.compare(pos + 4, 2, "CK") != 0) {
            fail("compressed block " + std::to_string(block) +
                 (packed < 2 || file.size() - pos - 4 < packed ? " runs past the end of the file"
                                                               : " does not start with \"CK\""));
        }
        if (out.size() + size > total) {
            fail("compressed block " + std::to_string(block) + " inflates past the size the file gives (" +
                 std::to_string(total) + " bytes)");
        }
        inflateReset(&stream);
        const size_t dictionary = std::min(out.size(), kDeflateWindow);
        if (dictionary > 0) {
            inflateSetDictionary(&stream,
                                 reinterpret_cast<const Bytef*>(out.data() + out.size() - dictionary),
                                 static_cast<uInt>(dictionary));
        }
        const size_t before = out.size();
        out.resize(before + size);
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(file.data() + pos + 6));
        stream.avail_in = packed - 2u;
        stream.next_out = reinterpret_cast<Bytef*>(out.data() + before);
        stream.avail_out = size;
        const int result = size > 0 ? inflate(&stream, Z_FINISH) : Z_STREAM_END;
        if ((result != Z_STREAM_END && result != Z_OK && result != Z_BUF_ERROR) || stream.avail_out != 0) {
            fail("compressed block " + std::to_string(block) + " is damaged (it does not inflate to its " +
                 std::to_string(size) + " bytes)");
        }
        pos += 4u + packed;
    }
    // Some writers give the size without the header.
    if (out.size() + kHeaderSize != total && out.size() != total) {
        fail("the compressed blocks inflate to " + std::to_string(out.size()) +
             " bytes, but the file gives " + std::to_string(total) + " with its header");
    }
}

}  // namespace xfile
