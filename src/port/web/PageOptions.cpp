#include "port/web/PageOptions.h"

#include "platform/Events.h"

#include <charconv>
#include <cstdint>
#include <stdexcept>

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Percent-decoding. A '+' stays a plus, not a space as in forms: people
// type "key=10:Shift+Left" into the address bar.
std::string Decode(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

[[noreturn]] void Refuse(const std::string& name, const std::string& expected, const std::string& value)
{
    throw std::invalid_argument("page parameter " + name + ": expected " + expected + ", got '" + value + "'");
}

// A whole number in [low, high], nothing around it.
long long Whole(const std::string& name, const std::string& value, long long low, long long high)
{
    long long n = 0;
    const char* end = value.data() + value.size();
    const auto [last, error] = std::from_chars(value.data(), end, n);
    if (value.empty() || error != std::errc() || last != end || n < low || n > high)
        Refuse(name, "a whole number from " + std::to_string(low) + " to " + std::to_string(high), value);
    return n;
}

// "FRAME:KEY", KEY a key name with optional Shift+/Ctrl+/Alt+ prefixes.
ScriptedKey Key(const std::string& value)
{
    const auto colon = value.find(':');
    if (colon == std::string::npos) Refuse("key", "FRAME:KEY", value);
    ScriptedKey key;
    key.frame = static_cast<int>(Whole("key", value.substr(0, colon), 1, 1 << 30));
    std::string name = value.substr(colon + 1);
    // The prefixes in any order, as on the command line.
    for (bool found = true; found;) {
        found = false;
        for (const auto& [prefix, mask] : {std::pair<std::string, std::int16_t>{"Shift+", platform::ShiftMask},
                                           {"Ctrl+", platform::CtrlMask},
                                           {"Alt+", platform::AltMask}}) {
            if (name.rfind(prefix, 0) != 0) continue;
            key.shift |= mask;
            name.erase(0, prefix.size());
            found = true;
        }
    }
    if (!platform::IsKnownKeyName(name)) Refuse("key", "a key name such as Left, Shift+Left or PageUp", value);
    key.key = name;
    return key;
}

} // namespace

void ParsePageOptions(const std::string& query, ShowOptions& options)
{
    std::size_t start = !query.empty() && query[0] == '?' ? 1 : 0;
    int lastSnapshot = 0;
    bool framesGiven = false;
    while (start < query.size()) {
        std::size_t end = query.find('&', start);
        if (end == std::string::npos) end = query.size();
        const std::string pair = query.substr(start, end - start);
        start = end + 1;
        const auto eq = pair.find('=');
        const std::string name = Decode(pair.substr(0, eq));
        const std::string value = eq == std::string::npos ? std::string() : Decode(pair.substr(eq + 1));

        if (name == "seed") {
            options.seed = static_cast<std::uint32_t>(Whole(name, value, 0, 0xFFFFFFFFll));
        } else if (name == "snapshot") {
            for (std::size_t from = 0; from <= value.size();) {
                std::size_t comma = value.find(',', from);
                if (comma == std::string::npos) comma = value.size();
                const int frame = static_cast<int>(Whole(name, value.substr(from, comma - from), 1, 1 << 30));
                options.snapshots[frame] = {};
                if (frame > lastSnapshot) lastSnapshot = frame;
                from = comma + 1;
            }
        } else if (name == "fps") {
            options.video.fps = static_cast<int>(Whole(name, value, 0, 1000));
        } else if (name == "key") {
            options.keys.push_back(Key(value));
        } else if (name == "frames") {
            options.frames = static_cast<int>(Whole(name, value, 1, 1 << 30));
            framesGiven = true;
        } else if (name == "music") {
            options.noMusic = Whole(name, value, 0, 1) == 0;
        } else if (name == "volume") {
            options.volume = static_cast<int>(Whole(name, value, 0, 100));
        }
    }
    // A snapshot run plays up to its last picture, as fast as it draws.
    if (lastSnapshot > 0) {
        if (!framesGiven) options.frames = lastSnapshot;
        options.video.fps = 0;
    }
}
