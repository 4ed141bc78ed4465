#include "runtime/Runtime.h"

#include <cmath>
#include <limits>

namespace Runtime {

namespace {

// Halves go to the even neighbour: nearbyint under the default rounding mode.
double RoundHalfEven(double value)
{
    if (!std::isfinite(value)) throw RuntimeError("Overflow");
    return std::nearbyint(value);
}

} // namespace

std::int16_t CInt(double value)
{
    const double r = RoundHalfEven(value);
    if (r < std::numeric_limits<std::int16_t>::min() || r > std::numeric_limits<std::int16_t>::max())
        throw RuntimeError("Overflow");
    return static_cast<std::int16_t>(r);
}

std::int32_t CLng(double value)
{
    const double r = RoundHalfEven(value);
    if (r < std::numeric_limits<std::int32_t>::min() || r > std::numeric_limits<std::int32_t>::max())
        throw RuntimeError("Overflow");
    return static_cast<std::int32_t>(r);
}

std::int16_t AddInt16(std::int16_t a, int b)
{
    const long sum = static_cast<long>(a) + b;
    if (sum < std::numeric_limits<std::int16_t>::min() || sum > std::numeric_limits<std::int16_t>::max())
        throw RuntimeError("Overflow");
    return static_cast<std::int16_t>(sum);
}

std::int32_t AddInt32(std::int32_t a, std::int32_t b)
{
    const long long sum = static_cast<long long>(a) + b;
    if (sum < std::numeric_limits<std::int32_t>::min() || sum > std::numeric_limits<std::int32_t>::max())
        throw RuntimeError("Overflow");
    return static_cast<std::int32_t>(sum);
}

void RaiseSubscriptOutOfRange()
{
    throw RuntimeError("Subscript out of range");
}

} // namespace Runtime
