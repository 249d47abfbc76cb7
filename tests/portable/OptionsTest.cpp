// The command line.
#include <gtest/gtest.h>

#include <filesystem>

#include "Options.h"

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

}  // namespace
}  // namespace kh::test
