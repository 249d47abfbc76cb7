// Replays saved inputs through a fuzz target's entry point, with any compiler and without
// libFuzzer: `knuffelhatz_replay_NAME FILE-OR-FOLDER...` feeds every file (a folder's files in
// name order) to LLVMFuzzerTestOneInput once. A broken invariant aborts, as under the fuzzer.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  std::vector<fs::path> files;
  for (int i = 1; i < argc; ++i) {
    const fs::path p = argv[i];
    if (fs::is_directory(p)) {
      std::vector<fs::path> inside;
      for (const auto& e : fs::directory_iterator(p))
        if (e.is_regular_file()) inside.push_back(e.path());
      std::sort(inside.begin(), inside.end());
      files.insert(files.end(), inside.begin(), inside.end());
    } else if (fs::is_regular_file(p)) {
      files.push_back(p);
    } else {
      std::fprintf(stderr, "replay: no file or folder %s\n", argv[i]);
      return 2;
    }
  }
  if (files.empty()) {
    std::fprintf(stderr, "replay: no inputs\n");
    return 2;
  }
  for (const fs::path& f : files) {
    std::ifstream in(f, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::printf("%s (%zu bytes)\n", f.filename().string().c_str(), bytes.size());
    std::fflush(stdout);
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  }
  std::printf("replayed %zu inputs\n", files.size());
  return 0;
}
