#pragma once

// The benchmark's window cases: a run in the auto-run window, and large CSV files in the output viewer.

#include "BenchMeasure.h"

namespace zentu::bench {

/// Runs job 1 of `folder` in the auto-run window (offscreen), from the click on its run button until the run is done
/// (its waits and the program's end left out). `csv` and `adif` are the job's outputs, for the bytes written.
Sample RunInAutoRunWindow(const fs::path& folder, const fs::path& csv, const fs::path& adif);

/// Opens CSV files of 100,000 and 1,000,000 lines in the output viewer `runs` times each, made in `folder`, and prints
/// the time until the list is shown, the slowest scroll step and the memory.
void RunViewerBenchmark(const fs::path& folder, int runs);

} // namespace zentu::bench
