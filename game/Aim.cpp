// Aiming and scrolling: the mouse is the only control.
#include <cmath>

#include "Form1.h"
#include "SameBits.h"
#include "Layout.h"

namespace kh {

void Form1::Picture1_MouseMove(int, int, float x, float y) {
  s_.aimX = x;
  s_.aimY = y;
  // In single precision, as the pointer position arrives; the dead-zone test in double.
  float s = (layout::kScrollCentre - x) / layout::kScrollSpan;
  if (std::abs(double(s)) < layout::kDeadZone) s = 0;
  s_.scrollSpeed = power(double(s), 9);  // steep towards the edges, gentle near the middle
}

void Form1::Picture1_MouseDown(int, int, float x, float y) {
  s_.aimX = x;
  s_.aimY = y;
  TestShot(s_.aimX, s_.aimY);
}

void Form1::Picture1_MouseUp(int, int, float x, float y) {
  s_.aimX = x;
  s_.aimY = y;
}

void Form1::Form_MouseMove(int, int, float x, float) {
  if (x < 8) s_.scrollSpeed = 11;
  if (x > 408) s_.scrollSpeed = -11;
}

}  // namespace kh
