#include "TestPlatform.h"

#include <unistd.h>

#include "HighScoreFile.h"
#include "PosixSoundFiles.h"

namespace kh::test {

std::unique_ptr<ScoreBytes> scoreFile(const std::filesystem::path& path) { return std::make_unique<HighScoreFile>(path); }
std::unique_ptr<SoundFiles> soundFiles() { return std::make_unique<PosixSoundFiles>(); }
long processId() { return long(::getpid()); }

}  // namespace kh::test
