#pragma once
#include <optional>
#include <string>
#include <vector>

#include "SoundOutput.h"

namespace kh::win32 {

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

}  // namespace kh::win32
