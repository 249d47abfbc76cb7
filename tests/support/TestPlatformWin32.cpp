#include "TestPlatform.h"

#include <process.h>

#include "Win32ScoreStore.h"
#include "Win32SoundFiles.h"

namespace kh::test {

std::unique_ptr<ScoreBytes> scoreFile(const std::filesystem::path& path) {
  return std::make_unique<win32::Win32ScoreStore>(path.wstring());
}
std::unique_ptr<SoundFiles> soundFiles() { return std::make_unique<win32::Win32SoundFiles>(std::vector<std::wstring>{}); }
long processId() { return long(::_getpid()); }

}  // namespace kh::test
