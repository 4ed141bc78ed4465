#include "port/OptionValues.h"

#include "runtime/Text.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

long long NumberOf(const std::string& option, const std::string& text, long long min, long long max)
{
    long long value = 0;
    if (Runtime::ParseInt(text, min, max, value)) return value;
    const std::string range = "from " + std::to_string(min) + " to " + std::to_string(max);
    // Digits that only overflow are still a number, just not one in range.
    const std::size_t digits = text.rfind('-', 0) == 0 ? 1 : 0;
    const bool isNumber = text.size() > digits && std::all_of(text.begin() + static_cast<long>(digits), text.end(),
                                                              [](char c) { return c >= '0' && c <= '9'; });
    if (isNumber) throw CLI::ValidationError(option, text + " is out of range: expected " + range);
    throw CLI::ValidationError(option, "'" + text + "' is not a whole number: expected " + range);
}

CLI::Option* AddChoice(CLI::App& app, const std::string& name, int& value, std::initializer_list<int> choices,
                       const std::string& description)
{
    const std::vector<int> allowed(choices);
    return app
        .add_option_function<std::string>(
            name,
            [&value, name, allowed](const std::string& text) {
                long long parsed = 0;
                if (Runtime::ParseInt(text, std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), parsed) &&
                    std::find(allowed.begin(), allowed.end(), parsed) != allowed.end()) {
                    value = static_cast<int>(parsed);
                    return;
                }
                std::string list;
                for (std::size_t i = 0; i < allowed.size(); ++i)
                    list += (i == 0 ? "" : i + 1 == allowed.size() ? " or " : ", ") + std::to_string(allowed[i]);
                throw CLI::ValidationError(name, "expected " + list + ", got '" + text + "'");
            },
            description)
        ->type_name("N");
}

void CheckFolderOf(const std::string& option, const std::string& path)
{
    fs::path folder = fs::path(path).parent_path();
    if (folder.empty()) return; // the working folder
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        throw CLI::ValidationError(option, "there is no folder '" + folder.string() + "' to hold '" + path + "'");
}
