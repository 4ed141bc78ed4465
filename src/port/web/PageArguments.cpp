#include "port/web/PageArguments.h"

#include "port/OptionValues.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace {

// The program's options that make no sense on a page, and why.
constexpr std::pair<const char*, const char*> NotOnAPage[] = {
    {"headless", "the show draws on the page's canvas"},
    {"window", "the show plays in the page; its Full screen button covers the screen"},
    {"display", "the browser chooses the monitor"},
    {"mode-switch", "a page cannot change the monitor's mode"},
    {"data", "the page loads the show's files from the site's data/ folder"},
    {"state-log", "a page writes no files"},
    {"capture", "a page writes no files"},
    {"capture-fps", "a page writes no files"},
    {"capture-size", "a page writes no files"},
    {"capture-quality", "a page writes no files"},
    {"force", "a page writes no files"},
    {"benchmark", "the page reports its frames and seconds on every run (snapshot=3186 plays the show unpaced)"},
    {"benchmark-json", "a page writes no files"},
    {"help", "the page's parameters are the program's options, listed by citadel --help"},
    {"version", "the page is the version of the site it comes from"},
};

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

// The pieces of a comma list; "" gives one empty piece, for the parser to refuse.
std::vector<std::string> Items(const std::string& list)
{
    std::vector<std::string> items;
    for (std::size_t from = 0;;) {
        const std::size_t comma = list.find(',', from);
        items.push_back(list.substr(from, comma - from));
        if (comma == std::string::npos) return items;
        from = comma + 1;
    }
}

void AddParameter(const std::string& name, const std::string* value, std::vector<std::string>& args)
{
    const auto refused = std::find_if(std::begin(NotOnAPage), std::end(NotOnAPage),
                                      [&name](const auto& option) { return name == option.first; });
    if (refused != std::end(NotOnAPage))
        throw UsageError("--" + name, std::string("not on a page: ") + refused->second);
    if (name == "autostart") return;
    if (name == "music") {
        if (value == nullptr || *value == "1") return;
        if (*value != "0") throw UsageError("music", "expected 0 or 1, got '" + *value + "'");
        args.push_back("--no-music");
    } else if (name == "gl" && value != nullptr && *value == "compat") {
        throw UsageError("--gl", "not on a page: a browser has WebGL 2 alone, which our renderer (es) draws with");
    } else if (name == "snapshot" && value != nullptr) {
        if (value->find('=') != std::string::npos)
            throw UsageError("--snapshot", "on a page give frames only (snapshot=F[,F...]): the pictures go onto "
                                           "the page, got '" +
                                               *value + "'");
        // The parser wants a file; the page's pictures need none.
        for (const std::string& frame : Items(*value)) args.push_back("--snapshot=" + frame + "=" + frame + ".png");
    } else if (name == "key" && value != nullptr) {
        for (const std::string& key : Items(*value)) args.push_back("--key=" + key);
    } else {
        args.push_back("--" + name + (value != nullptr ? "=" + *value : ""));
    }
}

} // namespace

std::vector<std::string> PageArguments(const std::string& query)
{
    std::vector<std::string> args;
    for (std::size_t start = query.starts_with('?') ? 1 : 0; start < query.size();) {
        std::size_t end = query.find('&', start);
        if (end == std::string::npos) end = query.size();
        const std::string pair = query.substr(start, end - start);
        start = end + 1;
        if (pair.empty()) continue;
        const auto eq = pair.find('=');
        const std::string value = eq == std::string::npos ? std::string() : Decode(pair.substr(eq + 1));
        AddParameter(Decode(pair.substr(0, eq)), eq == std::string::npos ? nullptr : &value, args);
    }
    return args;
}

ParseResult ParsePageArguments(const std::string& query, ShowOptions& options)
{
    std::vector<std::string> args;
    try {
        args = PageArguments(query);
    } catch (const UsageError& e) {
        return {2, e.what()};
    }
    ParseResult result = ParseArguments(args, options);
    if (result.status == -1 && !options.snapshots.empty()) {
        options.video.fps = 0;
        if (options.frames == 0) options.frames = options.snapshots.rbegin()->first;
    }
    return result;
}
