#pragma once
#include <windows.h>

#include <string>

#include "Win32Strings.h"

namespace kh::win32 {

// A Windows error code in words, without the trailing full stop and line break.
std::string errorText(DWORD code);

// A kernel handle, closed when it goes.
class Handle {
 public:
  Handle() = default;
  explicit Handle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
  Handle(Handle&& o) noexcept : h_(o.h_) { o.h_ = nullptr; }
  Handle& operator=(Handle&& o) noexcept {
    if (this != &o) {
      reset();
      h_ = o.h_;
      o.h_ = nullptr;
    }
    return *this;
  }
  ~Handle() { reset(); }
  void reset() {
    if (h_) CloseHandle(h_);
    h_ = nullptr;
  }
  HANDLE get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  HANDLE h_ = nullptr;
};

}  // namespace kh::win32
