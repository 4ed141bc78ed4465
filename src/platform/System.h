// What the port asks of the operating system about this process: how long
// it has run, how much memory it took, and whether a person watches stderr.
#pragma once

namespace platform {

// Milliseconds since the kernel started this process (exec, the dynamic
// loader and the libraries' own start-up included), to one clock tick.
double MsSinceProcessStart();

// The most resident memory this process has held so far, in MiB.
double PeakMemoryMiB();

// This process's id, e.g. to tell its files from another run's.
int ProcessId();

// Whether stderr is a terminal (progress bars go there only then).
bool StderrIsTerminal();

// Whether the program was started from a terminal: stdin or stderr is one.
// Not so when a desktop started it, or anything that reads no stderr.
bool StartedFromTerminal();

} // namespace platform
