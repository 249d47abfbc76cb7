#pragma once
#include <memory>

#include "Form1.h"
#include "frmSplash.h"

namespace kh {

// The program's two windows. The title window loads the play window; each refers to the other.
struct Game {
  frmSplash splash;
  Form1 form1;
  Game(App& app, const Catalogue& pictures, std::unique_ptr<ScoreStore> scores)
      : splash(app, pictures, form1, std::move(scores)), form1(app, pictures, splash) {}
};

}  // namespace kh
