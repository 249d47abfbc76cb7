#pragma once
#include <map>
#include <string>

#include "Surface.h"
#include "Bmp.h"

namespace kh {

// Every picture of the game, decoded once from the pictures baked into the program.
class Catalogue {
 public:
  Catalogue();  // throws std::runtime_error naming a picture that is missing or broken

  const Surface& get(const std::string& name) const;
  const BmpInfo& info(const std::string& name) const;
  std::vector<std::string> names() const;

 private:
  struct Entry {
    Surface surface;
    BmpInfo info;
  };
  std::map<std::string, Entry, std::less<>> pictures_;
};

}  // namespace kh
