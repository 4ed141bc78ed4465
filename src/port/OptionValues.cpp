#include "port/OptionValues.h"

#include "files/Files.h"
#include "runtime/Text.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <system_error>

namespace fs = std::filesystem;

long long NumberOf(const std::string& option, const std::string& text, long long min, long long max)
{
    long long value = 0;
    if (Runtime::ParseInt(text, min, max, value)) return value;
    const std::string range = "from " + std::to_string(min) + " to " + std::to_string(max);
    // Digits that only overflow are still a number, just not one in range.
    const std::size_t sign = text.rfind('-', 0) == 0 ? 1 : 0;
    const bool isNumber = text.size() > sign && std::all_of(text.begin() + static_cast<long>(sign), text.end(),
                                                            [](char c) { return c >= '0' && c <= '9'; });
    if (isNumber) throw UsageError(option, text + " is out of range: expected " + range);
    throw UsageError(option, "'" + text + "' is not a whole number: expected " + range);
}

int ChoiceOf(const std::string& option, const std::string& text, const std::vector<int>& choices)
{
    long long value = 0;
    if (Runtime::ParseInt(text, std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), value) &&
        std::find(choices.begin(), choices.end(), value) != choices.end())
        return static_cast<int>(value);
    std::string list;
    for (auto c = choices.begin(); c != choices.end(); ++c)
        list += (c == choices.begin() ? "" : c + 1 == choices.end() ? " or " : ", ") + std::to_string(*c);
    throw UsageError(option, "expected " + list + ", got '" + text + "'");
}

void CheckFolderOf(const std::string& option, const std::string& path)
{
    const fs::path folder = fs::path(path).parent_path();
    std::error_code ec;
    if (!folder.empty() && !fs::is_directory(folder, ec))
        throw UsageError(option, "there is no folder '" + folder.string() + "' to hold '" + path + "'");
}

void CheckOutputPath(const std::string& option, const std::string& path)
{
    CheckFolderOf(option, path);
    // Said now, not after the whole run that was to end in the file.
    const std::string problem = files::OutputProblem(path);
    if (!problem.empty()) throw UsageError(option, "cannot write '" + path + "': " + problem);
}
