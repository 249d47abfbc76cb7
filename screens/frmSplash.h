#pragma once
#include <cstdint>

#include "platform/Form.h"
#include "render/Catalogue.h"
#include "screens/HighScoreFile.h"

namespace kh {

class Form1;

// The title window, which is also the result window.
class frmSplash : public Form {
 public:
  frmSplash(App& app, const Catalogue& pictures, Form1& play, HighScoreFile file = HighScoreFile());

  std::int16_t HiScore = 0;
  Label Label1, Label3, Label5;

  const HighScoreFile& scoreFile() const { return file_; }
  void closeRequested() override;

 protected:
  void Form_Load() override;
  void Form_KeyPress(int& keyAscii) override;

 private:
  void StartGame();

  Form1& form1_;
  HighScoreFile file_;
};

}  // namespace kh
