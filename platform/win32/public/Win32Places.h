#pragma once
#include <optional>
#include <string>
#include <vector>

namespace kh::win32 {

// Where things live on Windows.
struct Win32Places {
  std::vector<std::wstring> soundFolders;  // --data-dir, then the program's own folder
  std::wstring scoreFile;                  // empty when no folder for it can be found
  bool perUser = false;                    // %APPDATA%\Knuffelhatz, made on first use
};
Win32Places findWin32Places(const std::optional<std::wstring>& dataDir);

// Makes the folder and its missing parents; the reason when that fails.
std::optional<std::string> makeFolder(const std::wstring& folder);

}  // namespace kh::win32
