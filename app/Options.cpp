#include "Options.h"

#include <charconv>

namespace kh {

namespace {

bool parseWhole(const std::string& text, int lo, int hi, int& out) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || value < lo || value > hi) return false;
  out = value;
  return true;
}

}  // namespace

ParsedOptions parseOptions(const std::vector<std::string>& args) {
  ParsedOptions r;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::optional<std::string> value;
    if (const auto eq = name.find('='); name.starts_with("--") && eq != std::string::npos) {
      value = name.substr(eq + 1);
      name.resize(eq);
    }
    const bool takesValue = name == "--data-dir" || name == "--scale" || name == "--test-clock-rate";
    if (!takesValue && value) {
      r.error = "option " + shortened(name) + " takes no value";
      return r;
    }
    if (takesValue && !value) {
      if (i + 1 == args.size()) {
        r.error = "option " + name + " needs a value";
        return r;
      }
      value = args[++i];
    }
    if (name == "--help" || name == "-h") {
      r.options.help = true;
    } else if (name == "--version") {
      r.options.version = true;
    } else if (name == "--data-dir") {
      if (value->empty()) {
        r.error = "option --data-dir needs a folder";
        return r;
      }
      // UTF-8 on every platform: Windows' paths would otherwise read the bytes as its code page.
      r.options.dataDir = std::filesystem::path(std::u8string(value->begin(), value->end()));
    } else if (name == "--scale") {
      if (!parseWhole(*value, 1, 8, r.options.scale)) {
        r.error = "option --scale takes a whole number from 1 to 8, not \"" + shortened(*value) + "\"";
        return r;
      }
    } else if (name == "--test-clock-rate") {
      if (!parseWhole(*value, 1, 100, r.options.testClockRate)) {
        r.error = "option --test-clock-rate takes a whole number from 1 to 100, not \"" + shortened(*value) + "\"";
        return r;
      }
    } else {
      r.error = (name.starts_with("-") ? "unknown option " : "unexpected argument ") + shortened(name);
      return r;
    }
  }
  return r;
}

std::string shortened(const std::string& arg) {
  constexpr std::size_t kShown = 40;
  if (arg.size() <= kShown) return arg;
  // Cut on a character boundary: never in the middle of a UTF-8 sequence.
  std::size_t cut = kShown;
  while (cut > 0 && (static_cast<unsigned char>(arg[cut]) & 0xC0) == 0x80) --cut;
  return arg.substr(0, cut) + "...";
}

std::string usageLine() { return "usage: knuffelhatz [--help] [--version] [--data-dir DIR] [--scale N]"; }

std::string helpText(std::string_view scoreHome) {
  return usageLine() +
         "\n\nA small mouse shooting game: hit the creature and its lantern within 90 seconds.\n\n"
         "  -h, --help          show this help and exit\n"
         "      --version       show the version and exit\n"
         "      --data-dir DIR  keep the best score (Hi.wbh) in DIR and look for the\n"
         "                      sounds there first\n"
         "      --scale N       show the windows N times their size (1 to 8); by default\n"
         "                      a scale that suits the screen\n\n"
         "The best score is kept in " +
         std::string(scoreHome) + ".\n";
}

std::string versionText() { return std::string("knuffelhatz ") + KH_VERSION + "\n"; }

}  // namespace kh
