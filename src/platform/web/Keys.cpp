#include "platform/web/Keys.h"

#include "platform/ShowKeys.h"

#include <cctype>
#include <charconv>

namespace platform::web {

std::int16_t VirtualKeyOf(const std::string& name)
{
    // Named keys by either spelling; letters, digits and F1..F12 are computed.
    for (const NamedKey& key : NamedKeys)
        if (name == key.name || (key.otherName != nullptr && name == key.otherName)) return key.code;
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
    return !ctrl && !alt && !meta && EffectOf(virtualKey) != KeyEffect::None;
}

} // namespace platform::web
