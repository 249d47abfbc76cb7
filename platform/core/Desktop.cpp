#include "Desktop.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace kh {

namespace {

// A finger or a pen at ev's client point, by the window's touch use: whether ev (made into
// what it means) goes to the game, and the finger's state after it.
bool touchInput(RawInput::Type type, const WindowFacts& window, InputEvent& ev, TouchState& touch) {
  using T = RawInput::Type;
  using F = TouchState::Finger;
  const F before = touch.finger;
  touch.finger = type == T::PointerDown ? F::Tap : type == T::PointerUp ? F::Up : before;
  if (window.touchUse == WindowOptions::Touch::Key) {
    if (type != T::PointerDown) return false;
    ev = InputEvent{InputEvent::Type::KeyChar, ev.window, 0, 0, 0, 0, 13};
    return true;
  }
  const Rect& a = window.aimArea;
  const float steerLeft = float(a.x) + float(a.w) / 8, steerRight = float(a.x) + float(a.w) * 7 / 8;
  switch (type) {
    case T::PointerDown:
      if (ev.x < steerLeft || ev.x >= steerRight) {
        touch.finger = F::Steer;
        ev.type = InputEvent::Type::MouseMove;
      }
      return true;
    case T::PointerMove:
      // A tapping finger that slides aims nowhere new: moving the pointer would steer.
      return before == F::Steer;
    default:
      if (before != F::Steer) return before == F::Tap;
      // Back where it aimed, where the view stands still.
      ev.type = InputEvent::Type::MouseMove;
      ev.x = std::clamp(touch.aimed ? touch.aimX : float(a.x) + float(a.w) / 2, float(a.x) + float(a.w) / 4,
                        float(a.x) + float(a.w) * 3 / 4);
      ev.y = touch.aimed ? touch.aimY : float(a.y) + float(a.h) / 2;
      return true;
  }
}

}  // namespace

Interpreted interpretInput(const RawInput& in, const WindowFacts& window) {
  Interpreted out;
  InputEvent& ev = out.event;
  ev.window = in.window;
  out.touch = window.touch;
  using T = RawInput::Type;
  switch (in.type) {
    case T::Ready:
      out.action = Interpreted::Action::Input;
      ev = in.ready;
      return out;
    case T::Quit:
      out.action = Interpreted::Action::Input;
      ev.type = InputEvent::Type::Quit;
      return out;
    case T::Area: out.action = Interpreted::Action::Area; return out;
    default: break;
  }
  if (!window.exists) return out;
  switch (in.type) {
    case T::PointerMove:
    case T::PointerDown:
    case T::PointerUp: {
      ev.type = in.type == T::PointerMove ? InputEvent::Type::MouseMove
                : in.type == T::PointerDown ? InputEvent::Type::MouseDown
                                            : InputEvent::Type::MouseUp;
      Viewport v = window.view;
      if (in.scale > 0 && in.scale != v.scale) {
        // Measured before the window took another scale: as it lay then.
        v.scale = in.scale;
        v.areaWidth = v.width * in.scale;
        v.areaHeight = v.height * in.scale;
        v.left = v.top = 0;
      }
      v.toClient(in.x, in.y, ev.x, ev.y);
      ev.button = in.button;
      ev.shift = in.shift;
      if (in.pointer != PointerKind::Mouse && window.touchUse != WindowOptions::Touch::AsMouse &&
          !touchInput(in.type, window, ev, out.touch))
        return out;
      // The game aims wherever the pointer is reported over the aim area.
      if (window.aimArea.contains(int(std::floor(ev.x)), int(std::floor(ev.y))) &&
          out.touch.finger != TouchState::Finger::Steer) {
        out.touch.aimed = true;
        out.touch.aimX = ev.x;
        out.touch.aimY = ev.y;
      }
      break;
    }
    case T::Text:
      ev.type = InputEvent::Type::KeyChar;
      ev.key = in.ch;
      break;
    case T::KeyDown:
      if (in.key == Key::F11 || (in.key == Key::Enter && (in.shift & kAlt))) {
        if (window.mayGoFullscreen && !in.repeat) out.action = Interpreted::Action::ToggleFullscreen;
        return out;
      }
      // Keys that type a control character rather than text.
      if (in.key == Key::Enter) ev.key = 13;
      else if (in.key == Key::Escape) ev.key = 27;
      else if (in.key == Key::Backspace) ev.key = 8;
      else return out;
      ev.type = InputEvent::Type::KeyChar;
      break;
    case T::Close: ev.type = InputEvent::Type::Close; break;
    default: return out;
  }
  out.action = Interpreted::Action::Input;
  return out;
}

Desktop::Desktop(WindowSystem& display, Events& events, TextRenderer& text, int scale, int clockRate)
    : display_(display), events_(events), text_(text), fixedScale_(scale > 0), scale_(std::clamp(scale, 1, kMaxScale)),
      rate_(clockRate < 1 ? 1 : clockRate), start_(events.now()), framePeriod_(display.refreshPeriod() * rate_) {}

Desktop::~Desktop() { events_.setPulse(nullptr); }

void Desktop::whileHeld(std::function<Micros()> work) {
  held_.work = std::move(work);
  events_.setPulse(held_.work ? &held_ : nullptr);
}

Desktop::Entry& Desktop::at(WindowId id) {
  auto it = windows_.find(id);
  if (it == windows_.end()) throw std::logic_error("no such window");
  return it->second;
}

DisplayWindow* Desktop::window(WindowId id) {
  auto it = windows_.find(id);
  return it == windows_.end() ? nullptr : it->second.window.get();
}

void Desktop::adoptScale(int s) {
  scale_ = s;
  for (auto& [id, e] : windows_) e.window->setScale(s);
}

void Desktop::fitShared() {
  const auto area = display_.sharedArea();
  if (!area || fixedScale_ || windows_.empty()) return;
  // One scale for all windows, the largest at which each fits the room.
  int s = kMaxScale;
  for (auto& [id, e] : windows_) {
    const Viewport v = e.window->view();
    s = std::min({s, area->first / std::max(v.width, 1), area->second / std::max(v.height, 1)});
  }
  adoptScale(std::max(1, s));
}

WindowId Desktop::createWindow(const WindowOptions& opts) {
  if (!fixedScale_ && !display_.sharedArea()) {
    // The largest scale at which every window of the program fits comfortably.
    const WindowSystem::Frame f = display_.frameOf(opts.titleBar);
    const int s = suggestedScale(opts.clientHeight + 2 * f.drawn, f.decorations, display_.screenHeight());
    if (windows_.empty() || s < scale_) adoptScale(s);
  }
  const WindowId id = next_++;
  Entry e;
  e.window = display_.create(id, opts, scale_);
  // A page's full screen holds all its windows at once: any of them may ask for it.
  e.mayGoFullscreen = opts.titleBar || display_.sharedArea().has_value();
  e.touchUse = opts.touch;
  e.aimArea = opts.aimArea;
  windows_.emplace(id, std::move(e));
  fitShared();
  return id;
}

void Desktop::destroyWindow(WindowId id) {
  if (windows_.erase(id)) fitShared();
}

void Desktop::showWindow(WindowId id, bool shown) {
  Entry& e = at(id);
  e.shown = shown;
  e.window->show(shown);
  if (shown && e.mayGoFullscreen && fullscreen_) e.window->setFullscreen(true);
}

Rect Desktop::windowFrame(WindowId id) { return at(id).window->frame(); }

void Desktop::moveWindowFrame(WindowId id, int left, int top) { at(id).window->moveFrame(left, top); }

void Desktop::present(WindowId id, const Surface& client, const Rect& dirty) {
  Entry& e = at(id);
  e.window->present(client, dirty);
  e.presentedAt = now();
}

bool Desktop::frameDue(WindowId id) {
  if (prompt_) {
    prompt_ = false;
    return true;
  }
  // An eighth of a refresh early still makes the display's next frame.
  return framePeriod_ == 0 || now() - at(id).presentedAt >= framePeriod_ - framePeriod_ / 8;
}

Micros Desktop::frameDeadline(WindowId id) { return at(id).presentedAt + 2 * framePeriod_; }

void Desktop::describe(WindowId id, const std::vector<std::string>& lines) {
  Entry& e = at(id);
  std::string text;
  for (const std::string& l : lines) {
    if (l.empty()) continue;
    if (!text.empty()) text += '\n';
    text += l;
  }
  if (text == e.described) return;
  e.described = text;
  e.window->describe(text);
}

void Desktop::setCursor(Cursor c) {
  if (cursor_ == c) return;
  cursor_ = c;
  display_.setCursor(c);
}

void Desktop::setFullscreen(bool on) {
  if (on == fullscreen_) return;
  fullscreen_ = on;
  for (auto& [id, e] : windows_)
    if (e.mayGoFullscreen && e.shown) e.window->setFullscreen(on);
}

bool Desktop::handle(const RawInput& in, InputEvent& ev) {
  WindowFacts facts;
  if (auto it = windows_.find(in.window); it != windows_.end()) {
    facts.exists = true;
    facts.mayGoFullscreen = it->second.mayGoFullscreen;
    facts.touchUse = it->second.touchUse;
    facts.aimArea = it->second.aimArea;
    facts.touch = it->second.touch;
    if (in.type == RawInput::Type::PointerMove || in.type == RawInput::Type::PointerDown ||
        in.type == RawInput::Type::PointerUp)
      facts.view = it->second.window->view();
  }
  const Interpreted r = interpretInput(in, facts);
  if (facts.exists) windows_.at(in.window).touch = r.touch;
  switch (r.action) {
    case Interpreted::Action::Input:
      ev = r.event;
      if (ev.type == InputEvent::Type::MouseDown) prompt_ = true;
      return true;
    case Interpreted::Action::ToggleFullscreen: setFullscreen(!fullscreen_); return false;
    case Interpreted::Action::Area:
      // The page's full screen can also end by the browser's own hand (Escape).
      fullscreen_ = in.fullscreen;
      fitShared();
      return false;
    case Interpreted::Action::None: return false;
  }
  return false;
}

Micros Desktop::now() { return start_ + (events_.now() - start_) * rate_; }

Micros Desktop::platformTime(Micros t) const {
  if (rate_ == 1 || t <= start_) return t;
  const Micros d = t - start_;  // no overflow, even for a deadline of "never"
  return start_ + d / rate_ + (d % rate_ != 0 ? 1 : 0);
}

bool Desktop::waitEvent(InputEvent& ev, Micros deadline) {
  RawInput in;
  // Rounded up: waking early would only spin.
  const Micros until = platformTime(deadline);
  while (events_.wait(in, until))
    if (handle(in, ev)) return true;
  return false;
}

bool Desktop::pollEvent(InputEvent& ev) {
  RawInput in;
  while (events_.poll(in))
    if (handle(in, ev)) return true;
  return false;
}

}  // namespace kh
