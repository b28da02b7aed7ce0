#pragma once

// The one output sink of the program: every log line goes through printLine. The default sink
// writes to standard output; tests replace it to read what the program printed.

#include <functional>
#include <string_view>

namespace zoral::platform::output {

// Receives one line, without its line feed.
using Sink = std::function<void(std::string_view line)>;

// Hands the line to the current sink. Safe from any thread: the sink is called for one line at a
// time, so lines printed by several threads never mix. A sink must not print itself.
void printLine(std::string_view line);

// Installs a sink and returns the one it replaces. An empty function restores the standard-output
// sink. Once this returns, the replaced sink is not called any more.
Sink setSink(Sink sink);

// Writes the line and a line feed to standard output and flushes it.
void writeToStandardOutput(std::string_view line);

}  // namespace zoral::platform::output
