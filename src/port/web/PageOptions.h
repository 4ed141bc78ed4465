// The page's address parameters, the browser's command line: "?seed=7&
// snapshot=251,420&fps=0&key=400:Shift+Left&frames=N&music=0&volume=N".
#pragma once

#include "port/ShowOptions.h"

#include <string>

// Fills options from a query string ("?a=b&c=d", the '?' optional, values
// percent-encoded). Parameters the show does not know belong to the page
// and are left alone. Throws std::invalid_argument naming the parameter for
// a value it cannot take. Snapshots end the show after the last one, unless
// frames says otherwise.
void ParsePageOptions(const std::string& query, ShowOptions& options);
