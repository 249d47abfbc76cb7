#pragma once
#include <span>
#include <string_view>
#include <vector>

namespace kh {

// A picture file baked into the program at build time.
struct EmbeddedAsset {
  std::string_view name;
  std::span<const unsigned char> bytes;
};

const std::vector<EmbeddedAsset>& embeddedAssets();

}  // namespace kh
