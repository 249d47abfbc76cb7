#include "MMControl.h"

#include "App.h"

namespace kh {

MMControl::MMControl(App& app) : player_(app.sound()), log_(app.soundLog()) {}

void MMControl::log(int dispId, std::variant<std::string, bool> value) {
  if (!log_) return;
  log_->writes.push_back({dispId, std::move(value)});
  if (log_->onWrite) log_->onWrite(log_->writes.back());
}

void MMControl::setDeviceType(std::string_view v) {
  log(kDeviceType, std::string(v));
  player_.setDeviceType(v);
}

void MMControl::setFileName(std::string_view v) {
  log(kFileName, std::string(v));
  player_.setFileName(v);
}

void MMControl::setCommand(std::string_view v) {
  log(kCommand, std::string(v));
  player_.command(v);
}

void MMControl::setProperty25(bool v) { log(kProperty25, v); }

}  // namespace kh
