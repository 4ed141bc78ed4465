// The command line.
#pragma once

#include "port/ShowOptions.h"

// Parses the command line into options. Returns -1 to go on with the show,
// or the exit status to end with at once (0 after --help or --version, 2 for
// a usage error, with the message printed).
int ParseOptions(int argc, char** argv, ShowOptions& options);
