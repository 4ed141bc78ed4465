// The benchmark: plays the show headless as fast as it draws, without
// music, and prints where the time went: start-up to the first presented
// frame and its steps, frame times per phase, peak memory, and the floor
// (clear and present only) measured afterwards on the same context. It does
// so once for each way of drawing (compat, then es) unless --gl picks one,
// and compares the two.
#pragma once

#include "port/ShowOptions.h"

#include <string>
#include <utility>
#include <vector>

namespace bench {

// One figure: a dotted name ("frame.orbit.p99_ms") and its value.
using Figures = std::vector<std::pair<std::string, double>>;

// The nearest-rank percentile (0 < p <= 100) of the values; 0 when empty.
double Percentile(std::vector<double> values, double p);

// The figures as text, one "name value" line each, and as a JSON object.
std::string FiguresText(const Figures& figures);
std::string FiguresJson(const Figures& figures);

// Runs the show with the benchmark attached, once a path; prints the
// figures ("compat." and "es." before each run's, then their ratios) to
// stdout and, with options.benchmarkJson, writes them there. Returns the
// exit status; errors propagate as RunShow's do. A signal stops it in the
// run it comes in: no further run, no figures.
int RunBenchmark(const ShowOptions& options);

} // namespace bench
