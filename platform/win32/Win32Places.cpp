#include "Win32Places.h"

#include <windows.h>
#include <shlobj.h>

#include "Win32Util.h"

namespace kh::win32 {

Win32Places findWin32Places(const std::optional<std::wstring>& dataDir) {
  Win32Places p;
  if (dataDir) {
    p.soundFolders.push_back(*dataDir);
    p.scoreFile = *dataDir + L"\\Hi.wbh";
  }
  std::wstring exe(32768, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, exe.data(), DWORD(exe.size()));
  exe.resize(n);
  if (const auto slash = exe.find_last_of(L"\\/"); n > 0 && slash != std::wstring::npos)
    p.soundFolders.push_back(exe.substr(0, slash));
  if (dataDir) return p;
  PWSTR roaming = nullptr;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_CREATE, nullptr, &roaming)) && roaming) {
    p.scoreFile = std::wstring(roaming) + L"\\Knuffelhatz\\Hi.wbh";
    p.perUser = true;
  }
  CoTaskMemFree(roaming);
  return p;
}

std::optional<std::string> makeFolder(const std::wstring& folder) {
  const DWORD a = GetFileAttributesW(folder.c_str());
  if (a != INVALID_FILE_ATTRIBUTES) {
    if (a & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
    return "it is not a folder";
  }
  if (const auto slash = folder.find_last_of(L"\\/"); slash != std::wstring::npos && slash > 2) {
    if (auto why = makeFolder(folder.substr(0, slash))) return why;
  }
  if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return errorText(GetLastError());
  return std::nullopt;
}

}  // namespace kh::win32
