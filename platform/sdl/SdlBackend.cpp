// The backend's windows: made, shown, placed, put on the full screen, and their frames
// paced to the display. The other jobs live beside it: VideoDriver (SDL and the screen),
// Presenter (how pixels reach the screen), Text, InputTranslation, EventPump, ToolHooks.
#include <algorithm>
#include <chrono>

#include "BackendState.h"
#include "X11Desktop.h"

namespace kh {

namespace {

// Window managers' frames are not known before the first window is framed; a title bar and
// borders take about this much height.
constexpr int kFrameGuess = 32;

}  // namespace

Micros clockNow() {
  const Uint64 c = SDL_GetPerformanceCounter(), f = SDL_GetPerformanceFrequency();
  return Micros((c / f) * 1000000 + ((c % f) * 1000000) / f);
}

SdlBackend::SdlBackend(SdlOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {
  if (impl_->options.scale > 0) impl_->scale = std::clamp(impl_->options.scale, 1, kMaxScale);
  impl_->pacing.period = impl_->video.refreshPeriod();
  SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
  impl_->arrow.reset(SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW));
  impl_->cross.reset(SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_CROSSHAIR));
  SDL_StartTextInput();
}

SdlBackend::~SdlBackend() {
  impl_->audio.reset();
  impl_->windows.clear();
  impl_->arrow.reset();
  impl_->cross.reset();
  x11::settle(impl_->xDisplay);
}

WindowId SdlBackend::createWindow(const WindowOptions& opts) {
  if (impl_->options.scale <= 0) {
    // The largest scale at which every window of the program fits comfortably.
    const int h = opts.clientHeight + (opts.titleBar ? 0 : 2 * kDialogFrame);
    const int s = suggestedScale(h, opts.titleBar ? kFrameGuess : 0, screenHeight());
    if (impl_->windows.empty() || s < impl_->scale) {
      impl_->scale = s;
      for (auto& [id, w] : impl_->windows) w.setScale(s);
    }
  }
  SdlWindow w(opts, impl_->scale);
  if (!impl_->xDisplay) impl_->xDisplay = x11::display(w.window.get());
  const WindowId id = impl_->next++;
  impl_->windows.emplace(id, std::move(w));
  return id;
}

void SdlBackend::destroyWindow(WindowId id) { impl_->windows.erase(id); }

void SdlBackend::Impl::toggleFullscreen() {
  fullscreen = !fullscreen;
  for (auto& [id, w] : windows)
    if (w.titled && w.shown()) w.setFullscreen(fullscreen);
}

void SdlBackend::showWindow(WindowId id, bool shown) {
  SdlWindow& w = impl_->at(id);
  SDL_Window* win = w.window.get();
  if (shown) {
    SDL_ShowWindow(win);
    if (w.titled) w.setFullscreen(impl_->fullscreen);
    SDL_RaiseWindow(win);
  } else {
    SDL_HideWindow(win);
  }
}

Rect SdlBackend::windowFrame(WindowId id) { return impl_->at(id).frame(); }

void SdlBackend::moveWindowFrame(WindowId id, int left, int top) { impl_->at(id).moveFrame(left, top); }

int SdlBackend::screenWidth() { return impl_->video.screenWidth(); }

int SdlBackend::screenHeight() { return impl_->video.screenHeight(); }

void SdlBackend::Impl::show(SdlWindow& w, Micros t) {
  if (w.client) {
    if (!w.presenter) w.presenter = makePresenter(video.presenting(), w.window.get());
    const Rect dirty = w.pending.value_or(Rect{});
    if (!w.presenter->show(w.picture, *w.client, w.inset, w.whole, dirty)) {
      // Shared memory failed it: SDL's window surface from now on.
      w.presenter = makeSurfacePresenter(w.window.get());
      w.presenter->show(w.picture, *w.client, w.inset, true, dirty);
    }
  }
  w.whole = false;
  w.pending.reset();
  w.shownAt = t;
}

Micros SdlBackend::Impl::nextDue() const {
  Micros due = INT64_MAX;
  for (const auto& [id, w] : windows)
    if (w.client && (w.pending || w.whole)) due = std::min(due, pacing.due(w.shownAt));
  return due;
}

void SdlBackend::Impl::showDue(Micros t) {
  for (auto& [id, w] : windows)
    if (w.client && (w.pending || w.whole) && t >= pacing.due(w.shownAt)) show(w, t);
}

void SdlBackend::present(WindowId id, const Surface& client, const Rect& dirty) {
  SdlWindow& w = impl_->at(id);
  w.client = &client;
  include(w.pending, Rect{dirty.x + w.inset, dirty.y + w.inset, dirty.w, dirty.h});
  const Micros t = now();
  if (impl_->pacing.showNow(t, w.shownAt, w.whole)) {
    impl_->show(w, t);
    impl_->pacing.prompt = false;
  }
}

void SdlBackend::setCursor(Cursor c) {
  if (c == impl_->cursor) return;
  impl_->cursor = c;
  SDL_SetCursor(c == Cursor::Cross ? impl_->cross.get() : impl_->arrow.get());
}

TextBitmap SdlBackend::renderText(const FontSpec& font, std::string_view utf8) { return impl_->text.render(font, utf8); }

Micros SdlBackend::now() { return clockNow(); }

std::uint64_t SdlBackend::randomSeed() {
  return std::uint64_t(std::chrono::system_clock::now().time_since_epoch().count()) ^ SDL_GetPerformanceCounter();
}

MciDevice& SdlBackend::mci() {
  if (!impl_->audio) impl_->audio = std::make_unique<SdlSound>(impl_->options.soundFolders);
  return *impl_->audio;
}

}  // namespace kh
