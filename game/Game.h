#pragma once
#include <memory>

#include "Form1.h"
#include "frmSplash.h"

namespace kh {

// The program's two windows. The title window loads the play window; each refers to the other.
struct Game {
  frmSplash splash;
  Form1 form1;
  // The best score is kept in the platform's bytes, as BestScore reads and writes them.
  Game(App& app, const Catalogue& pictures, std::unique_ptr<ScoreBytes> scores)
      : splash(app, pictures, form1, std::make_unique<BestScore>(std::move(scores))), form1(app, pictures, splash) {}
};

}  // namespace kh
