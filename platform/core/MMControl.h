#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kh {

class App;
class SoundPlayer;

// One property write to the multimedia player, by its dispatch id, as tests and tools see them.
struct MciWrite {
  int dispId = 0;
  std::variant<std::string, bool> value;
  bool operator==(const MciWrite&) const = default;
};

// Where tests and tools watch the writes.
struct MciLog {
  std::vector<MciWrite> writes;
  std::function<void(const MciWrite&)> onWrite;  // lets a test look at the game at each write
};

// The multimedia player control as the game drives it: four writable properties, each
// written by its dispatch id, one value at a time; the program's sound player acts on them.
class MMControl {
 public:
  static constexpr int kDeviceType = 21;
  static constexpr int kFileName = 22;
  static constexpr int kCommand = 23;
  static constexpr int kProperty25 = 25;

  explicit MMControl(App& app);

  void setDeviceType(std::string_view v);
  void setFileName(std::string_view v);
  void setCommand(std::string_view v);
  void setProperty25(bool v);  // changes nothing we can hear

 private:
  void log(int dispId, std::variant<std::string, bool> value);
  SoundPlayer& player_;
  MciLog* log_;
};

}  // namespace kh
