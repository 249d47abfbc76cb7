#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "Win32Util.h"

namespace kh::win32 {

// Opens a plain file on a disk, never anything that could block or lead elsewhere: the name
// is looked at first, the handle opened without following a reparse point, and what was
// opened looked at again. `create` makes a missing file. Empty, with `why`, when refused.
Handle openPlain(const std::wstring& path, DWORD access, bool create, std::string& why);

// Up to `n` bytes at `offset`; 0 at the end, -1 on an error.
long long readAt(HANDLE h, void* buffer, DWORD n, std::uint64_t offset);
long long writeAt(HANDLE h, const void* buffer, DWORD n, std::uint64_t offset);

}  // namespace kh::win32
