// How the renderer reports what it cannot or must not do: one exception type
// whose message names the call, never a silently wrong or black frame.
#pragma once

#include <stdexcept>
#include <string>

namespace gles {

// A call outside the renderer's subset of GL 1.1, a call GL itself rejects,
// or a shader the ES driver would not build.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws Error("GL renderer: " + what).
[[noreturn]] void Fail(const std::string& what);

// Throws Error for call(value) outside the subset, e.g. glEnable(0x0B60).
[[noreturn]] void FailUnsupported(const char* call, unsigned value);

// An enum value as GL headers print it: 0x0B60.
std::string FormatEnum(unsigned value);

} // namespace gles
