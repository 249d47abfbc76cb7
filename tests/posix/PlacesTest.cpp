// Where the game keeps its files on Linux: XDG folders, the installed data folder.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "Places.h"

namespace kh::test {
namespace {

namespace fs = std::filesystem;

TEST(Places, DataDirHoldsTheScoreAndComesFirstForSounds) {
  const Surroundings s{"/xdg", "/home/u", "/opt/kh/bin/knuffelhatz"};
  const Places p = findPlaces(fs::path("play"), s, "../share/knuffelhatz");
  EXPECT_EQ(p.scoreFile, fs::path("play/Hi.wbh"));
  EXPECT_FALSE(p.perUser);
  EXPECT_EQ(p.soundFolders, (std::vector<fs::path>{"play", "/opt/kh/share/knuffelhatz"}));
}

TEST(Places, ScoreIsPerUserUnderXdgDataHomeOrTheHomeFolder) {
  Surroundings s{"/xdg", "/home/u", "/usr/bin/knuffelhatz"};
  Places p = findPlaces(std::nullopt, s, "../share/knuffelhatz");
  EXPECT_EQ(p.scoreFile, fs::path("/xdg/knuffelhatz/Hi.wbh"));
  EXPECT_TRUE(p.perUser);
  EXPECT_EQ(p.soundFolders, (std::vector<fs::path>{"/usr/share/knuffelhatz"}));
  for (const auto& xdg : {std::optional<std::string>(), std::optional<std::string>(""),
                          std::optional<std::string>("relative")}) {
    s.xdgDataHome = xdg;
    EXPECT_EQ(findPlaces(std::nullopt, s, "x").scoreFile, fs::path("/home/u/.local/share/knuffelhatz/Hi.wbh"));
  }
  s.home.reset();
  EXPECT_TRUE(findPlaces(std::nullopt, s, "x").scoreFile.empty()) << "never the working directory";
}

TEST(Places, MakesMissingFoldersPrivateAndLeavesOthersAlone) {
  const fs::path root = fs::temp_directory_path() / ("kh-places-" + std::to_string(::getpid()));
  fs::remove_all(root);
  fs::create_directory(root);
  fs::permissions(root, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
  const fs::path deep = root / "a" / "knuffelhatz";
  EXPECT_EQ(makeFolder(deep), std::nullopt);
  EXPECT_EQ(fs::status(deep).permissions(), fs::perms::owner_all);
  EXPECT_EQ(fs::status(root / "a").permissions(), fs::perms::owner_all);
  EXPECT_EQ(fs::status(root).permissions(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
  EXPECT_EQ(makeFolder(deep), std::nullopt) << "already there";
  std::ofstream(root / "file") << "x";
  EXPECT_NE(makeFolder(root / "file" / "knuffelhatz"), std::nullopt);
  EXPECT_NE(makeFolder(root / "file"), std::nullopt);
  fs::remove_all(root);
}

}  // namespace
}  // namespace kh::test
