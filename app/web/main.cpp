// The game in a web page: no command line and no folders; the page holds the sounds and
// its local storage the best score.
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "App.h"
#include "Catalogue.h"
#include "FastClock.h"
#include "Game.h"
#include "WebBackend.h"
#include "WebScoreStore.h"

namespace {

// What a window's labels say, in the order the window lays them out.
std::vector<std::string> captions(const kh::Form& form, std::initializer_list<const kh::Label*> labels) {
  std::vector<std::string> lines;
  if (form.Visible())
    for (const kh::Label* l : labels) lines.push_back(l->Caption());
  return lines;
}

}  // namespace

int main() {
  try {
    kh::WebBackend backend;
    kh::FastClockBackend clock(backend, backend.testClockRate());  // rate 1 unless a test asks
    kh::App app(clock);
    const kh::Catalogue pictures;
    kh::Game game(app, pictures, std::make_unique<kh::WebScoreStore>());
    // The page shows in words what the windows show, for screen readers.
    backend.beforeWait = [&] {
      const kh::frmSplash& s = game.splash;
      const kh::Form1& f = game.form1;
      if (s.window()) backend.mirrorTexts(*s.window(), captions(s, {&s.Label1, &s.Label3, &s.Label5}));
      if (f.window()) backend.mirrorTexts(*f.window(), captions(f, {&f.Label2, &f.Label1, &f.Label3}));
    };
    game.splash.Show();
    app.run();
  } catch (const std::exception& e) {
    kh::showFatal(e.what());
    return 1;
  }
  return 0;
}
