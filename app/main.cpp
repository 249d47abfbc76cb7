#include <exception>

#include "App.h"
#include "SdlBackend.h"
#include "Catalogue.h"
#include "Game.h"
#include "Report.h"

int main() {
  try {
    kh::SdlBackend backend;
    kh::App app(backend);
    const kh::Catalogue pictures;
    kh::Game game(app, pictures);
    game.splash.Show();
    app.run();
  } catch (const std::exception& e) {
    kh::reportProblem(e.what());
    return 1;
  }
  return 0;
}
