// The reader of text .x model files: a single pass over a whitespace tokenizer and a fixed table of
// template names. It does not interpret template declarations, GUIDs or binary files and skips every
// block whose name it does not know.
//
// Tokens are separated by comma, semicolon, space, double quote, tab, CR and LF, so array punctuation
// disappears and quoted names arrive without quotes. A slash at the start of a token starts a comment
// to the end of the line. Braces are tokens only when separated from their neighbours. Numbers use the
// period as decimal separator.
#pragma once

#include <string>
#include <string_view>

class TMesh;

// Parses `bytes` into `mesh`, which the caller has cleared. Returns false with `error` naming `fileName`
// and the line when the text does not start with "xof" (the mesh stays empty) or is malformed: a number
// that does not convert, a count or index out of range, a template where it cannot be, frames nested
// too deep, or the end of the text inside a template. What was read before the fault stays in the mesh,
// and every index in it is in range. Never throws.
bool ReadXFile(std::string_view bytes, std::string_view fileName, TMesh& mesh, std::string& error);
