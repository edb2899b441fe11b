// SIGINT, SIGTERM, SIGHUP and SIGPIPE end a command cleanly: the handler only
// notes the signal and stops a run in progress; the command then unwinds,
// which abandons its temporary output files and deletes its record files,
// and main() ends the process as the signal would have (status 128 + signal
// to the shell). A second signal ends the process at once.
#pragma once

#include "vantor/engine/run_driver.h"

namespace vantor::cli {

void InstallInterruptHandlers();
// True once one of the signals has arrived.
bool Interrupted();
// Ends the process by the signal that arrived, if one did.
void ExitIfInterrupted();

// While it lives, a signal also sets `flags.stop`, so the run ends at its
// next pass.
class StopOnInterrupt {
 public:
  explicit StopOnInterrupt(RunFlags& flags);
  ~StopOnInterrupt();
  StopOnInterrupt(const StopOnInterrupt&) = delete;
  StopOnInterrupt& operator=(const StopOnInterrupt&) = delete;
};

}  // namespace vantor::cli
