// The Windows score and sound files, run under Wine: wide names, two bytes and no more,
// nothing but plain files.
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "ScoreStore.h"
#include "Win32File.h"
#include "Win32ScoreStore.h"
#include "Win32SoundFiles.h"
#include "Win32Strings.h"

namespace kh::win32 {
namespace {

namespace fs = std::filesystem;

// A fresh folder whose name is not ASCII, as a user folder named Jürgen would be.
struct Folder {
  fs::path path;
  Folder() {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    path = fs::path(tmp) / (L"kh-J\u00fcrgen-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64()));
    fs::create_directories(path);
  }
  ~Folder() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  std::vector<char> bytes(const wchar_t* name) const {
    std::ifstream in(path / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  void put(const wchar_t* name, const std::string& bytes) const {
    std::ofstream(path / name, std::ios::binary) << bytes;
  }
};

// The store as the game uses it, through the core's decoding.
BestScore scoreIn(const fs::path& file) { return BestScore(std::make_unique<Win32ScoreStore>(file.wstring())); }

TEST(Win32ScoreStore, MadeAtFirstReadThenTwoBytesUnderAWideName) {
  Folder d;
  BestScore store = scoreIn(d.path / L"Hi.wbh");
  EXPECT_EQ(store.read(), std::int16_t(0));
  EXPECT_TRUE(fs::exists(d.path / L"Hi.wbh"));
  EXPECT_EQ(fs::file_size(d.path / L"Hi.wbh"), 0u);
  ASSERT_TRUE(store.write(245));
  EXPECT_EQ(d.bytes(L"Hi.wbh"), (std::vector<char>{'\xf5', '\x00'}));
  EXPECT_EQ(store.read(), std::int16_t(245));
  d.put(L"Hi.wbh", "\xfe\xff");  // the sign survives: 0xfffe
  EXPECT_EQ(store.read(), std::int16_t(-2));
}

TEST(Win32ScoreStore, KeepsAHigherScoreAndTheBytesAfterTheFirstTwo) {
  Folder d;
  d.put(L"Hi.wbh", std::string("\x2c\x01xyz", 5));  // 300, then three bytes of something else
  BestScore store = scoreIn(d.path / L"Hi.wbh");
  EXPECT_TRUE(store.write(100));
  EXPECT_EQ(store.read(), std::int16_t(300));
  EXPECT_TRUE(store.write(345));
  EXPECT_EQ(d.bytes(L"Hi.wbh"), (std::vector<char>{'\x59', '\x01', 'x', 'y', 'z'}));
}

TEST(Win32ScoreStore, RefusesAFolderUnderTheNameAndSaysSoNamingIt) {
  Folder d;
  fs::create_directory(d.path / L"Hi.wbh");
  BestScore store = scoreIn(d.path / L"Hi.wbh");
  testing::internal::CaptureStderr();
  EXPECT_EQ(store.read(), std::nullopt);
  EXPECT_FALSE(store.write(20));
  const std::string where = std::string(1, '"').append(narrow((d.path / L"Hi.wbh").wstring())).append("\": it is a folder\n");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "knuffelhatz: cannot read the best score in " + where +
                                                        "knuffelhatz: cannot store the best score in " + where);
  EXPECT_TRUE(fs::is_directory(d.path / L"Hi.wbh"));
}

TEST(Win32ScoreStore, ALockHeldElsewhereIsWaitedForTwoSecondsAtMost) {
  Folder d;
  d.put(L"Hi.wbh", "\x2c\x01");
  std::string why;
  const Handle other = openPlain((d.path / L"Hi.wbh").wstring(), GENERIC_READ | GENERIC_WRITE, false, why);
  ASSERT_TRUE(other) << why;
  OVERLAPPED ov{};
  ASSERT_TRUE(LockFileEx(other.get(), LOCKFILE_EXCLUSIVE_LOCK, 0, 2, 0, &ov));
  Win32ScoreStore store((d.path / L"Hi.wbh").wstring());
  const ULONGLONG t0 = GetTickCount64();
  EXPECT_FALSE(store.update([](const ScoreBytes::Bytes&) { return std::array<std::uint8_t, 2>{1, 2}; }, why));
  EXPECT_EQ(why, "another program keeps it locked");
  EXPECT_GE(GetTickCount64() - t0, 1500u);
  EXPECT_LT(GetTickCount64() - t0, 5000u);
  EXPECT_EQ(d.bytes(L"Hi.wbh"), (std::vector<char>{'\x2c', '\x01'}));
  UnlockFileEx(other.get(), 0, 2, 0, &ov);
  EXPECT_TRUE(store.read(why)) << why;
}

TEST(Win32SoundFiles, FirstFolderWinsAndOnlyPlainFilesWithinTheLimit) {
  Folder a, b;
  b.put(L"Leer.wbs", "RIFF-b");
  a.put(L"Leer.wbs", "RIFF-a");
  b.put(L"Schuss.wbs", "RIFF-only-b");
  fs::create_directory(a.path / L"Treffer1.wbs");
  Win32SoundFiles files({a.path.wstring(), b.path.wstring()});
  std::string why;
  const auto leer = files.read("Leer.wbs", 100, why);
  ASSERT_TRUE(leer) << why;
  EXPECT_EQ(std::string(leer->begin(), leer->end()), "RIFF-a");
  const auto schuss = files.read("Schuss.wbs", 100, why);
  ASSERT_TRUE(schuss) << why;
  EXPECT_EQ(schuss->size(), 11u);
  EXPECT_FALSE(files.read("Schuss.wbs", 10, why));
  EXPECT_NE(why.find("larger"), std::string::npos) << why;
  why.clear();
  EXPECT_FALSE(files.stamp("Treffer1.wbs", why));
  EXPECT_NE(why.find("folder"), std::string::npos) << why;
  why.clear();
  EXPECT_FALSE(files.stamp("Treffer2.wbs", why));
  EXPECT_FALSE(why.empty());
  const auto s1 = files.stamp("Leer.wbs", why);
  a.put(L"Leer.wbs", "RIFF-a-longer");
  const auto s2 = files.stamp("Leer.wbs", why);
  ASSERT_TRUE(s1 && s2);
  EXPECT_NE(*s1, *s2);
}

}  // namespace
}  // namespace kh::win32
