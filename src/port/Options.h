// The command line, and a page's parameters once they are turned into one.
#pragma once

#include "port/ShowOptions.h"

#include <string>
#include <vector>

// What parsing came to: status -1 goes on with the show; 0 ends at once
// with text for stdout (the help or the version); 2 is a usage error, text
// its message (e.g. "--frames: 0 is out of range: expected from 1 to 1000000").
struct ParseResult {
    int status = -1;
    std::string text;
};

// Parses the arguments (the program's name not among them) into options.
ParseResult ParseArguments(const std::vector<std::string>& args, ShowOptions& options);

// Parses the command line into options. Returns -1 to go on with the show,
// or the exit status to end with at once (0 after --help or --version, 2 for
// a usage error, with the message printed).
int ParseOptions(int argc, char** argv, ShowOptions& options);
