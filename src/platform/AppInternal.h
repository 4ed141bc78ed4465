// What the application services of every platform share (Portable.cpp) and
// what each platform supplies to them (not for the show).
#pragma once

#include <string>

namespace platform {

// The folder that holds the program, as this platform finds it.
std::string ProgramFolder();

} // namespace platform
