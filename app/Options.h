#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kh {

// What the command line asks for.
struct Options {
  bool help = false;
  bool version = false;
  std::optional<std::filesystem::path> dataDir;
  int scale = 0;  // 0: the backend picks one
};

// The outcome of reading the command line: options, or the one problem found.
struct ParsedOptions {
  Options options;
  std::string error;  // empty when the command line is good
};

ParsedOptions parseOptions(const std::vector<std::string>& args);  // without the program name

std::string usageLine();
std::string helpText();
std::string versionText();

}  // namespace kh
