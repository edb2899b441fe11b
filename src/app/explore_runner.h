// Runs for the explorer on a worker thread, one at a time: a request made
// while a run goes waits, and a newer request replaces a waiting one, so a
// slider dragged across many values costs one run after the one going.
#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "vantor/engine/run_driver.h"
#include "vantor/params/gate_table.h"
#include "vantor/params/parameter_set.h"

namespace vantor::app {

struct ExploredRun {
  ParameterSet params;        // what the run used (after its own floors)
  RunResult result;
  std::string recordName;     // its record file (removed when the run failed)
  long request = 0;           // the number of the request it answers
};

class ExploreRunner : public QObject {
 public:
  // Records go into `folder`; `finished` gets each run on the thread of
  // this object (the window's), in order.
  ExploreRunner(std::string folder, std::function<void(ExploredRun)> finished,
                QObject* parent = nullptr);
  ~ExploreRunner() override;  // ends the run going and waits for it

  // A run of `params` with `gates`: at once when idle, else after the one
  // going (replacing any request still waiting). The number of the request.
  long Request(const ParameterSet& params, const GateTable& gates);
  bool Busy() const { return busy_; }
  // Ends the run going (its result is dropped) and waits for the thread.
  void Stop();

 private:
  struct Job {
    ParameterSet params;
    GateTable gates;
    long request = 0;
  };
  void Start(Job job);
  void Done(ExploredRun run);

  std::string folder_;
  std::function<void(ExploredRun)> finished_;
  std::thread worker_;
  std::atomic<bool> cancel_{false};
  std::optional<Job> waiting_;
  bool busy_ = false;
  long requests_ = 0;
};

}  // namespace vantor::app
