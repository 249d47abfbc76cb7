// The one-second clock: counts the game down, refills the magazine, and on its second tick
// after start-up gives permission to play.
#include "game/Form1.h"
#include "screens/frmSplash.h"

namespace kh {

void Form1::Timer3_Timer() {
  tme = tme - 1;
  if (tme == 0) GameOver();
  Label2.setCaption(joinNumber("Zeit:", tme));
  if (tme + 2 == s_.reloadAt) {
    shots = 5;
    Label3.setCaption(joinNumber("Schuss: ", *shots));
    refillCue();
    if (!GoIt) {
      splash_.Label3.setCaption("Bitte Taste drücken");
      GoIt = true;
    }
  }
}

}  // namespace kh
