// The backend's display: its windows made, the screen, the pointer and the clock. The other jobs live beside it: VideoDriver (SDL and the screen),
// SdlWindow, Presenter (how pixels reach the screen), Text, InputTranslation, EventPump,
// ToolHooks.
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

Micros clockNow() { return microsFromTicks(SDL_GetPerformanceCounter(), SDL_GetPerformanceFrequency()); }

SdlBackend::SdlBackend(std::vector<std::filesystem::path> soundFolders)
    : impl_(std::make_unique<Impl>()), files_(std::move(soundFolders)) {
  SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
  impl_->arrow.reset(SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW));
  impl_->cross.reset(SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_CROSSHAIR));
  SDL_StartTextInput();
}

SdlBackend::~SdlBackend() {
  impl_->arrow.reset();
  impl_->cross.reset();
  x11::settle(impl_->xDisplay);
}

std::unique_ptr<DisplayWindow> SdlBackend::create(WindowId id, const WindowOptions& opts, int scale) {
  return std::make_unique<SdlWindow>(*impl_, id, opts, scale);
}

WindowSystem::Frame SdlBackend::frameOf(bool titleBar) { return titleBar ? Frame{0, kFrameGuess} : Frame{kDialogFrame, 0}; }

int SdlBackend::screenWidth() { return impl_->video.screenWidth(); }

int SdlBackend::screenHeight() { return impl_->video.screenHeight(); }

Micros SdlBackend::refreshPeriod() { return impl_->video.refreshPeriod(); }

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

void SdlBackend::Impl::redrawWhole(Micros t) {
  for (SdlWindow* w : windows)
    if (w->client && w->whole) show(*w, t);
}

void SdlBackend::setCursor(Cursor c) { SDL_SetCursor(c == Cursor::Cross ? impl_->cross.get() : impl_->arrow.get()); }

TextBitmap SdlBackend::render(const FontSpec& font, std::string_view utf8) { return impl_->text.render(font, utf8); }

Micros SdlBackend::now() { return clockNow(); }

std::uint64_t SdlBackend::randomSeed() {
  return std::uint64_t(std::chrono::system_clock::now().time_since_epoch().count()) ^ SDL_GetPerformanceCounter();
}

}  // namespace kh
