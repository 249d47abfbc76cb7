#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "App.h"
#include "Catalogue.h"
#include "FastClock.h"
#include "Game.h"
#include "HighScoreFile.h"
#include "Options.h"
#include "Places.h"
#include "Report.h"
#include "SdlBackend.h"

int main(int argc, char** argv) {
  const auto parsed = kh::parseOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.error.empty()) {
    kh::reportProblem(parsed.error + "; " + kh::usageLine());
    return 2;
  }
  const kh::Options& options = parsed.options;
  if (options.help) {
    std::cout << kh::helpText();
    return 0;
  }
  if (options.version) {
    std::cout << kh::versionText();
    return 0;
  }
  if (std::error_code ec; options.dataDir && !std::filesystem::is_directory(*options.dataDir, ec)) {
    kh::reportProblem("option --data-dir needs an existing folder, not \"" + kh::shortened(options.dataDir->string()) + "\"; " +
                      kh::usageLine());
    return 2;
  }
  try {
    const kh::Places places = kh::findPlaces(options.dataDir, kh::currentSurroundings(), KH_DATA_FROM_BIN);
    if (places.scoreFile.empty()) {
      kh::reportFatal("no home folder to keep the best score in; start with --data-dir DIR");
      return 1;
    }
    if (places.perUser) {
      if (const auto why = kh::makeFolder(places.scoreFile.parent_path())) {
        // The score file then reports its own failure and the game goes on without it.
        kh::reportProblem("cannot make the folder \"" + places.scoreFile.parent_path().string() + "\": " + *why);
      }
    }
    kh::SdlBackend sdl(kh::SdlOptions{options.scale, places.soundFolders});
    kh::FastClockBackend backend(sdl, options.testClockRate);  // rate 1 unless a test asks
    kh::App app(backend);
    const kh::Catalogue pictures;
    kh::Game game(app, pictures, std::make_unique<kh::HighScoreFile>(places.scoreFile));
    game.splash.Show();
    app.run();
  } catch (const std::exception& e) {
    kh::reportFatal(e.what());
    return 1;
  }
  return 0;
}
