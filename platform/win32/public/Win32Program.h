#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace kh::win32 {

// The program's arguments as Windows splits them, without the program's name, in UTF-8.
std::vector<std::string> commandLineArguments();

// A program without a console still says things where someone sees them: stdout and stderr
// go to the console it was started from, if any, or wherever they were redirected. True when
// stdout leads somewhere.
bool attachConsole();

// Help and usage: printed when stdout leads somewhere, else shown in a message box.
void say(std::string_view text, bool error);

// The program must stop: one line on stderr and a message box.
void reportFatal(std::string_view message);

}  // namespace kh::win32
