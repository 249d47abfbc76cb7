// The end of a game: the title window comes back with the score, a rating and the best score.
#include <algorithm>
#include <cmath>

#include "game/Form1.h"
#include "screens/frmSplash.h"

namespace kh {

void Form1::GameOver() {
  Timer1.setEnabled(false);
  splash_.Show();
  s_.ratings = {"Ladännche!", "Ladännche!", "Ladännche!", "Wibbel!", "Wibbel!", "Wibbel!",
                "Üben, üben, üben!", "Mittelmäßig", "Nicht schlecht", "Super", "Quarx"};
  splash_.Label3.setCaption(joinNumber("Punkte: ", punkte));
  const auto index = std::min<long>(long(std::floor(punkte / 100.0)), 10);
  splash_.Label5.setCaption("Status: " + s_.ratings[std::size_t(index)]);
  if (punkte > splash_.HiScore) {
    // Stored first; if that fails the new best score still shows and is kept for this run.
    splash_.scoreFile().write(punkte);
    splash_.Label1.setCaption(joinNumber("Hiscore: ", punkte));
    splash_.HiScore = punkte;
  }
}

}  // namespace kh
