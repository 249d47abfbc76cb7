#pragma once
// The page's side of the web backend, in page_library.js: what the C++ side calls. Strings
// are UTF-8; `why` receives a reason of at most 200 bytes.
extern "C" {

// Makes the page's side, once, before anything below but kh_web_fatal, kh_web_test_clock_rate
// and the files and score calls, which need nothing made.
void kh_web_start(void);

// Windows as canvases of width x height picture pixels: made hidden at a whole scale, shown
// on top or hidden, enlarged to another scale, taken away.
void kh_web_window(int id, int width, int height, const char* caption, int announce, int scale);
void kh_web_destroy(int id);
void kh_web_show_window(int id, int shown);
void kh_web_scale(int id, int scale);
// The whole page on the full screen, or back; nothing when it is so already.
void kh_web_fullscreen(int on);
// The room for the windows in device pixels into size[2].
void kh_web_area(int* size);
// The window's pixels are at `rgba` (kept until it is destroyed); this part of them changed.
void kh_web_dirty(int id, void* rgba, int x, int y, int w, int h);
void kh_web_cursor(int cross);
// The texts a window shows, lines apart, for screen readers.
void kh_web_describe(int id, const char* text);
double kh_web_random32();
// The program must stop: the message on the page.
void kh_web_fatal(const char* message);

// The game's clock in milliseconds; it stands still while the page is hidden.
double kh_web_now();
int kh_web_pending();
// The oldest queued input into out[11], as WebInput.cpp reads it; 0 when there is none.
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

// Starts fetching the page's files, each refused once it is known to hold more than `limit`
// bytes; waits for none of them.
void kh_web_files_fetch(double limit);
// The files the page fetched: size (-1 with `why` when there is no such file, -2 while it is
// on its way), contents, and a number of its own (1 up).
double kh_web_file_size(const char* name, char* why);
void kh_web_file_read(const char* name, void* out);
int kh_web_file_index(const char* name);

// The best score's first bytes in local storage under `key` into out[2]: how many there are
// (0 to 2), or -1 with `why` when the page cannot read them or the value holds something else.
int kh_web_score_read(const char* key, unsigned char* out, char* why);
// Stores the two bytes in place of the first two under `key`, later ones kept; 0 with `why`
// when the page cannot.
int kh_web_score_write(const char* key, int byte0, int byte1, char* why);

}  // extern "C"
