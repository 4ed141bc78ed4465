// The arithmetic and error rules the show's code is written against:
// 16-bit Booleans (true is -1), rounding half to even, checked 16/32-bit
// integers, bounds-checked arrays, and one run-time error that ends the
// program unless a routine chose to skip the failing statement.
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace Runtime {

using Boolean = std::int16_t;
constexpr Boolean True = -1;
constexpr Boolean False = 0;

// A run-time error: the message a user sees, e.g. "Overflow" or
// "File not found: /path". Thrown through the show's code to main(), which
// reports it and ends the program without the shutdown steps.
class RuntimeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Ends the program at once with `status`, as a run-time error does, when
// whatever there was to say has been said already (a fatal-error box, a
// capture's own message).
struct Exit {
    int status;
};

// Round to the nearest integer, halves to the even neighbour, and check the
// result fits 16 bits (CInt) or 32 bits (CLng); otherwise "Overflow".
std::int16_t CInt(double value);
std::int32_t CLng(double value);

// 16-bit signed addition that raises "Overflow" instead of wrapping.
std::int16_t AddInt16(std::int16_t a, int b);
// 32-bit signed addition that raises "Overflow" instead of wrapping.
std::int32_t AddInt32(std::int32_t a, std::int32_t b);

// Runs one statement of a routine that skips failing statements: a run-time
// error inside it is swallowed and the routine goes on with the next one.
template <typename Statement>
void Resume(Statement&& statement)
{
    try {
        statement();
    } catch (const RuntimeError&) {
    }
}

[[noreturn]] void RaiseSubscriptOutOfRange();

// A fixed-size array with declared bounds Lo..Hi; any other index is the
// run-time error "Subscript out of range".
template <typename T, int Lo, int Hi>
class BoundedArray {
public:
    static constexpr int Lower = Lo;
    static constexpr int Upper = Hi;
    static constexpr int Count = Hi - Lo + 1;

    T& operator()(int i)
    {
        if (i < Lo || i > Hi) RaiseSubscriptOutOfRange();
        return items_[static_cast<std::size_t>(i - Lo)];
    }
    const T& operator()(int i) const
    {
        if (i < Lo || i > Hi) RaiseSubscriptOutOfRange();
        return items_[static_cast<std::size_t>(i - Lo)];
    }
    T* data() { return items_.data(); }
    const T* data() const { return items_.data(); }
    void Fill(const T& value) { items_.fill(value); }

private:
    std::array<T, Count> items_{};
};

// Two-dimensional counterpart with bounds Lo1..Hi1 by Lo2..Hi2.
template <typename T, int Lo1, int Hi1, int Lo2, int Hi2>
class BoundedArray2 {
public:
    static constexpr int Count1 = Hi1 - Lo1 + 1;
    static constexpr int Count2 = Hi2 - Lo2 + 1;

    T& operator()(int i, int j)
    {
        if (i < Lo1 || i > Hi1 || j < Lo2 || j > Hi2) RaiseSubscriptOutOfRange();
        return items_[static_cast<std::size_t>((i - Lo1) * Count2 + (j - Lo2))];
    }
    const T& operator()(int i, int j) const
    {
        if (i < Lo1 || i > Hi1 || j < Lo2 || j > Hi2) RaiseSubscriptOutOfRange();
        return items_[static_cast<std::size_t>((i - Lo1) * Count2 + (j - Lo2))];
    }
    void Fill(const T& value) { items_.fill(value); }

private:
    std::array<T, static_cast<std::size_t>(Count1) * Count2> items_{};
};

} // namespace Runtime
