#pragma once
// The page's side of the web backend, in page_library.js: what the C++ side calls. Strings
// are UTF-8; `why` receives a reason of at most 200 bytes.
extern "C" {

// Makes the page's side, once, before anything below but kh_web_fatal and the files and score
// calls, which need nothing made.
void kh_web_start(int maxScale);

// Windows as canvases: made hidden, shown on top or hidden, taken away.
void kh_web_window(int id, int width, int height, const char* caption, int announce);
void kh_web_destroy(int id);
void kh_web_show_window(int id, int shown);
// The window's pixels are at `rgba` (kept until it is destroyed); this part of them changed.
void kh_web_dirty(int id, void* rgba, int x, int y, int w, int h);
void kh_web_cursor(int cross);
// The texts a window shows, lines apart, for screen readers.
void kh_web_mirror(int id, const char* text);
double kh_web_random32();
// The program must stop: the message on the page.
void kh_web_fatal(const char* message);

// The game's clock in milliseconds; it stands still while the page is hidden.
double kh_web_now();
int kh_web_pending();
// The oldest queued input into out[8]: type (0 move, 1 down, 2 up, 3 key), window, x, y in
// device pixels of the enlarged window, button, shift, key, and the scale x and y were
// measured at. 0 when there is none.
int kh_web_take(double* out);
// Sleeps until `ms` have passed on the game's clock or input comes; 0 only lets the page run.
// Asynchronous: the program's stack is unwound through Asyncify.
void kh_web_sleep(double ms);
// How much faster than real time a test asked the game's clock to run: 1 to 16.
int kh_web_test_clock_rate();

// Draws a text and gives its width and height in size[2]; 0 when it has no pixels. Its
// coverage (width * height bytes) then follows into `out`.
int kh_web_text(const char* family, double px, int weight, const char* utf8, int* size);
void kh_web_text_coverage(unsigned char* out);

// Whether the browser has Web Audio; the samples it holds by number, and the one to play.
int kh_web_audio_available();
void kh_web_audio_buffer(int id, const void* data, int bytes, int rate, int channels);
void kh_web_audio_play(int id);

// The files the page fetched before the program started: size (-1 with `why` when there is
// no such file), contents, and a number of its own (1 up).
double kh_web_file_size(const char* name, char* why);
void kh_web_file_read(const char* name, void* out);
int kh_web_file_index(const char* name);

// The best score in local storage under `key` into `out`, and `score` stored when `store` is
// set and it is not below the stored one; 0 with `why` when that cannot be done.
int kh_web_score(const char* key, int score, int store, int* out, char* why);

}  // extern "C"
