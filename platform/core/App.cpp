#include "App.h"

#include <algorithm>

#include "Form.h"

namespace kh {

Timer::Timer(Form& owner, int intervalMs, bool enabled)
    : owner_(owner), app_(owner.app()), intervalMs_(intervalMs), enabled_(enabled) {
  app_.addTimer(*this);
  owner_.addTimer(*this);
}

Timer::~Timer() {
  app_.removeTimer(*this);
  owner_.removeTimer(*this);
}

void Timer::setEnabled(bool on) {
  if (on && !enabled_) due_ = app_.now() + Micros(intervalMs_) * 1000;
  enabled_ = on;
}

App::App(Platform& platform, AppOptions options)
    : desktop_(platform.display, platform.events, platform.text, options.scale, options.clockRate),
      sound_(platform.sound, platform.soundFiles), soundLog_(options.soundLog) {
  desktop_.whileHeld([this] { return pulse(); });
}

void App::addForm(Form* f) {
  if (std::find(forms_.begin(), forms_.end(), f) == forms_.end()) forms_.push_back(f);
}
void App::removeForm(Form* f) { std::erase(forms_, f); }
void App::addTimer(Timer& t) { timers_.push_back(&t); }
void App::removeTimer(const Timer& t) { std::erase(timers_, &t); }

void App::arm(Timer& t, bool on) {
  t.armed_ = on;
  if (on) t.due_ = now() + Micros(t.intervalMs_) * 1000;
}

bool App::running() const { return !quit_ && !forms_.empty(); }

void App::quit() { quit_ = true; }

Form* App::formOf(WindowId id) {
  for (Form* f : forms_)
    if (f->window() == id) return f;
  return nullptr;
}

void App::dispatch(const InputEvent& ev) {
  if (ev.type == InputEvent::Type::Quit) {
    quit();
    return;
  }
  Form* f = formOf(ev.window);
  if (!f) return;
  switch (ev.type) {
    case InputEvent::Type::Close: f->closeRequested(); break;
    case InputEvent::Type::KeyChar: f->keyChar(ev.key); break;
    default: f->mouseEvent(ev); break;
  }
}

void App::fire(Timer& t) {
  const Micros n = now();
  const Micros interval = Micros(t.intervalMs_) * 1000;
  // Keep the cadence, but after a stall start afresh instead of ticking to catch up.
  t.due_ = t.due_ + interval > n ? t.due_ + interval : n + interval;
  struct Running {
    Timer& t;
    explicit Running(Timer& tm) : t(tm) { t.running_ = true; }
    ~Running() { t.running_ = false; }
  } guard(t);
  if (t.onTick) t.onTick();
}

void App::fireDueTimers() {
  // Timers due a hair later run now too: one wake-up instead of two. A timer restarted from its
  // own handler (the frame timer) then falls in step with the others and stays there.
  const Micros n = now() + desktop_.wakeSlack();
  auto ready = [n](const Timer* t) { return t->armed_ && t->enabled_ && !t->running_ && t->due_ <= n; };
  std::vector<Timer*> due;
  for (Timer* t : timers_)
    if (ready(t)) due.push_back(t);
  std::stable_sort(due.begin(), due.end(), [](const Timer* a, const Timer* b) { return a->due_ < b->due_; });
  for (Timer* t : due) {
    // An earlier handler may have switched this one off or restarted it.
    if (std::find(timers_.begin(), timers_.end(), t) != timers_.end() && ready(t)) fire(*t);
  }
}

void App::presentAll() {
  const std::vector<Form*> forms = forms_;
  for (Form* f : forms) f->present();
}

void App::DoEvents() {
  std::vector<InputEvent> waiting;
  InputEvent ev;
  while (desktop_.pollEvent(ev)) waiting.push_back(ev);
  for (const InputEvent& e : waiting) dispatch(e);
  fireDueTimers();
  presentAll();
}

Micros App::nextDue(Micros until) {
  Micros deadline = until;
  for (const Timer* t : timers_)
    if (t->armed_ && t->enabled_ && !t->running_) deadline = std::min(deadline, t->due_);
  for (Form* f : forms_)
    if (const auto held = f->heldFrameDeadline()) deadline = std::min(deadline, *held);
  return deadline;
}

void App::refresh() {
  presentAll();
  if (desktop_.describes())
    for (const Form* f : forms_)
      if (f->window()) desktop_.describe(*f->window(), f->spokenText());
}

void App::run(Micros until) {
  while (running()) {
    refresh();
    InputEvent ev;
    if (desktop_.waitEvent(ev, nextDue(until))) {
      dispatch(ev);
      while (running() && desktop_.pollEvent(ev)) dispatch(ev);
    }
    if (!running()) break;
    fireDueTimers();
    if (now() >= until) break;
  }
  presentAll();
}

// The loop's own work, from inside a loop of the window system's that keeps the thread:
// the game runs on as between inputs.
Micros App::pulse() {
  InputEvent ev;
  while (running() && desktop_.pollEvent(ev)) dispatch(ev);
  if (!running()) return INT64_MAX;
  fireDueTimers();
  refresh();
  return nextDue(INT64_MAX);
}

}  // namespace kh
