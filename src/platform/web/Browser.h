// What the browser's platform offers its port beyond the platform contract:
// the page around the canvas and the end of a frame loop that runs after
// main() has returned.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <vector>

namespace platform::web {

// Whether this browser gives a WebGL 2 (OpenGL ES 3.0) context, which the
// show's renderer draws with.
bool HasWebGl2();

// Called once the frame loop has stopped: with nothing when the show ended,
// or with the exception that escaped a pass. The loop is cancelled first.
void SetFrameLoopEnd(std::function<void(std::exception_ptr)> onEnd);

// Tells the page that the show is over after frames frames, so that it
// offers to play again; with an error the message is already on the page.
void ShowEnded(bool withError, int frames);

// Puts a picture (RGB, top row first) on the page as a PNG in the image
// "snapshot" (and "snapshot-FRAME"); the last one of a run also titles the
// page "citadel snapshot FRAME" for whoever waits for it.
void ShowSnapshot(int frame, const std::vector<std::uint8_t>& rgb, int width, int height, bool last);

} // namespace platform::web
