#include "cli/sweep_progress.h"

#include <unistd.h>

#include <cstdio>

namespace vantor::cli {
namespace {

void FormatDuration(double seconds, char* text, std::size_t size) {
  const long s = static_cast<long>(seconds + 0.5);
  if (s >= 3600) std::snprintf(text, size, "%ld h %02ld min", s / 3600, (s / 60) % 60);
  else if (s >= 60) std::snprintf(text, size, "%ld min %02ld s", s / 60, s % 60);
  else std::snprintf(text, size, "%ld s", s);
}

}  // namespace

SweepProgress::SweepProgress(long done, long total, bool wanted)
    : shown_(wanted && isatty(STDERR_FILENO) != 0),
      startDone_(done),
      total_(total),
      start_(Clock::now()),
      lastDraw_(start_) {}

SweepProgress::~SweepProgress() {
  if (drawn_) std::fputc('\n', stderr);
}

void SweepProgress::Update(long done) {
  if (!shown_) return;
  const Clock::time_point now = Clock::now();
  if (done < total_ && drawn_ && now - lastDraw_ < std::chrono::milliseconds(250)) return;
  lastDraw_ = now;
  Draw(done);
}

void SweepProgress::Draw(long done) {
  const double elapsed = std::chrono::duration<double>(Clock::now() - start_).count();
  const long runsHere = done - startDone_;
  const double rate = elapsed > 0 ? runsHere / elapsed : 0;
  char left[32] = "?";
  if (rate > 0) FormatDuration((total_ - done) / rate, left, sizeof left);
  std::fprintf(stderr, "\r%ld of %ld runs, %.1f runs/s, %s left   ", done, total_, rate, left);
  std::fflush(stderr);
  drawn_ = true;
}

}  // namespace vantor::cli
