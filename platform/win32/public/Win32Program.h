#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace kh::win32 {

// The program's arguments as Windows splits them, without the program's name, in UTF-8.
std::vector<std::string> commandLineArguments();

// A program without a console still says things where someone sees them: stdout and stderr
// go to the console it was started from, if any, or wherever they were redirected. True when
// stdout leads somewhere.
bool attachConsole();

// Help and usage: printed when stdout leads somewhere, else shown in a message box.
void say(std::string_view text, bool error);

// The program must stop: the message in a message box (the line on stderr is the program's).
void showFatalBox(std::string_view message);

// The name the installer and the uninstaller look for (dist/windows/knuffelhatz.nsi): in the
// global namespace, so a copy running in another session counts too.
constexpr const wchar_t* kRunningMutex = L"Global\\Knuffelhatz.Running";

// While it lives, a running copy shows itself to the installer and the uninstaller, which
// then ask for the game to be closed first.
class RunningMark {
 public:
  RunningMark();
  ~RunningMark();
  RunningMark(const RunningMark&) = delete;
  RunningMark& operator=(const RunningMark&) = delete;

 private:
  void* mutex_;
};

}  // namespace kh::win32
