// Option values that the parse itself holds to: whole numbers in their
// range (no wrap-around, no trailing junk) and output paths whose folder
// exists, so that a typing slip ends with a usage error before the show
// starts rather than at the frame that needs the value. Only Options.cpp
// knows the command-line library; these throw UsageError, which it reports.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

// A value the named option cannot take; what() is "--option: why".
class UsageError : public std::runtime_error {
public:
    UsageError(const std::string& option, const std::string& why) : std::runtime_error(option + ": " + why) {}
};

// The whole text as a number in min..max; the error says whether the text
// was no number or out of range.
long long NumberOf(const std::string& option, const std::string& text, long long min, long long max);

// The whole text as one of a few numbers.
int ChoiceOf(const std::string& option, const std::string& text, const std::vector<int>& choices);

// Refuses a path whose folder does not exist (or is no folder).
void CheckFolderOf(const std::string& option, const std::string& path);

// Refuses, as well, a path the run could not write its file to in the end:
// a folder, or a file in a folder that takes no new file (files::OutputProblem).
void CheckOutputPath(const std::string& option, const std::string& path);
