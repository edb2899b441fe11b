#include "app/explore_runner.h"

#include <QMetaObject>

#include <cstdio>

#include "vantor/render/run_record.h"

namespace vantor::app {

ExploreRunner::ExploreRunner(std::string folder, std::function<void(ExploredRun)> finished, QObject* parent)
    : QObject(parent), folder_(std::move(folder)), finished_(std::move(finished)) {}

ExploreRunner::~ExploreRunner() { Stop(); }

void ExploreRunner::Stop() {
  waiting_.reset();
  cancel_ = true;
  if (worker_.joinable()) worker_.join();
  cancel_ = false;
  busy_ = false;
}

long ExploreRunner::Request(const ParameterSet& params, const GateTable& gates) {
  Job job{params, gates, ++requests_};
  if (busy_) {
    waiting_ = std::move(job);  // an older waiting request is dropped
  } else {
    Start(std::move(job));
  }
  return requests_;
}

void ExploreRunner::Start(Job job) {
  if (worker_.joinable()) worker_.join();  // the last one has posted its result already
  busy_ = true;
  worker_ = std::thread([this, job = std::move(job)]() mutable {
    ExploredRun run;
    run.request = job.request;
    run.params = job.params;
    RunRecordWriter record;
    if (!record.Create(folder_)) {
      run.result.outcome = RunOutcome::Refused;
      run.result.message = "Could not create a run record file in " + folder_ + ".";
    } else {
      run.recordName = record.Path();
      RunFlags flags;
      // The run polls the flags after every sample; Stop reaches it there.
      run.result = RunTrial(run.params, job.gates, record, flags, [this, &flags] {
        if (cancel_) flags.stop = true;
      });
      if (!record.Close() && run.result.outcome == RunOutcome::Completed)
        run.result.outcome = RunOutcome::Failed;
      if (run.result.outcome != RunOutcome::Completed) {
        std::remove(run.recordName.c_str());
        run.recordName.clear();
      }
    }
    if (cancel_) {
      if (!run.recordName.empty()) std::remove(run.recordName.c_str());
      return;
    }
    QMetaObject::invokeMethod(this, [this, run = std::move(run)]() mutable { Done(std::move(run)); },
                              Qt::QueuedConnection);
  });
}

void ExploreRunner::Done(ExploredRun run) {
  busy_ = false;
  // The next run starts before this one is drawn, so the two overlap.
  if (waiting_) {
    Job next = std::move(*waiting_);
    waiting_.reset();
    Start(std::move(next));
  }
  if (finished_) finished_(std::move(run));
}

}  // namespace vantor::app
