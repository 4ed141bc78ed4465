// Child programs over posix_spawn, and the interrupt flag.
#include "platform/Process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string_view>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform {

namespace {

volatile std::sig_atomic_t interruptSignal = 0;
// A pipe the signal handler writes to, so that a wait that watches it wakes
// however late in its preparation the signal came.
int wakeRead = -1;
int wakeWrite = -1;

void OnInterrupt(int signal)
{
    if (interruptSignal == 0) interruptSignal = signal;
    const int saved = errno;
    const char byte = 1;
    if (write(wakeWrite, &byte, 1) < 0) {
        // Full: it has woken every waiter already.
    }
    errno = saved;
}

// Sleeps until fd has one of events, an interrupt comes, or timeoutMs pass (-1: no limit).
void WaitForFdOrInterrupt(int fd, short events, int timeoutMs)
{
    pollfd watched[2] = {{fd, events, 0}, {wakeRead, POLLIN, 0}};
    poll(watched, 2, timeoutMs);
}

int StatusOf(int status)
{
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return 1;
}

int Reap(int pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return 1;
    }
    return StatusOf(status);
}

// Its whole process group: a script standing in for the program may have children.
void Kill(int pid)
{
    if (kill(-pid, SIGKILL) != 0) kill(pid, SIGKILL);
}

// Reaps the child, or on an interrupt ends it first. It is looked at every
// 10 ms: a child's end wakes no poll, an interrupt does.
int ReapUnlessInterrupted(int pid)
{
    for (;;) {
        if (InterruptRequested()) {
            Kill(pid);
            return Reap(pid);
        }
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) return StatusOf(status);
        if (done < 0 && errno != EINTR) return 1;
        WaitForFdOrInterrupt(-1, 0, 10);
    }
}

// Why path cannot be started: the system's reason, or for a script whose
// first line names an interpreter that is not there, that.
std::string WhyNotStarted(const std::string& path, int error)
{
    std::string line;
    if (error == ENOENT && access(path.c_str(), F_OK) == 0) {
        std::ifstream script(path);
        std::getline(script, line);
    }
    if (line.rfind("#!", 0) != 0) return std::strerror(error);
    std::istringstream words(line.substr(2));
    std::string interpreter;
    words >> interpreter;
    return "its interpreter '" + interpreter + "' (on its first line) cannot be run";
}

// Spawns with the given fd as standard input (-1: none) and standard output
// (-1: ours), in a process group of its own and with the signals we catch
// or ignore back at their defaults.
int Spawn(const std::string& path, const std::vector<std::string>& args, int inputFd, int outputFd = -1)
{
    std::vector<char*> argv{const_cast<char*>(path.c_str())};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (inputFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, inputFd, STDIN_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (outputFd >= 0) posix_spawn_file_actions_adddup2(&actions, outputFd, STDOUT_FILENO);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) sigaddset(&defaults, signal);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);

    pid_t pid = -1;
    const int error = posix_spawn(&pid, path.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) throw std::runtime_error("cannot start " + path + ": " + WhyNotStarted(path, error));
    return pid;
}

} // namespace

std::string FindProgram(const std::string& name)
{
    if (name.find('/') != std::string::npos) return access(name.c_str(), X_OK) == 0 ? name : std::string();
    const char* path = std::getenv("PATH");
    std::string_view rest = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    for (;;) {
        const auto colon = rest.find(':');
        std::string folder(rest.substr(0, colon));
        if (folder.empty()) folder.assign(1, '.'); // an empty entry means the current folder
        const std::string candidate = folder + "/" + name;
        struct stat info {};
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(candidate.c_str(), X_OK) == 0)
            return candidate;
        if (colon == std::string_view::npos) return {};
        rest.remove_prefix(colon + 1);
    }
}

ChildProgram StartProgram(const std::string& path, const std::vector<std::string>& args)
{
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) throw std::runtime_error("cannot make a pipe for " + path);
    // Our end never blocks: a write waits in poll, where an interrupt wakes it.
    fcntl(ends[1], F_SETFL, O_NONBLOCK);
    ChildProgram child;
    try {
        child.pid = Spawn(path, args, ends[0]);
    } catch (...) {
        close(ends[0]);
        close(ends[1]);
        throw;
    }
    close(ends[0]);
    child.input = ends[1];
    return child;
}

bool WriteToProgram(ChildProgram& child, const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0 && !InterruptRequested()) {
        const ssize_t n = write(child.input, bytes, size);
        if (n >= 0) {
            bytes += n;
            size -= static_cast<std::size_t>(n);
        } else if (errno == EAGAIN) {
            WaitForFdOrInterrupt(child.input, POLLOUT, -1);
        } else if (errno != EINTR) {
            return false;
        }
    }
    return size == 0;
}

int WaitForProgram(ChildProgram& child)
{
    if (child.input >= 0) close(child.input);
    child.input = -1;
    if (child.pid < 0) return 0;
    const int status = ReapUnlessInterrupted(child.pid);
    child.pid = -1;
    return status;
}

void KillProgram(ChildProgram& child) noexcept
{
    if (child.input >= 0) close(child.input);
    child.input = -1;
    if (child.pid < 0) return;
    Kill(child.pid);
    Reap(child.pid);
    child.pid = -1;
}

void EndProgram(const ChildProgram& child) noexcept
{
    if (child.pid >= 0) Kill(child.pid);
}

int RunProgram(const std::string& path, const std::vector<std::string>& args)
{
    return ReapUnlessInterrupted(Spawn(path, args, -1));
}

int RunProgramReading(const std::string& path, const std::vector<std::string>& args, std::string& output)
{
    output.clear();
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) throw std::runtime_error("cannot make a pipe for " + path);
    int pid = -1;
    try {
        pid = Spawn(path, args, -1, ends[1]);
    } catch (...) {
        close(ends[0]);
        close(ends[1]);
        throw;
    }
    close(ends[1]);
    char buffer[4096];
    while (!InterruptRequested()) {
        WaitForFdOrInterrupt(ends[0], POLLIN, -1);
        const ssize_t n = read(ends[0], buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) break;
        if (output.size() < 65536) output.append(buffer, static_cast<std::size_t>(n));
    }
    close(ends[0]);
    return ReapUnlessInterrupted(pid);
}

void CatchInterrupts()
{
    if (wakeRead < 0) {
        int ends[2];
        if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
            wakeRead = ends[0];
            wakeWrite = ends[1];
        }
    }
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // Every wait of ours watches the wake-up pipe; the libraries' own calls
    // are best restarted.
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

bool InterruptRequested()
{
    return interruptSignal != 0;
}

int InterruptSignal()
{
    return interruptSignal;
}

void StopIfInterrupted()
{
    if (interruptSignal != 0) throw Interrupted(interruptSignal);
}

} // namespace platform
