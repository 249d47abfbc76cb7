#include "Places.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

namespace kh {

namespace fs = std::filesystem;

Surroundings currentSurroundings() {
  Surroundings s;
  if (const char* v = std::getenv("XDG_DATA_HOME")) s.xdgDataHome = v;
  if (const char* v = std::getenv("HOME"); v && *v) {
    s.home = v;
  } else if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) {
    s.home = pw->pw_dir;
  }
  std::error_code ec;
  s.executable = fs::read_symlink("/proc/self/exe", ec);
  return s;
}

Places findPlaces(const std::optional<fs::path>& dataDir, const Surroundings& s,
                  const fs::path& dataFromBin) {
  Places p;
  if (dataDir) {
    p.soundFolders.push_back(*dataDir);
    p.scoreFile = *dataDir / "Hi.wbh";
  }
  if (!s.executable.empty()) p.soundFolders.push_back((s.executable.parent_path() / dataFromBin).lexically_normal());
  if (dataDir) return p;
  // A relative XDG_DATA_HOME is to be ignored, as if it were not set.
  fs::path base;
  if (s.xdgDataHome && fs::path(*s.xdgDataHome).is_absolute()) {
    base = *s.xdgDataHome;
  } else if (s.home && fs::path(*s.home).is_absolute()) {
    base = fs::path(*s.home) / ".local" / "share";
  } else {
    return p;
  }
  p.scoreFile = base / "knuffelhatz" / "Hi.wbh";
  p.perUser = true;
  return p;
}

std::optional<std::string> makeFolder(const fs::path& folder) {
  std::error_code ec;
  if (fs::is_directory(folder, ec)) return std::nullopt;
  if (folder.has_parent_path() && folder.parent_path() != folder) {
    if (auto why = makeFolder(folder.parent_path())) return why;
  }
  if (!fs::create_directory(folder, ec)) {
    if (ec) return ec.message();
    if (!fs::is_directory(folder, ec)) return "it is not a folder";
    return std::nullopt;
  }
  fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, ec);
  if (ec) return ec.message();
  return std::nullopt;
}

}  // namespace kh
