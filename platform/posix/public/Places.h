#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kh {

// What the program's surroundings say about where things live.
struct Surroundings {
  std::optional<std::string> xdgDataHome;
  std::optional<std::string> home;  // $HOME, else the home folder of the user database
  std::filesystem::path executable;  // empty when unknown
};

Surroundings currentSurroundings();

// Where the sounds are looked for and where the best score is kept.
struct Places {
  std::vector<std::filesystem::path> soundFolders;
  std::filesystem::path scoreFile;  // empty when no folder for it can be found
  bool perUser = false;             // the score folder is the per-user one, made on first use
};

// `dataFromBin` is the installed data folder relative to the installed program's folder.
Places findPlaces(const std::optional<std::filesystem::path>& dataDir, const Surroundings& s,
                  const std::filesystem::path& dataFromBin);

// Makes the folder and its missing parents, each new one private to the user (0700); a folder
// that is there already keeps its permissions. The reason when that fails.
std::optional<std::string> makeFolder(const std::filesystem::path& folder);

}  // namespace kh
