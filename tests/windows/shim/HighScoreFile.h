#pragma once
// The tests' harness keeps its score in a file named by path; on Windows that is the
// Windows score store.
#include <filesystem>

#include "Win32ScoreStore.h"

namespace kh {

struct HighScoreFile : win32::Win32ScoreStore {
  explicit HighScoreFile(const std::filesystem::path& path) : Win32ScoreStore(path.wstring()) {}
};

}  // namespace kh
