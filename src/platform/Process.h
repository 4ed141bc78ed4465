// Child programs and interruption: what capture needs from the operating
// system to drive an encoder, and what every mode needs to stop cleanly on
// Ctrl+C, SIGTERM or SIGHUP.
#pragma once

#include <exception>
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

// Ends the child (SIGKILL to its process group) but neither reaps it nor
// closes its input: a thread blocked writing to it gets a broken pipe, and
// KillProgram or WaitForProgram reaps it after that thread is done.
void EndProgram(const ChildProgram& child) noexcept;

// Runs path with args to the end, standard input closed; its exit status.
// An interrupt while it runs ends it.
int RunProgram(const std::string& path, const std::vector<std::string>& args);

// The same, with what it prints on standard output (its first 64 KiB) in output.
int RunProgramReading(const std::string& path, const std::vector<std::string>& args, std::string& output);

// From now on SIGINT, SIGTERM and SIGHUP, however many, only raise a flag,
// which every write and wait above heeds at once and the frame loop checks
// before each pass, and a broken pipe is an error result instead of a signal.
void CatchInterrupts();
bool InterruptRequested();
// The signal that raised the flag first; 0 when none did.
int InterruptSignal();

// The run stops because a signal raised the flag: thrown by the frame loop
// before its next pass and by whatever else heeds the flag. On its way out
// each part of the run adds the files it was asked for and has not written,
// so that one line can say what the interrupt cost. (Declared here alone,
// it is also caught by code the browser's build shares, where no signal
// ever raises it.)
struct Interrupted : std::exception {
    explicit Interrupted(int signal) : signal(signal) {}
    const char* what() const noexcept override { return "interrupted"; }
    int signal;
    std::vector<std::string> unwritten; // quoted names, e.g. "'show.csv'", in the order added
};

// Throws Interrupted when the flag is up.
void StopIfInterrupted();

} // namespace platform
