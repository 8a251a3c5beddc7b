// The markdown report of scripts/perf.sh: the result lines of every run (each with a run=N
// field), gathered into one table per measurement with a column per run and the median of the
// runs, and a last table that holds each goal against the medians.
#pragma once

#include "perf_stats.h"

#include <string>
#include <vector>

namespace halomark::perf {

std::string markdownReport(const std::vector<ResultLine>& results);

} // namespace halomark::perf
