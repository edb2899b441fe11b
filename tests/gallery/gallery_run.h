// Runs a shipped example file through the engine, as the program would after
// opening it, with some parameters changed for the controls.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "vantor/engine/run_driver.h"
#include "vantor/engine/run_sample.h"
#include "vantor/params/gate_table.h"
#include "vantor/params/messages.h"
#include "vantor/params/parameter_file.h"
#include "vantor/params/parameter_set.h"

namespace vantor::gallery {

inline std::string ExamplePath(const std::string& name) {
  return std::string(VANTOR_SOURCE_DIR) + "/data/examples/" + name;
}

inline const GateTable& ShippedGates() {
  static const GateTable table = [] {
    GateTable t;
    CollectedMessages messages;
    LoadGateTable(std::string(VANTOR_SOURCE_DIR) + "/data/vmodels.val", t, messages);
    return t;
  }();
  return table;
}

// The example's parameters; an unreadable file fails the calling test.
inline ParameterSet LoadExample(const std::string& name) {
  ParameterSet params;
  CollectedMessages messages;
  const bool read = ReadParameterFile(ExamplePath(name), params, messages);
  EXPECT_TRUE(read) << name << ": "
                    << (messages.entries.empty() ? "" : messages.entries.front().text);
  return params;
}

struct Recording {
  RunResult result;
  std::vector<RunSample> samples;
};

class KeepingSink : public RunSink {
 public:
  void Sample(const RunSample& s) override { samples.push_back(s); }
  std::vector<RunSample> samples;
};

using Changes = std::initializer_list<std::pair<int, float>>;

// One run of the example with `changes` applied; a run that does not reach
// the end of the trial fails the calling test.
inline Recording RunExample(const std::string& name, Changes changes = {}) {
  ParameterSet params = LoadExample(name);
  for (const auto& [index, value] : changes) params.SetValue(index, value);
  EXPECT_TRUE(ShippedGates().Loaded());
  KeepingSink sink;
  RunFlags flags;
  Recording rec;
  rec.result = RunTrial(params, ShippedGates(), sink, flags);
  rec.samples = std::move(sink.samples);
  EXPECT_EQ(rec.result.outcome, RunOutcome::Completed) << name << ": " << rec.result.message;
  EXPECT_FALSE(rec.samples.empty()) << name;
  return rec;
}

}  // namespace vantor::gallery
