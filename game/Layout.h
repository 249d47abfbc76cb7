#pragma once
#include "Platform.h"

// Where things are in the play window and how fast they move: the numbers the tools and the
// tests that drive the game from outside need too, kept here once.
namespace kh::layout {

// The play area (Picture1) in the play window's client area, its 2-pixel border included.
constexpr Rect kPlayBox{8, 32, 401, 249};
constexpr int kPlayBorder = 2;
// The play area's own client area, in which the game draws and reads the mouse: 397x245 at (10, 34).
constexpr Rect kPlayArea{kPlayBox.x + kPlayBorder, kPlayBox.y + kPlayBorder, kPlayBox.w - 2 * kPlayBorder,
                         kPlayBox.h - 2 * kPlayBorder};

// The pointer scrolls the view by ((kScrollCentre - x) / kScrollSpan)^9 per tick, except in the
// dead zone, where that ratio is below kDeadZone either way: columns 95 to 305 of the play area.
constexpr float kScrollCentre = 200, kScrollSpan = 150;
constexpr double kDeadZone = 0.7;
constexpr int kDeadLo = int(kScrollCentre - kScrollSpan * kDeadZone + 0.5);
constexpr int kDeadHi = int(kScrollCentre + kScrollSpan * kDeadZone + 0.5);
static_assert(kDeadLo == 95 && kDeadHi == 305);

// The creature's top row when its arc touches the ground, and how much faster the points
// make it: the arc by arcFactor, the sideways drift by driftFactor.
constexpr double kArcBase = 150;
constexpr double arcFactor(int punkte) { return punkte / 1000.0 + 1; }
constexpr double driftFactor(int punkte) { return punkte / 500.0 + 0.5; }

}  // namespace kh::layout
