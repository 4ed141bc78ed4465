// The ".MOT" reader on any bytes: it either raises a run-time error, or
// leaves sizes in 1..mot::MaxSize and exactly 3 x W x H bytes that are the
// file's pixel bytes followed by zeros where the file ends early, never more
// than mot::MaxMissingBytes of them.
#include "platform/App.h"
#include "tex/BasicTEX.h"
#include "tex/MotFile.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <sys/mman.h>
#include <unistd.h>

namespace {

// One in-memory file for the whole run, reached through its /proc path as
// the reader opens any other file.
int MemoryFile()
{
    static const int fd = memfd_create("fuzz.MOT", 0);
    return fd;
}

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "fuzz_mot: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Cut files are this fuzzer's daily bread: their warnings would bury its statistics.
    platform::SetWarningsShown(false);
    const int fd = MemoryFile();
    if (fd < 0 || ftruncate(fd, 0) != 0 || (size > 0 && pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)))
        Fail("cannot write the in-memory file");

    try {
        BasicTEX::ReadMOT("/proc/self/fd/" + std::to_string(fd));
    } catch (const Runtime::RuntimeError& e) {
        if (std::strstr(e.what(), "/proc/self/fd/") == nullptr) Fail("the error does not name the file");
        return 0;
    }

    const float tw = BasicTEX::TexWidth, th = BasicTEX::TexHeight;
    if (size < 8) Fail("a file shorter than its sizes was accepted");
    if (!(tw >= 1 && th >= 1 && tw <= mot::MaxSize && th <= mot::MaxSize) || tw != std::nearbyint(tw) ||
        th != std::nearbyint(th))
        Fail("sizes that are not whole numbers in range were accepted");
    const std::size_t bytes = 3 * static_cast<std::size_t>(tw) * static_cast<std::size_t>(th);
    const auto& pixels = BasicTEX::TexData;
    if (pixels.size() != bytes) Fail("the buffer is not 3 x W x H bytes");
    const std::size_t inFile = std::min(bytes, size - 8);
    if (bytes - inFile > mot::MaxMissingBytes) Fail("an image lacking more than MaxMissingBytes was accepted");
    if (inFile > 0 && std::memcmp(pixels.data(), data + 8, inFile) != 0) Fail("the pixels are not the file's bytes");
    for (std::size_t i = inFile; i < bytes; ++i)
        if (pixels[i] != 0) Fail("bytes past the end of the file are not zero");
    return 0;
}
