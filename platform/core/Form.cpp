#include "Form.h"

#include <algorithm>
#include <cmath>

namespace kh {

namespace {

// `pic` at the top-left corner of `r` in `dst`, clipped to `r`; the rest of `r` white.
void copyClipped(const Surface& pic, Surface& dst, const Rect& r) {
  const int w = std::min(pic.width(), r.w);
  for (int y = 0; y < r.h; ++y) {
    Pixel* d = dst.row(r.y + y) + r.x;
    if (y < pic.height()) {
      std::copy_n(pic.row(y), w, d);
      std::fill(d + w, d + r.w, kWindowBackground);
    } else {
      std::fill(d, d + r.w, kWindowBackground);
    }
  }
}

}  // namespace

// ---- Label ----

Label::Label(Form& owner, Rect box, std::string designCaption, FontSpec font, Pixel colour, Align align)
    : owner_(owner), box_(box), design_(std::move(designCaption)), caption_(design_), font_(std::move(font)),
      colour_(colour), align_(align) {
  owner_.addLabel(*this);
}

Label::~Label() { owner_.removeLabel(*this); }

void Label::setCaption(std::string text) {
  if (text == caption_) return;
  caption_ = std::move(text);
  cache_.reset();
  owner_.invalidate();
}

void Label::resetDesign() { setCaption(design_); }

const TextBitmap& Label::text(Desktop& b) const {
  if (!cache_) cache_ = b.renderText(font_, caption_);
  return *cache_;
}

// ---- PictureBox ----

PictureBox::PictureBox(Form& owner, int clientWidth, int clientHeight)
    : owner_(owner), image_(clientWidth, clientHeight, kWindowBackground) {
  owner_.addPictureBox(*this);
}

PictureBox::~PictureBox() { owner_.removePictureBox(*this); }

PictureBox::PictureBox(Form& owner, Rect outer, bool crossCursor)
    : owner_(owner), outer_(outer), visible_(true), cross_(crossCursor),
      image_(outer.w - 4, outer.h - 4, kWindowBackground) {
  owner_.addPictureBox(*this);
}

void PictureBox::settle() const {
  if (!inWindow_) return;
  inWindow_ = false;
  owner_.returnPicture(*this, image_);
}

void PictureBox::changed() { owner_.pictureChanged(*this); }

void PictureBox::setPicture(const Surface& pic) {
  if (visible_ && owner_.takePicture(*this, pic)) {
    inWindow_ = true;
    return;
  }
  inWindow_ = false;
  // One copy; only what the picture leaves uncovered turns white.
  copyClipped(pic, image_, {0, 0, image_.width(), image_.height()});
  if (visible_) owner_.pictureChanged(*this);
}

// ---- Form ----

Form::Form(App& app, FormDesign design) : app_(app), design_(std::move(design)) {}

Form::~Form() {
  if (window_) app_.desktop().destroyWindow(*window_);
  app_.removeForm(this);
}

void Form::removeLabel(const Label& l) {
  std::erase(labels_, &l);
  chromeDirty_ = true;
}

void Form::removePictureBox(const PictureBox& p) {
  std::erase(boxes_, &p);
  std::erase(changed_, &p);
  chromeDirty_ = true;
}

void Form::Load() {
  if (window_) return;
  for (Label* l : labels_) l->resetDesign();
  resetDesign();
  WindowOptions opts;
  opts.clientWidth = design_.clientWidth;
  opts.clientHeight = design_.clientHeight;
  opts.caption = design_.caption;
  opts.titleBar = design_.titleBar;
  opts.skipTaskbar = design_.skipTaskbar;
  opts.centred = design_.centred;
  opts.icon = design_.icon;
  opts.iconTransparent = design_.iconTransparent;
  // A finger aims where the mouse does, or stands in for the key a window without one waits for.
  for (const PictureBox* b : boxes_)
    if (b->visible() && b->mouse.down) {
      opts.touch = WindowOptions::Touch::Aim;
      opts.aimArea = b->client();
      break;
    }
  if (opts.touch == WindowOptions::Touch::AsMouse && design_.keyPreview) opts.touch = WindowOptions::Touch::Key;
  window_ = app_.desktop().createWindow(opts);
  if (pendingPos_) app_.desktop().moveWindowFrame(*window_, pendingPos_->first, pendingPos_->second);
  settleBoxes();
  client_ = Surface(design_.clientWidth, design_.clientHeight, design_.background);
  chromeDirty_ = true;
  app_.addForm(this);
  for (Timer* t : timers_) app_.arm(*t, true);
  Form_Load();
}

void Form::Unload() {
  if (!window_) return;
  for (Timer* t : timers_) app_.arm(*t, false);
  app_.desktop().destroyWindow(*window_);
  window_.reset();
  visible_ = false;
  app_.removeForm(this);
}

void Form::Show() {
  Load();
  if (!window_ || visible_) return;
  visible_ = true;
  if (frameHeld_) {
    frameHeld_ = false;
    drawHeldFrame();
  }
  chromeDirty_ = true;
  present();
  app_.desktop().showWindow(*window_, true);
}

void Form::Hide() {
  if (!window_ || !visible_) return;
  visible_ = false;
  app_.desktop().showWindow(*window_, false);
}

Rect Form::frame() {
  if (!window_) Load();
  return app_.desktop().windowFrame(*window_);
}

float Form::Left() { return float(frame().x) * kTwipsPerPixel; }
float Form::Top() { return float(frame().y) * kTwipsPerPixel; }
float Form::Width() { return float(frame().w) * kTwipsPerPixel; }
float Form::Height() { return float(frame().h) * kTwipsPerPixel; }

void Form::setLeft(float twips) {
  const Rect f = frame();
  const int x = toPixel(twips / kTwipsPerPixel);
  pendingPos_ = {x, f.y};
  app_.desktop().moveWindowFrame(*window_, x, f.y);
}

void Form::setTop(float twips) {
  const Rect f = frame();
  const int y = toPixel(twips / kTwipsPerPixel);
  pendingPos_ = {f.x, y};
  app_.desktop().moveWindowFrame(*window_, f.x, y);
}

float screenWidthTwips(App& app) { return float(app.desktop().screenWidth()) * kTwipsPerPixel; }
float screenHeightTwips(App& app) { return float(app.desktop().screenHeight()) * kTwipsPerPixel; }

void Form::mouseEvent(const InputEvent& ev) {
  const int x = int(std::floor(ev.x)), y = int(std::floor(ev.y));
  for (PictureBox* b : boxes_) {
    if (!b->visible() || !b->outer().contains(x, y)) continue;
    if (ev.type == InputEvent::Type::MouseMove) app_.desktop().setCursor(b->crossCursor() ? Cursor::Cross : Cursor::Arrow);
    const Rect c = b->client();
    if (!c.contains(x, y)) return;  // over the border nothing is reported
    const float cx = ev.x - float(c.x), cy = ev.y - float(c.y);
    const auto& h = b->mouse;
    switch (ev.type) {
      case InputEvent::Type::MouseMove: if (h.move) h.move(ev.button, ev.shift, cx, cy); break;
      case InputEvent::Type::MouseDown: if (h.down) h.down(ev.button, ev.shift, cx, cy); break;
      case InputEvent::Type::MouseUp: if (h.up) h.up(ev.button, ev.shift, cx, cy); break;
      default: break;
    }
    return;
  }
  if (ev.type == InputEvent::Type::MouseMove) {
    app_.desktop().setCursor(Cursor::Arrow);
    Form_MouseMove(ev.button, ev.shift, ev.x, ev.y);
  }
}

std::vector<std::string> Form::spokenText() const {
  std::vector<std::string> lines;
  if (visible_)
    for (const Label* l : spokenLabels()) lines.push_back(l->Caption());
  return lines;
}

void Form::keyChar(int key) {
  if (design_.keyPreview) Form_KeyPress(key);
}

void Form::pictureChanged(const PictureBox& box) {
  // Copied into the window when it is next presented: a hidden window never pays for it.
  if (std::find(changed_.begin(), changed_.end(), &box) == changed_.end()) changed_.push_back(&box);
}

void Form::drawBoxEdge(const PictureBox& box) {
  const Rect o = box.outer();
  // The sunken edge: shadow and dark shadow above and left, highlight and light below and right.
  // Each line clipped to the client area once, then filled.
  auto hline = [&](int x0, int x1, int y, Pixel p) {
    x0 = std::max(x0, 0);
    x1 = std::min(x1, client_.width() - 1);
    if (y < 0 || y >= client_.height() || x0 > x1) return;
    Pixel* d = client_.row(y);
    std::fill(d + x0, d + x1 + 1, p);
  };
  auto vline = [&](int x, int y0, int y1, Pixel p) {
    if (x < 0 || x >= client_.width()) return;
    for (int y = std::max(y0, 0); y <= std::min(y1, client_.height() - 1); ++y) client_.row(y)[x] = p;
  };
  const int r = o.x + o.w - 1, b = o.y + o.h - 1;
  hline(o.x, r, o.y, rgb(160, 160, 160));
  vline(o.x, o.y, b, rgb(160, 160, 160));
  hline(o.x, r, b, rgb(255, 255, 255));
  vline(r, o.y, b, rgb(255, 255, 255));
  hline(o.x + 1, r - 1, o.y + 1, rgb(105, 105, 105));
  vline(o.x + 1, o.y + 1, b - 1, rgb(105, 105, 105));
  hline(o.x + 1, r - 1, b - 1, rgb(227, 227, 227));
  vline(r - 1, o.y + 1, b - 1, rgb(227, 227, 227));
}

void Form::drawBoxPicture(const PictureBox& box) { copyClipped(box.Image(), client_, box.client()); }

bool Form::takePicture(const PictureBox& box, const Surface& pic) {
  const Rect c = box.client();
  if (!window_ || c.x < 0 || c.y < 0 || c.x + c.w > client_.width() || c.y + c.h > client_.height() ||
      box.ScaleWidth() != c.w || box.ScaleHeight() != c.h)
    return false;
  copyClipped(pic, client_, c);
  std::erase(changed_, &box);
  include(dirty_, c);
  return true;
}

void Form::returnPicture(const PictureBox& box, Surface& image) const {
  const Rect c = box.client();
  for (int y = 0; y < c.h; ++y) std::copy_n(client_.row(c.y + y) + c.x, c.w, image.row(y));
}

void Form::settleBoxes() {
  for (const PictureBox* b : boxes_) b->settle();
}

void Form::drawChrome() {
  settleBoxes();  // the pictures held in the window's pixels, before those are painted over
  client_.fill(design_.background);
  if (design_.backgroundPicture) client_.paint(*design_.backgroundPicture, 0, 0, std::nullopt, Rop::SrcCopy);
  for (const PictureBox* b : boxes_)
    if (b->visible()) {
      drawBoxEdge(*b);
      drawBoxPicture(*b);
    }
  for (const Label* l : labels_) {
    const TextBitmap& t = l->text(app_.desktop());
    const Rect box = l->box();
    int x0 = box.x;
    if (l->alignment() == Align::Right) x0 = box.x + box.w - t.width;
    if (l->alignment() == Align::Center) x0 = box.x + (box.w - t.width) / 2;
    const Pixel c = l->colour();
    for (int y = 0; y < t.height && y < box.h; ++y) {
      const int dy = box.y + y;
      if (dy < 0 || dy >= client_.height()) continue;
      for (int x = 0; x < t.width; ++x) {
        const int dx = x0 + x;
        if (dx < box.x || dx >= box.x + box.w || dx < 0 || dx >= client_.width()) continue;
        const unsigned a = t.coverage[std::size_t(y) * std::size_t(t.width) + std::size_t(x)];
        if (!a) continue;
        const Pixel d = client_.at(dx, dy);
        auto mix = [a](unsigned s, unsigned dd) { return (s * a + dd * (255 - a) + 127) / 255; };
        client_.set(dx, dy, rgb(int(mix((c >> 16) & 0xff, (d >> 16) & 0xff)), int(mix((c >> 8) & 0xff, (d >> 8) & 0xff)),
                                int(mix(c & 0xff, d & 0xff))));
      }
    }
  }
}

void Form::present() {
  if (!window_ || !visible_) return;  // a hidden window costs nothing to present
  if (frameHeld_ && app_.desktop().frameDue(*window_)) {
    frameHeld_ = false;
    drawHeldFrame();
  }
  if (chromeDirty_) {
    drawChrome();
    chromeDirty_ = false;
    changed_.clear();
    dirty_ = Rect{0, 0, client_.width(), client_.height()};
  }
  // The edge is drawn with the rest of the chrome; a new picture only changes what is inside it.
  for (const PictureBox* box : changed_) {
    drawBoxPicture(*box);
    include(dirty_, box->client());
  }
  changed_.clear();
  if (!dirty_) return;
  app_.desktop().present(*window_, client_, *dirty_);
  dirty_.reset();
}

bool Form::frameDue() { return window_ && visible_ && app_.desktop().frameDue(*window_); }

std::optional<Micros> Form::heldFrameDeadline() {
  if (!frameHeld_ || !window_ || !visible_) return std::nullopt;
  return app_.desktop().frameDeadline(*window_);
}

}  // namespace kh
