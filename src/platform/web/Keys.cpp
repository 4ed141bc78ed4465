#include "platform/web/Keys.h"

#include "platform/Events.h"

#include <cctype>
#include <charconv>
#include <utility>

namespace platform::web {

namespace {

// Named keys, both spellings; letters, digits and F1..F12 are computed.
constexpr std::pair<const char*, std::int16_t> NamedKeys[] = {
    {"Escape", VK_ESCAPE},
    {"Esc", VK_ESCAPE},
    {"PageUp", VK_PRIOR},
    {"Page Up", VK_PRIOR},
    {"PageDown", VK_NEXT},
    {"Page Down", VK_NEXT},
    {"ArrowLeft", VK_LEFT},
    {"Left", VK_LEFT},
    {"ArrowUp", VK_UP},
    {"Up", VK_UP},
    {"ArrowRight", VK_RIGHT},
    {"Right", VK_RIGHT},
    {"ArrowDown", VK_DOWN},
    {"Down", VK_DOWN},
    {"Enter", 13},
    {"Return", 13},
    {" ", 32},
    {"Space", 32},
    {"Tab", 9},
    {"Backspace", 8},
    {"Home", 36},
    {"End", 35},
    {"Insert", 45},
    {"Delete", 46},
};

} // namespace

std::int16_t VirtualKeyOf(const std::string& name)
{
    for (const auto& [known, code] : NamedKeys)
        if (name == known) return code;
    if (name.size() == 1) {
        const auto c = static_cast<unsigned char>(name[0]);
        if (std::isalpha(c)) return static_cast<std::int16_t>(std::toupper(c));
        if (std::isdigit(c)) return static_cast<std::int16_t>(c);
    }
    if (name.size() >= 2 && name[0] == 'F') {
        int n = 0;
        const char* end = name.data() + name.size();
        const auto [last, error] = std::from_chars(name.data() + 1, end, n);
        if (error == std::errc() && last == end && n >= 1 && n <= 12) return static_cast<std::int16_t>(111 + n);
    }
    return 0;
}

bool IsShowKey(std::int16_t virtualKey, bool ctrl, bool alt, bool meta)
{
    if (ctrl || alt || meta) return false;
    switch (virtualKey) {
    case VK_ESCAPE:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
    case VK_E:
    case VK_R:
        return true;
    default:
        return false;
    }
}

} // namespace platform::web
