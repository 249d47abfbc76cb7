#include <exception>
#include <iostream>

#include "platform/App.h"
#include "platform/SdlBackend.h"
#include "render/Catalogue.h"
#include "screens/Game.h"

int main() {
  try {
    kh::SdlBackend backend;
    kh::App app(backend);
    const kh::Catalogue pictures;
    kh::Game game(app, pictures);
    game.splash.Show();
    app.run();
  } catch (const std::exception& e) {
    std::cerr << "knuffelhatz: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
