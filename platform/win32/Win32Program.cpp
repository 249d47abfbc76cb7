#include "Win32Program.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "Report.h"
#include "Win32Util.h"

namespace kh::win32 {

namespace {

bool leadsSomewhere(DWORD which) {
  HANDLE h = GetStdHandle(which);
  return h && h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_UNKNOWN;
}

void box(std::string_view text, UINT icon) {
  MessageBoxW(nullptr, widen(text).c_str(), L"Knuffelhatz", MB_OK | MB_SETFOREGROUND | icon);
}

}  // namespace

bool attachConsole() {
  if (!leadsSomewhere(STD_OUTPUT_HANDLE) || !leadsSomewhere(STD_ERROR_HANDLE)) {
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
      FILE* f = nullptr;
      if (!leadsSomewhere(STD_OUTPUT_HANDLE)) freopen_s(&f, "CONOUT$", "w", stdout);
      if (!leadsSomewhere(STD_ERROR_HANDLE)) freopen_s(&f, "CONOUT$", "w", stderr);
    }
  }
  return leadsSomewhere(STD_OUTPUT_HANDLE);
}

void say(std::string_view text, bool error) {
  if (leadsSomewhere(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE)) {
    if (error) reportProblem(text);
    else std::fwrite(text.data(), 1, text.size(), stdout), std::fflush(stdout);
    return;
  }
  box(text, error ? MB_ICONWARNING : MB_ICONINFORMATION);
}

std::vector<std::string> commandLineArguments() {
  int count = 0;
  std::vector<std::string> args;
  if (LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count)) {
    for (int i = 1; i < count; ++i) args.push_back(narrow(argv[i]));
    LocalFree(argv);
  }
  return args;
}

void showFatalBox(std::string_view message) {
  box(std::string("Knuffelhatz cannot go on:\n\n") + std::string(message), MB_ICONERROR);
}

// Without the mark (no such namespace, say) the game runs all the same: the installer then
// finds the program file in use.
RunningMark::RunningMark() : mutex_(CreateMutexW(nullptr, FALSE, kRunningMutex)) {}

RunningMark::~RunningMark() {
  if (mutex_) CloseHandle(mutex_);
}

}  // namespace kh::win32
