// The inflater of compressed .x files, for the model reader (XFileReader.cpp).
#pragma once

#include <string>
#include <string_view>

namespace xfile {

// The body of a compressed file inflated into `out`. After the 16-byte header: the size of the whole file
// once inflated (header included), then blocks of (uint16 inflated size, uint16 compressed size counting
// the "CK" that starts the data, "CK", raw deflate data). Each block is deflated on its own with the
// output before it as its dictionary.
// A fault is thrown as an XFileError naming the file and the byte.
void InflateBody(std::string_view file, std::string_view fileName, std::string& out);

}  // namespace xfile
