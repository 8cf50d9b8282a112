#pragma once
// tavrin-cli: count, list, extract and convert icons from scripts, with the same engine calls as
// the window, so that both give the same files for the same source.
#include <ostream>
#include <span>
#include <string>

namespace tavrin {

inline constexpr int kExitOk = 0;
inline constexpr int kExitSourceFailed = 1;
inline constexpr int kExitUsage = 2;

// Runs one command line (without the program name). Results go to out, messages to err; a
// progress line is drawn on err only when it is a terminal.
int RunCli(std::span<const std::string> args, std::ostream& out, std::ostream& err,
           bool errIsTerminal);

}  // namespace tavrin
