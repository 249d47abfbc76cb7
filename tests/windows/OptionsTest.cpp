// The shared command line on Windows: a folder named in UTF-8 reaches the wide-character
// APIs intact, whatever the system's code page.
#include <gtest/gtest.h>

#include "Options.h"

namespace kh {
namespace {

TEST(WindowsOptions, DataDirKeepsItsNonAsciiName) {
  const auto r = parseOptions({"--data-dir", "C:\\Spiele\\J\xc3\xbcrgen"});
  ASSERT_EQ(r.error, "");
  ASSERT_TRUE(r.options.dataDir);
  EXPECT_EQ(r.options.dataDir->wstring(), L"C:\\Spiele\\J\u00fcrgen");
}

}  // namespace
}  // namespace kh
