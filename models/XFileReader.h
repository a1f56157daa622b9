// The reader of .x model files: a single pass over a tokenizer and a fixed table of template names. It
// does not interpret template declarations or GUIDs and skips every block whose name it does not know.
// Text, binary ("xof 0303bin 0032" or "0064": 32- or 64-bit floats) and MSZIP-compressed files
// ("tzip", "bzip": inflated first) give the parser the same tokens.
//
// Text: tokens are separated by comma, semicolon, space, double quote, tab, CR and LF, so array
// punctuation disappears and quoted names arrive without quotes. A slash or hash at the start of a token
// starts a comment to the end of the line. Braces are tokens only when separated from their neighbours.
// Numbers use the period as decimal separator.
//
// Binary: names, strings, braces and keywords are words; every element of an integer or float list is a
// number token of its own; commas and semicolons are skipped.
//
// Every data object may carry a name between its template name and its brace
// (FrameTransformMatrix relative { ... }); the names of frames, meshes, materials and animation sets are
// kept, the others are skipped.
#pragma once

#include <string>
#include <string_view>

class TMesh;

// Parses `bytes` into `mesh`, which the caller has cleared. Returns false with `error` naming `fileName`
// and the place (the line of a text file, the byte of a binary one; counted in the inflated content of a
// compressed one) when the text does not start with "xof" (the mesh stays empty) or is malformed: a
// number that does not convert, a count or index out of range, a template where it cannot be, frames
// nested too deep, the end of the data inside a template or a list, or compressed data that does not
// inflate to the sizes the file gives. What was read before the fault stays in the mesh, and every index
// in it is in range. Never throws.
bool ReadXFile(std::string_view bytes, std::string_view fileName, TMesh& mesh, std::string& error);
