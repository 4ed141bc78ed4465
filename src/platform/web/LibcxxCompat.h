// Forced into every browser compile: Emscripten 3.1.6's C++ library predates
// std::bit_cast, which the compiler itself already provides, and
// std::to_chars for floating point.
#pragma once

#include <version>

#if !defined(__cpp_lib_bit_cast)
#include <type_traits>

namespace std {
template <class To, class From>
requires(sizeof(To) == sizeof(From) && is_trivially_copyable_v<To> && is_trivially_copyable_v<From>) constexpr To
    bit_cast(const From& from) noexcept
{
    return __builtin_bit_cast(To, from);
}
} // namespace std
#endif

#if !defined(__cpp_lib_to_chars)
#include <charconv>
#include <cstdio>
#include <system_error>

namespace std {
// Only the state log formats doubles, and a page refuses --state-log: these
// digits read back to the same double, though not always in the fewest.
inline to_chars_result to_chars(char* first, char* last, double value)
{
    const int n = std::snprintf(first, static_cast<std::size_t>(last - first), "%.17g", value);
    if (n < 0 || n >= last - first) return {last, errc::value_too_large};
    return {first + n, errc()};
}
} // namespace std
#endif
