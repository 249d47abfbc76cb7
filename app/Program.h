#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Options.h"
#include "Platform.h"
#include "ScoreStore.h"

namespace kh {

// What an entry point hands the program: its platform's own ways of saying things, and the
// platform itself, made when the program asks for it. Everything else is the program's.
class Host {
 public:
  virtual ~Host() = default;
  // Help, version and usage, where the person who started the program sees them.
  virtual void say(std::string_view text, bool error) = 0;
  // The program must stop: the message where a player sees it, beyond the line on stderr
  // the program has written (a message box, the page).
  virtual void showFatal(std::string_view message) = 0;
  // Where the best score is kept unless --data-dir says otherwise, as the help tells it.
  virtual std::string scoreHome() const = 0;
  // The platform to play on, as `options` ask, kept by the host until it ends; throws
  // std::runtime_error when there is none (no display, no folder for the best score).
  virtual Platform& open(const Options& options) = 0;
  // Where the best score's bytes are kept; after open().
  virtual std::unique_ptr<ScoreBytes> scoreBytes() = 0;
};

// The whole program: the command line (`args` without the program's name, in UTF-8), the
// platform, the game and its loop, and a fatal error told once. Returns the exit status:
// 0, 1 when the program had to stop, 2 for a bad command line.
int runProgram(Host& host, const std::vector<std::string>& args);

// The program must stop: one line on stderr and the host's own way of showing it.
void reportFatal(Host& host, std::string_view message);

}  // namespace kh
