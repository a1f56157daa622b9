#include "util/Log.h"

#include <cstdio>
#include <string>
#include <utility>

namespace logging {

namespace {

Sink& CurrentSink() {
    static Sink sink;
    return sink;
}

}  // namespace

void Write(std::string_view subsystem, std::string_view text) {
    const Sink& sink = CurrentSink();
    if (sink) {
        sink(subsystem, text);
        return;
    }
    std::string line;
    line.reserve(subsystem.size() + text.size() + 4);
    line.append("[").append(subsystem).append("] ").append(text).append("\n");
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

Sink SetSink(Sink sink) {
    Sink previous = std::move(CurrentSink());
    CurrentSink() = std::move(sink);
    return previous;
}

}  // namespace logging
