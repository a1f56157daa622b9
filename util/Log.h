// One small logger: lines "[subsystem] text" on stderr. Tests may capture them.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace logging {

void Write(std::string_view subsystem, std::string_view text);

// Replaces where lines go (nullptr: back to stderr). Returns the previous sink.
using Sink = std::function<void(std::string_view subsystem, std::string_view text)>;
Sink SetSink(Sink sink);

}  // namespace logging
