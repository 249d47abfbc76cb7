// The desktop program on Linux and other POSIX systems: the SDL backend, files in XDG places.
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "HighScoreFile.h"
#include "Places.h"
#include "Program.h"
#include "Report.h"
#include "SdlBackend.h"

namespace {

class DesktopHost : public kh::Host {
 public:
  DesktopHost() { kh::ignoreBrokenPipes(); }

  void say(std::string_view text, bool error) override {
    if (error) kh::reportProblem(text);
    else std::cout << text;
  }
  void showFatal(std::string_view message) override { kh::showFatalBox(message); }
  std::string scoreHome() const override { return std::string(kh::kXdgScoreHome); }

  kh::Platform& open(const kh::Options& options) override {
    places_ = kh::findPlaces(options.dataDir, kh::currentSurroundings(), KH_DATA_FROM_BIN);
    if (places_.scoreFile.empty())
      throw std::runtime_error("no home folder to keep the best score in; start with --data-dir DIR");
    if (places_.perUser) {
      if (const auto why = kh::makeFolder(places_.scoreFile.parent_path())) {
        // The score file then reports its own failure and the game goes on without it.
        kh::reportProblem("cannot make the folder \"" + places_.scoreFile.parent_path().string() + "\": " + *why);
      }
    }
    sdl_.emplace(places_.soundFolders);
    return sdl_->platform;
  }
  std::unique_ptr<kh::ScoreBytes> scoreBytes() override { return std::make_unique<kh::HighScoreFile>(places_.scoreFile); }

 private:
  kh::Places places_;
  std::optional<kh::SdlBackend> sdl_;
};

}  // namespace

int main(int argc, char** argv) {
  DesktopHost host;
  return kh::runProgram(host, std::vector<std::string>(argv + 1, argv + argc));
}
