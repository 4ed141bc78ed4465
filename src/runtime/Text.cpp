#include "runtime/Text.h"

#include <algorithm>
#include <charconv>

namespace Runtime {

namespace {

char LowerChar(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), LowerChar);
    return text;
}

bool SameIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerChar(x) == LowerChar(y); });
}

bool ParseInt(const std::string& text, long long min, long long max, long long& value)
{
    long long parsed = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(text.data(), end, parsed);
    if (text.empty() || error != std::errc() || ptr != end || parsed < min || parsed > max) return false;
    value = parsed;
    return true;
}

bool ParseSize(const std::string& text, int maxSide, int& width, int& height)
{
    const auto x = text.find_first_of("xX");
    long long w = 0, h = 0;
    if (x == std::string::npos || !ParseInt(text.substr(0, x), 1, maxSide, w) ||
        !ParseInt(text.substr(x + 1), 1, maxSide, h))
        return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

} // namespace Runtime
