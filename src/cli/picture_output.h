// The picture of "vantor-cli run": the first run drawn as Begin draws it,
// each --overlay run drawn over it as Overlay does, and every requested file
// written from a full redraw of all runs.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cli/output_set.h"
#include "cli/run_options.h"
#include "vantor/engine/run_driver.h"
#include "vantor/params/gate_table.h"
#include "vantor/params/messages.h"
#include "vantor/params/parameter_set.h"

namespace vantor::cli {

// A run's samples stay in memory up to this size (about 800,000 samples of 84
// bytes, some minutes of a run at the built-in step), and go to its record
// file in the temporary folder beyond it.
inline constexpr std::size_t kSamplesInMemory = std::size_t{64} << 20;

class PictureJob {
 public:
  PictureJob(const RunOptions& options, Messages& messages);
  // The record files of the runs are deleted, with their folder.
  ~PictureJob();
  PictureJob(const PictureJob&) = delete;
  PictureJob& operator=(const PictureJob&) = delete;

  // Any picture file or overlay asked for.
  bool Wanted() const;
  // False with a one-line usage error (a bad --size).
  bool Check(std::string& error);

  // The first run, with `extra` receiving its samples (CSV, record file)
  // and `pump` called after each.
  RunResult RunFirst(ParameterSet& params, const GateTable& gates, RunSink& extra,
                     RunFlags& flags, const std::function<void()>& pump,
                     const RunTuning& tuning = {}, const std::string& drive = {});
  // One more run over the others, in the next colour (a family's member).
  RunResult RunOver(ParameterSet& params, const GateTable& gates, RunSink* extra,
                    RunFlags& flags, const std::function<void()>& pump, const RunTuning& tuning,
                    const std::string& drive = {});
  // Each overlay's values (read before the first run) replace those of the
  // run before; the layout and title stay. Returns the outcome of the first
  // run that did not complete, or of the last one; `params` ends as the
  // last run's.
  RunResult RunOverlays(ParameterSet& params, const std::vector<ParameterSet>& overlays,
                        const GateTable& gates, RunFlags& flags,
                        const std::function<void()>& pump, const RunTuning& tuning = {});

  // Writes every requested picture into its open output from a full
  // redraw. The exit status: 0, or 1 after a message on standard error.
  // `description` (how the run was made) goes into the PNG, SVG and PDF files.
  int WriteFiles(const ParameterSet& params, OutputSet& outputs, const std::string& description);

 private:
  struct State;
  const RunOptions& options_;
  Messages& messages_;
  int width_ = 1200;
  int height_ = 800;
  std::unique_ptr<State> state_;
  std::string recordDirectory_;  // private, made for the runs' record files
};

}  // namespace vantor::cli
