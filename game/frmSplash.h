#pragma once
#include <cstdint>
#include <string_view>

#include "Catalogue.h"
#include "Form.h"
#include "HighScoreFile.h"

namespace kh {

class Form1;

// The title window, which is also the result window.
class frmSplash : public Form {
 public:
  frmSplash(App& app, const Catalogue& pictures, Form1& play, HighScoreFile file = HighScoreFile());

  std::int16_t HiScore = 0;
  Label Label1, Label3, Label5;

  // The clock allows the first game: the title asks for a key.
  void showStartPrompt();
  // A game has ended: the window comes back with the score and its rating, and a score
  // above the best one is stored and shown as the new best.
  void showResult(std::int16_t punkte, std::string_view rating);

  // Starts a game if the clock has given permission (what any key does).
  void StartGame();

  void closeRequested() override;

 protected:
  void Form_Load() override;
  void Form_KeyPress(int& keyAscii) override;

 private:
  Form1& form1_;
  HighScoreFile file_;
};

}  // namespace kh
