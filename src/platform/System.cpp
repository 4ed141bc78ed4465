// Process facts over Linux's /proc and the POSIX calls.
#include "platform/System.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

namespace platform {

double MsSinceProcessStart()
{
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const auto paren = text.rfind(')');
    if (paren == std::string::npos) return 0;
    std::istringstream fields(text.substr(paren + 1));
    std::string field;
    unsigned long long startTicks = 0;
    // Field 22 of the line is the start time; the first one after the name is field 3.
    for (int i = 3; i <= 22 && (fields >> field); ++i)
        if (i == 22) startTicks = std::stoull(field);
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double nowMs = static_cast<double>(now.tv_sec) * 1000 + static_cast<double>(now.tv_nsec) / 1e6;
    const double startMs = static_cast<double>(startTicks) * 1000 / static_cast<double>(sysconf(_SC_CLK_TCK));
    return std::max(0.0, nowMs - startMs);
}

double PeakMemoryMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

int ProcessId()
{
    return static_cast<int>(getpid());
}

bool StderrIsTerminal()
{
    return isatty(STDERR_FILENO) != 0;
}

bool StartedFromTerminal()
{
    return isatty(STDIN_FILENO) != 0 || isatty(STDERR_FILENO) != 0;
}

} // namespace platform
