// Binding OpenGL to the show's window: the pixel format, the rendering
// context and its release, and the fatal-error box.
#pragma once

#include "platform/Window.h"

#include <string>

namespace BasicWGL {

// The window's rendering context; 0 until start-up creates it.
extern platform::HGLRC ContextHandle;

// Chooses and sets the pixel format the show needs on the device context,
// or ends the program through FatalError when none matches.
void SetupPixelFormat(platform::HDC hDC);

// Shows "Fatal Error: " + message in a critical-stop box titled
// "Fatal Error In " + the application's name, then ends the program
// (Runtime::Exit with status 1).
[[noreturn]] void FatalError(const std::string& message);

// Makes no context current and deletes the show's context (if there is one).
void ReleaseGL();

} // namespace BasicWGL
