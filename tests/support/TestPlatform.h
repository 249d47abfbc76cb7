#pragma once
// What the portable tests take from the platform they run on, each platform's in its own
// file (TestPlatformPosix.cpp: Linux, and Node in emscripten's in-memory files;
// TestPlatformWin32.cpp: Windows). Everything else they need is plain C++.
#include <filesystem>
#include <memory>

#include "ScoreStore.h"
#include "SoundOutput.h"

namespace kh::test {

// The platform's own "Hi.wbh" at `path`.
std::unique_ptr<ScoreBytes> scoreFile(const std::filesystem::path& path);
// The platform's sound files, each named by its whole path.
std::unique_ptr<SoundFiles> soundFiles();
// This process's number, to keep side-by-side runs apart.
long processId();

}  // namespace kh::test
