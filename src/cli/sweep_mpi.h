// The MPI side of "vantor-cli sweep --mpi": rank 0 hands out blocks of runs
// and writes the rows in order; every other rank runs the blocks it is given.
#pragma once

#include "vantor/sweep/sweep_runner.h"

namespace vantor::cli {

// True when this program was built with MPI.
bool MpiBuilt();
// Starts MPI; false when it is not built or could not start.
bool MpiStart(int& rank, int& size);
void MpiFinish();
// The largest status of all ranks (every rank calls it).
int MpiAgree(int status);
// Rank 0's status to every rank.
int MpiShare(int status);

// Rank 0: runs `job` on its own `jobs` threads and on the other ranks; the
// results reach the hooks in order. False when the sweep did not complete.
bool MpiRoot(const SweepJob& job, int jobs, const SweepHooks& hooks, int size);
// Every other rank: runs the blocks rank 0 sends until it says stop.
void MpiWorker(const ParameterSet& base, const GateTable& gates, const SweepPlan& plan,
               const MeasureSettings& measures, int jobs);

}  // namespace vantor::cli
