// The page's address parameters are the program's options, so that the page
// and the command line share one parser and one set of messages:
//
//   name=value   --name=value       e.g. seed=7, fps=0, volume=40, gl=es
//   name         --name             a flag (name=1 and name=0 work too)
//   snapshot=F,G --snapshot F=... --snapshot G=...   the pictures go onto the page
//   key=A,B      --key A --key B    snapshot and key may also be repeated
//   music=0      --no-music         the page's older spelling; music=1 changes nothing
//   autostart=1  (nothing)          the page's own: start without waiting for Play
//
// Values are percent-decoded; a '+' stays a plus (key=10:Shift+Left).
// Options that mean nothing in a browser are refused by name (NotOnAPage).
#pragma once

#include "port/Options.h"
#include "port/ShowOptions.h"

#include <string>
#include <vector>

// The query string ("?a=b&c", the '?' optional) as the program's arguments.
// Throws UsageError for an option a page cannot take.
std::vector<std::string> PageArguments(const std::string& query);

// The query through PageArguments and the program's parser, status and
// message as ParseArguments gives them. A snapshot run then plays unpaced
// and, unless frames says otherwise, ends at its last picture.
ParseResult ParsePageArguments(const std::string& query, ShowOptions& options);
