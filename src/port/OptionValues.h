// Option values that the parse itself holds to: whole numbers in their
// range (no wrap-around, no trailing junk) and output paths whose folder
// exists, so that a typing slip ends with a usage error before the show
// starts rather than at the frame that needs the value.
#pragma once

#include <CLI/CLI.hpp>

#include <initializer_list>
#include <string>

// The whole text as a number in min..max; throws CLI::ValidationError naming
// the option, and saying whether the text was no number or out of range.
long long NumberOf(const std::string& option, const std::string& text, long long min, long long max);

// Adds an option that takes one whole number in min..max.
template <typename T>
CLI::Option* AddNumber(CLI::App& app, const std::string& name, T& value, long long min, long long max,
                       const std::string& description)
{
    return app
        .add_option_function<std::string>(
            name,
            [&value, name, min, max](const std::string& text) {
                value = static_cast<T>(NumberOf(name, text, min, max));
            },
            description)
        ->type_name("N");
}

// Adds an option that takes one of a few whole numbers.
CLI::Option* AddChoice(CLI::App& app, const std::string& name, int& value, std::initializer_list<int> choices,
                       const std::string& description);

// Throws CLI::ValidationError naming the option when the folder that would
// hold `path` does not exist (or is no folder).
void CheckFolderOf(const std::string& option, const std::string& path);
