#include "Catalogue.h"

#include <stdexcept>

#include "EmbeddedAssets.h"

namespace kh {

Catalogue::Catalogue() {
  for (const EmbeddedAsset& a : embeddedAssets()) {
    std::string name(a.name);
    if (name.size() > 4 && name.ends_with(".bmp")) name.resize(name.size() - 4);
    Entry e;
    try {
      e.surface = decodeBmp(a.bytes, &e.info);
    } catch (const std::exception& ex) {
      throw std::runtime_error("picture " + name + " is broken: " + ex.what());
    }
    pictures_.emplace(name, std::move(e));
  }
}

const Surface& Catalogue::get(const std::string& name) const {
  auto it = pictures_.find(name);
  if (it == pictures_.end()) throw std::runtime_error("picture " + name + " is missing from the program");
  return it->second.surface;
}

const BmpInfo& Catalogue::info(const std::string& name) const {
  auto it = pictures_.find(name);
  if (it == pictures_.end()) throw std::runtime_error("picture " + name + " is missing from the program");
  return it->second.info;
}

std::vector<std::string> Catalogue::names() const {
  std::vector<std::string> out;
  for (const auto& [n, e] : pictures_) out.push_back(n);
  return out;
}

}  // namespace kh
