#pragma once
#include <string_view>

#include "Backend.h"

namespace kh {

// The multimedia player control as the game drives it: four writable properties, each
// written by its dispatch id, one value at a time.
class MMControl {
 public:
  static constexpr int kDeviceType = 21;
  static constexpr int kFileName = 22;
  static constexpr int kCommand = 23;
  static constexpr int kProperty25 = 25;

  explicit MMControl(Backend& backend) : backend_(backend) {}

  void setDeviceType(std::string_view v) { backend_.mci().putText(kDeviceType, v); }
  void setFileName(std::string_view v) { backend_.mci().putText(kFileName, v); }
  void setCommand(std::string_view v) { backend_.mci().putText(kCommand, v); }
  void setProperty25(bool v) { backend_.mci().putBool(kProperty25, v); }

 private:
  Backend& backend_;
};

}  // namespace kh
