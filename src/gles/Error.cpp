#include "gles/Error.h"

#include <cstdio>

namespace gles {

void Fail(const std::string& what)
{
    throw Error("GL renderer: " + what);
}

void FailUnsupported(const char* call, unsigned value)
{
    Fail(std::string(call) + "(" + FormatEnum(value) + ") is not supported");
}

std::string FormatEnum(unsigned value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", value);
    return text;
}

} // namespace gles
