// Small text helpers every layer shares: case-blind comparison and strict
// parsing of the numbers and sizes that users type.
#pragma once

#include <string>

namespace Runtime {

// The text with A-Z turned to a-z (bytes above 127 are left as they are).
std::string Lower(std::string text);
bool SameIgnoringCase(const std::string& a, const std::string& b);

// The whole text as a decimal integer in min..max: no sign other than a
// leading '-', no spaces, nothing after it. False for anything else.
bool ParseInt(const std::string& text, long long min, long long max, long long& value);

// "WxH" (or "WXH"), each side a whole number in 1..maxSide. False otherwise.
bool ParseSize(const std::string& text, int maxSide, int& width, int& height);

} // namespace Runtime
