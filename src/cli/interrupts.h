// SIGINT, SIGTERM, SIGHUP and SIGPIPE end a command cleanly: the handler only
// notes the signal and stops a run in progress; the command then unwinds,
// which abandons its temporary output files and deletes its record files,
// and main() ends the process as the signal would have (status 128 + signal
// to the shell).
//
// A second signal ends the process at once, but still leaves nothing
// behind: every temporary file and folder of the command is made through
// CommandTemporaries() (or MakeTemporaryFolder), which keeps its name where
// the handler removes it before it goes. One interrupt may well arrive
// twice (timeout, and other supervisors, signal both the process and its
// group), so this path is an ordinary one.
//
// The handler always runs on the main thread (another thread that catches a
// signal passes it on), and the main thread holds the signals back while it
// makes, renames or removes a temporary file, so the handler never sees the
// list half changed.
//
// Once a command begins to put its outputs in place (PassCommitPoint) a
// signal changes nothing: it ends with its own status, the outputs replaced.
// Before that point nothing is replaced and it ends by the signal.
#pragma once

#include <string>

#include "vantor/engine/run_driver.h"
#include "vantor/files/output_file.h"

namespace vantor::cli {

void InstallInterruptHandlers();
// True once one of the signals has arrived before the point of no return.
bool Interrupted();
// Ends the process by the signal that arrived, if one did.
void ExitIfInterrupted();

// The point of no return, just before the first output is put in place:
// false when a signal has arrived (the command then replaces nothing), else
// true, and later signals are let go.
bool PassCommitPoint();

// Makes the temporary files of the command: none once a signal has arrived
// (Create fails with EINTR), and a Rename is refused before the point of no
// return when one has.
TemporaryFiles& CommandTemporaries();
// mkdtemp() for a folder of temporary files (made through
// CommandTemporaries()); false once a signal has arrived.
bool MakeTemporaryFolder(std::string& pattern);
// Removes the folder with everything in it.
void RemoveTemporaryFolder(const std::string& folder);

// Raises the signal named by the environment variable VANTOR_CLI_SIGNAL_AT
// ("PHASE[,SIGNAL[,TIMES[,SKIP]]]": SIGINT, once by default) the first time
// the command reaches `phase` (after letting SKIP passes go), so that the
// tests can interrupt it at a known moment. With VANTOR_CLI_WAIT_AT=PHASE
// the main thread, the first time it reaches the phase, writes "waiting at
// PHASE" on standard error and sleeps until a signal comes, so that a test
// can signal it from outside at that moment. Nothing happens without the
// variables.
void ReachedPhase(const char* phase);

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
