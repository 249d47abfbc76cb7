#pragma once
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "ScoreStore.h"
#include "SoundOutput.h"

namespace kh::win32 {

// "Hi.wbh" on Windows: two bytes at offset 0, never truncated, nothing else written. Only a
// plain file on a disk is opened: a folder, a device, a pipe or a link (any reparse point)
// under the name is refused. Reading and storing hold a lock on the two bytes, so two copies
// of the game cannot interleave.
class Win32ScoreStore : public ScoreStore {
 public:
  explicit Win32ScoreStore(std::wstring path) : path_(std::move(path)) {}
  std::optional<std::int16_t> read() override;
  bool write(std::int16_t score) override;

 private:
  void report(const std::string& what, const std::string& why);
  std::wstring path_;
  std::set<std::string> reported_;
};

// Sound files by bare name from a list of folders, first match wins; only plain files.
class Win32SoundFiles : public SoundFiles {
 public:
  explicit Win32SoundFiles(std::vector<std::wstring> folders) : folders_(std::move(folders)) {}
  std::optional<FileStamp> stamp(const std::string& name, std::string& why) override;
  std::optional<std::vector<std::uint8_t>> read(const std::string& name, std::size_t limit, std::string& why) override;

 private:
  std::wstring locate(const std::string& name) const;
  std::vector<std::wstring> folders_;
};

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
