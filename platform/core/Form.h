#pragma once
#include <optional>
#include <string>
#include <vector>

#include "App.h"
#include "Surface.h"

namespace kh {

class Form;

// The desktop's classic colours.
constexpr Pixel kButtonFace = rgb(240, 240, 240);
constexpr Pixel kWindowBackground = kWhite;

enum class Align { Left, Right, Center };

// A text label drawn over its window's background. A control belongs to its window for
// its whole life: it is neither copied nor moved, and leaves the window when destroyed.
class Label {
 public:
  Label(Form& owner, Rect box, std::string designCaption, FontSpec font, Pixel colour, Align align);
  ~Label();
  Label(const Label&) = delete;
  Label& operator=(const Label&) = delete;

  const std::string& Caption() const { return caption_; }
  void setCaption(std::string text);
  const Rect& box() const { return box_; }
  Align alignment() const { return align_; }
  Pixel colour() const { return colour_; }
  const FontSpec& font() const { return font_; }

  // Back to the design-time caption (a window that loads again starts from its design).
  void resetDesign();

  // Rendered once per caption, not once per frame.
  const TextBitmap& text(Desktop& d) const;

 private:
  Form& owner_;
  Rect box_;
  std::string design_;
  std::string caption_;
  FontSpec font_;
  Pixel colour_;
  Align align_;
  mutable std::optional<TextBitmap> cache_;
};

// A picture control: a drawing surface with a persistent image. A visible one shows its
// picture inside a 2-pixel sunken edge and reports the mouse in its client coordinates.
class PictureBox {
 public:
  struct MouseHandlers {
    std::function<void(int button, int shift, float x, float y)> down, move, up;
  };

  // Hidden drawing surface.
  PictureBox(Form& owner, int clientWidth, int clientHeight);
  // Visible, bordered play surface at `outer` (border included) in its window.
  PictureBox(Form& owner, Rect outer, bool crossCursor);
  ~PictureBox();
  PictureBox(const PictureBox&) = delete;
  PictureBox& operator=(const PictureBox&) = delete;

  int ScaleWidth() const { return image_.width(); }
  int ScaleHeight() const { return image_.height(); }
  void setWidth(int w) { draw([&] { image_.resize(w, image_.height(), kWindowBackground); }); }
  void setHeight(int h) { draw([&] { image_.resize(image_.width(), h, kWindowBackground); }); }

  void Cls() { draw([&] { image_.fill(kWindowBackground); }); }
  void PaintPicture(const Surface& pic, float x1, float y1, Rop rop) {
    draw([&] { image_.paint(pic, x1, y1, std::nullopt, rop); });
  }
  void PaintPicture(const Surface& pic, float x1, float y1, float width1, Rop rop) {
    draw([&] { image_.paint(pic, x1, y1, width1, rop); });
  }
  // A masked sprite, mask and image drawn at one place in one pass.
  void PaintMasked(const Surface& mask, const Surface& pic, float x1, float y1) {
    draw([&] { image_.paintMasked(mask, pic, x1, y1, std::nullopt); });
  }
  void PaintMasked(const Surface& mask, const Surface& pic, float x1, float y1, float width1) {
    draw([&] { image_.paintMasked(mask, pic, x1, y1, width1); });
  }
  std::int32_t Point(float x, float y) const { return settle(), image_.point(x, y); }
  // The persistent image.
  const Surface& Image() const { return settle(), image_; }
  // Shows `pic` at the client area's top-left corner.
  void setPicture(const Surface& pic);
  // A visible box's picture goes straight into its window's pixels, one copy a frame; this
  // copies it back, as anything that looks at the image or draws on it does first.
  void settle() const;

  bool visible() const { return visible_; }
  const Rect& outer() const { return outer_; }
  Rect client() const { return {outer_.x + 2, outer_.y + 2, outer_.w - 4, outer_.h - 4}; }
  bool crossCursor() const { return cross_; }

  MouseHandlers mouse;

 private:
  Form& owner_;
  Rect outer_{};
  bool visible_ = false;
  bool cross_ = false;
  // Draws on the image; a visible box shows the result at the window's next present.
  template <class Op>
  void draw(Op op) {
    settle();
    op();
    if (visible_) changed();
  }
  void changed();
  mutable Surface image_;
  mutable bool inWindow_ = false;
};

struct FormDesign {
  int clientWidth = 0;
  int clientHeight = 0;
  std::string caption;
  bool titleBar = true;
  bool skipTaskbar = false;
  bool centred = false;
  bool keyPreview = false;
  Pixel background = kButtonFace;
  std::optional<std::reference_wrapper<const Surface>> backgroundPicture;
  const Surface* icon = nullptr;
  Pixel iconTransparent = 0;
};

// A top-level window with its controls. Loading runs Form_Load; the program ends when no
// form is loaded any more.
class Form {
 public:
  Form(App& app, FormDesign design);
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  void Load();
  void Unload();
  void Show();
  void Hide();
  bool Loaded() const { return window_.has_value(); }
  bool Visible() const { return visible_; }

  // Outer position and size in twips, as the desktop measures windows.
  float Left();
  float Top();
  float Width();
  float Height();
  void setLeft(float twips);
  void setTop(float twips);

  App& app() { return app_; }
  const FormDesign& design() const { return design_; }
  std::optional<WindowId> window() const { return window_; }

  // Called by the event loop.
  void mouseEvent(const InputEvent& ev);
  void keyChar(int key);
  virtual void closeRequested() { Unload(); }
  // What the window says in words, in reading order: its labels' captions while it shows.
  std::vector<std::string> spokenText() const;
  void present();
  // When a frame held back (holdFrame) must be drawn at the latest; nothing if none is.
  std::optional<Micros> heldFrameDeadline();

  // Called by controls, as they come and go.
  void invalidate() { chromeDirty_ = true; }
  void pictureChanged(const PictureBox& box);
  // Puts a visible box's new picture straight into the window's pixels; false where the box
  // must keep it itself (no window yet, or the box reaches outside it).
  bool takePicture(const PictureBox& box, const Surface& pic);
  // The picture the window holds for the box, copied back into `image`.
  void returnPicture(const PictureBox& box, Surface& image) const;
  void addLabel(Label& l) { labels_.push_back(&l); }
  void removeLabel(const Label& l);
  void addPictureBox(PictureBox& p) { boxes_.push_back(&p); }
  void removePictureBox(const PictureBox& p);
  void addTimer(Timer& t) { timers_.push_back(&t); }
  void removeTimer(const Timer& t) { std::erase(timers_, &t); }

 protected:
  virtual void Form_Load() {}
  virtual void Form_KeyPress(int& keyAscii) { (void)keyAscii; }
  virtual void Form_MouseMove(int button, int shift, float x, float y) { (void)button, (void)shift, (void)x, (void)y; }
  virtual void resetDesign() {}
  // The labels a screen reader reads, in order; none unless the window says.
  virtual std::vector<const Label*> spokenLabels() const { return {}; }
  // Whether a frame drawn now would be seen: the window shows and its display can take one.
  bool frameDue();
  // Marks a frame left undrawn because nobody would see it yet; drawHeldFrame draws it once
  // the display can take it or the window shows.
  void holdFrame() { frameHeld_ = true; }
  virtual void drawHeldFrame() {}

 private:
  void drawChrome();
  void settleBoxes();
  void drawBoxEdge(const PictureBox& box);
  void drawBoxPicture(const PictureBox& box);
  Rect frame();

  App& app_;
  FormDesign design_;
  std::optional<WindowId> window_;
  bool visible_ = false;
  std::vector<Label*> labels_;
  std::vector<PictureBox*> boxes_;
  std::vector<Timer*> timers_;
  Surface client_;
  bool chromeDirty_ = true;
  bool frameHeld_ = false;
  std::optional<Rect> dirty_;
  std::vector<const PictureBox*> changed_;
  // Where the window sits while hidden or before it was first shown.
  std::optional<std::pair<int, int>> pendingPos_;
};

// The screen's size in twips.
float screenWidthTwips(App& app);
float screenHeightTwips(App& app);

constexpr float kTwipsPerPixel = 15.0f;

}  // namespace kh
