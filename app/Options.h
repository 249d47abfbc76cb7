#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kh {

// What the command line asks for.
struct Options {
  bool help = false;
  bool version = false;
  std::optional<std::filesystem::path> dataDir;
  int scale = 0;  // 0: the backend picks one
  // For tests in real windows only, not in the help: the game's clock runs this many times
  // faster than real time (--test-clock-rate N, 1 to 100).
  int testClockRate = 1;
};

// The outcome of reading the command line: options, or the one problem found.
struct ParsedOptions {
  Options options;
  std::string error;  // empty when the command line is good
};

ParsedOptions parseOptions(const std::vector<std::string>& args);  // without the program name

// An argument as a message shows it: cut short after 40 characters with "...", so that a
// huge argument does not flood the terminal.
std::string shortened(const std::string& arg);

std::string usageLine();
// `scoreHome`: where the best score is kept unless --data-dir says otherwise.
inline constexpr std::string_view kXdgScoreHome =
    "$XDG_DATA_HOME/knuffelhatz/Hi.wbh\n(~/.local/share/knuffelhatz/Hi.wbh when XDG_DATA_HOME is not set)";
std::string helpText(std::string_view scoreHome = kXdgScoreHome);
std::string versionText();

}  // namespace kh
