#include "cli/progress.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace vantor::cli {
namespace {

using Clock = std::chrono::steady_clock;
// Looking at the clock after every sample would cost more than the sample.
constexpr long kCallsPerLook = 256;

// A run shorter than this shows no line. Tests set VANTOR_CLI_PROGRESS_AFTER_MS
// (a hidden setting) so that they need not run long enough on a fast machine.
std::chrono::milliseconds ShowAfter() {
  const char* text = std::getenv("VANTOR_CLI_PROGRESS_AFTER_MS");
  if (text == nullptr || *text == '\0') return std::chrono::seconds(1);
  char* end = nullptr;
  const long ms = std::strtol(text, &end, 10);
  return *end == '\0' && ms >= 0 ? std::chrono::milliseconds(ms) : std::chrono::seconds(1);
}

}  // namespace

ProgressLine::ProgressLine(bool enabled, double duration)
    : enabled_(enabled && isatty(STDERR_FILENO) == 1),
      duration_(duration),
      showAfter_(ShowAfter()),
      start_(Clock::now()),
      last_(start_) {}

ProgressLine::~ProgressLine() { Clear(); }

std::string ProgressLine::Text(double t, double duration, double seconds) {
  char line[160];
  const double share = duration > 0 ? 100.0 * t / duration : 100.0;
  const double rate = seconds > 0 ? t / seconds : 0.0;
  std::snprintf(line, sizeof line, "t = %.1f ms  %.1f %%  %.0f ms/s", t, share, rate);
  return line;
}

void ProgressLine::Update(float t) {
  if (!enabled_ || ++calls_ % kCallsPerLook != 0) return;
  const Clock::time_point now = Clock::now();
  if (now - start_ < showAfter_ || (shown_ && now - last_ < std::chrono::milliseconds(200))) return;
  last_ = now;
  const double seconds = std::chrono::duration<double>(now - start_).count();
  std::string text(1, '\r');
  text += Text(t, duration_, seconds);
  text += "\x1b[K";
  std::fputs(text.c_str(), stderr);
  std::fflush(stderr);
  shown_ = true;
}

void ProgressLine::Clear() {
  if (!shown_) return;
  std::fputs("\r\x1b[K", stderr);
  std::fflush(stderr);
  shown_ = false;
}

}  // namespace vantor::cli
