// The command line and where the game keeps its files.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "Options.h"
#include "Places.h"

namespace kh::test {
namespace {

namespace fs = std::filesystem;

TEST(Options, ReadsEveryOptionInBothSpellings) {
  auto r = parseOptions({"--data-dir", "play", "--scale=3"});
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(r.options.dataDir, fs::path("play"));
  EXPECT_EQ(r.options.scale, 3);
  EXPECT_FALSE(r.options.help || r.options.version);
  r = parseOptions({"--data-dir=/x", "--scale", "8", "--help", "--version"});
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(r.options.dataDir, fs::path("/x"));
  EXPECT_EQ(r.options.scale, 8);
  EXPECT_TRUE(r.options.help && r.options.version);
  EXPECT_EQ(parseOptions({}).options.scale, 0) << "no --scale: the backend picks";
  EXPECT_FALSE(parseOptions({}).options.dataDir);
  EXPECT_EQ(parseOptions({}).options.testClockRate, 1);
  EXPECT_EQ(parseOptions({"--test-clock-rate=6"}).options.testClockRate, 6);
}

TEST(Options, CutsAHugeValueShortInTheMessage) {
  const std::string huge(120000, '7');
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"--scale", huge}, {"--" + huge}, {"--" + huge + "=1"}, {huge}}) {
    const std::string error = parseOptions(args).error;
    EXPECT_NE(error.find(std::string(30, '7') + "..."), std::string::npos) << error.substr(0, 100);
    EXPECT_LT(error.size(), 120u);
  }
  // Cut between characters, not inside one: 39 ASCII letters and then a two-byte "ü".
  EXPECT_EQ(shortened(std::string(39, 'a') + "\xc3\xbc" + "zz"), std::string(39, 'a') + "...");
  EXPECT_EQ(shortened("--scale"), "--scale");
}

TEST(Options, RefusesUnknownOptionsAndBadValues) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"--frobnicate"}, {"play"}, {"--scale"}, {"--scale", "0"}, {"--scale", "9"},
           {"--scale", "2x"}, {"--scale="}, {"--data-dir"}, {"--data-dir="}, {"--version=1"},
           {"--test-clock-rate", "0"}, {"--test-clock-rate", "101"}}) {
    EXPECT_NE(parseOptions(args).error, "") << args.front();
  }
}

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
