#include "vantor/engine/stimulus_companion.h"

#include <filesystem>
#include <system_error>

#include "vantor/engine/stimulus_file.h"

namespace vantor {
namespace {

std::filesystem::path Folder(const std::string& file) {
  std::error_code error;
  const std::filesystem::path parent = std::filesystem::path(file).parent_path();
  return std::filesystem::absolute(parent.empty() ? "." : parent, error).lexically_normal();
}

}  // namespace

Stimulus StimulusForCompanion(const Stimulus& stimulus, const std::string& parameterFile) {
  Stimulus out = stimulus;
  const std::filesystem::path from = Folder(stimulus.name);
  const std::filesystem::path to = Folder(CompanionStimulusPath(parameterFile));
  if (from == to) return out;
  for (Segment& s : out.segments) {
    if (s.kind != SegmentKind::Waveform || s.file.empty()) continue;
    const std::filesystem::path file(s.file);
    if (file.is_absolute()) continue;
    const std::filesystem::path moved = (from / file).lexically_normal().lexically_relative(to);
    s.file = (moved.empty() ? (from / file).lexically_normal() : moved).generic_string();
  }
  return out;
}

bool WriteCompanionStimulus(const std::string& parameterFile, const Stimulus& stimulus,
                            std::string& error) {
  return WriteStimulusFile(CompanionStimulusPath(parameterFile),
                           StimulusForCompanion(stimulus, parameterFile), error);
}

}  // namespace vantor
