// Application services: the program folder, the application's name, the
// message box, warnings, and the one uniform random generator.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The folder that holds the program file, without a trailing separator,
// or the data folder the port has set instead.
std::string AppPath();
void SetDataFolder(const std::string& folder);

// Joins the program folder and a literal that starts with a backslash, such
// as "\Tex0.MOT", mapping the backslash to this system's separator and
// nothing else.
std::string ResourcePath(const std::string& folder, const std::string& literal);

std::string AppTitle();

constexpr int vbCritical = 16;
// A modal message box, always echoed to stderr so that headless runs and
// logs show it too. The box belongs to the show's window; before there is
// one (or after), it stands alone where boxes without a window are allowed
// and a display is announced (DISPLAY or WAYLAND_DISPLAY).
void MsgBox(const std::string& prompt, int style, const std::string& title);
// Whether MsgBox shows a box when there is no window: for a program started
// from the desktop, whose user reads no stderr. Off by default.
void AllowBoxesWithoutWindow(bool allowed);

// A warning on stderr, "citadel: " and the message: something the user may
// want to know that does not stop the program.
void Warn(const std::string& message);
// Fuzzers and the like turn warnings off.
void SetWarningsShown(bool shown);

// The uniform random generator: values in [0, 1). Randomize seeds it from
// the clock, or from the seed the port has pinned.
void Randomize();
void PinRandomSeed(std::uint32_t seed);
float Rnd();
// The generator's state, to be kept and put back: a show taken back to an
// earlier frame draws the same colours from there again.
std::uint32_t RandomState();
void SetRandomState(std::uint32_t state);

} // namespace platform
