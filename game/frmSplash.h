#pragma once
#include <cstdint>
#include <memory>
#include <string_view>

#include "Catalogue.h"
#include "Form.h"
#include "ScoreStore.h"

namespace kh {

class Form1;

// The title window, which is also the result window.
class frmSplash : public Form {
 public:
  // The best score is read from and stored in `scores`; without one it is kept for this run only.
  frmSplash(App& app, const Catalogue& pictures, Form1& play, std::unique_ptr<ScoreStore> scores);

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
  std::vector<const Label*> spokenLabels() const override { return {&Label1, &Label3, &Label5}; }
  void Form_KeyPress(int& keyAscii) override;

 private:
  Form1& form1_;
  std::unique_ptr<ScoreStore> scores_;
};

}  // namespace kh
