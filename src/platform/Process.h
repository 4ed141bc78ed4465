// Child programs and interruption: what capture needs from the operating
// system to drive an encoder and to stop cleanly on Ctrl+C.
#pragma once

#include <string>
#include <vector>

namespace platform {

// The full path of an executable called name on PATH, or "" when there is none.
std::string FindProgram(const std::string& name);

// A running child program whose standard input is a pipe we write to.
// Its standard output and error are ours. It runs in a process group of
// its own, so a Ctrl+C in the terminal reaches only us and we decide.
struct ChildProgram {
    int pid = -1;
    int input = -1; // write end of the pipe, -1 once closed
};

// Starts path with args. Throws std::runtime_error when it cannot be
// started, saying why (a script's missing interpreter named).
ChildProgram StartProgram(const std::string& path, const std::vector<std::string>& args);

// Writes all of data to the child's input. False when the child has gone
// (broken pipe), the write failed otherwise, or an interrupt was requested
// (the write does not wait for a child that stopped reading then).
bool WriteToProgram(ChildProgram& child, const void* data, std::size_t size);

// Closes the child's input and waits for it: its exit status, or 128 plus
// the signal that ended it. An interrupt while it waits ends the child.
int WaitForProgram(ChildProgram& child);

// Ends the child at once (SIGKILL to its process group) and reaps it.
// Nothing when it is not running.
void KillProgram(ChildProgram& child) noexcept;

// Runs path with args to the end, standard input closed; its exit status.
// An interrupt while it runs ends it.
int RunProgram(const std::string& path, const std::vector<std::string>& args);

// The same, with what it prints on standard output (its first 64 KiB) in output.
int RunProgramReading(const std::string& path, const std::vector<std::string>& args, std::string& output);

// From now on SIGINT, SIGTERM and SIGHUP, however many, only raise a flag,
// which every write and wait above heeds at once, and a broken pipe is an
// error result instead of a signal.
void CatchInterrupts();
bool InterruptRequested();
// The signal that raised the flag first; 0 when none did.
int InterruptSignal();

} // namespace platform
