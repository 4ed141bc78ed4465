// Plays the show with the port around it, as main() and the benchmark both
// do: the options applied to the platform, the window opened, start-up, the
// frame loop, and the video subsystem ended again.
#pragma once

#include "port/PortHooks.h"
#include "port/ShowOptions.h"

// Runs the show to its end with the script of the options (state log,
// snapshots, scripted keys, frame limit, key storm) attached to hooks after
// whatever the caller attached. Errors propagate as exceptions: a
// Runtime::Exit, a platform::VideoError, or any other std::exception for a
// run-time error.
void RunShow(const ShowOptions& options, PortHooks& hooks);

// Before anything starts: "" when the sixteen images are all in folder;
// otherwise one message naming every one that is missing, and the music
// module too when it is missing as well, and every one that cannot be
// reached (a folder on the way that may not be searched), with the reason.
// (The module alone missing is no error: the show then plays silently.)
std::string MissingShowFiles(const std::string& folder);
