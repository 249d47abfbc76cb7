// The Windows program: the same command line and game as everywhere, on the Win32 backend,
// the best score and the sounds where Windows keeps them.
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "Program.h"
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

namespace w = kh::win32;

class WindowsHost : public kh::Host {
 public:
  WindowsHost() { w::attachConsole(); }

  void say(std::string_view text, bool error) override { w::say(text, error); }
  void showFatal(std::string_view message) override { w::showFatalBox(message); }
  std::string scoreHome() const override { return "%APPDATA%\\Knuffelhatz\\Hi.wbh"; }

  kh::Platform& open(const kh::Options& options) override {
    std::optional<std::wstring> dataDir;
    if (options.dataDir) dataDir = options.dataDir->wstring();
    places_ = w::findWin32Places(dataDir);
    if (places_.scoreFile.empty()) throw std::runtime_error("no folder to keep the best score in; start with --data-dir DIR");
    if (places_.perUser) {
      const std::wstring folder = places_.scoreFile.substr(0, places_.scoreFile.find_last_of(L'\\'));
      // The score file then reports its own failure and the game goes on without it.
      if (const auto why = w::makeFolder(folder))
        kh::reportProblem("cannot make the folder \"" + w::narrow(folder) + "\": " + *why);
    }
    running_.emplace();
    backend_.emplace(places_.soundFolders);
    return backend_->platform;
  }
  std::unique_ptr<kh::ScoreBytes> scoreBytes() override { return std::make_unique<w::Win32ScoreStore>(places_.scoreFile); }

 private:
  std::optional<w::RunningMark> running_;
  w::Win32Places places_;
  std::optional<kh::Win32Backend> backend_;
};

}  // namespace

// A GUI program (-mwindows) with wide arguments (-municode): the C runtime starts it here.
extern "C" int wmain(int, wchar_t**) {
  WindowsHost host;
  return kh::runProgram(host, w::commandLineArguments());
}
