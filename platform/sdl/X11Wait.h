#pragma once

namespace kh::x11 {

// Holds back the signals that end the game (SIGINT, SIGTERM, SIGHUP) from every thread but
// one waiting in waitForInput, so that the wait wakes for them and SDL hears of them at once;
// else one that lands between waits goes unheard until the X server next says something.
// Before any thread starts; released again where the windows are not X11 ones.
void holdEndingSignals();
void releaseEndingSignals();

// Waits until the X server has something for us or `micros` have passed (0: just looks);
// true if it has, if Xlib already holds unread events, or if a signal came. One system call,
// where SDL's own wait and look make a dozen.
bool waitForInput(void* display, long long micros);

}  // namespace kh::x11
