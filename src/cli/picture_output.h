// The picture of "vantor-cli run": the first run drawn as Begin draws it,
// each --overlay run drawn over it as Overlay does, and every requested file
// written from a full redraw of all runs.
#pragma once

#include <memory>
#include <string>

#include "cli/run_options.h"
#include "engine/run_driver.h"
#include "params/gate_table.h"
#include "params/messages.h"
#include "params/parameter_set.h"

namespace vantor::cli {

// "WxH" with both between 1 and 8000.
bool ParsePictureSize(const std::string& text, int& width, int& height);

class PictureJob {
 public:
  PictureJob(const RunOptions& options, Messages& messages);
  // The record files of the runs are deleted.
  ~PictureJob();
  PictureJob(const PictureJob&) = delete;
  PictureJob& operator=(const PictureJob&) = delete;

  // Any picture file or overlay asked for.
  bool Wanted() const;
  // False with a one-line usage error (a bad --size).
  bool Check(std::string& error);

  // The first run, with `extra` receiving its samples (CSV, record file).
  RunResult RunFirst(ParameterSet& params, const GateTable& gates, RunSink& extra);
  // Each --overlay file: its values replace those of the run before, the
  // layout and title stay. Returns the outcome of the first run that did
  // not complete, or of the last one; `params` ends as the last run's.
  RunResult RunOverlays(ParameterSet& params, const GateTable& gates);

  // Writes every requested file from a full redraw. The exit status: 0, or
  // 1 after a message on standard error.
  int WriteFiles(const ParameterSet& params);

 private:
  struct State;
  const RunOptions& options_;
  Messages& messages_;
  int width_ = 1200;
  int height_ = 800;
  std::unique_ptr<State> state_;
};

}  // namespace vantor::cli
