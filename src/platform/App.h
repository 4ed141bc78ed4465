// Application services: the program folder, the application's name, the
// message box, and the one uniform random generator.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The folder that holds the program file, without a trailing separator,
// or the folder given with --data.
std::string AppPath();
void SetDataFolder(const std::string& folder);

// Joins the program folder and a literal that starts with a backslash, such
// as "\Tex0.MOT", mapping the backslash to this system's separator and
// nothing else.
std::string ResourcePath(const std::string& folder, const std::string& literal);

std::string AppTitle();

constexpr int vbCritical = 16;
// A modal message box (when a window system is there), always echoed to
// stderr so that headless runs and logs show it too.
void MsgBox(const std::string& prompt, int style, const std::string& title);

// The uniform random generator: values in [0, 1).
void Randomize(double seed);
void RandomizeFromClock();
float Rnd();

} // namespace platform
