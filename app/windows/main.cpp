// The Windows program: the same command line and game as everywhere, on the Win32 backend.
#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "App.h"
#include "Catalogue.h"
#include "FastClock.h"
#include "Game.h"
#include "Options.h"
#include "Report.h"
#include "Win32Backend.h"
#include "Win32Places.h"
#include "Win32Program.h"
#include "Win32ScoreStore.h"
#include "Win32Strings.h"

// Plain C++ on the backend's public headers: windows.h stays inside the backend.
#ifdef _WINDOWS_
#error "windows.h reached the entry point"
#endif

namespace {

int run() {
  namespace w = kh::win32;
  w::attachConsole();
  const auto parsed = kh::parseOptions(w::commandLineArguments());
  if (!parsed.error.empty()) {
    w::say(parsed.error + "; " + kh::usageLine(), true);
    return 2;
  }
  const kh::Options& options = parsed.options;
  if (options.help) {
    w::say(kh::helpText("%APPDATA%\\Knuffelhatz\\Hi.wbh"), false);
    return 0;
  }
  if (options.version) {
    w::say(kh::versionText(), false);
    return 0;
  }
  std::optional<std::wstring> dataDir;
  if (options.dataDir) {
    dataDir = options.dataDir->wstring();
    if (std::error_code ec; !std::filesystem::is_directory(*options.dataDir, ec)) {
      w::say("option --data-dir needs an existing folder, not \"" + w::narrow(*dataDir) + "\"; " + kh::usageLine(), true);
      return 2;
    }
  }
  try {
    const w::Win32Places places = w::findWin32Places(dataDir);
    if (places.scoreFile.empty()) {
      w::reportFatal("no folder to keep the best score in; start with --data-dir DIR");
      return 1;
    }
    if (places.perUser) {
      const std::wstring folder = places.scoreFile.substr(0, places.scoreFile.find_last_of(L'\\'));
      // The score file then reports its own failure and the game goes on without it.
      if (const auto why = w::makeFolder(folder))
        kh::reportProblem("cannot make the folder \"" + w::narrow(folder) + "\": " + *why);
    }
    kh::Win32Backend win32(kh::Win32Options{options.scale, places.soundFolders});
    kh::FastClockBackend backend(win32, options.testClockRate);  // rate 1 unless a test asks
    kh::App app(backend);
    const kh::Catalogue pictures;
    kh::Game game(app, pictures, std::make_unique<w::Win32ScoreStore>(places.scoreFile));
    game.splash.Show();
    app.run();
  } catch (const std::exception& e) {
    w::reportFatal(e.what());
    return 1;
  }
  return 0;
}

}  // namespace

// A GUI program (-mwindows) with wide arguments (-municode): the C runtime starts it here.
extern "C" int wmain(int, wchar_t**) { return run(); }
