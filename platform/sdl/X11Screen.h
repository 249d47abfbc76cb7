#pragma once
namespace kh::x11 {

// What the screen that DISPLAY names offers for drawing, looked at before SDL opens it.
struct ScreenInfo {
  bool answers = false;      // an X server answered
  int number = 0;            // the screen DISPLAY names (":0.1" is screen 1)
  int depth = 0;             // of its default visual
  bool shared = false;       // a local server with shared memory, and pixels we can write there
  bool surface = false;      // SDL's window surface can serve its default visual
  unsigned long visual = 0;  // else a true-colour visual it can serve instead; 0 if none
};
ScreenInfo inspectScreen();

// True when the X display named by DISPLAY answers.
bool displayAnswers();

}  // namespace kh::x11
