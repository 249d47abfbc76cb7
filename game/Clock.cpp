// The one-second clock: counts the game down, refills the magazine, on its second tick after
// start-up gives permission to play, and ends the game.
#include <algorithm>
#include <cmath>

#include "Design.h"
#include "Form1.h"
#include "frmSplash.h"

namespace kh {

void Form1::Timer3_Timer() {
  tme = tme - 1;
  if (tme == 0) GameOver();
  Label2.setCaption(joinNumber("Zeit:", tme));
  if (tme + 2 == s_.reloadAt) {
    shots = 5;
    Label3.setCaption(shotsCaption(*shots));
    refillCue();
    if (!GoIt) {
      splash_.showStartPrompt();
      GoIt = true;
    }
  }
}

void Form1::GameOver() {
  Timer1.setEnabled(false);
  s_.ratings = {"Ladännche!", "Ladännche!", "Ladännche!", "Wibbel!", "Wibbel!", "Wibbel!",
                "Üben, üben, üben!", "Mittelmäßig", "Nicht schlecht", "Super", "Quarx"};
  const auto index = std::min<long>(long(std::floor(punkte / 100.0)), 10);
  splash_.showResult(punkte, s_.ratings[std::size_t(index)]);
}

}  // namespace kh
